#include "app/AppStartup.h"

#include "app/logger/ConsoleAppender.h"
#include "app/logger/FileAppender.h"
#include "app/logger/Logger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTime>

Q_LOGGING_CATEGORY(lcAppStartup, "lumetra.app.startup")

const char *const AppStartup::organizationName = "Zorvane";
const char *const AppStartup::organizationDomain = "zorvane.example";
const char *const AppStartup::applicationName = "LUMETRA-QZ";
const char *const AppStartup::applicationVersion = APP_VERSION;

void AppStartup::setIdentity()
{
    QCoreApplication::setOrganizationName(QLatin1String(organizationName));
    QCoreApplication::setOrganizationDomain(QLatin1String(organizationDomain));
    QCoreApplication::setApplicationName(QLatin1String(applicationName));
    QCoreApplication::setApplicationVersion(QLatin1String(applicationVersion));
}

QString AppStartup::buildDateFromCompilerText(const QString &compilerDate)
{
    // The compiler pads single-digit days with a second blank ("Feb  8 2021").
    const QDate date = QLocale::c().toDate(compilerDate.simplified(), QStringLiteral("MMM d yyyy"));
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString AppStartup::buildTimeFromCompilerText(const QString &compilerTime)
{
    const QTime time = QLocale::c().toTime(compilerTime.simplified(), QStringLiteral("HH:mm:ss"));
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QString();
}

void AppStartup::setBuildStamp(QCoreApplication *app, const QString &compilerDate,
                               const QString &compilerTime)
{
    app->setProperty("BUILDDATE", buildDateFromCompilerText(compilerDate));
    app->setProperty("BUILDTIME", buildTimeFromCompilerText(compilerTime));
}

QString AppStartup::diagnosticLogFileName(const QDate &date)
{
    return QStringLiteral("applog_") + date.toString(QStringLiteral("yyMMdd")) + QStringLiteral(".log");
}

QString AppStartup::diagnosticLogPath(const QDate &date)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return QString();
    QDir dir(folder);
    if (!dir.exists() && !dir.mkpath(QStringLiteral("."))) {
        qCDebug(lcAppStartup) << "cannot create the data folder" << folder;
        return QString();
    }
    return dir.absoluteFilePath(diagnosticLogFileName(date));
}

void AppStartup::openDiagnosticLog(const QString &path)
{
    Logger *logger = Logger::globalInstance();
    if (path.isEmpty())
        logger->registerAppender(new ConsoleAppender);
    else
        logger->registerAppender(new FileAppender(path));
    Logger::installMessageHandler();
}

int AppStartup::pruneDiagnosticLogs(const QString &folder, int keep)
{
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return 0;
    QFileInfoList files = dir.entryInfoList({QStringLiteral("applog_*.log")}, QDir::Files | QDir::NoSymLinks,
                                            QDir::Time | QDir::Reversed);
    keep = qMax(keep, 1);
    while (files.size() > keep) {
        const QFileInfo oldest = files.takeFirst();
        // A file that cannot be deleted is dropped from the count all the same, so start-up never stalls
        // here.
        if (!QFile::remove(oldest.absoluteFilePath()))
            qCDebug(lcAppStartup) << "cannot delete old diagnostic log" << oldest.absoluteFilePath();
    }
    return files.size();
}
