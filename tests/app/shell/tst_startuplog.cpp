#include "ShellTestMain.h"
#include "app/AppTranslator.h"
#include "app/logger/AbstractStringAppender.h"
#include "app/logger/ConsoleAppender.h"
#include "app/logger/FileAppender.h"
#include "app/logger/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcTestStartup, "lumetra.test.startup")

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void touch(const QString &path, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x\n");
    // Written out first: the pending bytes would otherwise stamp the file again when it closes.
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

} // namespace

class TestStartupLog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void buildDate_data();
    void buildDate();
    void buildTime_data();
    void buildTime();
    void numbersFollowTheLanguage_data();
    void numbersFollowTheLanguage();
    void buildStampProperties();
    void identity();
    void diagnosticFileName();
    void diagnosticPathCreatesFolder();
    void recordFormat_data();
    void recordFormat();
    void categoryStandsInForMissingFunction();
    void customFormatKeepsUnknownPlaceholders();
    void fileAppenderAppendsAcrossRuns();
    void qtWarningsReachTheFileDebugDoesNot();
    void pruning_data();
    void pruning();
    void pruningSkipsLinksAndOtherFiles();
};

void TestStartupLog::cleanup()
{
    Logger::globalInstance()->removeAllAppenders();
}

void TestStartupLog::buildDate_data()
{
    QTest::addColumn<QString>("compiler");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("example") << "Feb 18 2021"
                             << "2021-02-18";
    QTest::newRow("padded single-digit day") << "Feb  8 2021"
                                             << "2021-02-08";
    QTest::newRow("December") << "Dec 31 1999"
                              << "1999-12-31";
    QTest::newRow("unreadable") << "Fev 18 2021"
                                << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestStartupLog::buildDate()
{
    QFETCH(QString, compiler);
    QFETCH(QString, stamp);
    // The C locale is what the compiler writes, whatever the workstation's language.
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(AppStartup::buildDateFromCompilerText(compiler), stamp);
    QLocale::setDefault(QLocale::c());
}

void TestStartupLog::buildTime_data()
{
    QTest::addColumn<QString>("compiler");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("example") << "11:42:49"
                             << "11:42:49";
    QTest::newRow("surrounding blanks") << " 07:05:09 "
                                        << "07:05:09";
    QTest::newRow("out of range") << "25:00:00"
                                  << "";
}

void TestStartupLog::buildTime()
{
    QFETCH(QString, compiler);
    QFETCH(QString, stamp);
    QCOMPARE(AppStartup::buildTimeFromCompilerText(compiler), stamp);
}

void TestStartupLog::numbersFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("shown");
    QTest::newRow("German") << "de"
                            << "1234,5";
    QTest::newRow("English") << "en"
                             << "1234.5";
}

void TestStartupLog::numbersFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, shown);
    QLocale::setDefault(QLocale(language == QLatin1String("de") ? QLocale::English : QLocale::German));
    QCOMPARE(AppTranslator::install(qApp, language), language);
    const QString number = QLocale().toString(1234.5, 'f', 1);
    for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
        qApp->removeTranslator(translator);
        delete translator;
    }
    QLocale::setDefault(QLocale::c());
    QCOMPARE(number, shown);
}

void TestStartupLog::buildStampProperties()
{
    AppStartup::setBuildStamp(qApp, QStringLiteral("Feb 18 2021"), QStringLiteral("11:42:49"));
    QCOMPARE(qApp->property("BUILDDATE"), QVariant(QStringLiteral("2021-02-18")));
    QCOMPARE(qApp->property("BUILDTIME"), QVariant(QStringLiteral("11:42:49")));
    AppStartup::setBuildStamp(qApp, QStringLiteral("garbage"), QStringLiteral("garbage"));
    QCOMPARE(qApp->property("BUILDDATE"), QVariant(QString()));
    QCOMPARE(qApp->property("BUILDTIME").toString(), QString());
}

void TestStartupLog::identity()
{
    AppStartup::setIdentity();
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Zorvane"));
    QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("zorvane.example"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("LUMETRA-QZ"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.0.25.680"));
    // The data folder is named by organisation and application.
    QVERIFY(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                .endsWith(QLatin1String("/Zorvane/LUMETRA-QZ")));
}

void TestStartupLog::diagnosticFileName()
{
    QCOMPARE(AppStartup::diagnosticLogFileName(QDate(2021, 2, 18)), QStringLiteral("applog_210218.log"));
    QCOMPARE(AppStartup::diagnosticLogFileName(QDate(2030, 11, 3)), QStringLiteral("applog_301103.log"));
}

void TestStartupLog::diagnosticPathCreatesFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(folder).removeRecursively();
    const QString path = AppStartup::diagnosticLogPath(QDate(2021, 2, 18));
    QCOMPARE(path, folder + QStringLiteral("/applog_210218.log"));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(QFileInfo(path).isAbsolute());
}

void TestStartupLog::recordFormat_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("levelText");
    QTest::newRow("info") << int(Logger::Info) << "[Info   ]";
    QTest::newRow("warning") << int(Logger::Warning) << "[Warning]";
    QTest::newRow("fatal") << int(Logger::Fatal) << "[Fatal  ]";
}

void TestStartupLog::recordFormat()
{
    QFETCH(int, level);
    QFETCH(QString, levelText);
    ConsoleAppender appender;
    const QDateTime when(QDate(2021, 2, 18), QTime(11, 42, 49, 7));
    QCOMPARE(appender.formattedString(when, Logger::LogLevel(level), "/src/app/main.cpp", 17,
                                      "int main(int, char **)", nullptr,
                                      QStringLiteral("***** Application startup *****")),
             QStringLiteral("2021-02-18T11:42:49.007 ") + levelText +
                 QStringLiteral(" <int main(int, char **)> ***** Application startup *****\n"));
}

void TestStartupLog::categoryStandsInForMissingFunction()
{
    ConsoleAppender appender;
    const QDateTime when(QDate(2021, 2, 18), QTime(11, 42, 49));
    QCOMPARE(appender.formattedString(when, Logger::Warning, nullptr, 0, nullptr,
                                      "lumetra.device.serialhandler", QStringLiteral("gone")),
             QStringLiteral("2021-02-18T11:42:49.000 [Warning] <lumetra.device.serialhandler> gone\n"));
}

void TestStartupLog::customFormatKeepsUnknownPlaceholders()
{
    ConsoleAppender appender;
    appender.setFormat(QStringLiteral("%{file}:%{line} %{category} %{nope} %{message"));
    QCOMPARE(appender.formattedString(QDateTime::currentDateTime(), Logger::Error, "/a/b/Thing.cpp", 42,
                                      nullptr, "lumetra.test", QStringLiteral("m")),
             QStringLiteral("Thing.cpp:42 lumetra.test %{nope} %{message"));
}

void TestStartupLog::fileAppenderAppendsAcrossRuns()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("applog_210218.log"));
    // Two starts on the same day: the second writes on after the first.
    for (const char *message : {"first run", "second run"}) {
        Logger logger;
        logger.registerAppender(new FileAppender(path));
        logger.write(Logger::Info, __FILE__, __LINE__, Q_FUNC_INFO, nullptr, QString::fromLatin1(message));
    }
    const QStringList lines = readAll(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).endsWith(QLatin1String("first run")));
    QVERIFY(lines.at(1).endsWith(QLatin1String("second run")));
    QVERIFY(lines.at(1).contains(QLatin1String("fileAppenderAppendsAcrossRuns")));
}

void TestStartupLog::qtWarningsReachTheFileDebugDoesNot()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("diag.log"));
    AppStartup::openDiagnosticLog(path);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
    qDebug("chatter of a 10 ms loop");
    QTest::ignoreMessage(QtWarningMsg, "port went away");
    qCWarning(lcTestStartup) << "port went away";
    QTest::ignoreMessage(QtCriticalMsg, "something critical");
    qCritical("something critical");
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    const QString content = readAll(path);
    QVERIFY2(content.contains(QLatin1String("[Warning] <")) &&
                 content.contains(QLatin1String("port went away")),
             qPrintable(content));
    QVERIFY(content.contains(QLatin1String("[Error  ]")));
    // The source function where the build passes it, the category where it does not.
    QVERIFY2(content.contains(QLatin1String("qtWarningsReachTheFileDebugDoesNot")) ||
                 content.contains(QLatin1String("<lumetra.test.startup> port went away")),
             qPrintable(content));
    QVERIFY(!content.contains(QLatin1String("chatter")));
}

void TestStartupLog::pruning_data()
{
    QTest::addColumn<int>("present");
    QTest::addColumn<int>("left");
    QTest::newRow("twelve") << 12 << 10;
    QTest::newRow("eleven") << 11 << 10;
    QTest::newRow("ten") << 10 << 10;
    QTest::newRow("three") << 3 << 3;
}

void TestStartupLog::pruning()
{
    QFETCH(int, present);
    QFETCH(int, left);
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    // Names in the opposite order of age, so that sorting by name would pick the wrong files.
    for (int i = 0; i < present; ++i)
        touch(dir.filePath(QStringLiteral("applog_%1.log").arg(100 + i)), now.addDays(-i));

    QCOMPARE(AppStartup::pruneDiagnosticLogs(dir.path()), left);
    for (int i = 0; i < present; ++i)
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("applog_%1.log").arg(100 + i))), i < left);
}

void TestStartupLog::pruningSkipsLinksAndOtherFiles()
{
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < 12; ++i)
        touch(dir.filePath(QStringLiteral("applog_%1.log").arg(i)), now.addDays(-i));
    touch(dir.filePath(QStringLiteral("LUMETRA-QZ.log")), now.addYears(-3));
    touch(dir.filePath(QStringLiteral("applog_old.txt")), now.addYears(-3));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("applog_0.log")),
                        dir.filePath(QStringLiteral("applog_link.log"))));

    QCOMPARE(AppStartup::pruneDiagnosticLogs(dir.path()), 10);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("LUMETRA-QZ.log"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("applog_old.txt"))));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("applog_link.log"))).isSymLink());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("applog_10.log"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("applog_11.log"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("applog_9.log"))));
}

SHELL_TEST_MAIN(TestStartupLog)
#include "tst_startuplog.moc"
