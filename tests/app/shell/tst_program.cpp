#include "ShellTestMain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>

// Starts the real program in a home folder of its own and watches what its start-up leaves on disk.
class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void startupWritesDatedLogAndPrunes();
};

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
