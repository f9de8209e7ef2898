#include "device/LumetraManualClock.h"
#include "device/LumetraPipeTransport.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraTcpTransport.h"
#include "sim/SimControl.h"
#include "sim/SimLaser.h"
#include "sim/Simulator.h"
#include "tests/device/reconnect/InProcessLaser.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

using State = LumetraReconnector::State;

namespace {
constexpr int stepTimeoutMs = 20000;

// A stream that takes its time to open, and opens or fails when the test says.
class SlowTransport : public LumetraPipeTransport
{
public:
    using LumetraPipeTransport::LumetraPipeTransport;
    bool open(const QString &portName) override
    {
        name = portName;
        return true;
    }
    bool isOpening() const override { return opening; }
    QString portName() const override { return name; }
    QString errorString() const override { return QStringLiteral("no answer"); }
    void finish(bool opened)
    {
        opening = false;
        emit openFinished(opened);
    }

private:
    QString name;
    bool opening = true;
};
const QByteArray Ident = "ly_system_info\n";
const QByteArray Status = "ly_lqz2_dev_status?\n";
} // namespace

// The link on its worker thread over a network port, with the reconnector beside it, and the
// simulated laser in this process serving its line on a loopback TCP port.
class tst_LumetraTcpLink : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;
    std::unique_ptr<Simulator> simulator;
    QThread *thread = nullptr;
    LumetraSerialHandler *link = nullptr;
    std::unique_ptr<LumetraReconnector> reconnector;
    QList<QByteArray> sent;
    QList<QByteArray> received;
    QStringList messages;
    QStringList failures;
    // Outlives the link, which is deleted on its thread's end.
    LumetraManualClock testClock;

    void startLink(const LumetraTransport::Factory &factory = {}, LumetraLinkClock *clock = nullptr)
    {
        thread = new QThread;
        link = clock ? new LumetraSerialHandler(*clock) : new LumetraSerialHandler;
        if (factory)
            link->setTransportFactory(factory);
        link->moveToThread(thread);
        connect(thread, SIGNAL(started()), link, SLOT(slotMainLoop()));
        connect(thread, &QThread::finished, link, &QObject::deleteLater);
        connect(link, &LumetraSerialHandler::sigBytesTransmitted, this,
                [this](const QString &, const QByteArray &bytes) { sent << bytes; });
        connect(link, &LumetraSerialHandler::sigLineReceived, this,
                [this](const QByteArray &line) { received << line; });
        connect(link, &LumetraSerialHandler::sigStatusMessage, this,
                [this](const QString &message) { messages << message; });
        connect(link, &LumetraSerialHandler::sigOpenFailed, this,
                [this](const QString &name, int) { failures << name; });
        reconnector.reset(new LumetraReconnector);
        reconnector->setWatchInterval(100);
        reconnector->attach(link);
        thread->start();
    }

    void open(const QString &port)
    {
        reconnector->slotOpenRequested(port);
        QMetaObject::invokeMethod(link, "slotOpenCommunication", Qt::QueuedConnection, Q_ARG(QString, port));
    }

    void startSimulator()
    {
        SimOptions options;
        options.fast = true;
        options.tcpPort = 0;
        options.linkDirectory = folder.path();
        simulator.reset(new Simulator(options));
        QString error;
        QVERIFY2(simulator->start(&error), qPrintable(error));
        QVERIFY(simulator->portPath().startsWith("socket://127.0.0.1:"));
    }

    void settle() { settleWithLink(link); }
    // Moves the test's clock on a main-loop turn at a time until `done` holds, for at most `ms`.
    bool runUntil(const std::function<bool()> &done, qint64 ms)
    {
        settle();
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += LumetraLinkEngine::MainLoopIntervalMs) {
            testClock.advance(LumetraLinkEngine::MainLoopIntervalMs);
            settle();
        }
        return done();
    }

private slots:
    void cleanup()
    {
        reconnector.reset();
        if (thread) {
            thread->quit();
            thread->wait(5000);
            delete thread;
            thread = nullptr;
        }
        simulator.reset();
        sent.clear();
        received.clear();
        messages.clear();
        failures.clear();
    }

    // The names that make a network port, in the form pyserial writes them.
    void networkPortNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("address") << "socket://127.0.0.1:4001"
                                 << "127.0.0.1" << 4001;
        QTest::newRow("host name, options") << "SOCKET://rack-7.lab:4002/?logging=debug"
                                            << "rack-7.lab" << 4002;
        QTest::newRow("IPv6") << "socket://[::1]:4003"
                              << "::1" << 4003;
        QTest::newRow("serial port") << "/dev/ttyUSB0"
                                     << "" << -1;
        QTest::newRow("no port") << "socket://127.0.0.1"
                                 << "" << -1;
        QTest::newRow("port 0") << "socket://127.0.0.1:0"
                                << "" << -1;
        QTest::newRow("port too big") << "socket://127.0.0.1:65536"
                                      << "" << -1;
        QTest::newRow("no host") << "socket://:4001"
                                 << "" << -1;
    }
    void networkPortNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, host);
        QFETCH(int, port);
        QString parsedHost;
        quint16 parsedPort = 0;
        const bool parsed = LumetraTransport::parseNetworkPort(name, &parsedHost, &parsedPort);
        QCOMPARE(parsed ? int(parsedPort) : -1, port);
        QCOMPARE(parsedHost, host);
    }

    // Handshake, poll cycle and a command, byte for byte as on a serial port.
    void conversation()
    {
        startSimulator();
        startLink();
        open(simulator->portPath());
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Connected, stepTimeoutMs);
        QCOMPARE(sent, (QList<QByteArray>{Ident, Status}));
        QCOMPARE(received.first(), Ident);
        QVERIFY(received.contains(Status));
        QCOMPARE(reconnector->serialNumber(), simulator->laser()->identity().serialNumber);

        for (const char *query : {"e_freq?", "e_div?"})
            QMetaObject::invokeMethod(link, "slotAddMonitorCommand",
                                      Q_ARG(QString, QString::fromLatin1(query)));
        QTRY_VERIFY_WITH_TIMEOUT(sent.size() >= 6, stepTimeoutMs);
        const QList<QByteArray> round = sent.mid(2, 2);
        QCOMPARE(QSet<QByteArray>(round.cbegin(), round.cend()), (QSet<QByteArray>{"e_freq?\n", "e_div?\n"}));
        QCOMPARE(sent.mid(4, 2), round);

        QMetaObject::invokeMethod(link, "slotAppendSettingsCommand",
                                  Q_ARG(QString, QStringLiteral("e_div 3")));
        QTRY_VERIFY_WITH_TIMEOUT(received.contains("e_div 3\n"), stepTimeoutMs);
        QCOMPARE(simulator->laser()->division(), 3);
        QCOMPARE(sent.count("e_div 3\n"), 1);
    }

    // A connection that drops, or a server that falls silent, ends like an unplugged adapter: the
    // link closes, says why, and the same laser is connected again once it answers.
    void lostConnectionReconnects_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("message");
        QTest::newRow("dropped") << "hangup 0.5"
                                 << "The connection to %1 was closed by the other side.";
        QTest::newRow("silent") << "silence 4.5"
                                << "No answer on %1; closing the connection to make it again.";
    }
    void lostConnectionReconnects()
    {
        QFETCH(QString, control);
        QFETCH(QString, message);
        startSimulator();
        startLink();
        const QString port = simulator->portPath();
        open(port);
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Connected, stepTimeoutMs);
        // Silence shows only while something is asked.
        QMetaObject::invokeMethod(link, "slotAddMonitorCommand", Q_ARG(QString, QStringLiteral("s9")));
        SimControl simControl(simulator.get());
        QVERIFY(simControl.execute(control).startsWith("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Lost, stepTimeoutMs);
        QVERIFY2(messages.contains(message.arg(port)), qPrintable(messages.join('\n')));
        QTRY_COMPARE_WITH_TIMEOUT(reconnector->state(), State::Connected, stepTimeoutMs);
        QCOMPARE(sent.count(Ident), 2);
    }

    // A port nothing listens on: the open fails at once and says so.
    void refusedConnection()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 free = probe.serverPort();
        probe.close();
        startLink();
        const QString port = QStringLiteral("socket://127.0.0.1:%1").arg(free);
        open(port);
        QTRY_COMPARE_WITH_TIMEOUT(failures, QStringList{port}, stepTimeoutMs);
        QCOMPARE(messages, QStringList{QStringLiteral("Communication port %1 open failed. Reason: 127.0.0.1 "
                                                      "refused the connection: nothing listens on port %2.")
                                           .arg(port)
                                           .arg(free)});
        QCOMPARE(reconnector->state(), State::Closed);
    }

    // A connection is made while the link's thread goes on: the open returns at once, and its outcome
    // comes later from the event loop.
    void connectDoesNotWait_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }
    void connectDoesNotWait()
    {
        QFETCH(bool, listening);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString port = QStringLiteral("socket://127.0.0.1:%1").arg(server.serverPort());
        if (!listening)
            server.close();
        LumetraTcpTransport transport;
        QSignalSpy finished(&transport, &LumetraTransport::openFinished);
        QVERIFY(transport.open(port));
        QVERIFY(transport.isOpening());
        QCOMPARE(finished.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, stepTimeoutMs);
        QCOMPARE(finished.first().first().toBool(), listening);
        QVERIFY(!transport.isOpening());
        QCOMPARE(transport.openError() ==
                     LumetraTransport::NetworkErrorBase + QAbstractSocket::ConnectionRefusedError,
                 !listening);
    }

    // A stream still opening holds up nothing, and its outcome is told as a quick open's would be; a
    // close meanwhile abandons it.
    void slowOpen_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("opens") << "open"
                               << QStringList{"opened slow", "Communication port slow successfully opened."};
        QTest::newRow("fails") << "fail"
                               << QStringList{"Communication port slow open failed. Reason: no answer",
                                              "failed slow"};
        QTest::newRow("closed meanwhile")
            << "close" << QStringList{"closed slow", "Communication port slow closed."};
    }
    void slowOpen()
    {
        QFETCH(QString, outcome);
        QFETCH(QStringList, events);
        QPointer<SlowTransport> transport;
        LumetraSerialHandler slowLink(testClock);
        slowLink.setTransportFactory([&](const QString &, QObject *parent) {
            transport = new SlowTransport(parent);
            return transport.data();
        });
        QStringList seen;
        connect(&slowLink, &LumetraSerialHandler::sigCommunicationOpened, this,
                [&](const QString &name) { seen << "opened " + name; });
        connect(&slowLink, &LumetraSerialHandler::sigCommunicationClosed, this,
                [&](const QString &name) { seen << "closed " + name; });
        connect(&slowLink, &LumetraSerialHandler::sigOpenFailed, this,
                [&](const QString &name) { seen << "failed " + name; });
        connect(&slowLink, &LumetraSerialHandler::sigStatusMessage, this,
                [&](const QString &message) { seen << message; });
        QMetaObject::invokeMethod(&slowLink, "slotMainLoop");
        slowLink.slotOpenCommunication("slow");
        testClock.advance(100);
        QVERIFY(transport);
        QCOMPARE(seen, QStringList{});
        if (outcome == "close") {
            slowLink.slotCloseCommunication();
        } else {
            transport->finish(outcome == "open");
        }
        testClock.advance(100);
        QCOMPARE(seen, events);
    }

    // A lost network port is tried by connecting, each failure a line in the log: the attempts come
    // on the watch's ticks at doubling spacing, up to the largest.
    void networkRetriesSpaceOut()
    {
        LumetraReconnector watcher;
        int opens = 0;
        connect(&watcher, &LumetraReconnector::sigOpenCommunication, this, [&] { ++opens; });
        const QString port = QStringLiteral("socket://127.0.0.1:4001");
        watcher.slotOpenRequested(port);
        watcher.slotCommunicationOpened(port);
        watcher.slotCommunicationClosed(port);
        QCOMPARE(watcher.state(), State::Lost);
        QList<int> attemptTicks;
        for (int tick = 1; tick <= 80; ++tick) {
            const int before = opens;
            QMetaObject::invokeMethod(&watcher, "watchTick");
            if (opens == before)
                continue;
            attemptTicks << tick;
            watcher.slotOpenFailed(port, 0);
        }
        QCOMPARE(attemptTicks, (QList<int>{1, 2, 4, 8, 16, 32, 48, 64, 80}));
    }

    // The link on its worker thread keeps its waits on the clock it is given, however fast real time
    // runs: the first command when the quiet wait after the open has passed on that clock, a resend
    // and the silence each a command time-out later.
    void waitsFollowTheGivenClock()
    {
        LumetraPipeTransport laserEnd;
        bool answering = true;
        connect(&laserEnd, &LumetraTransport::readyRead, this, [&] {
            const QByteArray command = laserEnd.read(1024);
            if (!answering)
                return;
            QByteArray reply = command;
            if (command == Ident)
                reply += "Lumetra-10 SN 4711\n";
            else if (command == Status)
                reply += "ly_lqz2_dev_status 8\n";
            laserEnd.write(reply);
        });
        auto *linkEnd = new LumetraPipeTransport;
        LumetraPipeTransport::join(linkEnd, &laserEnd);
        QVERIFY(laserEnd.open("laser"));
        QList<qint64> sentAt;
        QList<QPair<qint64, bool>> connectedAt;
        qint64 openedAt = -1;
        startLink(
            [linkEnd](const QString &, QObject *parent) {
                linkEnd->setParent(parent);
                return linkEnd;
            },
            &testClock);
        linkEnd->moveToThread(thread);
        QObject scope; // ends the notes below with the test
        connect(link, &LumetraSerialHandler::sigBytesTransmitted, &scope,
                [&](const QString &, const QByteArray &) { sentAt << testClock.nowMs(); });
        connect(link, &LumetraSerialHandler::sigCommunicationOpened, &scope,
                [&] { openedAt = testClock.nowMs(); });
        connect(link, &LumetraSerialHandler::sigConnectedStatus, &scope,
                [&](bool connected) { connectedAt << qMakePair(testClock.nowMs(), connected); });
        open("pipe");
        const auto runFor = [&](qint64 ms) {
            for (qint64 i = 0; i < ms; ++i) {
                testClock.advance(1);
                settle();
            }
        };
        runFor(LumetraLinkEngine::QuietAfterOpenMs);
        QVERIFY(openedAt >= 0);
        QCOMPARE(sent, QList<QByteArray>{});
        runFor(100);
        QCOMPARE(sent, (QList<QByteArray>{Ident, Status}));
        // As the engine alone on its test clock: the quiet wait, then a turn to change state.
        QCOMPARE(sentAt.first() - openedAt,
                 qint64(LumetraLinkEngine::QuietAfterOpenMs + 2 * LumetraLinkEngine::MainLoopIntervalMs));
        QVERIFY(!connectedAt.isEmpty() && connectedAt.last().second);
        const int reports = connectedAt.size();

        answering = false;
        QMetaObject::invokeMethod(link, "slotAddMonitorCommand", Q_ARG(QString, QStringLiteral("s9")));
        runFor(2 * LumetraLinkEngine::CommandTimeoutMs + 100);
        QCOMPARE(sent.mid(2, 2), (QList<QByteArray>{"s9\n", "s9\n"}));
        QCOMPARE(sentAt.at(3) - sentAt.at(2), qint64(LumetraLinkEngine::CommandTimeoutMs));
        QCOMPARE(connectedAt.size(), reports + 1);
        QCOMPARE(connectedAt.last(), qMakePair(sentAt.at(3) + LumetraLinkEngine::CommandTimeoutMs, false));
    }

    // The in-process pair carries the link's bytes both ways and a hang-up of the far end.
    void inProcessPair()
    {
        LumetraPipeTransport laserEnd;
        QByteArray atLaser;
        connect(&laserEnd, &LumetraTransport::readyRead, this, [&] {
            const QByteArray bytes = laserEnd.read(1024);
            atLaser += bytes;
            laserEnd.write(bytes); // the echo
        });
        auto *linkEnd = new LumetraPipeTransport;
        LumetraPipeTransport::join(linkEnd, &laserEnd);
        QVERIFY(laserEnd.open("laser"));
        startLink(
            [linkEnd](const QString &, QObject *parent) {
                linkEnd->setParent(parent);
                return linkEnd;
            },
            &testClock);
        linkEnd->moveToThread(thread);
        open("pipe");
        QVERIFY(runUntil([&] { return atLaser.size() >= Ident.size(); }, stepTimeoutMs));
        QCOMPARE(atLaser.left(Ident.size()), Ident);
        runUntil([&] { return received.value(0) == Ident; }, stepTimeoutMs);
        QCOMPARE(received.value(0), Ident);
        laserEnd.close();
        runUntil([&] { return reconnector->state() == State::Lost; }, stepTimeoutMs);
        QCOMPARE(reconnector->state(), State::Lost);
        QVERIFY2(messages.contains("The other end of pipe hung up."), qPrintable(messages.join('\n')));
    }
};

QTEST_GUILESS_MAIN(tst_LumetraTcpLink)
#include "tst_LumetraTcpLink.moc"
