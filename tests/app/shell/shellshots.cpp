// Takes the documentation's pictures of the main window against the simulated laser:
//   xvfb-run -s "-screen 0 1920x1080x24" build/tests/app/shell/shellshots docs 1366x768
// With --pages it instead shows every dock and every page of the panel, in the language given by
// --lang, and prints the window's least size beside each picture (fit-<size>-<lang>-<page>.png):
//   xvfb-run -s "-screen 0 1920x1080x24" build/tests/app/shell/shellshots --pages --lang de docs 1366x768
// With --silence it switches the laser on with its output enabled, silences it, and takes the window
// and its status bar with the last report (silence-<size>-<lang>.png, status-bar-silence-...):
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/app/shell/shellshots --silence --lang de docs
//   1920x1080
// --panel takes the control panel alone, without the docks (control-panel-<lang>.png).
// Not a test: it checks nothing beyond reaching each state, and fails if one is not reached.
#include "ShellTestMain.h"
#include "app/AppTranslator.h"
#include "app/ConnectionStatusBar.h"
#include "app/MainWindow.h"
#include "app/view/LumetraRemoteControl.h"
#include "app/view/LumetraView.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"
#include "tests/device/reconnect/SimProcess.h"

#include <QDockWidget>
#include <QLabel>
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

// Whether each text of the status bar has the room it asks for.
void printStatusBarRoom(MainWindow &window)
{
    for (QLabel *label : window.connectionStatusBar()->findChildren<QLabel *>()) {
        if (label->isVisible() && !label->text().isEmpty())
            std::printf("  %s \"%s\" %d of %d px%s\n", qPrintable(label->objectName()),
                        qPrintable(label->text()), label->width(), label->sizeHint().width(),
                        label->width() < label->sizeHint().width() ? " CUT" : "");
    }
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
    const bool silence = args.removeAll(QStringLiteral("--silence")) > 0;
    const bool panelOnly = args.removeAll(QStringLiteral("--panel")) > 0;
    QString language = QStringLiteral("en");
    const int langAt = args.indexOf(QStringLiteral("--lang"));
    if (langAt > 0 && langAt + 1 < args.size()) {
        language = AppTranslator::install(&app, args.at(langAt + 1));
        args.erase(args.begin() + langAt, args.begin() + langAt + 2);
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: shellshots [--pages|--silence|--panel] [--lang LANGUAGE] OUTPUT-FOLDER "
                             "WIDTHxHEIGHT\n");
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
    const int height = size.value(1).toInt() - (pages || silence ? desktopAllowance : 0);
    window.resize(size.value(0).toInt(), height);
    window.show();
    for (QDockWidget *dock : window.getGenericDocks())
        dock->setVisible(!panelOnly);
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
            printStatusBarRoom(window);
            ok = save(&window, name) && ok;
        }
        return ok ? 0 : 1;
    }

    if (panelOnly)
        return save(&window, QStringLiteral("%1/control-panel-%2.png").arg(out, language)) ? 0 : 1;

    if (silence) {
        auto *remote = window.findChild<LumetraRemoteControl *>();
        if (!remote)
            return 1;
        // Standby, Laser On, Output enable: the laser's own order of states.
        const QList<IndicatorButton *> buttons = remote->findChildren<IndicatorButton *>();
        for (int index : {2, 1, 0}) {
            QTest::mouseClick(buttons.at(index)->button(), Qt::LeftButton);
            if (!waitFor([&] { return buttons.at(index)->isActive(); }))
                return 1;
        }
        QTest::qWait(3000); // the status byte follows the lamps at the next poll
        laser.control("silence forever");
        if (!waitFor([&] { return watch->state() == LumetraReconnector::State::Unavailable; }))
            return 1;
        QTest::qWait(1500);
        const QString tail = QStringLiteral("-%1-%2.png").arg(args.at(2), language);
        std::printf("status bar during the silence:\n");
        printStatusBarRoom(window);
        bool ok = save(&window, out + QStringLiteral("/silence") + tail);
        return save(window.statusBar(), out + QStringLiteral("/status-bar-silence") + tail) && ok ? 0 : 1;
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
