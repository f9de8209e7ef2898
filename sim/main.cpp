#include "sim/SimControl.h"
#include "sim/SimOptions.h"
#include "sim/SimSignalWatcher.h"
#include "sim/Simulator.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    // Whoever started us waits for these lines: never leave them in a buffer.
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("LUMETRA-QZ"));
    QCoreApplication::setApplicationName(QStringLiteral("lumetra-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    // The model's trace is for developers: quiet unless asked for with --verbose or QT_LOGGING_RULES.
    if (!QCoreApplication::arguments().contains(QStringLiteral("--verbose")) &&
        qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("lumetra.sim*.debug=false"));

    SimOptions options;
    switch (options.parse(QCoreApplication::arguments())) {
    case SimOptions::Outcome::ShowHelp:
        printLine(stdout, options.helpText + QLatin1Char('\n') + SimControl::help().join(QLatin1Char('\n')));
        return 0;
    case SimOptions::Outcome::ShowVersion:
        printLine(stdout, QStringLiteral("lumetra-sim %1").arg(QCoreApplication::applicationVersion()));
        return 0;
    case SimOptions::Outcome::Error:
        printLine(stderr, QStringLiteral("lumetra-sim: %1").arg(options.errorText));
        return 2;
    case SimOptions::Outcome::Run:
        break;
    }

    SimSignalWatcher signalWatcher;
    Simulator simulator(options);
    SimControl control(&simulator);
    QObject::connect(&control, &SimControl::reply, [](const QString &text) { printLine(stdout, text); });
    QObject::connect(&control, &SimControl::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&signalWatcher, &SimSignalWatcher::terminationRequested, &app, &QCoreApplication::quit);
    QObject::connect(&simulator, &Simulator::portLost,
                     [] { printLine(stdout, QStringLiteral("event port-lost")); });
    QObject::connect(&simulator, &Simulator::portRestored, [](const QString &path) {
        printLine(stdout, QStringLiteral("event port-restored %1").arg(path));
    });
    signalWatcher.install();

    for (const QString &command : qAsConst(options.startupCommands)) {
        const QString reply = control.execute(command);
        if (reply.startsWith(QLatin1String("error"))) {
            printLine(stderr, QStringLiteral("lumetra-sim: %1").arg(reply));
            return 2;
        }
    }
    QString error;
    if (!simulator.start(&error)) {
        printLine(stderr, QStringLiteral("lumetra-sim: %1").arg(error));
        return 1;
    }
    if (!options.controlFifo.isEmpty() && !control.openFifo(options.controlFifo, &error)) {
        printLine(stderr, QStringLiteral("lumetra-sim: %1").arg(error));
        simulator.shutdown();
        return 1;
    }
    printLine(stdout, simulator.portPath());
    control.listenToStandardInput();

    const int status = app.exec();
    simulator.shutdown();
    return status;
}
