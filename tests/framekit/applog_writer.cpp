// Stands in for the program in the test of a killed session: loads the log as the program does at
// start-up, writes the lines given as arguments, says so, then runs until it is killed.
#include "framekit/_AppLog.h"

#include <QApplication>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("LUMETRA-QZ"));
    _AppLog *log = _AppLog::instance();
    log->LoadLog();
    const QStringList lines = app.arguments().mid(1);
    for (const QString &line : lines)
        log->WriteLogLine(line);
    std::puts("written");
    std::fflush(stdout);
    return app.exec();
}
