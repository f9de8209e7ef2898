// lumetra-remote: the laser's remote interface without the program's window.
#include "device/UnixSignalQuit.h"
#include "remote/LumetraRemoteHost.h"
#include "remote/LumetraScpiServer.h"
#include "remote/LumetraScpiTree.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumetra-remote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(APP_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Serves the laser on PORT to scripts over TCP, in the instrument "
                                            "command language, without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QCoreApplication::translate("main", "The laser's port (a serial device or socket://HOST:PORT)."),
        QStringLiteral("PORT"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QCoreApplication::translate(
            "main",
            "Where scripts connect, [ADDRESS:]PORT; loopback when no address is given (default 5025)."),
        QStringLiteral("ADDRESS:PORT"), QStringLiteral("5025"));
    const QCommandLineOption allowOption(
        QStringLiteral("allow-writes"),
        QCoreApplication::translate(
            "main", "Let clients change the laser's settings and state; without it they may only ask."));
    const QCommandLineOption listOption(
        QStringLiteral("list-remote"),
        QCoreApplication::translate("main", "Print the command tree and exit."));
    parser.addOptions({portOption, listenOption, allowOption, listOption});

    QTextStream out(stdout);
    QTextStream err(stderr);
    // As command-line tools have it: a command line that cannot be used ends with status 2.
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "lumetra-remote: " << parser.errorText() << '\n';
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (parser.isSet(listOption)) {
        out << LumetraScpiTree::listing();
        return 0;
    }
    if (!parser.isSet(portOption)) {
        err << QCoreApplication::translate("main", "lumetra-remote: --port is needed") << '\n';
        return 2;
    }
    QHostAddress address;
    quint16 port = 0;
    if (!LumetraScpiServer::parseListenAddress(parser.value(listenOption), &address, &port)) {
        err << QCoreApplication::translate("main", "lumetra-remote: --listen takes [ADDRESS:]PORT, not %1")
                   .arg(parser.value(listenOption))
            << '\n';
        return 2;
    }
    UnixSignalQuit quit({SIGINT, SIGTERM, SIGHUP});
    QObject::connect(&quit, &UnixSignalQuit::quitRequested, &app, &QCoreApplication::quit);
    LumetraRemoteHost host;
    QString error;
    if (!host.start(parser.value(portOption), address, port, parser.isSet(allowOption), &error)) {
        err << QCoreApplication::translate("main", "lumetra-remote: cannot listen on %1: %2")
                   .arg(parser.value(listenOption), error)
            << '\n';
        return 1;
    }
    err << QCoreApplication::translate("main", "lumetra-remote: serving %1 on %2")
               .arg(parser.value(portOption), host.server()->address())
        << '\n';
    err.flush();
    return app.exec();
}
