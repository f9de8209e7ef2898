#include "LinkRig.h"

#include <QTest>

namespace {

const QByteArray Ident = "ly_system_info\n";
const QByteArray Status = "ly_lqz2_dev_status?\n";

// The log entries of the given kinds ("TX", "connected", ...), in order.
QStringList entries(const QStringList &log, const QStringList &kinds)
{
    QStringList kept;
    for (const QString &line : log) {
        const QString kind = line.section(QLatin1Char(' '), 1, 1);
        if (kinds.contains(kind))
            kept << line;
    }
    return kept;
}

// Feeds the bytes to a fresh engine in two pieces cut at the given place.
QList<QByteArray> assemble(const QByteArray &bytes, int cut)
{
    LinkRig rig;
    rig.receive(bytes.left(cut));
    rig.receive(bytes.mid(cut));
    return rig.lines;
}

} // namespace

class tst_LumetraLinkEngine : public QObject
{
    Q_OBJECT

private slots:
    void lineAssembly_data();
    void lineAssembly();
    void overlongLineIsDiscarded();
    void partialLineHoldsTheNextCommandFor60ms();
    void handshake_data();
    void handshake();
    void eleventhStatusReplyIsAccepted();
    void echoEndingInCarriageReturnIsResent();
    void givenUpCommandReidentifies();
    void schedulerOrderAndPace();
    void quietWaitEndsAfter15ms_data();
    void quietWaitEndsAfter15ms();
    void settingsQueuedWhileClosedWaitForFirstCycle();
    void discardQueuedCommands();
    void staleCommandsAreDroppedNotDelivered_data();
    void staleCommandsAreDroppedNotDelivered();
    void latin1CommandRoundTrip();
    void refusedCommandsAreNotSent_data();
    void refusedCommandsAreNotSent();
    void skippingIdleTurnsChangesNothing();
};

void tst_LumetraLinkEngine::lineAssembly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::newRow("prompt at line start dropped") << QByteArray(">abc\n") << byteLines({"abc\n"});
    QTest::newRow("prompt inside line kept") << QByteArray("a>b\n") << byteLines({"a>b\n"});
    QTest::newRow("CR LF gives one line ending in CR") << QByteArray("ABC\r\n") << byteLines({"ABC\r"});
    QTest::newRow("empty lines dropped") << QByteArray("\n\r\n\r") << byteLines({});
    QTest::newRow("lone prompt line dropped") << QByteArray(">\n") << byteLines({});
    QTest::newRow("CR alone ends a line") << QByteArray("one\rtwo\n") << byteLines({"one\r", "two\n"});
    QTest::newRow("terminator split from its line")
        << QByteArray("hello\r\nnext\n") << byteLines({"hello\r", "next\n"});
    QTest::newRow("NUL and binary bytes kept")
        << QByteArray("a\0\xff\n", 4) << QList<QByteArray>{QByteArray("a\0\xff\n", 4)};

    QByteArray burst;
    QList<QByteArray> burstLines;
    for (int i = 0; i < 500; ++i) {
        const QByteArray line = "ZOR line " + QByteArray::number(i) + "\n";
        burst += line;
        burstLines << line;
    }
    QTest::newRow("burst of 500 lines in one read") << burst << burstLines;
}

// Whatever way the reads cut the bytes, the same lines come out.
void tst_LumetraLinkEngine::lineAssembly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, expected);

    const int step = qMax(1, bytes.size() / 64);
    for (int cut = 0; cut <= bytes.size(); cut += step)
        QCOMPARE(assemble(bytes, cut), expected);
}

void tst_LumetraLinkEngine::overlongLineIsDiscarded()
{
    LinkRig rig;
    // Far more than a line may hold, with no terminator, in several reads: a wrong baud rate looks
    // like this. The message comes once, not once per read.
    for (int i = 0; i < 3; ++i)
        rig.receive(QByteArray(LumetraLinkEngine::MaxLineLength, 'x'));
    rig.receive("still the same line\nok\n");
    QCOMPARE(rig.lines, byteLines({"ok\n"}));
    QCOMPARE(
        rig.messages,
        QStringList{
            QString("Received line longer than %1 bytes discarded.").arg(LumetraLinkEngine::MaxLineLength)});

    // A line one byte short of the limit still arrives whole.
    const QByteArray longest = QByteArray(LumetraLinkEngine::MaxLineLength - 1, 'y') + '\n';
    rig.receive(longest);
    QCOMPARE(rig.lines.last(), longest);
}

void tst_LumetraLinkEngine::partialLineHoldsTheNextCommandFor60ms()
{
    LinkRig rig;
    rig.engine.addMonitorCommand("A");
    rig.engine.addMonitorCommand("B");
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 3; }, 5000));
    QCOMPARE(rig.log.last(), QString("2060 TX A\\n"));
    // A's echo comes at 2062; without the partial line B would go at 2080.
    rig.run(2071 - rig.clock.now);
    rig.receive("partial");
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 4; }, 1000));
    // Quiet for more than 15 ms and no partial line within 60 ms: the turn at 2130 is 59 ms after it.
    QCOMPARE(rig.log.last(), QString("2140 TX B\\n"));

    // Handed on without its terminator, the partial line is marked as such.
    rig.engine.flushPartialLine();
    QCOMPARE(rig.log.last(), QString("2140 RX_ partial"));
    QVERIFY(!rig.engine.partialLinePending());
}

void tst_LumetraLinkEngine::handshake_data()
{
    QTest::addColumn<QList<int>>("statusValues");
    QTest::addColumn<qint64>("connectedAt");

    // Identification 2020 ms after the open (2000 ms quiet, then one turn to change state), its answer
    // 2 ms later, the status query two turns on, and the state change one turn after its answer.
    QTest::newRow("8 accepted at once") << QList<int>{8} << qint64(2050);
    QTest::newRow("128 accepted at once") << QList<int>{128} << qint64(2050);
    // A refusal at 2042 waits 2000 ms of quiet again: identification at 4060.
    QTest::newRow("16 refused, then 32 accepted") << QList<int>{16, 32} << qint64(4090);
    QTest::newRow("not a number refused, then 64 accepted") << QList<int>{-1, 64} << qint64(4090);
}

void tst_LumetraLinkEngine::handshake()
{
    QFETCH(QList<int>, statusValues);
    QFETCH(qint64, connectedAt);

    LinkRig rig;
    int round = 0;
    rig.responder = [&](const QByteArray &command) {
        QList<QByteArray> reply{command};
        if (command == Ident) {
            reply << "Lumetra-10 SN 4711\n";
        } else if (command == Status) {
            const int value = statusValues.value(round++);
            reply << (value < 0 ? QByteArray("ly_lqz2_dev_status ready\n")
                                : "ly_lqz2_dev_status " + QByteArray::number(value) + "\n");
        }
        return reply;
    };
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.engine.isConnected(); }, 10000));
    QCOMPARE(rig.clock.now, connectedAt);

    QList<QByteArray> expectedCommands;
    for (int i = 0; i < statusValues.size(); ++i)
        expectedCommands << Ident << Status;
    QCOMPARE(rig.written, expectedCommands);
    QCOMPARE(rig.connectedStates, (QList<bool>{false, true}));
    QCOMPARE(entries(rig.log, {"TX"}).first(), QString("2020 TX ly_system_info\\n"));
}

void tst_LumetraLinkEngine::eleventhStatusReplyIsAccepted()
{
    LinkRig rig;
    rig.statusValue = 16;
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.engine.isConnected(); }, 60000));
    // Ten refused rounds of 2040 ms each, then the eleventh reply is taken whatever it says.
    QCOMPARE(rig.clock.now, qint64(2050 + 10 * 2040));

    QList<QByteArray> expectedCommands;
    for (int i = 0; i < 11; ++i)
        expectedCommands << Ident << Status;
    QCOMPARE(rig.written, expectedCommands);
}

void tst_LumetraLinkEngine::echoEndingInCarriageReturnIsResent()
{
    LinkRig rig;
    bool firstIdent = true;
    rig.responder = [&](const QByteArray &command) {
        if (command == Ident && firstIdent) {
            firstIdent = false;
            // The laser answers, but its echo ends in CR: the command stays in flight.
            return byteLines({"ly_system_info\r", "Lumetra-10 SN 4711\n"});
        }
        return rig.defaultReply(command);
    };
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.engine.isConnected(); }, 10000));
    QCOMPARE(entries(rig.log, {"TX", "connected"}),
             (QStringList{"0 connected 0", "2020 TX ly_system_info\\n", "4020 TX ly_system_info\\n",
                          "4040 TX ly_lqz2_dev_status?\\n", "4050 connected 1"}));
}

void tst_LumetraLinkEngine::givenUpCommandReidentifies()
{
    LinkRig rig;
    int timesA = 0;
    rig.responder = [&](const QByteArray &command) {
        // The first A and its resend go unanswered.
        if (command == "A\n" && ++timesA <= 2)
            return QList<QByteArray>{};
        return rig.defaultReply(command);
    };
    rig.engine.addMonitorCommand("A");
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 7; }, 10000));
    // A at 2060, resent at 4060, given up at 6060; then the laser is identified anew at once,
    // without the 2000 ms wait of a fresh port.
    QCOMPARE(entries(rig.log, {"TX", "connected"}),
             (QStringList{"0 connected 0", "2020 TX ly_system_info\\n", "2040 TX ly_lqz2_dev_status?\\n",
                          "2050 connected 1", "2060 TX A\\n", "4060 TX A\\n", "6060 connected 0",
                          "6070 TX ly_system_info\\n", "6090 TX ly_lqz2_dev_status?\\n", "6100 connected 1",
                          "6110 TX A\\n"}));
}

void tst_LumetraLinkEngine::schedulerOrderAndPace()
{
    LinkRig rig;
    rig.engine.addMonitorCommand("A");
    rig.engine.addMonitorCommand("B\n");
    rig.engine.addMonitorCommand("C");
    rig.engine.addMonitorCommand("A\n"); // already there: keeps its place
    rig.engine.delMonitorCommand("D");   // not there: nothing changes
    connect(&rig.engine, &LumetraLinkEngine::sigWrite, this, [&](const QByteArray &bytes) {
        if (bytes == "A\n" && rig.written.count("A\n") == 1)
            rig.engine.appendSettingsCommand("S", false);
    });
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 12; }, 10000));
    // Each query goes at the first turn with more than 15 ms of quiet after its predecessor's echo.
    // A waiting settings command skips that wait, also for the queries of the first cycle it waits
    // behind (B and C); every cycle ends with one turn that sends nothing (2110 and 2180).
    QCOMPARE(entries(rig.log, {"TX"}),
             (QStringList{"2020 TX ly_system_info\\n", "2040 TX ly_lqz2_dev_status?\\n", "2060 TX A\\n",
                          "2070 TX B\\n", "2080 TX C\\n", "2090 TX S\\n", "2120 TX A\\n", "2140 TX B\\n",
                          "2160 TX C\\n", "2190 TX A\\n", "2210 TX B\\n", "2230 TX C\\n"}));
}

void tst_LumetraLinkEngine::quietWaitEndsAfter15ms_data()
{
    QTest::addColumn<int>("turnaround");
    QTest::addColumn<qint64>("interval");

    // The echo of A arrives 4, 5 or 6 ms after A; B goes at the first turn more than 15 ms later.
    QTest::newRow("echo after 4 ms") << 4 << qint64(20);
    QTest::newRow("echo after 5 ms") << 5 << qint64(30);
    QTest::newRow("echo after 6 ms") << 6 << qint64(30);
}

void tst_LumetraLinkEngine::quietWaitEndsAfter15ms()
{
    QFETCH(int, turnaround);
    QFETCH(qint64, interval);

    LinkRig rig;
    rig.turnaroundMs = turnaround;
    rig.engine.addMonitorCommand("A");
    rig.engine.addMonitorCommand("B");
    QList<qint64> sentAt;
    connect(&rig.engine, &LumetraLinkEngine::sigWrite, this, [&] { sentAt << rig.clock.now; });
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 4; }, 10000));
    QCOMPARE(sentAt.at(3) - sentAt.at(2), interval);
}

void tst_LumetraLinkEngine::settingsQueuedWhileClosedWaitForFirstCycle()
{
    LinkRig rig;
    rig.engine.appendSettingsCommand("e_freq 3", false);
    rig.engine.appendSettingsCommand("e_div 2\n", false);
    rig.engine.addMonitorCommand("A");
    rig.engine.addMonitorCommand("B");
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 7; }, 10000));
    QCOMPARE(rig.written, (QList<QByteArray>{Ident, Status, "A\n", "B\n", "e_freq 3\n", "e_div 2\n", "A\n"}));
}

void tst_LumetraLinkEngine::discardQueuedCommands()
{
    LinkRig rig;
    rig.engine.discardQueuedCommands();
    QVERIFY(rig.messages.isEmpty()); // nothing queued, nothing said

    rig.engine.appendSettingsCommand("e_freq 3", false);
    rig.engine.appendSettingsCommand("e_div 2", true);
    rig.engine.discardQueuedCommands();
    rig.engine.discardQueuedCommands();
    QCOMPARE(rig.messages,
             QStringList{"Dropped 2 command(s) given while the laser was not connected: e_freq 3, e_div 2"});

    rig.engine.addMonitorCommand("A");
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.written.size() == 5; }, 10000));
    QCOMPARE(rig.written, (QList<QByteArray>{Ident, Status, "A\n", "A\n", "A\n"}));
}

void tst_LumetraLinkEngine::staleCommandsAreDroppedNotDelivered_data()
{
    QTest::addColumn<qint64>("givenAt");
    QTest::addColumn<qint64>("silenceEnds");
    QTest::addColumn<bool>("energyUnanswered");
    QTest::addColumn<QStringList>("expected");

    const auto dropped = [](int ms, const QString &command, int seconds) {
        const QString reason = QString("the laser did not answer for %1 s").arg(seconds);
        return QStringList{QString("%1 status Command \"%2\" dropped: %3").arg(ms).arg(command, reason),
                           QString("%1 dropped %2: %3").arg(ms).arg(command, reason)};
    };
    // The laser falls silent at 2100 with A in flight: A is given up at 6120 and the identification
    // query goes out every 2 s until the laser answers one.
    const QStringList silent{"2120 TX A\\n", "4120 TX A\\n", "6120 connected 0", "6130 TX ly_system_info\\n",
                             "8130 TX ly_system_info\\n"};
    const QStringList tillTwelve =
        silent + QStringList{"10130 connected 0", "10130 TX ly_system_info\\n", "12130 TX ly_system_info\\n"};
    const QStringList backAtTwelve{"12150 TX ly_lqz2_dev_status?\\n", "12160 connected 1", "12170 TX A\\n",
                                   "12180 TX ly_lqz2_power=50\\n"};

    QTest::newRow("5 s old: in order after the handshake and a cycle")
        << qint64(3100) << qint64(8130) << false
        << silent +
               QStringList{"8150 TX ly_lqz2_dev_status?\\n", "8160 connected 1",           "8170 TX A\\n",
                           "8180 TX ly_lqz2_power=50\\n",    "8190 TX ly_lqz2_standby\\n", "8220 TX A\\n"};
    QTest::newRow("the second exactly 10 s old at its turn: sent")
        << qint64(2190) << qint64(12130) << false
        << tillTwelve + backAtTwelve + QStringList{"12190 TX ly_lqz2_standby\\n", "12220 TX A\\n"};
    QTest::newRow("the second 5 ms over at its turn: dropped")
        << qint64(2185) << qint64(12130) << false
        << tillTwelve + backAtTwelve + dropped(12190, "ly_lqz2_standby", 10) + QStringList{"12210 TX A\\n"};
    QTest::newRow("silent past the bound: both dropped at 10 s, never written")
        << qint64(3100) << qint64(14130) << false
        << tillTwelve + dropped(13110, "ly_lqz2_power=50", 10) + dropped(13110, "ly_lqz2_standby", 10) +
               QStringList{"14130 connected 0", "14130 TX ly_system_info\\n",
                           "14150 TX ly_lqz2_dev_status?\\n", "14160 connected 1", "14170 TX A\\n"};
    // Written at 9 s old, unechoed: the resend at 11 s is held back, the waiting Standby dropped.
    QTest::newRow("resend past the bound withheld, then given up")
        << qint64(3100) << qint64(12130) << true
        << tillTwelve + backAtTwelve + dropped(13110, "ly_lqz2_standby", 10) +
               dropped(16180, "ly_lqz2_power=50", 13) +
               QStringList{"16180 connected 0", "16190 TX ly_system_info\\n"};
}

// A command given while the laser is silent goes out once the laser is back, in order, only while
// it is fresh; otherwise it is reported and never written, whether it waits in the queue or for
// its resend.
void tst_LumetraLinkEngine::staleCommandsAreDroppedNotDelivered()
{
    QFETCH(qint64, givenAt);
    QFETCH(qint64, silenceEnds);
    QFETCH(bool, energyUnanswered);
    QFETCH(QStringList, expected);

    for (const bool skip : {false, true}) {
        LinkRig rig;
        rig.skipIdleTurns = skip;
        rig.responder = [&](const QByteArray &command) -> QList<QByteArray> {
            if ((rig.clock.now >= 2100 && rig.clock.now < silenceEnds) ||
                (energyUnanswered && command == "ly_lqz2_power=50\n"))
                return {};
            return rig.defaultReply(command);
        };
        rig.engine.addMonitorCommand("A");
        rig.open();
        rig.run(givenAt);
        rig.engine.appendSettingsCommand("ly_lqz2_power=50", false);
        rig.engine.appendSettingsCommand("ly_lqz2_standby", false);
        rig.run(expected.last().section(' ', 0, 0).toLongLong() - rig.clock.now);
        QStringList seen;
        for (const QString &entry : entries(rig.log, {"TX", "connected", "status", "dropped"})) {
            if (entry.section(' ', 0, 0).toLongLong() >= 2100)
                seen << entry;
        }
        QCOMPARE(seen, expected);
    }
}

void tst_LumetraLinkEngine::latin1CommandRoundTrip()
{
    LinkRig rig;
    rig.engine.addMonitorCommand("A");
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.engine.isConnected(); }, 10000));
    rig.engine.appendSettingsCommand(QString::fromUtf8("ls_name=\xc3\xa9t\xc3\xa9 \xc3\xbf"), false);
    rig.run(6000);

    // On the wire as Latin-1, once: its echo in the same bytes completes it.
    const QByteArray wire("ls_name=\xe9t\xe9 \xff\n");
    QCOMPARE(rig.written.count(wire), 1);
    QCOMPARE(rig.lines.count(wire), 1);
    QCOMPARE(rig.connectedStates, (QList<bool>{false, true}));
    QVERIFY(rig.messages.isEmpty());
}

void tst_LumetraLinkEngine::refusedCommandsAreNotSent_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");

    QTest::newRow("euro sign") << QString::fromUtf8("ls_name=\xe2\x82\xac")
                               << QString::fromUtf8(
                                      "Command not sent, the laser cannot receive the character "
                                      "\xe2\x82\xac: ls_name=\xe2\x82\xac");
    QTest::newRow("line break inside")
        << QString("e_freq 3\ne_div 2")
        << QString("Command not sent, it holds a line break: e_freq 3\ne_div 2");
    QTest::newRow("carriage return inside")
        << QString("e_freq 3\r\n") << QString("Command not sent, it holds a line break: e_freq 3");
    QTest::newRow("prompt character first")
        << QString(">x") << QString("Command not sent, it begins with the prompt character >: >x");
    const QString overlong(LumetraLinkEngine::MaxCommandLength + 1, QLatin1Char('a'));
    QTest::newRow("one character too long")
        << overlong
        << QString("Command not sent, it is longer than the %1 characters the laser accepts: %2...")
               .arg(LumetraLinkEngine::MaxCommandLength)
               .arg(QString(60, QLatin1Char('a')));
}

void tst_LumetraLinkEngine::refusedCommandsAreNotSent()
{
    QFETCH(QString, command);
    QFETCH(QString, message);

    LinkRig rig;
    rig.engine.addMonitorCommand("A");
    rig.open();
    QVERIFY(rig.runUntil([&] { return rig.engine.isConnected(); }, 10000));
    rig.engine.appendSettingsCommand(command, false);
    rig.engine.addMonitorCommand(command);
    rig.run(1000);

    QCOMPARE(rig.messages, (QStringList{message, message}));
    for (const QByteArray &bytes : qAsConst(rig.written))
        QVERIFY2(bytes == Ident || bytes == Status || bytes == "A\n", bytes.constData());

    // The longest command the laser takes still goes.
    const QByteArray longest = QByteArray(LumetraLinkEngine::MaxCommandLength, 'b') + '\n';
    rig.engine.appendSettingsCommand(QString::fromLatin1(longest), false);
    rig.run(1000);
    QCOMPARE(rig.written.count(longest), 1);
}

// The handler skips the turns the engine calls idle. Whatever happens on the line (lost and
// mangled echoes, partial lines, noise, commands queued at odd times), skipping them must not change
// a single byte or millisecond of the conversation.
void tst_LumetraLinkEngine::skippingIdleTurnsChangesNothing()
{
    QStringList logs[2];
    int turns[2] = {};
    for (int skip = 0; skip < 2; ++skip) {
        LinkRig rig;
        rig.skipIdleTurns = skip;
        rig.turnaroundMs = 3;
        int count = 0;
        rig.responder = [&](const QByteArray &command) -> QList<QByteArray> {
            ++count;
            if (count % 17 == 0)
                return {};
            if (count % 13 == 0)
                return {command.chopped(1) + "\r", "late answer\n"};
            QList<QByteArray> reply = rig.defaultReply(command);
            if (count % 7 == 0)
                reply << "noise without end";
            if (count % 11 == 0)
                reply << "\n\r>\nZOR SHG\tHumidity=41%\n";
            if (count == 60)
                rig.statusValue = 16;
            return reply;
        };
        for (const char *query : {"ls_humidity?", "ls_temp_oven?", "ls_status?"})
            rig.engine.addMonitorCommand(query);
        rig.engine.appendSettingsCommand("e_freq 3", false);
        rig.open();
        for (int step = 0; step < 40; ++step) {
            rig.run(97 + step * 31);
            if (step % 5 == 0)
                rig.engine.appendSettingsCommand(QStringLiteral("e_div %1").arg(step), step % 10 == 0);
            if (step == 20)
                rig.engine.delMonitorCommand("ls_temp_oven?");
            if (step == 25)
                rig.engine.clrAllMonitorCommands();
            if (step == 30)
                rig.engine.addMonitorCommand("ls_humidity?");
        }
        logs[skip] = rig.log;
        turns[skip] = rig.turns;
    }
    QVERIFY(logs[0].size() > 100);
    QCOMPARE(logs[1], logs[0]);
    QVERIFY2(turns[1] < turns[0] / 2, qPrintable(QString("%1 of %2 turns").arg(turns[1]).arg(turns[0])));
}

QTEST_GUILESS_MAIN(tst_LumetraLinkEngine)
#include "tst_LumetraLinkEngine.moc"
