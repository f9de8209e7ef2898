#include "framekit/CenterTabWidget.h"
#include "framekit/DockWidget.h"
#include "framekit/MainControlPanel.h"
#include "framekit/SplashImage.h"
#include "framekit/ZORVMainWindow.h"

#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void skeletonParts();
    void systemWidgets();
    void removeSystemWidgetsKeepsWelcome();
    void subclassOwnCenterTabWidget();
    void genericDocks_data();
    void genericDocks();
    void removeGenericDocks();
    void dockFollowsArea();

    void controlSwitching_data();
    void controlSwitching();
    void nullControlHidesPane();
    void deletedControlIsForgotten();
    void splitterState();

    void splashHeightForWidth();
};

void TestMainWindow::skeletonParts()
{
    ZORVMainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("ZORVMainWindow"));
    QCOMPARE(window.size(), QSize(800, 600));
    QCOMPARE(window.windowTitle(), QStringLiteral("MainWindow"));
    QVERIFY(window.menuBar());
    QCOMPARE(window.menuBar()->objectName(), QStringLiteral("menubar"));
    QCOMPARE(window.statusBar()->objectName(), QStringLiteral("statusbar"));

    auto *tabs = qobject_cast<CenterTabWidget *>(window.centralWidget());
    QVERIFY(tabs);
    QCOMPARE(window.getCenterTabWidget(), tabs);
    QCOMPARE(tabs->getTabWidget()->count(), 1);
    QCOMPARE(tabs->getTabWidget()->tabText(0), QStringLiteral("Welcome"));
    QVERIFY(tabs->getTabWidget()->widget(0)->findChild<SplashImage *>());
    QVERIFY(tabs->autoFillBackground());

    ZORVMainWindow named;
    named.setObjectName(QStringLiteral("Kept"));
    QCOMPARE(named.objectName(), QStringLiteral("Kept"));
}

void TestMainWindow::systemWidgets()
{
    ZORVMainWindow window;
    QTabWidget *tabs = window.getCenterTabWidget()->getTabWidget();
    auto *first = new QLabel(QStringLiteral("first"));
    auto *second = new QLabel(QStringLiteral("second"));
    window.createSystemWidget(first, QStringLiteral("Control Panel"));
    QCOMPARE(tabs->currentWidget(), first);
    window.createSystemWidget(second, QStringLiteral("Other"));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentWidget(), second);
    QCOMPARE(tabs->tabText(1), QStringLiteral("Control Panel"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Other"));

    QPointer<QLabel> guardFirst(first), guardSecond(second);
    window.removeAllSystemWidgets();
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Welcome"));
    // Deletion is deferred so that a slot may remove the tab it was called from.
    QVERIFY(guardFirst);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guardFirst);
    QVERIFY(!guardSecond);
}

void TestMainWindow::removeSystemWidgetsKeepsWelcome()
{
    ZORVMainWindow window;
    QTabWidget *tabs = window.getCenterTabWidget()->getTabWidget();
    QPointer<QWidget> welcome(tabs->widget(0));
    window.removeAllSystemWidgets();
    window.removeAllSystemWidgets();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(tabs->count(), 1);
    QVERIFY(welcome);
    QCOMPARE(tabs->widget(0), welcome.data());
}

void TestMainWindow::subclassOwnCenterTabWidget()
{
    // The application installs its own tab area; tabs must then go there, not to the replaced one.
    ZORVMainWindow window;
    auto *own = new CenterTabWidget;
    window.setCentralWidget(own);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(window.getCenterTabWidget(), own);
    auto *page = new QLabel;
    window.createSystemWidget(page, QStringLiteral("Control Panel"));
    QCOMPARE(own->getTabWidget()->count(), 2);
    QCOMPARE(own->getTabWidget()->currentWidget(), page);
    window.removeAllSystemWidgets();
    QCOMPARE(own->getTabWidget()->count(), 1);
}

void TestMainWindow::genericDocks_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("area");
    QTest::addColumn<bool>("visible");
    QTest::newRow("log right hidden") << "Application Log" << int(Qt::RightDockWidgetArea) << false;
    QTest::newRow("monitor bottom hidden") << "Serial Monitor" << int(Qt::BottomDockWidgetArea) << false;
    QTest::newRow("left visible") << "Tools" << int(Qt::LeftDockWidgetArea) << true;
}

void TestMainWindow::genericDocks()
{
    QFETCH(QString, title);
    QFETCH(int, area);
    QFETCH(bool, visible);

    ZORVMainWindow window;
    auto *content = new QLabel(title);
    window.createGenericDockWidget(content, title, Qt::DockWidgetArea(area), visible);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.getGenericDocks().size(), 1);
    auto *dock = qobject_cast<DockWidget *>(window.getGenericDocks().first());
    QVERIFY(dock);
    QCOMPARE(dock->windowTitle(), title);
    QCOMPARE(dock->objectName(), title);
    QCOMPARE(dock->widget(), content);
    QCOMPARE(dock->parentWidget(), &window);
    QCOMPARE(int(window.dockWidgetArea(dock)), area);
    QCOMPARE(int(dock->dockArea()), area);
    QCOMPARE(dock->isVisible(), visible);
    QVERIFY(!dock->isFloating());
    QCOMPARE(window.findChild<QDockWidget *>(title), dock);
}

void TestMainWindow::removeGenericDocks()
{
    ZORVMainWindow window;
    window.createGenericDockWidget(new QLabel, QStringLiteral("Application Log"), Qt::RightDockWidgetArea,
                                   false);
    window.createGenericDockWidget(new QLabel, QStringLiteral("Serial Monitor"), Qt::BottomDockWidgetArea,
                                   false);
    QCOMPARE(window.getGenericDocks().size(), 2);
    QCOMPARE(window.getGenericDocks().at(0)->objectName(), QStringLiteral("Application Log"));
    QCOMPARE(window.getGenericDocks().at(1)->objectName(), QStringLiteral("Serial Monitor"));

    QPointer<QDockWidget> first(window.getGenericDocks().at(0));
    window.removeAllGenericDocks();
    QVERIFY(window.getGenericDocks().isEmpty());
    QVERIFY(first);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QVERIFY(window.findChildren<QDockWidget *>().isEmpty());

    // Nothing in the framework fills the accessory list; removing from it is harmless.
    window.createAccessoryWidget(new QLabel(&window), 1, 2);
    QVERIFY(window.getAccessoryDocks().isEmpty());
    window.removeAllAccessoryDocks();
}

void TestMainWindow::dockFollowsArea()
{
    ZORVMainWindow window;
    window.createGenericDockWidget(new QLabel, QStringLiteral("Serial Monitor"), Qt::BottomDockWidgetArea,
                                   true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *dock = qobject_cast<DockWidget *>(window.getGenericDocks().first());
    QVERIFY(dock);
    window.addDockWidget(Qt::LeftDockWidgetArea, dock);
    QCOMPARE(window.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    QCOMPARE(dock->dockArea(), Qt::LeftDockWidgetArea);

    DockWidget untitled(Qt::TopDockWidgetArea);
    QCOMPARE(untitled.dockArea(), Qt::TopDockWidgetArea);
}

// Each row: a sequence of showMainControl calls on controls a, b, c, then which are visible.
void TestMainWindow::controlSwitching_data()
{
    QTest::addColumn<QString>("calls");
    QTest::addColumn<QString>("visible");
    QTest::addColumn<bool>("paneVisible");

    QTest::newRow("registered hidden") << "a-"
                                       << "" << false;
    QTest::newRow("shown") << "a+"
                           << "a" << true;
    QTest::newRow("second replaces first") << "a+ b+"
                                           << "b" << true;
    QTest::newRow("hidden registration keeps shown") << "a+ b-"
                                                     << "a" << true;
    QTest::newRow("registered then shown") << "a+ b- b+"
                                           << "b" << true;
    QTest::newRow("already shown stays shown on false") << "a+ a-"
                                                        << "a" << true;
    QTest::newRow("back to first") << "a+ b+ c+ a+"
                                   << "a" << true;
}

void TestMainWindow::controlSwitching()
{
    QFETCH(QString, calls);
    QFETCH(QString, visible);
    QFETCH(bool, paneVisible);

    for (const bool childSide : {false, true}) {
        MainControlPanel panel;
        panel.resize(400, 300);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QMap<QChar, QWidget *> controls;
        for (const QChar name : {QChar('a'), QChar('b'), QChar('c')})
            controls.insert(name, new QLabel(QString(name), &panel));

        const QStringList steps = calls.split(QLatin1Char(' '));
        for (const QString &step : steps) {
            QWidget *control = controls.value(step.at(0));
            const bool show = step.at(1) == QLatin1Char('+');
            if (childSide)
                panel.showChildControl(control, show);
            else
                panel.showMainControl(control, show);
        }

        QFrame *pane = childSide ? panel.getChildPane() : panel.getMainPane();
        QFrame *otherPane = childSide ? panel.getMainPane() : panel.getChildPane();
        QCOMPARE(pane->isVisible(), paneVisible);
        QVERIFY(!otherPane->isVisible());
        const QString called = steps.join(QString());
        for (auto it = controls.constBegin(); it != controls.constEnd(); ++it) {
            const QString what = QStringLiteral("control %1, child side %2").arg(it.key()).arg(childSide);
            if (!called.contains(it.key())) {
                QVERIFY2(it.value()->parentWidget() == &panel, qPrintable(what));
                continue;
            }
            QVERIFY2(it.value()->parentWidget() == pane, qPrintable(what));
            QVERIFY2(it.value()->isHidden() != visible.contains(it.key()), qPrintable(what));
        }
    }
}

void TestMainWindow::nullControlHidesPane()
{
    MainControlPanel panel;
    panel.resize(300, 300);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    auto *main = new QLabel(QStringLiteral("main"));
    auto *child = new QLabel(QStringLiteral("child"));
    panel.showMainControl(main, true);
    panel.showChildControl(child, true);
    QVERIFY(panel.getMainPane()->isVisible());
    QVERIFY(panel.getChildPane()->isVisible());

    panel.showMainControl(nullptr, true);
    QVERIFY(!panel.getMainPane()->isVisible());
    QVERIFY(main->isHidden());
    QVERIFY(panel.getChildPane()->isVisible());
    QVERIFY(child->isVisible());

    panel.showChildControl(nullptr, false);
    QVERIFY(!panel.getChildPane()->isVisible());
    QVERIFY(child->isHidden());

    // Showing a registered control again brings its pane back.
    panel.showMainControl(main, true);
    QVERIFY(panel.getMainPane()->isVisible());
    QVERIFY(main->isVisible());
}

void TestMainWindow::deletedControlIsForgotten()
{
    MainControlPanel panel;
    panel.resize(300, 300);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    auto *gone = new QLabel(QStringLiteral("gone"));
    auto *kept = new QLabel(QStringLiteral("kept"));
    panel.showMainControl(gone, true);
    delete gone;
    panel.showMainControl(kept, true);
    panel.showMainControl(nullptr, false);
    QVERIFY(kept->isHidden());
    panel.showMainControl(kept, true);
    QVERIFY(kept->isVisible());
}

void TestMainWindow::splitterState()
{
    MainControlPanel panel;
    panel.resize(300, 400);
    panel.showMainControl(new QLabel(QStringLiteral("main")), true);
    panel.showChildControl(new QLabel(QStringLiteral("child")), true);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSplitter *splitter = panel.getSplitter();
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    QCOMPARE(splitter->handleWidth(), 10);
    QVERIFY(!splitter->childrenCollapsible());

    QSignalSpy spy(&panel, &MainControlPanel::splitterStateChanged);
    splitter->setSizes({250, 140});
    const QList<int> moved = splitter->sizes();
    // A drag of the handle ends in splitterMoved; emulate that with the splitter's own signal.
    emit splitter->splitterMoved(moved.first(), 1);
    QCOMPARE(spy.count(), 1);
    const QByteArray state = spy.first().first().toByteArray();
    QCOMPARE(state, splitter->saveState());

    splitter->setSizes({100, 290});
    QVERIFY(splitter->sizes() != moved);
    panel.setSplitterState(state);
    QCOMPARE(splitter->sizes(), moved);
}

void TestMainWindow::splashHeightForWidth()
{
    SplashImage splash;
    const QPixmap &picture = splash.picture();
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 200);
    QVERIFY(splash.hasHeightForWidth());
    QCOMPARE(splash.maximumSize(), picture.size());
    QCOMPARE(splash.minimumWidth(), 200);
    QCOMPARE(splash.minimumHeight(), splash.heightForWidth(200));

    const int h300 = splash.heightForWidth(300);
    const int h600 = splash.heightForWidth(600);
    QVERIFY(h300 > 0);
    QVERIFY(qAbs(h600 - 2 * h300) <= 1);
    QCOMPARE(splash.heightForWidth(picture.width()), picture.height());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
