#include "tango/LumetraQZClass.h"

#include <QCoreApplication>

#include <iostream>

// The Tango library asks the server for its classes by this name.
void Tango::DServer::class_factory()
{
    add_class(LumetraQZClass::init("LumetraQZ"));
}

// LumetraQZ <instance> [-nodb -dlist <domain/family/member> | -file=<file>] [-ORBendPoint giop:tcp::<port>]
int main(int argc, char *argv[])
{
    // Nothing in the server needs GLib's main loop, and Qt's own event dispatcher wakes a thread once
    // per batch of posted events where GLib's wakes it for each: measurably less CPU while polling.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // The device core's threads need an application object; its event loop is not run, the main
    // thread belongs to Tango.
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("LUMETRA-QZ"));
    QCoreApplication::setApplicationName(QStringLiteral("LumetraQZ"));
    try {
        Tango::Util *util = Tango::Util::init(argc, argv);
        util->server_init(false);
        std::cout << "Ready to accept request" << std::endl;
        util->server_run();
        util->server_cleanup();
    } catch (const std::bad_alloc &) {
        std::cerr << "Out of memory" << std::endl;
        return 1;
    } catch (const CORBA::Exception &e) {
        Tango::Except::print_exception(e);
        return 1;
    }
    return 0;
}
