// The simulator as a user meets it: the real program on a real pseudo-terminal, commands in, lines out,
// and every fault of its control channel.
#include "SimRunner.h"

#include "framekit/SerialportList.h"

#include <QTcpSocket>

#include <csignal>
#include <pty.h>

class TestSimProtocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void queriesAreEchoedAndAnswered_data();
    void queriesAreEchoedAndAnswered();
    void commandsChangeWhatTheLaserReports();
    void serialNumberIsChosenOnTheCommandLine();
    void terminalLineEndingsAndOverlongLines();
    void echoFaults_data();
    void echoFaults();
    void noiseAndUnterminatedLines();
    void silenceLosesCommands();
    void readyCanBeRefused();
    void moduleFaultsAndReadings();
    void debugOutputAnnouncesItself();
    void hangUpWithdrawsThePortAndComesBack();
    void tcpPortServesTheLaser();
    void controlCommandsCheckTheirArguments_data();
    void controlCommandsCheckTheirArguments();
    void namedPipeControl();
    void transcriptRecordsBothDirections();
    void terminationWithdrawsThePort();
    void portNameInUseIsRefusedAndStaleLinkReplaced();
    void killedSimulatorsLinkIsOrphaned();
    void helpListsEveryOption();

private:
    QTemporaryDir dir;
};

void TestSimProtocol::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

void TestSimProtocol::queriesAreEchoedAndAnswered_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("ident") << "ly_system_info" << 9 << "Lumetra-3 Hardware:1\\.2 Firmware:V5\\.0\\.9\n";
    QTest::newRow("ready") << "ly_lqz2_dev_status?" << 1 << "ly_lqz2_dev_status 9\n";
    QTest::newRow("s6") << "s6" << 1 << "s6( \\d+){12}\n";
    QTest::newRow("s7") << "s7" << 1 << "s7( [\\d.]+){16}\n";
    QTest::newRow("s8") << "s8" << 1 << "s8( [\\d.]+){12}\n";
    QTest::newRow("s9") << "s9" << 1 << "s9( [\\d.]+){40} 09\n";
    QTest::newRow("energy") << "ly_lqz2_power?" << 1 << "Setted laser power: 5000nJ\n";
    QTest::newRow("relative power") << "e_power?" << 1 << "Setted laser power in relative unit: 2000\n";
    QTest::newRow("frequency") << "e_freq?" << 2 << "AOM max frequency fields number is: 8\n";
    QTest::newRow("division") << "e_div?" << 1 << "Notice: Division factor for PCAOM is 1\n";
    QTest::newRow("debug") << "d2?" << 1 << "Debugging on communication channel 2 disabled\n";
    QTest::newRow("power table") << "ezra?" << 16 << "0 0 40\\.000000\n";
    QTest::newRow("parameters") << "eira?" << 25 << "ERRRST 0\n";
    QTest::newRow("module") << "ls?" << 5
                            << "ZOR harmonic generation module \\(address: 0x24 / type: 0x93\\)\n";
    QTest::newRow("output") << "ly_lqz2_output?" << 1 << "Laser output disabled\n";
    QTest::newRow("gate") << "ly_lqz2_digiop?" << 1
                          << "Active digital gate logic:\tlogic LOW \\(no connection\\) = AOM OPEN\n";
    QTest::newRow("dwls") << "ls_dwls_default?" << 4 << "Dynamic wavelength switching data in memory:\n";
    QTest::newRow("unknown") << "hello" << 1 << "Unknown command: hello\n";
}

void TestSimProtocol::queriesAreEchoedAndAnswered()
{
    QFETCH(QString, command);
    QFETCH(int, lines);
    QFETCH(QString, firstLine);
    SimRunner sim(dir);
    QVERIFY(sim.start({"--system", "Lumetra-3", "--firmware", "V5.0.9", "--module", "0x93"}));
    const QList<QByteArray> answer = sim.exchange(command.toLatin1());
    QCOMPARE(answer.value(0), command.toLatin1() + '\n');
    QCOMPARE(answer.size(), lines + 1);
    QVERIFY2(QRegularExpression(QStringLiteral("\\A") + firstLine + QStringLiteral("\\z"))
                 .match(QString::fromLatin1(answer.at(1)))
                 .hasMatch(),
             answer.at(1).constData());
    for (const QByteArray &line : answer)
        QVERIFY(line.endsWith('\n'));
}

void TestSimProtocol::serialNumberIsChosenOnTheCommandLine()
{
    SimRunner sim(dir);
    QVERIFY(sim.start({"--serial-number", "LQZ3-0815-0007"}));
    const QList<QByteArray> ident = sim.exchange("ly_system_info");
    QVERIFY(ident.contains("Serial number: LQZ3-0815-0007\n"));
    QCOMPARE(ident.count("Serial number: LQZ3-0815-0007\n"), 1);

    // A number that would break the answer line apart is refused before anything is published.
    for (const char *bad : {"", "A\nB"}) {
        QProcess wrong;
        wrong.start(QStringLiteral(LUMETRA_SIM_PATH),
                    {QStringLiteral("--serial-number"), QLatin1String(bad)});
        QVERIFY(wrong.waitForFinished(simWaitMs));
        QCOMPARE(wrong.exitCode(), 2);
        QVERIFY(wrong.readAllStandardError().contains("invalid serial number"));
    }
}

void TestSimProtocol::commandsChangeWhatTheLaserReports()
{
    SimRunner sim(dir);
    QVERIFY(sim.start());
    QCOMPARE(sim.exchange("ly_lqz2_power=3000").value(1), QByteArray("Setted laser power: 3000nJ\n"));
    QCOMPARE(sim.exchange("ly_lqz2_power?").value(1), QByteArray("Setted laser power: 3000nJ\n"));
    QCOMPARE(sim.exchange("e_freq 4").value(1), QByteArray("Frequency index parameter: 4\n"));
    QCOMPARE(sim.exchange("e_freq?").value(2), QByteArray("Frequency index parameter: 4\n"));
    QCOMPARE(sim.exchange("ly_lqz2_standby").value(1), QByteArray("Listen -> Standby\n"));
    QCOMPARE(sim.exchange("ly_lqz2_dev_status?").value(1), QByteArray("ly_lqz2_dev_status 25\n"));
    QCOMPARE(sim.exchange("ls_crystal_setSpot=4"), QList<QByteArray>({"ls_crystal_setSpot=4\n"}));
    QCOMPARE(sim.exchange("ls_temp_setpoint_THG=65").value(1),
             QByteArray("New oven temperature setpoint: 65.0 C\n"));
    QCOMPARE(sim.exchange("ls_enable?").value(1), QByteArray("ZOR HG\tCurrent FSM state=3\n"));
}

void TestSimProtocol::terminalLineEndingsAndOverlongLines()
{
    SimRunner sim(dir);
    QVERIFY(sim.start());
    // A terminal program sends CR or CR LF; the echo still ends in a line feed, once per command.
    sim.send("e_div?\r");
    QVERIFY(sim.readUntil("Notice: Division factor for PCAOM is 1\n"));
    QCOMPARE(sim.received, QByteArray("e_div?\nNotice: Division factor for PCAOM is 1\n"));
    sim.received.clear();
    QCOMPARE(sim.exchangeRaw("\r\ne_div?\r"), QByteArray("e_div?\nNotice: Division factor for PCAOM is 1\n"));
    // A runaway line is thrown away whole, and the next command is served as usual.
    QCOMPARE(sim.exchangeRaw(QByteArray(3000, 'x')), QByteArray());
    QCOMPARE(sim.exchangeRaw("e_div?"), QByteArray("e_div?\nNotice: Division factor for PCAOM is 1\n"));
}

void TestSimProtocol::echoFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("echo dropped") << "drop-echo 1" << QByteArray("Notice: Division factor for PCAOM is 1\n");
    QTest::newRow("echo in CR") << "cr-echo 1"
                                << QByteArray("e_div?\rNotice: Division factor for PCAOM is 1\n");
    QTest::newRow("no fault") << "drop-echo 0"
                              << QByteArray("e_div?\nNotice: Division factor for PCAOM is 1\n");
}

void TestSimProtocol::echoFaults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, expected);
    SimRunner sim(dir);
    QVERIFY(sim.start());
    QCOMPARE(sim.control(fault), QStringLiteral("ok ") + fault);
    // The marker command behind it suffers the same fault, so compare only what precedes its echo.
    QByteArray raw = sim.exchangeRaw("e_div?");
    QCOMPARE(raw, expected);
    // Switched off again, the conversation is whole.
    sim.control(fault.section(QLatin1Char(' '), 0, 0) + QStringLiteral(" 0"));
    QCOMPARE(sim.exchangeRaw("e_div?"), QByteArray("e_div?\nNotice: Division factor for PCAOM is 1\n"));
}

void TestSimProtocol::noiseAndUnterminatedLines()
{
    SimRunner sim(dir);
    QVERIFY(sim.start());
    QCOMPARE(sim.control(QStringLiteral("garbage 1")), QStringLiteral("ok garbage 1"));
    const QList<QByteArray> lines = sim.exchange("e_freq?");
    QCOMPARE(lines.size(), 5); // echo, two answers, each answer followed by a line of noise
    QCOMPARE(lines.at(0), QByteArray("e_freq?\n"));
    QCOMPARE(lines.at(1), QByteArray("AOM max frequency fields number is: 8\n"));
    QVERIFY(lines.at(2).contains('\0'));
    QCOMPARE(lines.at(3), QByteArray("Frequency index parameter: 2\n"));
    QVERIFY(lines.at(4).contains('\0'));
    sim.control(QStringLiteral("garbage 0"));
    // The marker's answer had its noise line too; one more exchange leaves nothing pending.
    sim.exchangeRaw("e_div?");
    QCOMPARE(sim.received, QByteArray());

    QCOMPARE(sim.control(QStringLiteral("garbage-now 20")), QStringLiteral("ok garbage-now 20"));
    QVERIFY(sim.readUntil("\n"));
    QCOMPARE(sim.received.size(), 21);
    QCOMPARE(sim.received.at(0), '\0');
    sim.received.clear();

    // Bytes without a terminator run into the next echo, as a half-sent line would on the wire.
    QCOMPARE(sim.control(QStringLiteral("partial 12")), QStringLiteral("ok partial 12"));
    const QByteArray raw = sim.exchangeRaw("e_div?");
    QCOMPARE(raw.size(), 12 + 7 + 39);
    QVERIFY(raw.mid(12).startsWith("e_div?\n"));
    QVERIFY(!raw.left(12).contains('\n'));
}

void TestSimProtocol::silenceLosesCommands()
{
    SimRunner sim(dir);
    QVERIFY(sim.start());
    QCOMPARE(sim.control(QStringLiteral("silence forever")), QStringLiteral("ok silence forever"));
    sim.send("e_div?\n");
    QVERIFY(sim.waitForTranscript(QStringLiteral("silent: no answer")));
    QCOMPARE(sim.control(QStringLiteral("silence off")), QStringLiteral("ok silence off"));
    // Only the command sent after the silence is answered: the one before was lost, not delayed.
    QCOMPARE(sim.exchangeRaw("e_power?"),
             QByteArray("e_power?\nSetted laser power in relative unit: 2000\n"));
}

void TestSimProtocol::readyCanBeRefused()
{
    SimRunner sim(dir);
    QVERIFY(sim.start({"--refuse-ready", "1"}));
    QCOMPARE(sim.exchange("ly_lqz2_dev_status?").value(1), QByteArray("ly_lqz2_dev_status 17\n"));
    QCOMPARE(sim.exchange("ly_lqz2_dev_status?").value(1), QByteArray("ly_lqz2_dev_status 9\n"));
    QCOMPARE(sim.control(QStringLiteral("refuse-ready 1")), QStringLiteral("ok refuse-ready 1"));
    QCOMPARE(sim.exchange("ly_lqz2_dev_status?").value(1), QByteArray("ly_lqz2_dev_status 17\n"));
}

void TestSimProtocol::moduleFaultsAndReadings()
{
    SimRunner sim(dir);
    QVERIFY(sim.start({"--module", "0x90", "--error", "12"}));
    QCOMPARE(sim.exchange("ls_errorcode?").value(1), QByteArray("ZOR HG\tErrorcode=12\n"));
    QCOMPARE(sim.exchange("ly_lqz2_dev_status?").value(1), QByteArray("ly_lqz2_dev_status 11\n"));
    QCOMPARE(sim.control(QStringLiteral("error 0")), QStringLiteral("ok error 0"));
    QCOMPARE(sim.control(QStringLiteral("flags 0x0400")), QStringLiteral("ok flags 0x0400"));
    QCOMPARE(sim.control(QStringLiteral("shutter on")), QStringLiteral("ok shutter on"));
    QCOMPARE(sim.exchange("ls_status?"), QList<QByteArray>({"ls_status?\n", "ZOR HG\tStatus flags=0400\n",
                                                            "ZOR HG\tShutter in wrong position.\n"}));
    QCOMPARE(sim.exchange("ly_lqz2_dev_status?").value(1), QByteArray("ly_lqz2_dev_status 13\n"));
    QCOMPARE(sim.control(QStringLiteral("set humidity 47")), QStringLiteral("ok set humidity 47"));
    const QByteArray humidity = sim.exchange("ls_humidity?").value(1);
    QVERIFY2(humidity.startsWith("ZOR SHG\tHumidity=4") && humidity.endsWith("%\n"), humidity.constData());
    QVERIFY(qAbs(humidity.mid(17, humidity.size() - 19).toDouble() - 47.0) < 0.5);
    QCOMPARE(sim.control(QStringLiteral("set shg-power 1234.5")), QStringLiteral("ok set shg-power 1234.5"));
    QCOMPARE(sim.exchange("ls_output_power?").value(1), QByteArray("ZOR SHG\tOutput power = 1.234 W\n"));
}

void TestSimProtocol::debugOutputAnnouncesItself()
{
    SimRunner sim(dir);
    QVERIFY(sim.start());
    QCOMPARE(sim.control(QStringLiteral("debug on")), QStringLiteral("ok debug on"));
    QVERIFY(sim.readUntil("Debugging on communication channel 2 enabled\n"));
    sim.received.clear();
    const QList<QByteArray> traced = sim.exchange("e_div?");
    QCOMPARE(traced.size(), 3);
    QVERIFY(traced.at(2).startsWith("DBG: "));
    // The marker behind the last command left its own trace line, which comes first here.
    QVERIFY(sim.exchange("d2=0").contains("Debugging on communication channel 2 disabled\n"));
    QCOMPARE(sim.exchange("e_div?").size(), 2);
}

void TestSimProtocol::hangUpWithdrawsThePortAndComesBack()
{
    SimRunner sim(dir);
    QVERIFY(sim.start());
    QCOMPARE(sim.exchange("e_freq 5").value(1), QByteArray("Frequency index parameter: 5\n"));
    QCOMPARE(sim.control(QStringLiteral("hangup 0.2")), QStringLiteral("ok hangup 0.2"));
    QVERIFY(sim.events.contains(QStringLiteral("event port-lost")));
    // Our end sees the adapter vanish: a read ends with an error or end of file, not with data.
    pollfd item{sim.fd, POLLIN, 0};
    QVERIFY(::poll(&item, 1, simWaitMs) > 0);
    char byte = 0;
    QVERIFY(::read(sim.fd, &byte, 1) <= 0);
    QVERIFY(sim.waitForEvent(QStringLiteral("event port-restored ") + sim.path));
    QVERIFY(QFileInfo(sim.path).exists());
    QVERIFY(sim.openPort());
    // The laser itself kept its settings; only the cable was pulled.
    QCOMPARE(sim.exchange("e_freq?").value(2), QByteArray("Frequency index parameter: 5\n"));
    QVERIFY(sim.transcript().contains(QLatin1String("-- hung up")));
}

// With --tcp the same laser is on a loopback TCP port; a hang-up drops the client and refuses new
// ones until the port is back under the same number.
void TestSimProtocol::tcpPortServesTheLaser()
{
    SimRunner sim(dir);
    sim.process.start(QStringLiteral(LUMETRA_SIM_PATH),
                      {QStringLiteral("--fast"), QStringLiteral("--tcp"), QStringLiteral("0"),
                       QStringLiteral("--log"), sim.logPath()});
    QVERIFY(sim.process.waitForStarted(simWaitMs) && sim.process.waitForReadyRead(simWaitMs));
    const QString path = QString::fromLocal8Bit(sim.process.readLine()).trimmed();
    const QUrl url(path);
    QCOMPARE(url.scheme() + "://" + url.host(), QStringLiteral("socket://127.0.0.1"));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
    QVERIFY(client.waitForConnected(simWaitMs));
    client.write("e_freq 5\n");
    QByteArray answer;
    while (!answer.contains("Frequency index parameter: 5\n") && client.waitForReadyRead(simWaitMs))
        answer += client.readAll();
    QVERIFY2(answer.startsWith("e_freq 5\nFrequency index parameter: 5\n"), answer.constData());

    QCOMPARE(sim.control(QStringLiteral("hangup 0.5")), QStringLiteral("ok hangup 0.5"));
    QVERIFY(client.state() == QAbstractSocket::UnconnectedState || client.waitForDisconnected(simWaitMs));
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
    QVERIFY(!refused.waitForConnected(simWaitMs));
    QCOMPARE(refused.error(), QAbstractSocket::ConnectionRefusedError);
    QVERIFY(sim.waitForEvent(QStringLiteral("event port-restored ") + path));
    client.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
    QVERIFY(client.waitForConnected(simWaitMs));
}

void TestSimProtocol::controlCommandsCheckTheirArguments_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("fraction above 1") << "drop-echo 2";
    QTest::newRow("fraction missing") << "cr-echo";
    QTest::newRow("silence word") << "silence soon";
    QTest::newRow("garbage of nothing") << "garbage-now 0";
    QTest::newRow("unknown reading") << "set colour red";
    QTest::newRow("reading without value") << "set humidity";
    QTest::newRow("shutter maybe") << "shutter maybe";
    QTest::newRow("hangup off") << "hangup off";
    QTest::newRow("unknown command") << "explode";
}

void TestSimProtocol::controlCommandsCheckTheirArguments()
{
    QFETCH(QString, command);
    SimRunner sim(dir);
    QVERIFY(sim.start({"--module", "none"}));
    QVERIFY(sim.control(command).startsWith(QLatin1String("error: ")));
    // Nothing was half-applied: the laser still answers normally.
    QCOMPARE(sim.exchangeRaw("e_div?"), QByteArray("e_div?\nNotice: Division factor for PCAOM is 1\n"));
    QVERIFY(sim.control(QStringLiteral("status")).startsWith(QLatin1String("port ")));
}

void TestSimProtocol::namedPipeControl()
{
    SimRunner sim(dir);
    const QString pipe = dir.filePath(QStringLiteral("control"));
    QVERIFY(sim.start({"--control", pipe, "--module", "0x86"}));
    QFile fifo(pipe);
    QVERIFY(fifo.open(QIODevice::WriteOnly));
    fifo.write("set humidity 80\n");
    fifo.close();
    QVERIFY(sim.process.waitForReadyRead(simWaitMs));
    QCOMPARE(QString::fromLocal8Bit(sim.process.readLine()).trimmed(), QStringLiteral("ok set humidity 80"));
    QCOMPARE(sim.exchange("ls_status?").value(1), QByteArray("ZOR HG\tStatus flags=0200\n"));
    sim.stop();
    QVERIFY(!QFileInfo::exists(pipe)); // the pipe it made goes with it
}

void TestSimProtocol::transcriptRecordsBothDirections()
{
    SimRunner sim(dir);
    QVERIFY(sim.start({"--module", "0x86"}));
    sim.exchange("ls_humidity?");
    sim.control(QStringLiteral("garbage-now 4"));
    QVERIFY(sim.waitForTranscript(QStringLiteral("TX \"\\x00")));
    const QStringList lines = sim.transcript().split(QLatin1Char('\n'));
    const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} (RX|TX|--) "));
    int rx = -1;
    int echo = -1;
    int humidity = -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        QVERIFY2(stamp.match(lines[i]).hasMatch(), qPrintable(lines[i]));
        if (lines[i].endsWith(QLatin1String(" RX \"ls_humidity?\\n\"")))
            rx = i;
        else if (lines[i].endsWith(QLatin1String(" TX \"ls_humidity?\\n\"")))
            echo = i;
        else if (lines[i].contains(QLatin1String(" TX \"ZOR SHG\\tHumidity=")))
            humidity = i;
    }
    QVERIFY(rx >= 0 && rx < echo && echo < humidity);
}

void TestSimProtocol::terminationWithdrawsThePort()
{
    SimRunner sim(dir);
    QVERIFY(sim.start({}, QStringLiteral("going")));
    QVERIFY(QFileInfo(sim.path).isSymLink());
    ::kill(pid_t(sim.process.processId()), SIGTERM);
    QVERIFY(sim.process.waitForFinished(simWaitMs));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(!QFileInfo(sim.path).isSymLink());
}

void TestSimProtocol::portNameInUseIsRefusedAndStaleLinkReplaced()
{
    SimRunner first(dir);
    QVERIFY(first.start({}, QStringLiteral("shared")));
    SimRunner second(dir);
    QVERIFY(!second.start({}, QStringLiteral("shared")));
    QVERIFY(second.process.state() == QProcess::NotRunning || second.process.waitForFinished(simWaitMs));
    QCOMPARE(second.process.exitCode(), 1);
    QVERIFY(second.process.readAllStandardError().contains("already published"));
    // The refused one left the running one's link alone.
    QVERIFY(first.openPort());
    QCOMPARE(first.exchange("e_div?").size(), 2);

    // A link left behind by a simulator that died leads nowhere and is taken over.
    const QString stale = dir.filePath(QStringLiteral("stale"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("no-such-terminal")), stale));
    SimRunner third(dir);
    QVERIFY(third.start({}, QStringLiteral("stale")));
    QCOMPARE(third.exchange("e_div?").size(), 2);
}

void TestSimProtocol::killedSimulatorsLinkIsOrphaned()
{
    SimRunner killed(dir);
    QVERIFY(killed.start({}, QStringLiteral("reused")));
    const QString link = killed.path;
    QVERIFY(SerialportList::isOwnedLink(link));
    killed.closePort();
    ::kill(pid_t(killed.process.processId()), SIGKILL);
    QVERIFY(killed.process.waitForFinished(simWaitMs));

    // The terminal's number goes to another program: the left-behind link leads somewhere live again.
    int master = -1;
    int slave = -1;
    char device[256] = {};
    QVERIFY(::openpty(&master, &slave, device, nullptr, nullptr) == 0);
    QFile::remove(link);
    QVERIFY(QFile::link(QString::fromLocal8Bit(device), link));
    QVERIFY(QFileInfo::exists(link));
    QVERIFY(!SerialportList::isOwnedLink(link));

    // The next simulator of that name takes the link over, and it is listed while that one runs.
    SimRunner next(dir);
    QVERIFY(next.start({}, QStringLiteral("reused")));
    QCOMPARE(next.path, link);
    QVERIFY(QFileInfo(link).symLinkTarget() != QString::fromLocal8Bit(device));
    QVERIFY(SerialportList::isOwnedLink(link));
    QCOMPARE(next.exchange("e_div?").size(), 2);
    ::close(slave);
    ::close(master);
    next.stop();
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!SerialportList::isOwnedLink(link));
}

void TestSimProtocol::helpListsEveryOption()
{
    QProcess help;
    help.start(QStringLiteral(LUMETRA_SIM_PATH), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(simWaitMs));
    QCOMPARE(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    const char *const options[] = {
        "--tcp",       "--name",          "--port-dir", "--system",       "--app",        "--firmware",
        "--hardware",  "--serial-number", "--module",   "--mode",         "--turnaround", "--fast",
        "--baud",      "--log",           "--seed",     "--control",      "--set",        "--silence",
        "--drop-echo", "--cr-echo",       "--garbage",  "--refuse-ready", "--error",      "--flags",
        "--shutter",   "--debug"};
    for (const char *option : options)
        QVERIFY2(text.contains(QLatin1String(option)), option);
    for (const char *command : {"hangup", "partial", "garbage-now", "silence", "humidity"})
        QVERIFY2(text.contains(QLatin1String(command)), command);

    QProcess wrong;
    wrong.start(QStringLiteral(LUMETRA_SIM_PATH), {QStringLiteral("--module"), QStringLiteral("0x42")});
    QVERIFY(wrong.waitForFinished(simWaitMs));
    QCOMPARE(wrong.exitCode(), 2);
    QVERIFY(wrong.readAllStandardError().contains("unknown module 0x42"));
}

QTEST_GUILESS_MAIN(TestSimProtocol)
#include "tst_simprotocol.moc"
