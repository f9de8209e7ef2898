#include "ShellTestMain.h"
#include "app/AppTranslator.h"
#include "app/MainWindow.h"
#include "app/SerialMonitor.h"
#include "app/TTMenu.h"
#include "app/view/LumetraControlWidget.h"
#include "app/view/LumetraRemoteControl.h"
#include "app/view/LumetraView.h"
#include "device/LumetraController.h"
#include "dialkit/IndicatorButton.h"
#include "framekit/CenterTabWidget.h"
#include "framekit/MainControlPanel.h"
#include "framekit/SerialportList.h"
#include "framekit/_AppLog.h"

#include <QDesktopServices>
#include <QDockWidget>
#include <QHelpEvent>
#include <QLockFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolTip>
#include <QTranslator>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <memory>

namespace {

QStringList logParagraphs()
{
    QStringList lines;
    for (QTextBlock b = _AppLog::instance()->getLogDocument()->begin(); b.isValid(); b = b.next())
        if (!b.text().isEmpty())
            lines << b.text();
    return lines;
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
}

QMenu *menuTitled(QMainWindow &window, const QStringList &titles)
{
    const QList<QAction *> entries = window.menuBar()->actions();
    for (QAction *entry : entries)
        if (entry->menu() && titles.contains(entry->menu()->title()))
            return entry->menu();
    return nullptr;
}

// Shows a menu the way the menu bar does, so that its aboutToShow rebuild runs for real.
QStringList openMenu(QMenu *menu)
{
    menu->popup(QPoint(0, 0));
    QStringList texts;
    const QList<QAction *> entries = menu->actions();
    for (QAction *entry : entries)
        if (!entry->isSeparator())
            texts << entry->text();
    menu->hide();
    return texts;
}

QTabWidget *tabs(MainWindow &window)
{
    auto *center = qobject_cast<CenterTabWidget *>(window.centralWidget());
    return center ? center->getTabWidget() : nullptr;
}

QDockWidget *dockTitled(MainWindow &window, const QString &title)
{
    return window.findChild<QDockWidget *>(title);
}

// A pseudo-terminal published like the simulator publishes its port.
class VirtualPort
{
public:
    explicit VirtualPort(const QString &name)
    {
        char slaveName[256] = {};
        if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0)
            return;
        QDir().mkpath(SerialportList::virtualPortFolder());
        link = SerialportList::virtualPortFolder() + QLatin1Char('/') + name;
        QFile::remove(link);
        if (!QFile::link(QString::fromLocal8Bit(slaveName), link))
            link.clear();
        // The menu lists a simulator link only while its lock is held, as a running simulator holds it.
        owner = std::make_unique<QLockFile>(link + QStringLiteral(".lock"));
        owner->setStaleLockTime(0);
        if (!owner->tryLock(0))
            link.clear();
    }
    ~VirtualPort()
    {
        if (!link.isEmpty())
            QFile::remove(link);
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    VirtualPort(const VirtualPort &) = delete;
    VirtualPort &operator=(const VirtualPort &) = delete;

    bool isValid() const { return master >= 0 && !link.isEmpty(); }
    QString path() const { return link; }

private:
    int master = -1;
    int slave = -1;
    QString link;
    std::unique_ptr<QLockFile> owner;
};

// Shown whole: not hidden, and not cut by the window or by any scroll area or panel it sits in.
bool shownWhole(QWidget *widget)
{
    if (!widget->isVisible())
        return false;
    QRect shown(QPoint(0, 0), widget->size());
    for (QWidget *w = widget; w->parentWidget() && !w->isWindow(); w = w->parentWidget()) {
        shown.translate(w->pos());
        shown &= QRect(QPoint(0, 0), w->parentWidget()->size());
    }
    return shown.size() == widget->size();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

public slots:
    void captureUrl(const QUrl &url) { openedUrls << url; }

private:
    QList<QUrl> openedUrls;

private slots:
    void initTestCase();
    void init();
    void startupAndShutdownLines();
    void nextStartShowsEarlierRun();
    void windowTitle_data();
    void windowTitle();
    void menuEntries_data();
    void menuEntries();
    void menuBarOrder();
    void connectMenuWithoutOurPort();
    void connectMenuListsVirtualPort();
    void openCloseReopen();
    void windowMenuListsDocks();
    void firstStartDocksHidden();
    void dockLayoutRestoredByTitle();
    void writeLogLine();
    void tooltipOfHighlightedEntry_data();
    void tooltipOfHighlightedEntry();
    void manualLookup_data();
    void manualLookup();
    void manualOpenedBesideProgram();
    void fitsSmallScreen_data();
    void fitsSmallScreen();
};

void TestMainWindow::initTestCase()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "captureUrl");
}

void TestMainWindow::init()
{
    qApp->setProperty("BUILDDATE", QStringLiteral("2021-02-18"));
    qApp->setProperty("BUILDTIME", QStringLiteral("11:42:49"));
}

void TestMainWindow::startupAndShutdownLines()
{
    _AppLog *appLog = _AppLog::instance();
    QFile::remove(appLog->getLogFilePath());
    appLog->getLogDocument()->clear();

    auto window = std::make_unique<MainWindow>();
    const QRegularExpression startup(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d \\*\\*\\*\\*\\* Application startup ") +
        QRegularExpression::escape(today()) + QStringLiteral(" \\*\\*\\*\\*\\*$"));
    QStringList lines = logParagraphs();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(startup.match(lines.first()).hasMatch(), qPrintable(lines.first()));

    window->slotWriteLogLine(QStringLiteral("Communication port X closed."));
    window.reset();

    lines = logParagraphs();
    QCOMPARE(lines.size(), 3);
    QVERIFY(startup.match(lines.first()).hasMatch());
    const QRegularExpression shutdown(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d \\*\\*\\*\\*\\* Application shutdown ") +
        QRegularExpression::escape(today()) + QStringLiteral("  \\*\\*\\*\\*\\*$"));
    QVERIFY2(shutdown.match(lines.last()).hasMatch(), qPrintable(lines.last()));

    QFile saved(appLog->getLogFilePath());
    QVERIFY(saved.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList savedLines =
        QString::fromLatin1(saved.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(savedLines, lines);
}

void TestMainWindow::nextStartShowsEarlierRun()
{
    _AppLog *appLog = _AppLog::instance();
    QFile::remove(appLog->getLogFilePath());
    appLog->getLogDocument()->clear();
    {
        MainWindow first;
    }
    appLog->getLogDocument()->clear();
    MainWindow second;
    const QStringList lines = logParagraphs();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).contains(QLatin1String("Application startup")));
    QVERIFY(lines.at(1).contains(QLatin1String("Application shutdown")));
    QVERIFY(lines.at(2).contains(QLatin1String("Application startup")));
}

void TestMainWindow::windowTitle_data()
{
    QTest::addColumn<QString>("buildDate");
    QTest::addColumn<QString>("title");
    QTest::newRow("this build") << "2021-02-18"
                                << "LUMETRA-QZ - Version 1.0.25.680 - Date 2021-02-18";
    QTest::newRow("unreadable build date") << ""
                                           << "LUMETRA-QZ - Version 1.0.25.680 - Date ";
}

void TestMainWindow::windowTitle()
{
    QFETCH(QString, buildDate);
    QFETCH(QString, title);
    qApp->setProperty("BUILDDATE", buildDate);
    MainWindow window;
    QCOMPARE(window.windowTitle(), title);
    // The application-wide look comes from the widget library's style sheet.
    QVERIFY(!qApp->styleSheet().isEmpty());
}

void TestMainWindow::menuEntries_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("statusTip");
    QTest::newRow("exit") << "&File"
                          << "&Exit"
                          << "Ctrl+Q"
                          << "Exit this program";
    QTest::newRow("about") << "&Help"
                           << "About LUMETRA-QZ"
                           << ""
                           << "About this program";
    QTest::newRow("manual") << "&Help"
                            << "Show Instruction Manual"
                            << ""
                            << "Show the Zorvane LUMETRA-QZ - Instruction Manual";
}

void TestMainWindow::menuEntries()
{
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    QFETCH(QString, shortcut);
    QFETCH(QString, statusTip);
    MainWindow window;
    QMenu *found = menuTitled(window, {menu});
    QVERIFY(found);
    QAction *action = nullptr;
    const QList<QAction *> entries = found->actions();
    for (QAction *candidate : entries)
        if (candidate->text() == entry)
            action = candidate;
    QVERIFY2(action, qPrintable(entry));
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    QCOMPARE(action->statusTip(), statusTip);
}

void TestMainWindow::menuBarOrder()
{
    MainWindow window;
    QStringList titles;
    const QList<QAction *> entries = window.menuBar()->actions();
    for (QAction *entry : entries)
        titles << entry->text();
    QCOMPARE(titles, (QStringList{"&File", "&Connect", "&Window", "&Help"}));
    QVERIFY(qobject_cast<TTMenu *>(menuTitled(window, {"&Connect"})));
}

void TestMainWindow::connectMenuWithoutOurPort()
{
    QDir(SerialportList::virtualPortFolder()).removeRecursively();
    MainWindow window;
    QMenu *connect = menuTitled(window, {"&Connect"});
    QStringList expected;
    const QStringList names = SerialportList::GetPipeNames();
    for (const QString &name : names)
        expected << QStringLiteral("Open ") + name;
    // Network ports cannot be listed; the operator names one.
    expected << QStringLiteral("Open network port…");
    QCOMPARE(openMenu(connect), expected);
    QCOMPARE(connect->title(), QStringLiteral("&Connect"));
}

void TestMainWindow::connectMenuListsVirtualPort()
{
    VirtualPort port(QStringLiteral("laser-menu"));
    QVERIFY(port.isValid());
    MainWindow window;
    QMenu *connect = menuTitled(window, {"&Connect"});
    const QStringList texts = openMenu(connect);
    QVERIFY2(texts.contains(QStringLiteral("Open ") + port.path()), qPrintable(texts.join(QLatin1Char('|'))));
    for (QAction *entry : connect->actions())
        if (entry->text() == QStringLiteral("Open ") + port.path())
            QCOMPARE(entry->toolTip(), SerialportList::GetExtendedPipeName(port.path()));

    // Rebuilt on every opening: a port that went away is gone from the next showing.
    QFile::remove(port.path());
    QVERIFY(!openMenu(connect).contains(QStringLiteral("Open ") + port.path()));
}

void TestMainWindow::openCloseReopen()
{
    VirtualPort port(QStringLiteral("laser-open"));
    QVERIFY(port.isValid());
    VirtualPort other(QStringLiteral("laser-other"));
    auto window = std::make_unique<MainWindow>();
    window->show();
    QMenu *connect = menuTitled(*window, {"&Connect", "&Disconnect"});
    QTabWidget *tabWidget = tabs(*window);
    QVERIFY(tabWidget);
    QWidget *welcome = tabWidget->widget(0);
    QPointer<LumetraController> previous;
    QPointer<QWidget> previousPanel;

    for (int round = 0; round < 2; ++round) {
        openMenu(connect);
        QAction *open = nullptr;
        for (QAction *entry : connect->actions())
            if (entry->text() == QStringLiteral("Open ") + port.path())
                open = entry;
        QVERIFY(open);
        open->trigger();

        QTRY_COMPARE(tabWidget->count(), 2);
        QCOMPARE(tabWidget->tabText(1), QStringLiteral("Control Panel"));
        QVERIFY(qobject_cast<MainControlPanel *>(tabWidget->widget(1)));
        QCOMPARE(tabWidget->widget(0), welcome);
        const QList<LumetraController *> controllers = window->findChildren<LumetraController *>();
        QCOMPARE(controllers.size(), 1);
        QVERIFY(controllers.first() != previous.data());
        QVERIFY(tabWidget->widget(1) != previousPanel.data());
        previous = controllers.first();
        previousPanel = tabWidget->widget(1);

        // While open: one entry, whatever other ports exist.
        QCOMPARE(openMenu(connect), QStringList{QStringLiteral("Close ") + port.path()});
        QCOMPARE(connect->title(), QStringLiteral("&Disconnect"));
        QVERIFY(logParagraphs().last().endsWith(
            QStringLiteral("Communication port %1 successfully opened.").arg(port.path())));

        if (round == 1)
            break;
        connect->actions().first()->trigger();
        QTRY_COMPARE(tabWidget->count(), 1);
        QTRY_VERIFY(previous.isNull());
        QTRY_VERIFY(previousPanel.isNull());
        QCOMPARE(tabWidget->widget(0), welcome);
        QCOMPARE(connect->title(), QStringLiteral("&Connect"));
    }

    // Closing the program with the port still open: the worker ends and the log is still completed and saved.
    window->close();
    window.reset();
    QVERIFY(logParagraphs().last().contains(QLatin1String("Application shutdown")));
    QFile saved(_AppLog::instance()->getLogFilePath());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().trimmed().endsWith("*****"));
}

void TestMainWindow::windowMenuListsDocks()
{
    MainWindow window;
    window.show();
    QMenu *windowMenu = menuTitled(window, {"&Window"});
    QVERIFY(windowMenu);
    // The recorded history adds its two docks after the ones every session has.
    QCOMPARE(openMenu(windowMenu), (QStringList{"Application Log", "Serial Monitor", "Trends", "Events"}));
    QDockWidget *monitor = dockTitled(window, QStringLiteral("Serial Monitor"));
    QVERIFY(monitor->isHidden());
    windowMenu->actions().at(1)->trigger();
    QVERIFY(!monitor->isHidden());
    QVERIFY(qobject_cast<SerialMonitor *>(monitor->widget()));
}

void TestMainWindow::firstStartDocksHidden()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zorvane"),
              QStringLiteral("LUMETRA-QZ"))
        .clear();
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(800, 600));
    for (const char *title : {"Application Log", "Serial Monitor"}) {
        QDockWidget *dock = dockTitled(window, QLatin1String(title));
        QVERIFY2(dock && !dock->isVisible(), title);
    }
    QCOMPARE(window.dockWidgetArea(dockTitled(window, QStringLiteral("Application Log"))),
             Qt::RightDockWidgetArea);
    QCOMPARE(window.dockWidgetArea(dockTitled(window, QStringLiteral("Serial Monitor"))),
             Qt::BottomDockWidgetArea);
}

void TestMainWindow::dockLayoutRestoredByTitle()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zorvane"),
              QStringLiteral("LUMETRA-QZ"))
        .clear();
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QDockWidget *monitor = dockTitled(window, QStringLiteral("Serial Monitor"));
        window.addDockWidget(Qt::TopDockWidgetArea, monitor);
        monitor->show();
        window.resize(900, 700);
        QVERIFY(window.close());
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QDockWidget *monitor = dockTitled(window, QStringLiteral("Serial Monitor"));
    QDockWidget *log = dockTitled(window, QStringLiteral("Application Log"));
    QVERIFY(monitor->isVisible());
    QCOMPARE(window.dockWidgetArea(monitor), Qt::TopDockWidgetArea);
    QVERIFY(!log->isVisible());
    QCOMPARE(window.size(), QSize(900, 700));
}

void TestMainWindow::writeLogLine()
{
    MainWindow window;
    window.slotWriteLogLine(QStringLiteral("first\r\nsecond"));
    const QStringList lines = logParagraphs();
    QVERIFY(lines.at(lines.size() - 2).endsWith(QLatin1String(" first")));
    QVERIFY(lines.last().endsWith(QLatin1String(" second")));
}

// A port's description is what its USB device says of itself: shown as written, never as markup.
void TestMainWindow::tooltipOfHighlightedEntry_data()
{
    QTest::addColumn<QString>("description");
    QTest::newRow("adapter") << "COM3-FTDI-24577-1027";
    QTest::newRow("markup in the descriptor")
        << "COM3-<font size=7>big</font><img src=\"/nonexistent/x.png\">";
}

void TestMainWindow::tooltipOfHighlightedEntry()
{
    QFETCH(QString, description);
    TTMenu menu(QStringLiteral("&Connect"));
    QAction *entry = menu.addAction(QStringLiteral("Open COM3"));
    entry->setToolTip(description);
    menu.popup(QPoint(20, 20));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    // Nothing highlighted: no tooltip.
    const QPoint inside = menu.actionGeometry(entry).center();
    QHelpEvent early(QEvent::ToolTip, inside, menu.mapToGlobal(inside));
    QApplication::sendEvent(&menu, &early);
    QVERIFY(!QToolTip::isVisible());

    menu.setActiveAction(entry);
    QHelpEvent help(QEvent::ToolTip, inside, menu.mapToGlobal(inside));
    QApplication::sendEvent(&menu, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    QCOMPARE(shown.toPlainText(), description);

    QEvent other(QEvent::Leave);
    QApplication::sendEvent(&menu, &other);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestMainWindow::manualLookup_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("acceptable");
    const QString manual = QStringLiteral("Zorvane LUMETRA-QZ - Instruction Manual");
    QTest::newRow("none") << QStringList{"notes.txt"} << QStringList{""};
    QTest::newRow("one") << QStringList{manual + " Rev B.pdf", "other.pdf"}
                         << QStringList{manual + " Rev B.pdf"};
    QTest::newRow("several versions") << QStringList{manual + " v1.pdf", manual + " v2.pdf"}
                                      << QStringList{manual + " v1.pdf", manual + " v2.pdf"};
    QTest::newRow("needs an extension") << QStringList{manual} << QStringList{""};
    QTest::newRow("folder of that name") << QStringList{manual + " old.d/"} << QStringList{""};
    QTest::newRow("link is not a plain file")
        << QStringList{"real.pdf", "@" + manual + ".pdf"} << QStringList{""};
}

void TestMainWindow::manualLookup()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, acceptable);
    QTemporaryDir folder;
    for (const QString &file : files) {
        if (file.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir(folder.path()).mkdir(file));
        } else if (file.startsWith(QLatin1Char('@'))) {
            QVERIFY(QFile::link(folder.filePath(QStringLiteral("real.pdf")), folder.filePath(file.mid(1))));
        } else {
            QFile f(folder.filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }
    const QString found = MainWindow::findManualFile(folder.path());
    QStringList expected;
    for (const QString &name : acceptable)
        expected << (name.isEmpty() ? QString() : folder.filePath(name));
    QVERIFY2(expected.contains(found), qPrintable(found));
}

void TestMainWindow::manualOpenedBesideProgram()
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/Manual");
    QVERIFY2(!QFileInfo::exists(folder), "leftover Manual folder beside the test program");
    MainWindow window;
    openedUrls.clear();
    window.showHelpManual();
    QVERIFY(openedUrls.isEmpty());
    // With no manual anywhere the operator is told where it was looked for, without a blocking dialog.
    auto *notFound = window.findChild<QMessageBox *>(QStringLiteral("manualNotFound"));
    QVERIFY(notFound);
    QVERIFY(notFound->text().contains(folder));
    notFound->close();

    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/Zorvane LUMETRA-QZ - Instruction Manual 1.0.pdf");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    window.showHelpManual();
    QCOMPARE(openedUrls.size(), 1);
    QVERIFY(openedUrls.first().isLocalFile());
    QCOMPARE(openedUrls.first().toLocalFile(), file);

    // A desktop with no program for the file: the operator is given the manual's path.
    window.setDocumentOpener([](const QUrl &) { return false; });
    window.showHelpManual();
    QDir(folder).removeRecursively();
    auto *notOpened = window.findChild<QMessageBox *>(QStringLiteral("manualNotOpened"));
    QVERIFY(notOpened);
    QVERIFY2(notOpened->text().contains(file), qPrintable(notOpened->text()));
    notOpened->close();
}

void TestMainWindow::fitsSmallScreen_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("page");
    for (const char *language : {"en", "de"})
        for (int page = LumetraView::ControlPage; page <= LumetraView::HGPage; ++page)
            QTest::newRow(qPrintable(QStringLiteral("%1, page %2").arg(QLatin1String(language)).arg(page)))
                << QString::fromLatin1(language) << page;
}

// A 1366x768 screen, less a taskbar and the title bar, with every dock open on the first start.
void TestMainWindow::fitsSmallScreen()
{
    QFETCH(QString, language);
    QFETCH(int, page);
    const QSize screen(1366, 768 - 72);
    QCOMPARE(AppTranslator::install(qApp, language), language);
    const auto english = qScopeGuard([] {
        for (QTranslator *catalogue : qApp->findChildren<QTranslator *>()) {
            QCoreApplication::removeTranslator(catalogue);
            delete catalogue;
        }
    });
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zorvane"),
              QStringLiteral("LUMETRA-QZ"))
        .clear();
    // Layouts settle in posted requests; a page's scroll area, for one, takes its least width from the
    // page only once the page is laid out.
    const auto settle = [] {
        for (int round = 0; round < 10; ++round)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    };
    MainWindow window;
    window.resize(screen);
    window.show();
    for (QDockWidget *dock : window.getGenericDocks())
        dock->show();
    auto *panel = new MainControlPanel();
    window.createSystemWidget(panel, QStringLiteral("Control Panel"));
    // The panel is laid out empty before the laser has answered and the controls are built.
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    settle();
    LumetraController controller(nullptr);
    LumetraControlWidget::build(&controller, panel, {});
    auto *view = window.findChild<LumetraView *>();
    auto *remote = window.findChild<LumetraRemoteControl *>();
    QVERIFY(view && remote);
    view->setControlPage(page);
    settle();

    const QSize least = window.minimumSizeHint();
    QVERIFY2(least.width() <= screen.width() && least.height() <= screen.height(),
             qPrintable(QStringLiteral("least size %1x%2").arg(least.width()).arg(least.height())));
    QCOMPARE(window.size(), screen);

    QList<QWidget *> mustShow;
    for (const char *lamp : {"powerOnLamp", "errorLamp", "warningLamp", "deviceSetupLamp", "ovenFaultLamp",
                             "humidityFaultLamp", "hgErrorLamp"})
        mustShow << view->findChild<QWidget *>(QLatin1String(lamp));
    const auto buttons = remote->findChildren<IndicatorButton *>();
    QCOMPARE(buttons.size(), 4);
    for (IndicatorButton *button : buttons)
        mustShow << button;
    for (int i = 0; i < mustShow.size(); ++i) {
        QVERIFY(mustShow.at(i));
        QVERIFY2(shownWhole(mustShow.at(i)), qPrintable(QStringLiteral("lamp or button %1").arg(i)));
    }

    // What the strip shows below its lamps: its first row in sight, and the rest in sight or a scroll
    // bar away.
    auto *lower = view->findChild<QScrollArea *>(QStringLiteral("statusStripScroll"));
    QVERIFY(lower);
    QVERIFY(shownWhole(view->findChild<QWidget *>(QStringLiteral("dynamicWlsLamp"))));
    const bool allShown = lower->viewport()->height() >= lower->widget()->minimumSizeHint().height();
    QVERIFY2(allShown || lower->verticalScrollBar()->isVisible(),
             qPrintable(QStringLiteral("%1 of %2 px shown")
                            .arg(lower->viewport()->height())
                            .arg(lower->widget()->minimumSizeHint().height())));
}

SHELL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
