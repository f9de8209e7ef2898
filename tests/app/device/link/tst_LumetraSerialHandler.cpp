#include "PtyLaser.h"
#include "app/device/LumetraSerialHandler.h"

#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <pthread.h>
#include <time.h>

namespace {

QList<QByteArray> lines(std::initializer_list<const char *> texts)
{
    QList<QByteArray> list;
    for (const char *text : texts)
        list << QByteArray(text);
    return list;
}

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
    void lineAssembly_data();
    void lineAssembly();
    void terminatorSplitAcrossReads();
    void overlongLineIsDiscarded();
    void handshake_data();
    void handshake();
    void eleventhStatusReplyIsAccepted();
    void echoEndingInCarriageReturnIsResent();
    void givenUpCommandReidentifies();
    void schedulerOrder();
    void settingsQueuedWhileClosedWaitForFirstCycle();
    void secondOpenClosesFirst();
    void closeWithoutPortTouchesNothing();
    void peerHangUpClosesQuietly_data();
    void peerHangUpClosesQuietly();
};

// Opens the link on a pty whose laser stays silent, so that only the bytes the test writes arrive.
void tst_LumetraSerialHandler::lineAssembly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::newRow("prompt at line start dropped") << QByteArray(">abc\n") << lines({"abc\n"});
    QTest::newRow("prompt inside line kept") << QByteArray("a>b\n") << lines({"a>b\n"});
    QTest::newRow("CR LF gives one line ending in CR") << QByteArray("ABC\r\n") << lines({"ABC\r"});
    QTest::newRow("empty lines dropped") << QByteArray("\n\r\n\r") << lines({});
    QTest::newRow("lone prompt line dropped") << QByteArray(">\n") << lines({});
    QTest::newRow("CR alone ends a line") << QByteArray("one\rtwo\n") << lines({"one\r", "two\n"});
    QTest::newRow("NUL and binary bytes kept")
        << QByteArray("a\0\xff\n", 4) << QList<QByteArray>{QByteArray("a\0\xff\n", 4)};

    QByteArray burst;
    QList<QByteArray> burstLines;
    for (int i = 0; i < 500; ++i) {
        const QByteArray line = "ZOR line " + QByteArray::number(i) + "\n";
        burst += line;
        burstLines << line;
    }
    QTest::newRow("burst of 500 lines in one write") << burst << burstLines;
}

void tst_LumetraSerialHandler::lineAssembly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, expected);

    PtyLaser laser;
    laser.setResponder(nullptr);
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_COMPARE(link.events, QStringList{"opened " + portNameOf(laser.portName())});

    laser.write(bytes);
    laser.write("END\n");
    expected << "END\n";
    QTRY_VERIFY(!link.received.isEmpty() && link.received.last() == "END\n");
    QCOMPARE(link.received, expected);
}

void tst_LumetraSerialHandler::terminatorSplitAcrossReads()
{
    PtyLaser laser;
    laser.setResponder(nullptr);
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_COMPARE(link.events.size(), 1);

    laser.write("hel");
    QTest::qWait(50);
    laser.write("lo\r");
    QTest::qWait(50);
    laser.write("\nnext\n");
    QTRY_COMPARE(link.received, lines({"hello\r", "next\n"}));
}

void tst_LumetraSerialHandler::overlongLineIsDiscarded()
{
    PtyLaser laser;
    laser.setResponder(nullptr);
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_COMPARE(link.events.size(), 1);
    const int messagesAfterOpen = link.messages.size();

    // Far more than a line may hold, with no terminator: a wrong baud rate looks like this.
    laser.write(QByteArray(3 * LumetraSerialHandler::MaxLineLength, 'x'));
    laser.write("still the same line\nok\n");
    QTRY_COMPARE(link.received, lines({"ok\n"}));
    QCOMPARE(link.messages.mid(messagesAfterOpen),
             QStringList{QString("Received line longer than %1 bytes discarded.")
                             .arg(LumetraSerialHandler::MaxLineLength)});
}

void tst_LumetraSerialHandler::handshake_data()
{
    QTest::addColumn<QList<int>>("statusValues");

    QTest::newRow("8 accepted at once") << QList<int>{8};
    QTest::newRow("128 accepted at once") << QList<int>{128};
    QTest::newRow("16 refused, then 32 accepted") << QList<int>{16, 32};
    QTest::newRow("not a number refused, then 64 accepted") << QList<int>{-1, 64};
}

void tst_LumetraSerialHandler::handshake()
{
    QFETCH(QList<int>, statusValues);

    PtyLaser laser;
    int round = 0;
    laser.setResponder([&](const QByteArray &command) {
        QList<QByteArray> reply{command};
        if (command == Ident) {
            reply << "Lumetra-10 SN 4711\n";
        } else if (command == Status) {
            const int value = statusValues.value(round++);
            reply << (value < 0 ? QByteArray("ly_lqz2_dev_status ready\n")
                                : "ly_lqz2_dev_status " + QByteArray::number(value) + "\n");
        }
        return reply;
    });
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.isConnected(), 3000 * statusValues.size() + 2000);

    QList<QByteArray> expectedCommands;
    for (int i = 0; i < statusValues.size(); ++i)
        expectedCommands << Ident << Status;
    QCOMPARE(laser.commands, expectedCommands);
    QCOMPARE(link.connectedStates, (QList<bool>{false, true}));
    QCOMPARE(link.received, laser.written);
}

void tst_LumetraSerialHandler::eleventhStatusReplyIsAccepted()
{
    PtyLaser laser;
    laser.statusValue = 16;
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.isConnected(), 40000);

    QList<QByteArray> expectedCommands;
    for (int i = 0; i < 11; ++i)
        expectedCommands << Ident << Status;
    QCOMPARE(laser.commands, expectedCommands);
}

void tst_LumetraSerialHandler::echoEndingInCarriageReturnIsResent()
{
    PtyLaser laser;
    bool firstIdent = true;
    laser.setResponder([&](const QByteArray &command) {
        if (command == Ident && firstIdent) {
            firstIdent = false;
            // The laser answers, but its echo ends in CR: the command stays in flight.
            return lines({"ly_system_info\r", "Lumetra-10 SN 4711\n"});
        }
        return laser.defaultReply(command);
    });
    LinkUnderTest link;
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.isConnected(), 9000);
    QCOMPARE(laser.commands, (QList<QByteArray>{Ident, Ident, Status}));
    QCOMPARE(link.received, laser.written);
}

void tst_LumetraSerialHandler::givenUpCommandReidentifies()
{
    PtyLaser laser;
    int timesA = 0;
    laser.setResponder([&](const QByteArray &command) {
        // The first A and its resend go unanswered.
        if (command == "A\n" && ++timesA <= 2)
            return QList<QByteArray>{};
        return laser.defaultReply(command);
    });
    LinkUnderTest link;
    link.addMonitor("A");
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(link.isConnected(), 5000);
    // Two writes of A without an echo, then the link reports the loss and identifies the laser anew
    // at once, without the 2000 ms wait of a fresh port.
    QTRY_VERIFY_WITH_TIMEOUT(link.connectedStates.size() == 4, 9000);
    QCOMPARE(link.connectedStates, (QList<bool>{false, true, false, true}));
    QTRY_VERIFY(laser.commands.size() >= 7);
    QCOMPARE(laser.commands.mid(0, 7),
             (QList<QByteArray>{Ident, Status, "A\n", "A\n", Ident, Status, "A\n"}));
}

void tst_LumetraSerialHandler::schedulerOrder()
{
    PtyLaser laser;
    LinkUnderTest link;
    link.addMonitor("A");
    link.addMonitor("B\n");
    link.addMonitor("C");
    link.addMonitor("A\n"); // already there: keeps its place
    link.delMonitor("D");   // not there: nothing changes
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
    // Traffic labels are "<port>:ss-zzz".
    QVERIFY(!link.labels.isEmpty());
    QVERIFY(QRegExp(QRegExp::escape(portNameOf(laser.portName())) + ":\\d\\d-\\d\\d\\d")
                .exactMatch(link.labels.first()));
}

void tst_LumetraSerialHandler::settingsQueuedWhileClosedWaitForFirstCycle()
{
    PtyLaser laser;
    LinkUnderTest link;
    link.appendSettings("e_freq 3");
    link.appendSettings("e_div 2\n");
    link.addMonitor("A");
    link.addMonitor("B");
    link.open(laser.portName());
    QTRY_VERIFY_WITH_TIMEOUT(laser.commands.size() >= 7, 8000);
    QCOMPARE(laser.commands.mid(0, 7),
             (QList<QByteArray>{Ident, Status, "A\n", "B\n", "e_freq 3\n", "e_div 2\n", "A\n"}));
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

QTEST_GUILESS_MAIN(tst_LumetraSerialHandler)
#include "tst_LumetraSerialHandler.moc"
