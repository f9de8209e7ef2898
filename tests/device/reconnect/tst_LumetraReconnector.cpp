#include "InProcessLaser.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraSerialHandler.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using State = LumetraReconnector::State;

namespace {
constexpr int stepTimeoutMs = 20000;
const QString identQuery = QStringLiteral("ly_system_info\\n");
} // namespace

// The real link with the reconnector beside it, as a program without a window would have them, and the
// simulated laser behind a port that can vanish and come back. Link and laser run in this process on the
// test's clock; the system's port list is the test's, which lists the laser's port while it is there.
class TestLumetraReconnector : public QObject
{
    Q_OBJECT

private:
    // Outlives the links made on it.
    LumetraManualClock testClock;
    std::unique_ptr<InProcessLaser> laser;
    // The laser behind the port name now; two may take turns behind it.
    InProcessLaser *behindPort = nullptr;
    QList<LumetraReconnector::PortEntry> listed;
    // When a hung-up laser's port comes back, on the test's clock; negative for never.
    qint64 comebackAt = -1;
    LumetraSerialHandler *link = nullptr;
    std::unique_ptr<LumetraReconnector> reconnector;
    QList<State> states;
    QStringList log;
    QStringList linkMessages;
    int opens = 0;

    void operatorOpen(const QString &port)
    {
        reconnector->slotOpenRequested(port);
        QMetaObject::invokeMethod(link, "slotOpenCommunication", Qt::QueuedConnection, Q_ARG(QString, port));
    }
    void operatorClose()
    {
        reconnector->slotCloseRequested();
        QMetaObject::invokeMethod(link, "slotCloseCommunication", Qt::QueuedConnection);
    }
    void queueSetting(const QString &command)
    {
        QMetaObject::invokeMethod(link, "slotAppendSettingsCommand", Qt::QueuedConnection,
                                  Q_ARG(QString, command));
    }
    bool startLaser(InProcessLaser &which, const QStringList &options)
    {
        if (!which.start(options, &testClock))
            return false;
        behindPort = &which;
        listed = {{which.port, QString(), 0, 0}};
        return true;
    }
    // The port goes away; it comes back after the given milliseconds, never when negative.
    void hangUp(InProcessLaser &which, qint64 comebackMs)
    {
        which.hangUp();
        listed.clear();
        comebackAt = comebackMs < 0 ? -1 : testClock.nowMs() + comebackMs;
    }
    // Moves the time on a main-loop turn at a time, the watch looking every 100 ms, until `done` holds;
    // for at most `ms`.
    bool runUntil(const std::function<bool()> &done, qint64 ms)
    {
        const qint64 step = LumetraLinkEngine::MainLoopIntervalMs;
        QCoreApplication::processEvents();
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += step) {
            testClock.advance(step);
            if (comebackAt >= 0 && testClock.nowMs() >= comebackAt) {
                comebackAt = -1;
                behindPort->comeBack();
                listed = {{behindPort->port, QString(), 0, 0}};
            }
            behindPort->simulator->catchUp();
            QCoreApplication::processEvents();
            if (testClock.nowMs() % 100 == 0)
                QMetaObject::invokeMethod(reconnector.get(), "watchTick");
        }
        return done();
    }
    void runFor(qint64 ms)
    {
        runUntil([] { return false; }, ms);
    }
    bool reaches(State state)
    {
        return runUntil([this, state] { return reconnector->state() == state; }, stepTimeoutMs);
    }
    void connectToLaser()
    {
        laser.reset(new InProcessLaser);
        QVERIFY(startLaser(*laser, {}));
        operatorOpen(laser->port);
        QVERIFY(reaches(State::Connected));
        QCOMPARE(reconnector->systemType(), QStringLiteral("Lumetra-10"));
        QCOMPARE(reconnector->serialNumber(), QStringLiteral("LQZ10-2611-0042"));
    }

private slots:
    void init()
    {
        link = new LumetraSerialHandler(testClock);
        link->setTransportFactory([this](const QString &name, QObject *parent) {
            LumetraPipeTransport *end =
                behindPort && name == behindPort->port ? behindPort->takeLinkEnd() : nullptr;
            if (!end)
                return new LumetraPipeTransport(parent);
            end->moveToThread(parent->thread());
            end->setParent(parent);
            return end;
        });
        connect(link, &LumetraSerialHandler::sigStatusMessage, this,
                [this](const QString &message) { linkMessages << message; });
        connect(link, &LumetraSerialHandler::sigCommunicationOpened, this, [this] { ++opens; });
        reconnector.reset(new LumetraReconnector);
        // Its looks come from runUntil(), on the test's clock.
        reconnector->setWatchInterval(std::numeric_limits<int>::max());
        reconnector->setPortLister([this] { return listed; });
        reconnector->attach(link);
        connect(reconnector.get(), &LumetraReconnector::stateChanged, this, [this](State s) { states << s; });
        connect(reconnector.get(), &LumetraReconnector::logLine, this,
                [this](const QString &l) { log << l; });
        states.clear();
        log.clear();
        linkMessages.clear();
        opens = 0;
        comebackAt = -1;
        QMetaObject::invokeMethod(link, "slotMainLoop");
    }

    void cleanup()
    {
        reconnector.reset();
        delete link;
        link = nullptr;
        behindPort = nullptr;
        laser.reset();
    }

    // The same laser after a hang-up: reopened, identified again, and what was queued while the port
    // was gone never reaches it.
    void sameLaserReturns()
    {
        connectToLaser();
        hangUp(*laser, 2000);
        QVERIFY(reaches(State::Lost));
        queueSetting(QStringLiteral("ly_lqz2_standby"));
        QVERIFY(reaches(State::Connected));

        const QList<State> expected{State::Waiting, State::Handshake, State::Connected, State::Lost,
                                    State::Waiting, State::Handshake, State::Connected};
        QCOMPARE(states, expected);
        QCOMPARE(opens, 2);
        QCOMPARE(laser->receivedCount(identQuery), 2);
        // Settings go out between rounds of the poll list, which the controller rebuilds after a reopen;
        // two full rounds give the dropped command every chance to slip out.
        QMetaObject::invokeMethod(link, "slotAddMonitorCommand", Qt::QueuedConnection, Q_ARG(QString, "s9"));
        QVERIFY(
            runUntil([this] { return laser->receivedCount(QStringLiteral("s9\\n")) >= 3; }, stepTimeoutMs));
        QCOMPARE(laser->receivedCount(QStringLiteral("ly_lqz2_standby\\n")), 0);
        QVERIFY2(linkMessages.filter(QStringLiteral("ly_lqz2_standby")).size() == 1,
                 qPrintable(linkMessages.join('\n')));
        QCOMPARE(log.size(), expected.size());
        QVERIFY2(log.at(3).startsWith(QStringLiteral("Connection to %1 lost at ").arg(laser->port)),
                 qPrintable(log.at(3)));
        QCOMPARE(log.last(),
                 QStringLiteral("Connected again to %1 (Lumetra-10 LQZ10-2611-0042).").arg(laser->port));
    }

    // Another laser behind the same port name: the link is closed again and stays closed.
    void otherLaserReturns_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("serial");
        QTest::newRow("other serial number")
            << QStringList{"--serial-number", "LQZ10-2611-0099"} << "Lumetra-10"
            << "LQZ10-2611-0099";
        QTest::newRow("other system") << QStringList{"--system", "Lumetra-3"} << "Lumetra-3"
                                      << "";
    }
    void otherLaserReturns()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, type);
        QFETCH(QString, serial);
        connectToLaser();
        hangUp(*laser, -1);
        QVERIFY(reaches(State::Lost));

        InProcessLaser other;
        QVERIFY(startLaser(other, options));
        QCOMPARE(other.port, laser->port);
        QVERIFY(reaches(State::OtherLaser));
        QCOMPARE(reconnector->foundSystemType(), type);
        // A different system type is enough: the check need not wait for the serial number.
        QCOMPARE(reconnector->foundSerialNumber(), serial);
        const QList<State> expected{State::Waiting, State::Handshake, State::Connected, State::Lost,
                                    State::Waiting, State::Handshake, State::OtherLaser};
        QCOMPARE(states, expected);
        QVERIFY(linkMessages.last().endsWith(QStringLiteral("closed.")));
        // Several watch intervals later the port is still there, and still left alone.
        runFor(1000);
        QCOMPARE(reconnector->state(), State::OtherLaser);
        QCOMPARE(other.receivedCount(identQuery), 1);
        QCOMPARE(opens, 2);
        behindPort = laser.get();
    }

    // The operator asks for the port again, as the Connect menu does, or closes and opens it, as the
    // device server's Reconnect does. While the port is gone the failed open leaves the watch going;
    // on a working link the close asked for is no loss.
    void reconnect_data()
    {
        QTest::addColumn<bool>("outage");
        QTest::addColumn<bool>("closeFirst");
        QTest::addColumn<State>("between");
        QTest::newRow("open during outage") << true << false << State::Lost;
        QTest::newRow("close and open during outage") << true << true << State::Lost;
        QTest::newRow("close and open while connected") << false << true << State::Closed;
    }
    void reconnect()
    {
        QFETCH(bool, outage);
        QFETCH(bool, closeFirst);
        QFETCH(State, between);
        connectToLaser();
        if (outage) {
            hangUp(*laser, 5000);
            QVERIFY(reaches(State::Lost));
            QVERIFY(listed.isEmpty());
        }
        if (closeFirst)
            operatorClose();
        operatorOpen(laser->port);
        if (outage) {
            const QString stillWaiting =
                QStringLiteral("%1 is not back yet; still waiting for it to return.").arg(laser->port);
            QVERIFY(runUntil([&] { return log.last() == stillWaiting; }, stepTimeoutMs));
            QCOMPARE(reconnector->state(), State::Lost);
        }
        QVERIFY(runUntil([this] { return opens == 2; }, stepTimeoutMs));
        QVERIFY(reaches(State::Connected));
        const QList<State> expected{State::Waiting, State::Handshake, State::Connected, between,
                                    State::Waiting, State::Handshake, State::Connected};
        QCOMPARE(states, expected);
    }

    // Neither the operator's close nor a cancelled wait leads to a reopen when the port is there.
    void noReopen_data()
    {
        QTest::addColumn<bool>("cancelWhileLost");
        QTest::newRow("operator close") << false;
        QTest::newRow("cancel while lost") << true;
    }
    void noReopen()
    {
        QFETCH(bool, cancelWhileLost);
        connectToLaser();
        if (cancelWhileLost) {
            hangUp(*laser, 1000);
            QVERIFY(reaches(State::Lost));
            reconnector->cancel();
        } else {
            operatorClose();
        }
        QVERIFY(reaches(State::Closed));
        QVERIFY(runUntil([this] { return !listed.isEmpty(); }, stepTimeoutMs));
        runFor(1000);
        QCOMPARE(reconnector->state(), State::Closed);
        QCOMPARE(opens, 1);
        QCOMPARE(laser->receivedCount(identQuery), 1);
    }

    // An adapter back under another device name is found by its USB serial number and ids; the laser
    // behind it must still be the one that was lost. Link and lasers run in this process on the test
    // clock, and the system's port list is the test's.
    void adapterBackUnderAnotherName_data()
    {
        QTest::addColumn<QString>("adapterSerial");
        QTest::addColumn<QString>("laserSerial");
        QTest::addColumn<State>("outcome");
        QTest::newRow("same adapter, same laser") << "FT4711AB"
                                                  << "LQZ10-2611-0042" << State::Connected;
        QTest::newRow("same adapter, other laser") << "FT4711AB"
                                                   << "LQZ10-2611-0099" << State::OtherLaser;
        QTest::newRow("other adapter") << "FT0815CD"
                                       << "LQZ10-2611-0042" << State::Lost;
    }
    void adapterBackUnderAnotherName()
    {
        QFETCH(QString, adapterSerial);
        QFETCH(QString, laserSerial);
        QFETCH(State, outcome);
        const QString oldName = QStringLiteral("/dev/ttyUSB0");
        const QString newName = QStringLiteral("/dev/ttyUSB1");
        InProcessLaser first;
        InProcessLaser second;
        QVERIFY(first.start({}, &testClock));
        QVERIFY(second.start({"--serial-number", laserSerial}, &testClock));
        QList<LumetraReconnector::PortEntry> adapterPorts{{oldName, "FT4711AB", 0x0403, 0x6001}};

        LumetraSerialHandler inProcessLink(testClock);
        inProcessLink.setTransportFactory([&](const QString &name, QObject *parent) {
            LumetraPipeTransport *end = name == oldName   ? first.takeLinkEnd()
                                        : name == newName ? second.takeLinkEnd()
                                                          : nullptr;
            if (!end)
                return new LumetraPipeTransport(parent);
            end->moveToThread(parent->thread());
            end->setParent(parent);
            return end;
        });
        LumetraReconnector watch;
        watch.setPortLister([&] { return adapterPorts; });
        watch.attach(&inProcessLink);
        QMetaObject::invokeMethod(&inProcessLink, "slotMainLoop");
        const auto runUntil = [&](State state) {
            for (int turn = 0; turn < 1000 && watch.state() != state; ++turn) {
                testClock.advance(LumetraLinkEngine::MainLoopIntervalMs);
                first.simulator->catchUp();
                second.simulator->catchUp();
                QCoreApplication::processEvents();
                if (turn % 10 == 0)
                    QMetaObject::invokeMethod(&watch, "watchTick");
            }
            return watch.state() == state;
        };
        watch.slotOpenRequested(oldName);
        inProcessLink.slotOpenCommunication(oldName);
        QVERIFY(runUntil(State::Connected));

        first.control("hangup forever");
        adapterPorts = {{newName, adapterSerial, 0x0403, 0x6001}};
        QVERIFY(runUntil(State::Lost));
        // Where the adapter is another one, the watch goes on for the whole while.
        runUntil(outcome == State::Lost ? State::Closed : outcome);
        QCOMPARE(watch.state(), outcome);
        QCOMPARE(second.received(identQuery), outcome != State::Lost);
        QCOMPARE(watch.portName(), outcome == State::Lost ? oldName : newName);
    }
};

QTEST_GUILESS_MAIN(TestLumetraReconnector)
#include "tst_LumetraReconnector.moc"
