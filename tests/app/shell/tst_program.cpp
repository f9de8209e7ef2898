#include "ShellTestMain.h"
#include "app/CommandLine.h"
#include "record/LumetraRecordStore.h"
#include "tests/device/reconnect/SimProcess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

// Starts the real program in a home folder of its own and watches what its start-up leaves on disk.
class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void startupWritesDatedLogAndPrunes();
    void commandLineAnswers_data();
    void commandLineAnswers();
    void docsCarryTheQuantityList_data();
    void docsCarryTheQuantityList();
    void exportOptionsParsed();
    void connectOptionPolls();
    void signalEndsAsQuit_data();
    void signalEndsAsQuit();
};

namespace {
QProcessEnvironment isolatedEnvironment(const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    return environment;
}
} // namespace

// Answered without a display: the window system is set to one that cannot start here, so touching it
// would abort the program.
void TestProgram::commandLineAnswers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutPattern");
    QTest::addColumn<QString>("stderrPattern");
    QTest::newRow("version") << QStringList{"--version"} << 0
                             << QStringLiteral("^LUMETRA-QZ - Version %1 - Date \\d{4}-\\d\\d-\\d\\d\\n$")
                                    .arg(QRegularExpression::escape(QStringLiteral(APP_VERSION)))
                             << "^$";
    QTest::newRow("help")
        << QStringList{"--help"} << 0
        << "--connect <PORT> +Open the serial port PORT at start-up\\.\\n(.|\\n)*--export-csv <FILE>"
        << "^$";
    QTest::newRow("list quantities")
        << QStringList{"--list-quantities"} << 0
        << "^\\| Key \\| Label \\| Unit \\| Kind \\| Writable \\| Limits \\|\\n(.|\\n)*"
           "\\| `laser.energy_setpoint` \\| Energy set-point \\| µJ \\| analog \\| yes \\|"
        << "^$";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "^$"
                                    << "^Unknown option 'bogus'\\.\\nTry \".* --help\"\\.\\n$";
    QTest::newRow("toolkit option kept, unknown refused")
        << QStringList{"-style", "fusion", "--conect", "x"} << 2 << "^$"
        << "^Unknown option 'conect'\\.\\n";
    QTest::newRow("unreadable time") << QStringList{"--export-csv", "out.csv", "--from", "yesterday"} << 2
                                     << "^$"
                                     << "^--from: cannot read the time \"yesterday\"";
    const QStringList exportCsv{"--export-csv", "out.csv", "--laser", "LQZ10-2611-0042"};
    QTest::newRow("language we do not have")
        << QStringList{"--lang", "xx"} << 2 << "^$"
        << "^--lang: there is no translation for \"xx\"; the languages are en";
    QTest::newRow("export without a span") << exportCsv << 2 << "^$"
                                           << "^--from and --to are required with --export-csv";
    QTest::newRow("empty span") << exportCsv +
                                       QStringList{"--from", "2026-12-09T02:08Z", "--to", "2026-12-09T02:08Z"}
                                << 2 << "^$"
                                << "^The span from --from 2026-12-09T02:08Z to --to .* is empty";
    QTest::newRow("text after a time")
        << exportCsv + QStringList{"--from", "2026-12-09T02:08:00Z junk", "--to", "2026-12-10T00:00Z"} << 2
        << "^$"
        << "^--from: cannot read the time \"2026-12-09T02:08:00Z junk\"";
    QTest::newRow("local time skipped by daylight-saving time")
        << exportCsv + QStringList{"--from", "2026-03-29T02:30", "--to", "2026-03-30T00:00"} << 2 << "^$"
        << "^--from: the local time \"2026-03-29T02:30\" does not exist in the time zone Europe/Berlin: it "
           "falls in the change to daylight-saving time";
    QTest::newRow("file name not UTF-8")
        << QStringList{"--export-csv", "\\0377.csv",        "--laser", "LQZ10-2611-0042",
                       "--from",       "2026-12-09T00:00Z", "--to",    "2026-12-10T00:00Z"}
        << 2 << "^$"
        << "^The argument \".\\.csv\" is not valid text in the system's encoding \\(UTF-8\\)";
}

void TestProgram::commandLineAnswers()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment environment = isolatedEnvironment(home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    // Each argument goes through printf's %b, so that a row can give bytes that are no text.
    program.start(
        QStringLiteral("/bin/sh"),
        QStringList{"-c",
                    "for a\ndo set -- \"$@\" \"$(printf '%b' \"$a\")\"; shift\ndone\nexec \"$0\" \"$@\"",
                    QStringLiteral(LUMETRA_PROGRAM)} +
            arguments);
    QVERIFY(program.waitForFinished(10000));
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QTEST(program.exitCode(), "exitCode");
    QFETCH(QString, stdoutPattern);
    QFETCH(QString, stderrPattern);
    QVERIFY2(QRegularExpression(stdoutPattern).match(out).hasMatch(), qPrintable(out));
    QVERIFY2(QRegularExpression(stderrPattern).match(err).hasMatch(), qPrintable(err));
    if (program.exitCode() != 0)
        QCOMPARE(QDir(home.path()).entryList({"*.csv"}, QDir::Files), QStringList());
}

// The README and the manual show the table the program prints, not a copy that drifts from it.
void TestProgram::docsCarryTheQuantityList_data()
{
    QTest::addColumn<QString>("document");
    QTest::newRow("README") << QStringLiteral("README.md");
    QTest::newRow("manual") << QStringLiteral("docs/manual/manual.md");
}

void TestProgram::docsCarryTheQuantityList()
{
    QFETCH(QString, document);
    QProcess program;
    program.start(QStringLiteral(LUMETRA_PROGRAM), {"--list-quantities", "--lang", "en"});
    QVERIFY(program.waitForFinished(10000));
    const QString listed = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY(listed.count(QLatin1Char('\n')) > 2);

    QFile file(QStringLiteral(LUMETRA_SOURCE_DIR "/") + document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpressionMatch section =
        QRegularExpression(QStringLiteral("<!-- quantities:[^\\n]*-->\\n\\n(.*?)\\n<!-- /quantities -->"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(text);
    QVERIFY2(section.hasMatch(), "no quantity table in the document");
    QCOMPARE(section.captured(1), listed.trimmed() + QLatin1Char('\n'));
}

void TestProgram::exportOptionsParsed()
{
    const CommandLine::Options options =
        CommandLine::parse({"LUMETRA-QZ", "--export-csv", "out.csv", "--from", "2026-03-01 08:00:00", "--to",
                            "2026-03-02T18:30", "--laser", "LQZ10-2611-0042"});
    QCOMPARE(int(options.action), int(CommandLine::Action::Run));
    QCOMPARE(options.exportCsv, QStringLiteral("out.csv"));
    QCOMPARE(options.from, QDateTime(QDate(2026, 3, 1), QTime(8, 0)));
    QCOMPARE(options.to, QDateTime(QDate(2026, 3, 2), QTime(18, 30)));
    QCOMPARE(options.laserSerial, QStringLiteral("LQZ10-2611-0042"));

    const CommandLine::Options reversed = CommandLine::parse(
        {"LUMETRA-QZ", "--export-csv", "out.csv", "--from", "2026-03-02T00:00", "--to", "2026-03-01T00:00"});
    QCOMPARE(int(reversed.action), int(CommandLine::Action::Fail));
    const CommandLine::Options alone = CommandLine::parse({"LUMETRA-QZ", "--laser", "LQZ10-2611-0042"});
    QCOMPARE(int(alone.action), int(CommandLine::Action::Fail));
}

// The port named on the command line is opened at start-up and polled like one chosen in the menu.
void TestProgram::connectOptionPolls()
{
    QTemporaryDir home;
    QTemporaryDir ports;
    SimProcess laser(QStringLiteral(LUMETRA_SIM_PATH), ports.path(),
                     ports.filePath(QStringLiteral("laser.log")));
    QVERIFY(laser.start({}));
    QProcess program;
    QProcessEnvironment environment = isolatedEnvironment(home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMETRA_PROGRAM), {QStringLiteral("--connect"), laser.port});
    QVERIFY(program.waitForStarted());
    const auto pollsAfterHandshake = [&laser] {
        const QString transcript = laser.transcript();
        const int status = transcript.indexOf(QLatin1String("RX \"ly_lqz2_dev_status?\\n\""));
        return status > transcript.indexOf(QLatin1String("RX \"ly_system_info\\n\"")) &&
               transcript.indexOf(QLatin1String("RX \"s9\\n\""), status) > 0;
    };
    QTRY_VERIFY_WITH_TIMEOUT(pollsAfterHandshake(), 20000);
    program.kill();
    program.waitForFinished();
}

void TestProgram::signalEndsAsQuit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// Logout, shutdown and `kill` end the program as Quit does: status 0, the readings up to the signal and
// the port's close in the recording, and the serial port's lock file gone.
void TestProgram::signalEndsAsQuit()
{
    QFETCH(int, signalNumber);
    QTemporaryDir home;
    QTemporaryDir ports;
    SimProcess laser(QStringLiteral(LUMETRA_SIM_PATH), ports.path(),
                     ports.filePath(QStringLiteral("laser.log")));
    QVERIFY(laser.start({}));
    QProcess program;
    QProcessEnvironment environment = isolatedEnvironment(home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMETRA_PROGRAM), {QStringLiteral("--connect"), laser.port});
    QVERIFY(program.waitForStarted());
    const auto statusPolls = [&laser] {
        return laser.receivedCount(QStringLiteral("s9\\n"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(statusPolls() >= 3, 20000);
    // Signalled right after a status poll, so that the last second holds readings.
    const int polls = statusPolls();
    QTRY_VERIFY_WITH_TIMEOUT(statusPolls() > polls, 20000);

    // Where the serial port library takes its lock depends on which of these folders is writable.
    QString lockFile;
    const QString lockName = QStringLiteral("LCK..") + QString(laser.port).replace(QLatin1Char('/'), '_');
    for (const char *folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                               "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        if (QFile::exists(QLatin1String(folder) + '/' + lockName)) {
            lockFile = QLatin1String(folder) + '/' + lockName;
            break;
        }
    }

    const qint64 signalledAt = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QDir recordings(home.path() + QStringLiteral("/.local/share/Zorvane/LUMETRA-QZ/recordings"));
    const QStringList files = recordings.entryList({QStringLiteral("*.sqlite")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    LumetraRecordStore store(QStringLiteral("signalEndsAsQuit"));
    QString error;
    QCOMPARE(store.open(recordings.filePath(files.first()), &error, true),
             LumetraRecordStore::OpenResult::Opened);
    QVERIFY(!store.quantitiesWithData(signalledAt - 1000, signalledAt).isEmpty());
    const QVector<RecordEvent> events = store.events(0, signalledAt + 60000, false);
    QVERIFY(!events.isEmpty());
    QCOMPARE(events.first().text, QStringLiteral("Port %1 closed").arg(laser.port));
    store.close();

    if (lockFile.isEmpty())
        QSKIP("The serial port took no lock file in any of the usual folders; nothing to check.");
    QVERIFY2(!QFile::exists(lockFile), qPrintable(lockFile));
}

void TestProgram::startupWritesDatedLogAndPrunes()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString dataFolder = home.path() + QStringLiteral("/.local/share/Zorvane/LUMETRA-QZ");
    QVERIFY(QDir().mkpath(dataFolder));
    const QString todayFile = dataFolder + QStringLiteral("/applog_") +
                              QDate::currentDate().toString(QStringLiteral("yyMMdd")) +
                              QStringLiteral(".log");
    {
        QFile earlier(todayFile);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier run of today\n");
    }
    // Eleven older files beside today's: twelve in all, of which the ten newest must remain.
    const QDateTime now = QDateTime::currentDateTime();
    for (int age = 1; age <= 11; ++age) {
        QFile old(dataFolder + QStringLiteral("/applog_old%1.log").arg(age, 2, 10, QLatin1Char('0')));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("x\n");
        QVERIFY(old.flush());
        QVERIFY(old.setFileTime(now.addDays(-age), QFileDevice::FileModificationTime));
    }

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMETRA_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());

    auto readLog = [&] {
        QFile file(todayFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QLatin1String("***** Application startup *****")), 10000);
    // Pruning follows the start-up record; the window comes last, so wait for the program to settle.
    QTRY_COMPARE_WITH_TIMEOUT(
        QDir(dataFolder).entryList({QStringLiteral("applog_*.log")}, QDir::Files).size(), 10, 10000);
    program.kill();
    program.waitForFinished();

    const QString log = readLog();
    QVERIFY(log.startsWith(QLatin1String("earlier run of today\n")));
    const QStringList records = log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Later records may follow: Qt's own warnings of the run land in the same file.
    QVERIFY2(records.size() >= 2, qPrintable(log));
    QVERIFY2(records.at(1).contains(
                 QLatin1String("[Info   ] <int main(int, char**)> ***** Application startup *****")),
             qPrintable(records.at(1)));
    QVERIFY(QFile::exists(todayFile));
    QVERIFY(!QFile::exists(dataFolder + QStringLiteral("/applog_old11.log")));
    QVERIFY(!QFile::exists(dataFolder + QStringLiteral("/applog_old10.log")));
    QVERIFY(QFile::exists(dataFolder + QStringLiteral("/applog_old09.log")));
}

SHELL_TEST_MAIN(TestProgram)
#include "tst_program.moc"
