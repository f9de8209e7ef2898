#include "app/AppStartup.h"
#include "app/MainWindow.h"
#include "app/logger/Logger.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppStartup::setIdentity();
    AppStartup::setBuildStamp(&app, QStringLiteral(__DATE__), QStringLiteral(__TIME__));

    AppStartup::openDiagnosticLog(AppStartup::diagnosticLogPath());
    Logger::globalInstance()->write(Logger::Info, __FILE__, __LINE__, Q_FUNC_INFO, nullptr,
                                    QStringLiteral("***** Application startup *****"));
    AppStartup::pruneDiagnosticLogs(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    MainWindow mainWindow;
    mainWindow.show();
    return app.exec();
}
