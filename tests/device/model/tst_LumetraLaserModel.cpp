#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "tests/device/reconnect/InProcessLaser.h"

#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace LumetraQuantityTable;

namespace {

QStringList missing(const LumetraLaserModel &model, unsigned modules)
{
    QStringList keys;
    for (int id = 0; id < count(); ++id) {
        if ((row(id).modules & modules) && !model.value(id).known)
            keys << QString::fromLatin1(row(id).key);
    }
    return keys;
}

const QByteArray shutterWarning = "ZOR HG\tShutter in wrong position.\n";

QByteArray moduleLine(const char *type)
{
    return QByteArray("ZOR harmonic generation module (address: 0x21 / type: ") + type + ")\n";
}

const QByteArray moduleBlockEnd = "PCB serial number:\tPCB-4471-B\n";

} // namespace

class tst_LumetraLaserModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir settingsDir;
    // The link's time and the in-process laser's.
    LumetraManualClock clock;
    std::unique_ptr<InProcessLaser> laser;

    // Moves the time on a main-loop turn at a time until `done` holds, for at most `ms`.
    void runUntil(const std::function<bool()> &done, qint64 ms)
    {
        QCoreApplication::processEvents();
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += LumetraLinkEngine::MainLoopIntervalMs) {
            clock.advance(LumetraLinkEngine::MainLoopIntervalMs);
            laser->simulator->catchUp();
            QCoreApplication::processEvents();
        }
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QCoreApplication::setOrganizationName("LumetraTest");
        QCoreApplication::setApplicationName("tst_LumetraLaserModel");
    }

    void cleanup() { laser.reset(); }

    // Every quantity a module is said to report arrives through the real decoder, and the module is
    // recognised as the one that answers; when the link ends the values stay, no longer valid.
    void everyRowFromAPollCycle_data()
    {
        QTest::addColumn<QString>("moduleType");
        QTest::addColumn<unsigned>("module");
        QTest::newRow("SHG 0x86") << "0x86" << unsigned(Shg);
        QTest::newRow("THG 0x8d") << "0x8d" << unsigned(Thg);
        QTest::newRow("THGi 0x93") << "0x93" << unsigned(Thgi);
    }

    void everyRowFromAPollCycle()
    {
        QFETCH(QString, moduleType);
        QFETCH(unsigned, module);

        laser.reset(new InProcessLaser);
        QVERIFY(laser->start({"--module", moduleType}, &clock));
        LumetraSerialHandler handler(clock);
        handler.setTransportFactory([this](const QString &, QObject *parent) {
            LumetraPipeTransport *end = laser->takeLinkEnd();
            if (!end)
                return new LumetraPipeTransport(parent);
            end->moveToThread(parent->thread());
            end->setParent(parent);
            return end;
        });
        LumetraController controller(&handler);
        LumetraLaserModel model;
        model.setClock([this] { return clock.nowMs(); });
        model.attach(&controller);
        connect(&handler, &LumetraSerialHandler::sigConnectedStatus, &model, &LumetraLaserModel::setLinkLive);
        QMetaObject::invokeMethod(&handler, "slotMainLoop");
        QMetaObject::invokeMethod(&controller, "slotMainLoop", Qt::QueuedConnection);
        QMetaObject::invokeMethod(&handler, "slotOpenCommunication", Qt::QueuedConnection,
                                  Q_ARG(QString, laser->port));
        // The module's warning comes only while its cause lasts.
        laser->control("shutter on");

        const unsigned expected = Base | module;
        // The system state comes only with the answer to a change of state, as the operator makes one.
        SIM_TRY_VERIFY(model.isValid(StatusByte), 10000);
        controller.standbyChanged(true);
        runUntil([&] { return missing(model, expected).isEmpty() && model.modules() == expected; }, 15000);
        QVERIFY2(missing(model, expected).isEmpty(), qPrintable(missing(model, expected).join(", ")));
        QCOMPARE(model.modules(), expected);
        QVERIFY(model.isValid(EnergySetpoint));
        // In the panel's unit: the laser reports the set-point in nJ.
        QVERIFY(model.number(EnergySetpoint) > 0 && model.number(EnergySetpoint) < 1000);
        QVERIFY2(model.value(HgModuleType).text.contains(moduleType),
                 qPrintable(model.value(HgModuleType).text));

        const LumetraLaserModel::Value before = model.value(EnergySetpoint);
        QSet<int> invalidated;
        connect(&model, &LumetraLaserModel::changed, this, [&](const QSet<int> &ids) { invalidated += ids; });
        model.setLinkLive(false);
        QVERIFY(invalidated.contains(EnergySetpoint));
        QVERIFY(!model.isValid(EnergySetpoint));
        QCOMPARE(model.number(EnergySetpoint), before.number);
        QCOMPARE(model.value(EnergySetpoint).time, before.time);
    }

    // What the module says is told as often as it says it where that is news (a warning, the module
    // fitted), and the module fitted is the one reported last.
    void moduleReports_data()
    {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<int>("moduleReports");
        QTest::addColumn<unsigned>("modules");
        QTest::newRow("a warning repeated")
            << QByteArrayList{shutterWarning, "ZOR HG\tStatus flags=0000\n", shutterWarning} << 2 << 0 << 0u;
        QTest::newRow("a module reported twice")
            << QByteArrayList{moduleLine("0x86"), moduleBlockEnd, moduleBlockEnd} << 0 << 2
            << unsigned(Base | Shg);
        QTest::newRow("another module replaces it")
            << QByteArrayList{moduleLine("0x86"), moduleBlockEnd, moduleLine("0x93"), moduleBlockEnd} << 0
            << 2 << unsigned(Base | Thgi);
    }

    void moduleReports()
    {
        QFETCH(QByteArrayList, lines);
        LumetraResponseDecoder decoder;
        LumetraLaserModel model;
        model.attachDecoder(&decoder);
        int warnings = 0;
        connect(&model, &LumetraLaserModel::changed, this,
                [&](const QSet<int> &ids) { warnings += ids.contains(HgModuleWarning); });
        QSignalSpy moduleReports(&model, &LumetraLaserModel::moduleReported);
        for (const QByteArray &line : qAsConst(lines))
            decoder.slotLineReceived(line);
        QTEST(warnings, "warnings");
        QTEST(moduleReports.count(), "moduleReports");
        QTEST(model.modules(), "modules");
    }
};

QTEST_GUILESS_MAIN(tst_LumetraLaserModel)
#include "tst_LumetraLaserModel.moc"
