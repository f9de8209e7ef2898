#include "PtyLaser.h"
#include "device/LumetraSerialHandler.h"

#include <QDateTime>
#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <pthread.h>
#include <thread>
#include <time.h>

namespace {

const QByteArray Ident = "ly_system_info\n";
const QByteArray Status = "ly_lqz2_dev_status?\n";

// The name the port reports for itself, as the link's signals carry it.
QString portNameOf(const QString &path)
{
    return QSerialPort(path).portName();
}

} // namespace

// Runs the handler on a worker thread exactly as the program does and records what it reports.
class LinkUnderTest : public QObject
{
    Q_OBJECT
public:
    explicit LinkUnderTest(QObject *parent = nullptr) : QObject(parent)
    {
        handler = new LumetraSerialHandler;
        thread = new QThread(this);
        handler->moveToThread(thread);
        connect(thread, SIGNAL(started()), handler, SLOT(slotMainLoop()));
        connect(thread, &QThread::finished, handler, &QObject::deleteLater);
        connect(handler, &LumetraSerialHandler::sigLineReceived, this,
                [this](const QByteArray &line) { received << line; });
        connect(handler, &LumetraSerialHandler::sigStatusMessage, this,
                [this](const QString &message) { messages << message; });
        connect(handler, &LumetraSerialHandler::sigConnectedStatus, this,
                [this](bool connected) { connectedStates << connected; });
        connect(handler, &LumetraSerialHandler::sigCommunicationOpened, this,
                [this](const QString &name) { events << "opened " + name; });
        connect(handler, &LumetraSerialHandler::sigCommunicationClosed, this,
                [this](const QString &name) { events << "closed " + name; });
        connect(handler, &LumetraSerialHandler::sigBytesTransmitted, this,
                [this](const QString &label, const QByteArray &) { labels << label; });
        connect(
            thread, &QThread::started, this,
            [this] {
                pthreadId = pthread_self();
                threadStarted = true;
            },
            Qt::DirectConnection);
        thread->start();
    }
    ~LinkUnderTest() override
    {
        thread->quit();
        thread->wait(2000);
    }

    void open(const QString &name) { invoke("slotOpenCommunication", Q_ARG(QString, name)); }
    void close() { QMetaObject::invokeMethod(handler, "slotCloseCommunication"); }
    void addMonitor(const QString &command) { invoke("slotAddMonitorCommand", Q_ARG(QString, command)); }
    void delMonitor(const QString &command) { invoke("slotDelMonitorCommand", Q_ARG(QString, command)); }
    void appendSettings(const QString &command)
    {
        invoke("slotAppendSettingsCommand", Q_ARG(QString, command));
    }
    void discardQueued() { QMetaObject::invokeMethod(handler, "slotDiscardQueuedCommands"); }

    bool isConnected() const { return !connectedStates.isEmpty() && connectedStates.last(); }

    // CPU time the worker thread has used so far.
    double threadCpuSeconds() const
    {
        clockid_t clock;
        if (pthread_getcpuclockid(pthreadId, &clock) != 0)
            return -1;
        timespec ts;
        clock_gettime(clock, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
    }

    QPointer<LumetraSerialHandler> handler;
    QThread *thread = nullptr;
    QList<QByteArray> received;
    QStringList messages;
    QList<bool> connectedStates;
    QStringList events;
    QStringList labels;
    pthread_t pthreadId{};
    std::atomic<bool> threadStarted{false};

private:
    template <typename Arg> void invoke(const char *slot, Arg arg)
    {
        QMetaObject::invokeMethod(handler, slot, arg);
    }
};

class tst_LumetraSerialHandler : public QObject
{
    Q_OBJECT

private slots:
    void trafficLabel_data();
    void trafficLabel();
    void connectsAndPolls();
    void secondOpenClosesFirst();
    void closeWithoutPortTouchesNothing();
    void peerHangUpClosesQuietly_data();
    void peerHangUpClosesQuietly();
    void floodLeavesReceiverAnswering();
};

void tst_LumetraSerialHandler::trafficLabel_data()
{
    QTest::addColumn<int>("offset");
    QTest::newRow("UTC") << 0;
    QTest::newRow("one hour west") << -3600;
    QTest::newRow("five and a half hours east") << 19800;
    QTest::newRow("five hours 45 minutes east") << 20700;
}

// Labels are built without asking for the local time; they must read as the local time would.
void tst_LumetraSerialHandler::trafficLabel()
{
    QFETCH(int, offset);
    const qint64 start = QDateTime(QDate(2026, 3, 29), QTime(0, 59, 58), Qt::UTC).toMSecsSinceEpoch();
    for (qint64 ms = start; ms < start + 125000; ms += 997) {
        const QString expected =
            QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset).toString(QStringLiteral("ss-zzz"));
        QCOMPARE(LumetraSerialHandler::trafficLabel("ttyS0", QLatin1Char(':'), ms, offset),
                 "ttyS0:" + expected);
    }
    QCOMPARE(LumetraSerialHandler::trafficLabel("COM3", QLatin1Char('_'), start + 5, offset).left(5),
             QString("COM3_"));
}

// The whole exchange over a real pseudo-terminal: handshake, the first cycle, a settings command,
// the next cycles, and labels as the serial monitor shows them.
void tst_LumetraSerialHandler::connectsAndPolls()
{
    PtyLaser laser;
    LinkUnderTest link;
    link.appendSettings("forgotten");
    link.discardQueued();
    link.addMonitor("A");
    link.addMonitor("B\n");
    link.addMonitor("C");
    bool settingsQueued = false;
    connect(&laser, &PtyLaser::commandReceived, this, [&](const QByteArray &command) {
        if (command == "A\n" && !settingsQueued) {
            settingsQueued = true;
            link.appendSettings("S");
        }
    });
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(laser.commands.size() >= 12, 8000);
    laser.setResponder(nullptr);
    QCOMPARE(laser.commands.mid(0, 12), (QList<QByteArray>{Ident, Status, "A\n", "B\n", "C\n", "S\n", "A\n",
                                                           "B\n", "C\n", "A\n", "B\n", "C\n"}));
    QTest::qWait(100);
    QCOMPARE(link.received, laser.written);
    QCOMPARE(link.connectedStates, (QList<bool>{false, true}));
    QCOMPARE(link.messages.first(),
             QString("Dropped 1 command(s) given while the laser was not connected: forgotten"));
    // Traffic labels are "<port>:ss-zzz".
    QVERIFY(!link.labels.isEmpty());
    QVERIFY(QRegExp(QRegExp::escape(portNameOf(laser.portName())) + ":\\d\\d-\\d\\d\\d")
                .exactMatch(link.labels.first()));
}

void tst_LumetraSerialHandler::secondOpenClosesFirst()
{
    PtyLaser first;
    PtyLaser second;
    LinkUnderTest link;
    link.open(first.portName());
    QTRY_COMPARE(link.events.size(), 1);
    link.open(second.portName());
    QTRY_COMPARE(link.events.size(), 3);

    const QString a = portNameOf(first.portName());
    const QString b = portNameOf(second.portName());
    QCOMPARE(link.events, (QStringList{"opened " + a, "closed " + a, "opened " + b}));
    QCOMPARE(link.messages,
             (QStringList{QString("Communication port %1 successfully opened.").arg(first.portName()),
                          QString("Communication port %1 closed.").arg(a),
                          QString("Communication port %1 successfully opened.").arg(second.portName())}));
}

void tst_LumetraSerialHandler::closeWithoutPortTouchesNothing()
{
    PtyLaser laser;
    LinkUnderTest link;
    link.close();
    link.close();
    QTest::qWait(50);
    QVERIFY(link.events.isEmpty());
    QVERIFY(link.messages.isEmpty());

    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.isConnected(), 5000);
    QCOMPARE(link.connectedStates, (QList<bool>{false, true}));
}

void tst_LumetraSerialHandler::peerHangUpClosesQuietly_data()
{
    QTest::addColumn<bool>("linkIsOnlyUser");
    QTest::newRow("slave also held by the peer") << false;
    QTest::newRow("slave held by the link alone") << true;
}

void tst_LumetraSerialHandler::peerHangUpClosesQuietly()
{
    QFETCH(bool, linkIsOnlyUser);
    PtyLaser laser;
    LinkUnderTest link;
    link.addMonitor("A");
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.isConnected(), 5000);
    if (linkIsOnlyUser)
        laser.releaseSlave();
    QTRY_VERIFY(laser.commands.size() >= 4);
    QVERIFY(link.threadStarted);

    const int messagesBefore = link.messages.size();
    laser.hangUp();
    const QString name = portNameOf(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.events.contains("closed " + name), 1000);

    // After the close the worker thread only turns its 10 ms loop: it must not spin on the dead port.
    const double cpuBefore = link.threadCpuSeconds();
    QTest::qWait(500);
    const double cpuUsed = link.threadCpuSeconds() - cpuBefore;
    QVERIFY2(cpuUsed < 0.25, qPrintable(QString("worker used %1 s of CPU in 0.5 s").arg(cpuUsed)));

    // No flood: each error text at most once (the kernel may report a read error, a resource error or
    // both), then the close message.
    const QStringList after = link.messages.mid(messagesBefore);
    QStringList distinct = after;
    distinct.removeDuplicates();
    QVERIFY2(distinct == after && after.size() <= 3, qPrintable(after.join(" | ")));
    QCOMPARE(after.last(), QString("Communication port %1 closed.").arg(name));
}

// A peer that sends lines far faster than the receiving thread handles them (a pseudo-terminal or
// an adapter does not keep to the baud rate) must not bury that thread's event queue: a probe posted
// to it is handled after a bounded number of lines, and the link reads on once the flood is over.
void tst_LumetraSerialHandler::floodLeavesReceiverAnswering()
{
    PtyLaser laser;
    laser.setResponder(nullptr);
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_COMPARE(link.events.size(), 1);

    // A receiver slower than the link, as the window is. It works rather than sleeps: on a loaded
    // machine every sleep would cost a wait for the processor.
    int handled = 0;
    quint32 work = 0;
    connect(link.handler, &LumetraSerialHandler::sigLineReceived, this, [&](const QByteArray &line) {
        ++handled;
        for (int i = 0; i < 200; ++i)
            work = qChecksum(line.constData(), uint(line.size())) + work * 31;
    });

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        QByteArray chunk;
        for (int i = 0; i < 200; ++i)
            chunk += "ZOR flood line " + QByteArray::number(i) + "\n";
        // The link stops reading while the receiver is behind: the writer must not wait for it.
        while (!stop) {
            if (laser.writeNow(chunk) <= 0)
                QThread::msleep(1);
        }
    });

    // Each probe counts the lines handled between posting it and its turn: the lines that were
    // queued ahead of it.
    int deepest = 0;
    for (int probe = 0; probe < 30 || handled < 3 * LumetraSerialHandler::MaxLinesInFlight; ++probe) {
        const int before = handled;
        int ahead = -1;
        QMetaObject::invokeMethod(
            this, [&] { ahead = handled - before; }, Qt::QueuedConnection);
        while (ahead < 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        deepest = qMax(deepest, ahead);
    }
    stop = true;
    writer.join();

    QVERIFY2(deepest <= LumetraSerialHandler::MaxLinesInFlight + LumetraSerialHandler::ReadPieceSize / 2,
             qPrintable(QString("%1 lines were queued ahead of a probe").arg(deepest)));

    // Whatever was held back is read once the receiver has caught up. The writer may have left a
    // line unfinished, and the terminal may still be full: this thread must go on answering meanwhile.
    QByteArray end("\nEND\n");
    for (int attempt = 0; !end.isEmpty() && attempt < 10000; ++attempt) {
        const qint64 taken = laser.writeNow(end);
        if (taken > 0)
            end.remove(0, int(taken));
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QVERIFY(end.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!link.received.isEmpty() && link.received.last() == "END\n", 30000);
    QCOMPARE(link.events.size(), 1);
    QVERIFY(work != 1); // keeps the work from being optimised away
}

QTEST_GUILESS_MAIN(tst_LumetraSerialHandler)
#include "tst_LumetraSerialHandler.moc"
