// Takes the documentation's pictures of the main window against the simulated laser:
//   xvfb-run -s "-screen 0 1920x1080x24" build/tests/app/shell/shellshots docs 1366x768
// Not a test: it checks nothing beyond reaching each state, and fails if one is not reached.
#include "ShellTestMain.h"
#include "app/ConnectionStatusBar.h"
#include "app/MainWindow.h"
#include "tests/app/device/reconnect/SimProcess.h"

#include <QDockWidget>
#include <QStatusBar>

#include <cstdio>

namespace {
bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 30000);
}

bool save(QWidget *widget, const QString &path)
{
    QTest::qWait(300); // let the last layout and paint settle
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}
} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    isolateUserFolders(home);
    QApplication app(argc, argv);
    AppStartup::setIdentity();
    AppStartup::setBuildStamp(&app, QStringLiteral(__DATE__), QStringLiteral(__TIME__));
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: shellshots OUTPUT-FOLDER WIDTHxHEIGHT\n");
        return 2;
    }
    const QString out = args.at(1);
    const QStringList size = args.at(2).split(QLatin1Char('x'));
    const QString suffix = QLatin1Char('-') + args.at(2) + QStringLiteral(".png");

    SimProcess laser(QStringLiteral(LUMETRA_SIM_PATH), home.path(),
                     home.filePath(QStringLiteral("laser.log")));
    if (!laser.start({}))
        return 1;
    MainWindow window;
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();
    for (QDockWidget *dock : window.getGenericDocks())
        dock->show();
    emit window.sigOpenCommunication(laser.port);
    LumetraReconnector *watch = window.connectionWatch();
    if (!waitFor([&] { return watch->state() == LumetraReconnector::State::Connected; }))
        return 1;
    QTest::qWait(3000); // a few poll rounds fill the panel
    bool ok = save(&window, out + QStringLiteral("/connected") + suffix);
    ok = save(window.statusBar(), out + QStringLiteral("/status-bar-connected") + suffix) && ok;

    laser.control("hangup forever");
    if (!waitFor([&] { return watch->state() == LumetraReconnector::State::Lost; }))
        return 1;
    ok = save(&window, out + QStringLiteral("/connection-lost") + suffix) && ok;
    ok = save(window.statusBar(), out + QStringLiteral("/status-bar-lost") + suffix) && ok;
    return ok ? 0 : 1;
}
