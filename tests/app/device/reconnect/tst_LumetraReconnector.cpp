#include "InProcessLaser.h"
#include "SimProcess.h"
#include "app/device/LumetraReconnector.h"
#include "app/device/LumetraSerialHandler.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using State = LumetraReconnector::State;

namespace {
constexpr int stepTimeoutMs = 20000;
const QString identQuery = QStringLiteral("ly_system_info\\n");
} // namespace

// The real link on its worker thread with the reconnector beside it, as a program without a window
// would have them, and the simulated laser behind a port that can vanish and come back.
class TestLumetraReconnector : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;
    std::unique_ptr<SimProcess> laser;
    QThread *thread = nullptr;
    LumetraSerialHandler *link = nullptr;
    std::unique_ptr<LumetraReconnector> reconnector;
    // Outlives the links made on it.
    LumetraManualClock testClock;
    QList<State> states;
    QStringList log;
    QStringList linkMessages;
    int opens = 0;

    // One transcript per laser and test row: the folder lives as long as the whole test.
    QString transcriptPath(const QString &name) const
    {
        return folder.filePath(QStringLiteral("%1-%2-%3.log")
                                   .arg(QLatin1String(QTest::currentTestFunction()),
                                        QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'),
                                        name));
    }

    // The operator's own requests go to the link and to the reconnector alike.
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
    void connectToLaser()
    {
        laser.reset(new SimProcess(QStringLiteral(LUMETRA_SIM_PATH), folder.path(), transcriptPath("first")));
        QVERIFY(laser->start({}));
        operatorOpen(laser->port);
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Connected, stepTimeoutMs);
        QCOMPARE(reconnector->systemType(), QStringLiteral("Lumetra-10"));
        QCOMPARE(reconnector->serialNumber(), QStringLiteral("LQZ10-2611-0042"));
    }

private slots:
    void init()
    {
        QVERIFY(folder.isValid());
        thread = new QThread;
        link = new LumetraSerialHandler;
        link->moveToThread(thread);
        connect(thread, SIGNAL(started()), link, SLOT(slotMainLoop()));
        connect(thread, &QThread::finished, link, &QObject::deleteLater);
        connect(link, &LumetraSerialHandler::sigStatusMessage, this,
                [this](const QString &message) { linkMessages << message; });
        connect(link, &LumetraSerialHandler::sigCommunicationOpened, this, [this] { ++opens; });
        reconnector.reset(new LumetraReconnector);
        reconnector->setWatchInterval(100);
        reconnector->attach(link);
        connect(reconnector.get(), &LumetraReconnector::stateChanged, this, [this](State s) { states << s; });
        connect(reconnector.get(), &LumetraReconnector::logLine, this,
                [this](const QString &l) { log << l; });
        states.clear();
        log.clear();
        linkMessages.clear();
        opens = 0;
        thread->start();
    }

    void cleanup()
    {
        reconnector.reset();
        thread->quit();
        thread->wait(5000);
        delete thread;
        laser.reset();
    }

    // The same laser after a hang-up: reopened, identified again, and what was queued while the port
    // was gone never reaches it.
    void sameLaserReturns()
    {
        connectToLaser();
        laser->control("hangup 2");
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Lost, stepTimeoutMs);
        queueSetting(QStringLiteral("ly_lqz2_standby"));
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Connected, stepTimeoutMs);

        const QList<State> expected{State::Waiting, State::Handshake, State::Connected, State::Lost,
                                    State::Waiting, State::Handshake, State::Connected};
        QCOMPARE(states, expected);
        QCOMPARE(opens, 2);
        QCOMPARE(laser->receivedCount(identQuery), 2);
        // Settings go out between rounds of the poll list, which the controller rebuilds after a reopen;
        // two full rounds give the dropped command every chance to slip out.
        QMetaObject::invokeMethod(link, "slotAddMonitorCommand", Qt::QueuedConnection, Q_ARG(QString, "s9"));
        QTRY_VERIFY_WITH_TIMEOUT(laser->receivedCount(QStringLiteral("s9\\n")) >= 3, stepTimeoutMs);
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
        laser->stop();
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Lost, stepTimeoutMs);

        SimProcess other(QStringLiteral(LUMETRA_SIM_PATH), folder.path(), transcriptPath("other"));
        QVERIFY(other.start(options));
        QCOMPARE(other.port, laser->port);
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::OtherLaser, stepTimeoutMs);
        QCOMPARE(reconnector->foundSystemType(), type);
        // A different system type is enough: the check need not wait for the serial number.
        QCOMPARE(reconnector->foundSerialNumber(), serial);
        const QList<State> expected{State::Waiting, State::Handshake, State::Connected, State::Lost,
                                    State::Waiting, State::Handshake, State::OtherLaser};
        QCOMPARE(states, expected);
        QVERIFY(linkMessages.last().endsWith(QStringLiteral("closed.")));
        // Several watch intervals later the port is still there, and still left alone.
        QTest::qWait(1000);
        QCOMPARE(reconnector->state(), State::OtherLaser);
        QCOMPARE(other.receivedCount(identQuery), 1);
        QCOMPARE(opens, 2);
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
            laser->control("hangup 5");
            QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Lost, stepTimeoutMs);
            QVERIFY(!LumetraReconnector::portExists(laser->port));
        }
        if (closeFirst)
            operatorClose();
        operatorOpen(laser->port);
        if (outage) {
            const QString stillWaiting =
                QStringLiteral("%1 is not back yet; still waiting for it to return.").arg(laser->port);
            QTRY_COMPARE_WITH_TIMEOUT(log.last(), stillWaiting, stepTimeoutMs);
            QCOMPARE(reconnector->state(), State::Lost);
        }
        QTRY_COMPARE_WITH_TIMEOUT(opens, 2, stepTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Connected, stepTimeoutMs);
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
            laser->control("hangup 1");
            QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Lost, stepTimeoutMs);
            reconnector->cancel();
        } else {
            operatorClose();
        }
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Closed, stepTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(LumetraReconnector::portExists(laser->port), stepTimeoutMs);
        QTest::qWait(1000);
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
        QList<LumetraReconnector::PortEntry> listed{{oldName, "FT4711AB", 0x0403, 0x6001}};

        LumetraSerialHandler inProcessLink(testClock);
        inProcessLink.setTransportFactory([&](const QString &name, QObject *parent) {
            LumetraPipeTransport *end = name == oldName   ? first.linkEnd.data()
                                        : name == newName ? second.linkEnd.data()
                                                          : nullptr;
            if (!end)
                return new LumetraPipeTransport(parent);
            end->moveToThread(parent->thread());
            end->setParent(parent);
            return end;
        });
        LumetraReconnector watch;
        watch.setPortLister([&] { return listed; });
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
        listed = {{newName, adapterSerial, 0x0403, 0x6001}};
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
