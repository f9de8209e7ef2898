#include "framekit/SerialportList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Port = SerialportList::PortDescription;

Port port(const QString &name, const QString &manufacturer = QString(), int product = -1, int vendor = -1)
{
    Port p;
    p.portName = name;
    p.manufacturer = manufacturer;
    p.hasProductIdentifier = product >= 0;
    p.productIdentifier = quint16(qMax(product, 0));
    p.hasVendorIdentifier = vendor >= 0;
    p.vendorIdentifier = quint16(qMax(vendor, 0));
    return p;
}

// A pseudo-terminal pair, as the laser simulator opens one per simulated port.
struct Pty
{
    int master = -1;
    int slave = -1;
    QString slavePath;
    bool open()
    {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        slavePath = QString::fromLocal8Bit(name);
        return true;
    }
    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

// The lock a running simulator holds beside its link; this process stands in for the simulator.
std::unique_ptr<QLockFile> own(const QString &link)
{
    auto lock = std::make_unique<QLockFile>(link + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

} // namespace

class TestSerialportList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { SerialportList::pipes.clear(); }

    void entryDefaults();
    void extendedName_data();
    void extendedName();
    void comNaming_data();
    void comNaming();
    void namesKeptAsReported();
    void extendedNameComputedOnce();
    void legacyPortWithoutDevice_data();
    void legacyPortWithoutDevice();
    void virtualPortsAppearAndDisappear();
    void linksCountWhileTheirOwnerRuns();
    void menuOpeningScansOnce();
    void queriesRescan();

private:
    QTemporaryDir runtime;
    QTemporaryDir sysfs;
};

void TestSerialportList::initTestCase()
{
    QVERIFY(runtime.isValid());
    QVERIFY(sysfs.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(SerialportList::virtualPortFolder(), runtime.path() + QStringLiteral("/LUMETRA-QZ/ports"));
}

void TestSerialportList::entryDefaults()
{
    const SerialportListEntry empty;
    QCOMPARE(empty.pipeName(), QStringLiteral("undefined"));
    QCOMPARE(empty.pipeExtendedName(), QStringLiteral("undefined"));
    const SerialportListEntry filled(QStringLiteral("COM3"), QStringLiteral("COM3-FTDI"));
    QCOMPARE(filled.pipeName(), QStringLiteral("COM3"));
    QCOMPARE(filled.pipeExtendedName(), QStringLiteral("COM3-FTDI"));
}

void TestSerialportList::extendedName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<QString>("expected");
    QTest::newRow("everything") << "COM3"
                                << "FTDI" << 24577 << 1027 << "COM3-FTDI-24577-1027";
    QTest::newRow("nothing") << "COM1"
                             << "" << -1 << -1 << "COM1";
    QTest::newRow("ids only") << "ttyACM0"
                              << "" << 22336 << 1155 << "ttyACM0-22336-1155";
    QTest::newRow("vendor only") << "COM9"
                                 << "" << -1 << 1027 << "COM9-1027";
    QTest::newRow("zero product") << "COM2"
                                  << "Acme" << 0 << -1 << "COM2-Acme-0";
}

void TestSerialportList::extendedName()
{
    QFETCH(QString, name);
    QFETCH(QString, manufacturer);
    QFETCH(int, product);
    QFETCH(int, vendor);
    QFETCH(QString, expected);
    QCOMPARE(SerialportList::extendedName(port(name, manufacturer, product, vendor)), expected);
}

void TestSerialportList::comNaming_data()
{
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("none") << QStringList{} << QStringList{};
    QTest::newRow("lower case") << QStringList{"com7"} << QStringList{"COM7"};
    QTest::newRow("no COM in name") << QStringList{"ttyUSB0", "COM1", "cu.usbserial"} << QStringList{"COM1"};
    QTest::newRow("COM anywhere") << QStringList{"xcomfoo"} << QStringList{"XCOMFOO"};
    QTest::newRow("ascending plain order")
        << QStringList{"COM2", "COM10", "COM1"} << QStringList{"COM1", "COM10", "COM2"};
    QTest::newRow("duplicates by case") << QStringList{"com4", "COM4"} << QStringList{"COM4"};
}

void TestSerialportList::comNaming()
{
    QFETCH(QStringList, reported);
    QFETCH(QStringList, listed);
    QList<Port> ports;
    for (const QString &name : reported)
        ports << port(name);
    SerialportList::refreshPipeList(ports, SerialportList::Naming::ComPorts);
    QCOMPARE(SerialportList::pipes.keys(), listed);
    for (const QString &name : listed) {
        QCOMPARE(SerialportList::pipes.value(name).pipeName(), name);
        QVERIFY(SerialportList::pipes.value(name).pipeExtendedName().startsWith(name));
    }
}

void TestSerialportList::namesKeptAsReported()
{
    // Outside Windows the name is what gets opened: "ttyUSB0" upper-cased would not open.
    SerialportList::refreshPipeList(
        {port("ttyUSB0", "FTDI", 24577, 1027), port("ttyACM1"), port("/tmp/x/sim")},
        SerialportList::Naming::AsReported);
    QCOMPARE(SerialportList::pipes.keys(), QStringList({"/tmp/x/sim", "ttyACM1", "ttyUSB0"}));
    QCOMPARE(SerialportList::pipes.value("ttyUSB0").pipeExtendedName(),
             QStringLiteral("ttyUSB0-FTDI-24577-1027"));
    if (SerialportList::platformNaming() == SerialportList::Naming::AsReported) {
        QCOMPARE(SerialportList::GetExtendedPipeName(QStringLiteral("TTYUSB0")), QString());
    }
}

void TestSerialportList::extendedNameComputedOnce()
{
    const auto naming = SerialportList::Naming::ComPorts;
    SerialportList::refreshPipeList({port("COM3", "FTDI"), port("COM5", "Prolific")}, naming);
    QCOMPARE(SerialportList::pipes.value("COM3").pipeExtendedName(), QStringLiteral("COM3-FTDI"));

    // A port still present keeps the description it had when first seen.
    SerialportList::refreshPipeList({port("COM3", "Other"), port("COM5", "Prolific")}, naming);
    QCOMPARE(SerialportList::pipes.value("COM3").pipeExtendedName(), QStringLiteral("COM3-FTDI"));

    // Two ports gone at once both disappear.
    SerialportList::refreshPipeList({}, naming);
    QVERIFY(SerialportList::pipes.isEmpty());

    // Plugged in again: described afresh; with two ports of one name the last one wins.
    SerialportList::refreshPipeList({port("com3", "First"), port("COM3", "Other")}, naming);
    QCOMPARE(SerialportList::pipes.value("COM3").pipeExtendedName(), QStringLiteral("COM3-Other"));
}

void TestSerialportList::legacyPortWithoutDevice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("dropped");
    QTest::newRow("ghost ttyS") << "ttyS3"
                                << "0\n"
                                << true;
    QTest::newRow("real 16550A") << "ttyS0"
                                 << "4\n"
                                 << false;
    QTest::newRow("no type file") << "ttyS1"
                                  << "" << false;
    QTest::newRow("usb adapter") << "ttyUSB0"
                                 << "0\n"
                                 << false;
    QTest::newRow("not legacy name") << "ttySAC0"
                                     << "0\n"
                                     << false;
}

void TestSerialportList::legacyPortWithoutDevice()
{
#ifndef Q_OS_LINUX
    QSKIP("sysfs exists on Linux only");
#endif
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(bool, dropped);
    const QString folder = sysfs.filePath(name);
    QVERIFY(QDir().mkpath(folder));
    QFile::remove(folder + QStringLiteral("/type"));
    if (!type.isEmpty()) {
        QFile file(folder + QStringLiteral("/type"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(type.toLatin1());
    }
    QCOMPARE(SerialportList::isPortWithoutDevice(name, sysfs.path()), dropped);
}

void TestSerialportList::virtualPortsAppearAndDisappear()
{
    QDir folder(SerialportList::virtualPortFolder());
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    Pty first, second;
    QVERIFY(first.open());
    QVERIFY(second.open());
    const QString linkA = folder.absoluteFilePath(QStringLiteral("lumetra-sim-a"));
    const QString linkB = folder.absoluteFilePath(QStringLiteral("lumetra-sim-b"));
    const QString dangling = folder.absoluteFilePath(QStringLiteral("lumetra-sim-gone"));
    QVERIFY(QFile::link(first.slavePath, linkA));
    QVERIFY(QFile::link(second.slavePath, linkB));
    QVERIFY(QFile::link(folder.absoluteFilePath(QStringLiteral("no-such-pty")), dangling));
    const auto ownerA = own(linkA);
    const auto ownerB = own(linkB);
    const auto ownerGone = own(dangling);
    QVERIFY(ownerA && ownerB && ownerGone);

    QStringList names = SerialportList::GetPipeNames();
    QVERIFY2(names.contains(linkA) && names.contains(linkB), qPrintable(names.join(',')));
    QVERIFY(!names.contains(dangling));
    QVERIFY(names.indexOf(linkA) < names.indexOf(linkB));
    QCOMPARE(SerialportList::GetExtendedPipeName(linkA), linkA);

    // The listed name opens the simulator's end of the link.
    QFile device(linkA);
    QVERIFY(device.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    device.close();

    QVERIFY(QFile::remove(linkA));
    QVERIFY(QFile::remove(linkB));
    names = SerialportList::GetPipeNames();
    QVERIFY(!names.contains(linkA));
    QVERIFY(!names.contains(linkB));
    QCOMPARE(SerialportList::GetExtendedPipeName(linkA), QString());
    QFile::remove(dangling);
}

void TestSerialportList::linksCountWhileTheirOwnerRuns()
{
    QDir folder(SerialportList::virtualPortFolder());
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    Pty terminal;
    QVERIFY(terminal.open());
    const QString owned = folder.absoluteFilePath(QStringLiteral("owned"));
    const QString orphan = folder.absoluteFilePath(QStringLiteral("orphan"));
    const QString unlocked = folder.absoluteFilePath(QStringLiteral("unlocked"));
    for (const QString &link : {owned, orphan, unlocked})
        QVERIFY(QFile::link(terminal.slavePath, link));
    const auto owner = own(owned);
    QVERIFY(owner);

    // A simulator killed outright leaves its lock with a process number nobody answers to; its link
    // still leads to a live terminal once the terminal's number has been given to someone else.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        QLockFile lock(orphan + QStringLiteral(".lock"));
        ::_exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = -1;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY(QFileInfo::exists(orphan + QStringLiteral(".lock")));

    const QStringList names = SerialportList::GetPipeNames();
    QVERIFY(names.contains(owned));
    QVERIFY(!names.contains(orphan));
    QVERIFY(!names.contains(unlocked));
    for (const QString &link : {owned, orphan, unlocked})
        QFile::remove(link);
    QFile::remove(orphan + QStringLiteral(".lock"));
}

void TestSerialportList::menuOpeningScansOnce()
{
    QDir folder(SerialportList::virtualPortFolder());
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    Pty terminal;
    QVERIFY(terminal.open());
    std::vector<std::unique_ptr<QLockFile>> owners;
    QStringList links;
    for (int i = 0; i < 40; ++i) {
        links << folder.absoluteFilePath(QStringLiteral("sim-%1").arg(i, 2, 10, QLatin1Char('0')));
        QVERIFY(QFile::link(terminal.slavePath, links.constLast()));
        owners.push_back(own(links.constLast()));
        QVERIFY(owners.back());
    }

    // What the Connect menu does when it opens: the names, then each entry's tooltip.
    const int before = SerialportList::scanCount();
    const QStringList names = SerialportList::GetPipeNames();
    for (const QString &name : names)
        QVERIFY(!SerialportList::GetExtendedPipeName(name).isEmpty());
    QCOMPARE(SerialportList::scanCount() - before, 1);
    for (const QString &link : qAsConst(links))
        QVERIFY(names.contains(link));

    // A name the last scan did not list is looked for again.
    QCOMPARE(SerialportList::GetExtendedPipeName(QStringLiteral("COM98")), QString());
    QCOMPARE(SerialportList::scanCount() - before, 2);
    for (const QString &link : qAsConst(links))
        QFile::remove(link);
}

void TestSerialportList::queriesRescan()
{
    // Stale entries left from earlier tables vanish on the next query of the real system.
    SerialportList::pipes.insert(QStringLiteral("COM99"), SerialportListEntry("COM99", "COM99-stale"));
    const QStringList names = SerialportList::GetPipeNames();
    QVERIFY(!names.contains(QStringLiteral("COM99")));
    QCOMPARE(names, SerialportList::pipes.keys());
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(names, sorted);
    QCOMPARE(SerialportList::GetExtendedPipeName(QStringLiteral("COM99")), QString());
}

QTEST_MAIN(TestSerialportList)
#include "tst_serialportlist.moc"
