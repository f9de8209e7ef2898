#include "device/LumetraController.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraSerialHandler.h"
#include "record/LumetraControllerTap.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecorder.h"
#include "sim/SimControl.h"
#include "sim/SimLaser.h"
#include "sim/Simulator.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <memory>

namespace {

// The link on a worker thread of its own, as in the program; the thread stops however the test ends.
struct LinkThread
{
    QThread thread;
    LumetraSerialHandler *link = new LumetraSerialHandler;

    LinkThread()
    {
        link->moveToThread(&thread);
        QObject::connect(&thread, SIGNAL(started()), link, SLOT(slotMainLoop()));
        QObject::connect(&thread, &QThread::finished, link, &QObject::deleteLater);
    }
    ~LinkThread()
    {
        thread.quit();
        thread.wait(5000);
    }
    void start() { thread.start(); }
};

} // namespace

// The recorder behind the real link on its worker thread, talking to the simulated laser: a humidity
// the operator of the simulator sets shows up as a recorded reading and as a humidity-fault alarm.
class tst_RecorderOnSim : public QObject
{
    Q_OBJECT

private slots:
    void humidityReadingAndAlarm()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SimOptions options;
        options.identity.moduleType = "0x90";
        options.fast = true;
        options.linkDirectory = dir.path();
        options.name = "record-e2e";
        Simulator simulator(options);
        QString error;
        QVERIFY2(simulator.start(&error), qPrintable(error));
        SimControl control(&simulator);

        LinkThread thread;
        LumetraSerialHandler *link = thread.link;
        LumetraRecorder recorder(dir.path() + "/recordings");
        recorder.setFlushIntervalMs(100);
        recorder.attachLinkAndDecode(link);
        LumetraController controller(link);
        LumetraControllerTap::attach(&recorder, &controller);
        thread.start();
        QMetaObject::invokeMethod(&controller, "slotMainLoop", Qt::QueuedConnection);
        QMetaObject::invokeMethod(link, "slotOpenCommunication", Q_ARG(QString, simulator.portPath()));
        for (const char *query : {"ls?", "ls_humidity?", "ls_status?"})
            QMetaObject::invokeMethod(link, "slotAddMonitorCommand",
                                      Q_ARG(QString, QString::fromLatin1(query)));

        // Within the quantity's band: the simulated humidity wanders a little around what it was set to.
        const auto recorded = [&](const char *key, double value) {
            const int q = LumetraRecordQuantities::indexOf(key);
            for (const RecordSample &s : recorder.store().samples(q, 0, recorder.now()))
                if (s.value == value || std::fabs(s.value - value) < LumetraRecordQuantities::deadband(q))
                    return true;
            return false;
        };
        const auto humidityAlarm = [&] {
            for (const RecordEvent &e : recorder.store().activeAlarms())
                if (e.alarmKey == "hg.humidity_fault")
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(recorder.store().isOpen(), 20000);
        QVERIFY(!humidityAlarm());
        QVERIFY(control.execute("set humidity 61").startsWith("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(recorded("hg.humidity", 61) && humidityAlarm(), 20000);
        // The controller's lamp for the same fault, recorded as a derived state.
        QTRY_VERIFY_WITH_TIMEOUT(recorded("ctl.humidity_fault", 1), 5000);

        // A laser that stops answering is not a laser that went dark: what it reported last stays the
        // last recorded value, and nothing the program resets on the loss is stored as a reading.
        QVERIFY(control.execute("silence 30").startsWith("ok"));
        const auto lost = [&] {
            for (const RecordEvent &e : recorder.store().events(0, recorder.now(), false))
                if (e.text == "Connection to the laser lost")
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lost(), 20000);
        QTest::qWait(300); // two more flushes
        const auto last = [&](const char *key) {
            const QVector<RecordSample> all =
                recorder.store().samples(LumetraRecordQuantities::indexOf(key), 0, recorder.now());
            return all.isEmpty() ? -1.0 : all.last().value;
        };
        // Where the simulated humidity had wandered to from the 61 % set (read in whole percent), not a
        // value reset on the loss.
        const double band =
            LumetraRecordQuantities::deadband(LumetraRecordQuantities::indexOf("hg.humidity"));
        QVERIFY2(std::fabs(last("hg.humidity") - 61.0) < band,
                 qPrintable(QString::number(last("hg.humidity"))));
        QCOMPARE(last("ctl.humidity_fault"), 1.0);
        QCOMPARE(last("ctl.power_on"), 1.0);

        // The connection's story comes first, in order.
        QStringList texts;
        for (const RecordEvent &e : recorder.store().events(0, recorder.now(), false))
            texts.prepend(e.text);
        QCOMPARE(texts.mid(0, 2),
                 (QStringList{"Port " + simulator.portPath() + " opened",
                              "Identified laser " + simulator.laser()->identity().serialNumber}));
    }

    // One run as an operator lives it, read back from the first laser's file: emission on, the cable
    // pulled and put back, a command typed while it was out, a close, and another laser where the first
    // was expected. Each event once, with its true cause and level, in order.
    void eventHistoryOfOneRun()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SimOptions options;
        options.fast = true;
        options.linkDirectory = dir.path();
        options.name = "history-e2e";
        auto simulator = std::make_unique<Simulator>(options);
        QString error;
        QVERIFY2(simulator->start(&error), qPrintable(error));
        const QString port = simulator->portPath();
        const QString serial = simulator->laser()->identity().serialNumber;

        LinkThread thread;
        LumetraSerialHandler *link = thread.link;
        // As the window wires them: the watch on the link first, then the recorder that asks it.
        LumetraReconnector watch;
        watch.setWatchInterval(100);
        watch.attach(link);
        LumetraRecorder recorder(dir.path() + "/recordings");
        recorder.setFlushIntervalMs(100);
        recorder.attachLinkAndDecode(link);
        recorder.followConnection(&watch);
        // The status byte polled on every connection, as the panel's controller does.
        connect(link, &LumetraSerialHandler::sigCommunicationOpened, link,
                [link] { link->slotAddMonitorCommand(QStringLiteral("s9")); });
        thread.start();
        const auto open = [&] {
            watch.slotOpenRequested(port);
            QMetaObject::invokeMethod(link, "slotOpenCommunication", Q_ARG(QString, port));
        };
        open();
        QTRY_COMPARE_WITH_TIMEOUT(watch.state(), LumetraReconnector::State::Connected, 20000);

        // Each step waits for the line it adds, so that the next cannot overtake it.
        QStringList history;
        const auto fileHistory = [&] {
            LumetraRecordStore file("history-e2e-reader");
            history.clear();
            if (file.open(LumetraRecordStore::fileForLaser(recorder.folder(), serial), nullptr, true) !=
                LumetraRecordStore::OpenResult::Opened)
                return false;
            static const QRegularExpression clock("\\d\\d:\\d\\d:\\d\\d");
            for (const RecordEvent &e : file.events(0, std::numeric_limits<qint64>::max(), false))
                history.prepend(QString::number(e.severity) + " " +
                                QString(e.text).replace(clock, "hh:mm:ss"));
            return true;
        };
        const auto recorded = [&](const QString &line) {
            return fileHistory() && history.contains(line);
        };
        const auto count = [&](const QString &line) {
            return fileHistory() ? history.count(line) : -1;
        };
        const QString emitting = "0 State: On, output enabled";
        QTRY_VERIFY_WITH_TIMEOUT(recorded("0 State: Listen"), 20000);
        QVERIFY(simulator->laser() && SimControl(simulator.get()).execute("set state on").startsWith("ok"));
        QVERIFY(SimControl(simulator.get()).execute("set output 1").startsWith("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(recorded(emitting), 20000);

        simulator->hangUp(1);
        QTRY_COMPARE_WITH_TIMEOUT(watch.state(), LumetraReconnector::State::Lost, 20000);
        // Typed in the serial monitor while the port is gone: no controller takes it, the wire never
        // sees it. A command the panel had queued is discarded when the port returns.
        recorder.recordManualCommand("ly_lqz2_standby\n");
        QMetaObject::invokeMethod(link, "slotAppendSettingsCommand",
                                  Q_ARG(QString, QStringLiteral("e_power=600")));
        QTRY_COMPARE_WITH_TIMEOUT(watch.state(), LumetraReconnector::State::Connected, 20000);
        QTRY_VERIFY2_WITH_TIMEOUT(count(emitting) == 2, qPrintable(history.join("\n")), 20000);

        // The operator closes, as Quit does, and opens again.
        watch.slotCloseRequested();
        QMetaObject::invokeMethod(link, "slotCloseCommunication");
        QTRY_COMPARE_WITH_TIMEOUT(watch.state(), LumetraReconnector::State::Closed, 20000);
        open();
        QTRY_VERIFY2_WITH_TIMEOUT(count(emitting) == 3, qPrintable(history.join("\n")), 20000);

        // Unplugged for good; another laser appears where it was.
        simulator->hangUp(-1);
        QTRY_COMPARE_WITH_TIMEOUT(watch.state(), LumetraReconnector::State::Lost, 20000);
        simulator.reset();
        options.identity.serialNumber = "LQZ10-2611-0099";
        Simulator other(options);
        QVERIFY2(other.start(&error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(watch.state(), LumetraReconnector::State::OtherLaser, 20000);
        QTRY_VERIFY2_WITH_TIMEOUT(recorded("1 Another laser answered on " + port +
                                           ": Lumetra-10 LQZ10-2611-0099. The connection stays closed."),
                                  qPrintable(history.join("\n")), 20000);

        const QString lastReport = "1 Last report hh:mm:ss: laser on, output enabled. Emission may continue";
        const QString opened = "0 Port " + port + " opened", identified = "0 Identified laser " + serial;
        const QString lost = "1 Port " + port + " lost";
        QCOMPARE(history, (QStringList{opened, identified, "0 State: Listen", emitting, lastReport, lost,
                                       "1 ly_lqz2_standby (not sent: the port is lost)",
                                       "1 e_power=600 (not sent: the laser was not connected)", opened,
                                       identified, emitting, lastReport, "0 Port " + port + " closed", opened,
                                       identified, emitting, lastReport, lost,
                                       "1 Another laser answered on " + port +
                                           ": Lumetra-10 LQZ10-2611-0099. The connection stays closed."}));
    }
};

QTEST_GUILESS_MAIN(tst_RecorderOnSim)
#include "tst_RecorderOnSim.moc"
