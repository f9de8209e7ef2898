// Takes the documentation's pictures of the main window against the simulated laser:
//   xvfb-run -s "-screen 0 1920x1080x24" build/tests/app/shell/shellshots docs 1366x768
// With --pages it instead shows every dock and every page of the panel, in the language given by
// --lang, and prints the window's least size beside each picture (fit-<size>-<lang>-<page>.png):
//   xvfb-run -s "-screen 0 1920x1080x24" build/tests/app/shell/shellshots --pages --lang de docs 1366x768
// Not a test: it checks nothing beyond reaching each state, and fails if one is not reached.
#include "ShellTestMain.h"
#include "app/AppTranslator.h"
#include "app/ConnectionStatusBar.h"
#include "app/MainWindow.h"
#include "app/view/LumetraView.h"
#include "tests/app/device/reconnect/SimProcess.h"

#include <QDockWidget>
#include <QStatusBar>

#include <cstdio>

namespace {
// Room a desktop keeps for its taskbar and the window's title bar; the pictures of --pages show the
// window at the size that is left.
constexpr int desktopAllowance = 72;

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

void printLeastSize(MainWindow &window, const QString &what)
{
    const QSize hint = window.minimumSizeHint();
    const QSize least = window.minimumSize();
    std::printf("%s: minimumSizeHint %dx%d, minimumSize %dx%d, size %dx%d\n", qPrintable(what), hint.width(),
                hint.height(), least.width(), least.height(), window.width(), window.height());
    // Which part asks for the room, when the window does not fit.
    const QList<QWidget *> parts{window.centralWidget(), window.statusBar()};
    for (QWidget *part : parts)
        std::printf("  %s %dx%d\n", part->metaObject()->className(), part->minimumSizeHint().width(),
                    part->minimumSizeHint().height());
    for (QDockWidget *dock : window.getGenericDocks())
        std::printf("  dock %s %dx%d\n", qPrintable(dock->objectName()), dock->minimumSizeHint().width(),
                    dock->minimumSizeHint().height());
}

const char *const pageNames[] = {
    "control", "view", "temperatures", "system-details", "system-settings", "harmonic-generator"};
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
    QStringList args = app.arguments();
    const bool pages = args.removeAll(QStringLiteral("--pages")) > 0;
    QString language = QStringLiteral("en");
    const int langAt = args.indexOf(QStringLiteral("--lang"));
    if (langAt > 0 && langAt + 1 < args.size()) {
        language = AppTranslator::install(&app, args.at(langAt + 1));
        args.erase(args.begin() + langAt, args.begin() + langAt + 2);
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: shellshots [--pages] [--lang LANGUAGE] OUTPUT-FOLDER WIDTHxHEIGHT\n");
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
    const int height = size.value(1).toInt() - (pages ? desktopAllowance : 0);
    window.resize(size.value(0).toInt(), height);
    window.show();
    for (QDockWidget *dock : window.getGenericDocks())
        dock->show();
    emit window.sigOpenCommunication(laser.port);
    LumetraReconnector *watch = window.connectionWatch();
    if (!waitFor([&] { return watch->state() == LumetraReconnector::State::Connected; }))
        return 1;
    QTest::qWait(3000); // a few poll rounds fill the panel

    if (pages) {
        auto *view = window.findChild<LumetraView *>();
        if (!view)
            return 1;
        bool ok = true;
        for (int page = LumetraView::ControlPage; page <= LumetraView::HGPage; ++page) {
            view->setControlPage(page);
            QTest::qWait(300);
            // What an operator sees after the window manager has applied the window's least size.
            window.resize(window.size().expandedTo(window.minimumSize()));
            const QString name = QStringLiteral("%1/fit-%2-%3-%4.png")
                                     .arg(out, args.at(2), language, QLatin1String(pageNames[page]));
            printLeastSize(window, QLatin1String(pageNames[page]));
            ok = save(&window, name) && ok;
        }
        return ok ? 0 : 1;
    }

    bool ok = save(&window, out + QStringLiteral("/connected") + suffix);
    ok = save(window.statusBar(), out + QStringLiteral("/status-bar-connected") + suffix) && ok;

    laser.control("hangup forever");
    if (!waitFor([&] { return watch->state() == LumetraReconnector::State::Lost; }))
        return 1;
    ok = save(&window, out + QStringLiteral("/connection-lost") + suffix) && ok;
    ok = save(window.statusBar(), out + QStringLiteral("/status-bar-lost") + suffix) && ok;
    return ok ? 0 : 1;
}
