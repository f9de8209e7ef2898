#include "app/AppStartup.h"
#include "app/AppTranslator.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/logger/Logger.h"
#include "device/UnixSignalQuit.h"
#include "record/LumetraCsvExport.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stream);
}

} // namespace

int main(int argc, char *argv[])
{
    AppStartup::setIdentity();
    // The command line is judged before the window system is touched, so that help, version and
    // mistakes are answered without a display.
    const CommandLine::Options early = CommandLine::parse(argc, argv);
    if (early.action == CommandLine::Action::ShowHelp) {
        QCoreApplication core(argc, argv);
        AppTranslator::install(&core, early.language);
        print(stdout, CommandLine::helpText());
        return 0;
    }
    if (early.action == CommandLine::Action::ListQuantities) {
        QCoreApplication core(argc, argv);
        AppTranslator::install(&core, early.language);
        print(stdout, CommandLine::quantityList());
        return 0;
    }
    if (early.action == CommandLine::Action::ShowVersion) {
        print(stdout,
              CommandLine::versionText(AppStartup::buildDateFromCompilerText(QStringLiteral(__DATE__))));
        return 0;
    }

    if (early.action == CommandLine::Action::Fail) {
        print(stderr, early.message);
        print(stderr,
              QCoreApplication::translate("main", "Try \"%1 --help\".").arg(QString::fromLocal8Bit(argv[0])));
        return CommandLine::UsageErrorStatus;
    }
    const CommandLine::Options &options = early;

    if (!options.exportCsv.isEmpty()) {
        // An export needs no window: it reads the recordings and writes the file.
        QCoreApplication core(argc, argv);
        AppStartup::setIdentity();
        AppTranslator::install(&core, options.language);
        LumetraExportRequest request;
        request.file = options.exportCsv;
        // Times typed without a zone are the operator's local time; the recordings keep UTC.
        if (options.from.isValid())
            request.from = options.from.toUTC().toString(Qt::ISODateWithMs);
        if (options.to.isValid())
            request.to = options.to.toUTC().toString(Qt::ISODateWithMs);
        request.laser = options.laserSerial;
        QTextStream errors(stderr);
        return LumetraCsvExport::run(request, errors);
    }

    QApplication app(argc, argv);
    AppStartup::setIdentity();
    AppStartup::setBuildStamp(&app, QStringLiteral(__DATE__), QStringLiteral(__TIME__));
    AppTranslator::install(&app, options.language);

    AppStartup::openDiagnosticLog(AppStartup::diagnosticLogPath());
    Logger::globalInstance()->write(Logger::Info, __FILE__, __LINE__, Q_FUNC_INFO, nullptr,
                                    QStringLiteral("***** Application startup *****"));
    AppStartup::pruneDiagnosticLogs(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    // Logout, shutdown and `kill` end the program as the operator's Quit does: the port closed, the
    // recording complete, no lock file left behind. Taken over before the window exists, so that a signal
    // during its set-up waits for the event loop instead of cutting the program off.
    UnixSignalQuit signalQuit({SIGTERM, SIGHUP});
    MainWindow mainWindow;
    QObject::connect(&signalQuit, &UnixSignalQuit::quitRequested, &mainWindow, [&mainWindow] {
        // A dialog left open would keep the program running once the window is gone.
        while (QWidget *dialog = QApplication::activeModalWidget())
            if (!dialog->close())
                break;
        mainWindow.closeApplication();
    });
    mainWindow.show();
    mainWindow.connectAtStartup(options.connectPort);
    if (!options.remote.isEmpty())
        mainWindow.startRemoteControl(options.remote, options.remoteAllow);
    return app.exec();
}
