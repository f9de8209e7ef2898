#include "device/LumetraController.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraSerialHandler.h"
#include "record/LumetraControllerTap.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecorder.h"
#include "sim/SimLaser.h"
#include "tests/device/reconnect/InProcessLaser.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace {

// The link on a worker thread of its own, as in the program; the thread stops however the test ends.
struct LinkThread
{
    QThread thread;
    LumetraSerialHandler *link;

    explicit LinkThread(LumetraLinkClock &clock) : link(new LumetraSerialHandler(clock))
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
// Link, laser, recorder and watch run in this process on the test's clock.
class tst_RecorderOnSim : public QObject
{
    Q_OBJECT

private:
    // Outlives the links made on it.
    LumetraManualClock testClock;
    // When the test's clock started, so that the recording reads as times of today.
    const qint64 epochMs = QDateTime::currentMSecsSinceEpoch();
    // The laser behind the port name now; two may take turns behind it.
    InProcessLaser *behindPort = nullptr;
    // The end the link's next open of the port takes, made on this thread while the port is there.
    std::atomic<LumetraPipeTransport *> spareEnd{nullptr};
    // The system's serial ports as the watch sees them: the laser's port while it is there.
    QList<LumetraReconnector::PortEntry> listed;
    // When a hung-up laser's port comes back, on the test's clock; negative for never.
    qint64 comebackAt = -1;
    LumetraSerialHandler *link = nullptr;
    QObject *controllerLoop = nullptr;
    LumetraReconnector *tickedWatch = nullptr;
    LumetraRecorder *flushedRecorder = nullptr;

    bool startLaser(InProcessLaser &laser, const QStringList &options)
    {
        if (!laser.start(options, &testClock))
            return false;
        behindPort = &laser;
        listed = {{laser.port, QString(), 0, 0}};
        keepSpareEnd();
        return true;
    }
    // An end ready for the link's next open of the port, while the port is there.
    void keepSpareEnd()
    {
        if (!spareEnd.load() && behindPort->simPort->isOpen())
            spareEnd = behindPort->simPort->plugIn();
    }
    // The link on the test's clock, opening the laser behind the port by its name.
    void makeLink(LinkThread &thread)
    {
        link = thread.link;
        link->setTransportFactory([this](const QString &name, QObject *parent) {
            LumetraPipeTransport *end =
                behindPort && name == behindPort->port ? spareEnd.exchange(nullptr) : nullptr;
            if (!end)
                return new LumetraPipeTransport(parent);
            end->moveToThread(parent->thread());
            end->setParent(parent);
            return end;
        });
    }
    // The recorder on the test's clock; it writes what it holds when runUntil() says so.
    void useRecorder(LumetraRecorder &which)
    {
        flushedRecorder = &which;
        which.setClock([this] { return epochMs + testClock.nowMs(); });
        which.setFlushIntervalMs(0);
    }
    // The port goes away; it comes back after the given milliseconds, never when negative.
    void hangUp(qint64 comebackMs)
    {
        behindPort->hangUp();
        listed.clear();
        delete spareEnd.exchange(nullptr);
        comebackAt = comebackMs < 0 ? -1 : testClock.nowMs() + comebackMs;
    }
    void settle() { settleWithLink(link); }
    // Moves the time on a main-loop turn at a time until `done` holds, for at most `ms`. What turns on
    // timers of its own in the program turns here with the test's clock: the controller's loop on each
    // step, and every 100 ms the watch's look for the port and the recorder's flush.
    void runUntil(const std::function<bool()> &done, qint64 ms)
    {
        settle();
        const qint64 step = LumetraLinkEngine::MainLoopIntervalMs;
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += step) {
            testClock.advance(step);
            if (comebackAt >= 0 && testClock.nowMs() >= comebackAt) {
                comebackAt = -1;
                behindPort->comeBack();
                listed = {{behindPort->port, QString(), 0, 0}};
            }
            keepSpareEnd();
            behindPort->simulator->catchUp();
            if (controllerLoop)
                QMetaObject::invokeMethod(controllerLoop, "slotMainLoop");
            settle();
            if (testClock.nowMs() % 100 == 0) {
                if (tickedWatch)
                    QMetaObject::invokeMethod(tickedWatch, "watchTick");
                if (flushedRecorder)
                    flushedRecorder->flush();
            }
        }
    }
    void runFor(qint64 ms)
    {
        runUntil([] { return false; }, ms);
    }

private slots:
    void cleanup()
    {
        delete spareEnd.exchange(nullptr);
        behindPort = nullptr;
        link = nullptr;
        controllerLoop = nullptr;
        tickedWatch = nullptr;
        flushedRecorder = nullptr;
        comebackAt = -1;
        listed.clear();
    }

    void humidityReadingAndAlarm()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        InProcessLaser laser;
        QVERIFY(startLaser(laser, {"--module", "0x90"}));

        LinkThread thread(testClock);
        makeLink(thread);
        LumetraRecorder recorder(dir.path() + "/recordings");
        useRecorder(recorder);
        recorder.attachLinkAndDecode(link);
        LumetraController controller(link);
        controllerLoop = &controller;
        LumetraControllerTap::attach(&recorder, &controller);
        thread.start();
        QMetaObject::invokeMethod(&controller, "slotMainLoop", Qt::QueuedConnection);
        QMetaObject::invokeMethod(link, "slotOpenCommunication", Q_ARG(QString, laser.port));
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
        SIM_TRY_VERIFY(recorder.store().isOpen(), 20000);
        QVERIFY(!humidityAlarm());
        QVERIFY(laser.control("set humidity 61").startsWith("ok"));
        SIM_TRY_VERIFY(recorded("hg.humidity", 61) && humidityAlarm(), 20000);
        // The controller's lamp for the same fault, recorded as a derived state.
        SIM_TRY_VERIFY(recorded("ctl.humidity_fault", 1), 5000);

        // A laser that stops answering is not a laser that went dark: what it reported last stays the
        // last recorded value, and nothing the program resets on the loss is stored as a reading.
        QVERIFY(laser.control("silence 30").startsWith("ok"));
        const auto lost = [&] {
            for (const RecordEvent &e : recorder.store().events(0, recorder.now(), false))
                if (e.text == "Connection to the laser lost")
                    return true;
            return false;
        };
        SIM_TRY_VERIFY(lost(), 20000);
        runFor(300); // two more flushes
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
                 (QStringList{"Port " + laser.port + " opened",
                              "Identified laser " + laser.simulator->laser()->identity().serialNumber}));
    }

    // One run as an operator lives it, read back from the first laser's file: emission on, the cable
    // pulled and put back, a command typed while it was out, a close, and another laser where the first
    // was expected. Each event once, with its true cause and level, in order.
    void eventHistoryOfOneRun()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto laser = std::make_unique<InProcessLaser>();
        // The laser that appears behind the port at the end.
        InProcessLaser other;
        QVERIFY(startLaser(*laser, {}));
        const QString port = laser->port;
        const QString serial = laser->simulator->laser()->identity().serialNumber;

        LinkThread thread(testClock);
        makeLink(thread);
        // As the window wires them: the watch on the link first, then the recorder that asks it.
        LumetraReconnector watch;
        // Its looks come from runUntil(), on the test's clock.
        watch.setWatchInterval(std::numeric_limits<int>::max());
        watch.setPortLister([this] { return listed; });
        watch.attach(link);
        tickedWatch = &watch;
        LumetraRecorder recorder(dir.path() + "/recordings");
        useRecorder(recorder);
        recorder.attachLinkAndDecode(link);
        recorder.followConnection(&watch);
        // The status byte polled on every connection, as the panel's controller does.
        connect(link, &LumetraSerialHandler::sigCommunicationOpened, link,
                [this] { link->slotAddMonitorCommand(QStringLiteral("s9")); });
        thread.start();
        const auto open = [&] {
            watch.slotOpenRequested(port);
            QMetaObject::invokeMethod(link, "slotOpenCommunication", Q_ARG(QString, port));
        };
        open();
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::Connected, 20000);

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
        SIM_TRY_VERIFY(recorded("0 State: Listen"), 20000);
        QVERIFY(laser->control("set state on").startsWith("ok"));
        QVERIFY(laser->control("set output 1").startsWith("ok"));
        SIM_TRY_VERIFY(recorded(emitting), 20000);

        hangUp(1000);
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::Lost, 20000);
        // Typed in the serial monitor while the port is gone: no controller takes it, the wire never
        // sees it. A command the panel had queued is discarded when the port returns.
        recorder.recordManualCommand("ly_lqz2_standby\n");
        QMetaObject::invokeMethod(link, "slotAppendSettingsCommand",
                                  Q_ARG(QString, QStringLiteral("e_power=600")));
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::Connected, 20000);
        runUntil([&] { return count(emitting) == 2; }, 20000);
        QVERIFY2(count(emitting) == 2, qPrintable(history.join("\n")));

        // The operator closes, as Quit does, and opens again.
        watch.slotCloseRequested();
        QMetaObject::invokeMethod(link, "slotCloseCommunication");
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::Closed, 20000);
        open();
        runUntil([&] { return count(emitting) == 3; }, 20000);
        QVERIFY2(count(emitting) == 3, qPrintable(history.join("\n")));
        // The state comes with the handshake's status, a turn before the link calls itself connected.
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::Connected, 20000);

        // Unplugged for good; another laser appears where it was.
        hangUp(-1);
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::Lost, 20000);
        behindPort = nullptr;
        laser.reset();
        QVERIFY(startLaser(other, {"--serial-number", "LQZ10-2611-0099"}));
        SIM_TRY_COMPARE(watch.state(), LumetraReconnector::State::OtherLaser, 20000);
        const QString otherAnswered = "1 Another laser answered on " + port +
                                      ": Lumetra-10 LQZ10-2611-0099. The connection stays closed.";
        runUntil([&] { return recorded(otherAnswered); }, 20000);
        QVERIFY2(recorded(otherAnswered), qPrintable(history.join("\n")));

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
