#pragma once

#include <QDate>
#include <QString>

class QCoreApplication;

// The steps of program start-up that come before the main window: identity, build stamp and the dated
// diagnostic log. Kept apart from the entry function so that each step can be exercised on its own.
class AppStartup
{
public:
    static const char *const organizationName;
    static const char *const organizationDomain;
    static const char *const applicationName;
    static const char *const applicationVersion;
    static const int keptDiagnosticLogs = 10;

    // Organisation name, domain, application name and version, in that order: they select the settings file
    // and the data folder.
    static void setIdentity();

    // Compiler texts "MMM d yyyy" and "HH:mm:ss" to "yyyy-MM-dd" and "HH:mm:ss"; empty when unreadable.
    static QString buildDateFromCompilerText(const QString &compilerDate);
    static QString buildTimeFromCompilerText(const QString &compilerTime);
    static void setBuildStamp(QCoreApplication *app, const QString &compilerDate,
                              const QString &compilerTime);

    static QString diagnosticLogFileName(const QDate &date);
    // The dated file in the application-data folder, which is created if missing; empty if that fails.
    static QString diagnosticLogPath(const QDate &date = QDate::currentDate());
    // A file appender on the path, or the console when the path is empty; Qt's warnings follow from then on.
    static void openDiagnosticLog(const QString &path);
    // Deletes the oldest "applog_*.log" files until at most `keep` remain; returns how many remain listed.
    static int pruneDiagnosticLogs(const QString &folder, int keep = keptDiagnosticLogs);
};
