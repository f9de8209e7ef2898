#include "dialkit/Dialkit.h"
#include "dialkit/FlowLayout.h"
#include "dialkit/MainView.h"
#include "dialkit/RemoteControl.h"
#include "dialkit/ScrollArea.h"
#include "dialkit/Selector.h"
#include "dialkit/stackWidget.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {

QWidget *fixedBox(int w, int h, QWidget *parent = nullptr)
{
    auto *box = new QWidget(parent);
    box->setFixedSize(w, h);
    return box;
}

} // namespace

class TestMainView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pagesAndMenu();
    void settingsPageAccess();
    void headersAndWarning();
    void remoteControlWidgetReplaced();
    void remoteControl();
    void stackWidgetRules();
    void scrollAreaFitsWidth();
    void flowGeometry_data();
    void flowGeometry();
    void flowEdgeCases();
    void flowStyleSpacing();
};

void TestMainView::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Dialkit::loadApplicationFonts();
}

void TestMainView::pagesAndMenu()
{
    MainView view;
    QVERIFY(!view.styleSheet().isEmpty());
    auto *mainPage = new QWidget;
    auto *settingsPage = new QWidget;
    QCOMPARE(view.addControlPage("Main", mainPage), 0);
    QCOMPARE(view.addControlPage("Laser settings", settingsPage), 1);
    view.setControlPage(0);
    view.resize(1000, 700);
    view.show();

    // the menu lists only the settings page
    DropDown *menu = view.settingsMenu()->dropDown();
    QCOMPARE(menu->count(), 2);
    QCOMPARE(menu->itemText(1), QString("Laser settings"));
    QTest::mouseClick(view.settingsMenu(), Qt::LeftButton);
    QVERIFY(menu->isVisible());
    QVERIFY(!menu->isItemVisible(0));
    QVERIFY(menu->isItemVisible(1));
    QVERIFY(view.settingsBar()->isHidden());
    QVERIFY(mainPage->isVisible());

    QSignalSpy pageChanged(&view, &MainView::controlPageChanged);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->item(1)->mapTo(menu, menu->item(1)->rect().center()));
    QVERIFY(!menu->isVisible());
    QCOMPARE(pageChanged.count(), 1);
    QCOMPARE(pageChanged.at(0).at(0).toInt(), 1);
    QCOMPARE(view.pageStack()->currentIndex(), 1);
    QVERIFY(settingsPage->isVisible());
    QVERIFY(!mainPage->isVisible());
    QVERIFY(!view.settingsBar()->isHidden());

    QTest::mouseClick(view.closeButton(), Qt::LeftButton);
    QCOMPARE(pageChanged.count(), 2);
    QCOMPARE(pageChanged.at(1).at(0).toInt(), 0);
    QVERIFY(mainPage->isVisible());
    QVERIFY(view.settingsBar()->isHidden());
    QVERIFY(view.currentWidgetInfo().startsWith("Stack height: "));
    QVERIFY(view.currentWidgetInfo().contains(", Front height: "));

    // setControlPage itself emits nothing
    view.setControlPage(1);
    QCOMPARE(pageChanged.count(), 2);
    QCOMPARE(view.pageStack()->currentIndex(), 1);
}

void TestMainView::settingsPageAccess()
{
    MainView view;
    view.addControlPage("Main", new QWidget);
    view.addControlPage("Service", new QWidget);
    view.setControlPage(0);
    view.setSettingsPageAccess(1, false);
    QVERIFY(!view.settingsMenu()->hasItemVisibility(1));
    view.setControlPage(1);
    QCOMPARE(view.pageStack()->currentIndex(), 0);
    QVERIFY(view.settingsBar()->isHidden());
    view.setSettingsPageAccess(1, true);
    view.setControlPage(1);
    QCOMPARE(view.pageStack()->currentIndex(), 1);
    QVERIFY(!view.settingsBar()->isHidden());
    view.setControlPage(-1);
    QCOMPARE(view.pageStack()->currentIndex(), 1);
    view.showSettings(false);
    QVERIFY(view.settingsMenu()->isHidden());
}

void TestMainView::headersAndWarning()
{
    MainView view;
    QVERIFY(view.headerLabel()->isHidden());
    view.setHeader("QZ");
    QVERIFY(!view.headerLabel()->isHidden());
    QCOMPARE(view.headerLabel()->text(), QString("QZ"));
    view.setHeader(QString());
    QVERIFY(view.headerLabel()->isHidden());
    view.setTinyHeader("Lumetra QZ\n");
    QCOMPARE(view.tinyHeaderLabel()->text(), QString("Lumetra QZ\n"));

    QVERIFY(view.warningButton()->isHidden());
    view.showWarning(true);
    QVERIFY(!view.warningButton()->isHidden());
    view.setWarningTooltip("Oven fault");
    QCOMPARE(view.warningButton()->toolTip(), QString("Oven fault"));
    QSignalSpy warning(&view, &MainView::warningClicked);
    view.warningButton()->click();
    QCOMPARE(warning.count(), 1);
}

void TestMainView::remoteControlWidgetReplaced()
{
    MainView view;
    view.setRemoteControlWidget(nullptr);
    QVERIFY(!view.remoteControlArea()->layout());
    QPointer<QWidget> first = new QWidget;
    view.setRemoteControlWidget(first);
    QCOMPARE(first->parentWidget(), view.remoteControlArea());
    QPointer<QWidget> second = new QWidget;
    view.setRemoteControlWidget(second);
    QVERIFY(!first.isNull() && first->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!second.isNull());
    QCOMPARE(view.remoteControlArea()->layout()->count(), 1);
    QCOMPARE(view.remoteControlArea()->layout()->contentsMargins(), QMargins(25, 0, 25, 25));
    view.setRemoteControlWidget(second); // the same widget again stays alive
    QVERIFY(!second.isNull());
}

void TestMainView::remoteControl()
{
    RemoteControl rc;
    IndicatorButton *b = rc.emissionButton();
    QCOMPARE(b->button()->text(), QString("Emission\nON / OFF"));
    QCOMPARE(b->button()->property("button-color").toString(), QString("dark-grey"));
    QSignalSpy emission(&rc, &RemoteControl::emissionChanged);
    b->button()->click();
    QCOMPARE(emission.count(), 1);
    QCOMPARE(emission.at(0).at(0).toBool(), true);
    QCOMPARE(QRgb(b->indicator()->color()), QRgb(Indicator::Grey)); // the lamp waits for the device
    rc.setEmission(true);
    QCOMPARE(QRgb(b->indicator()->color()), QRgb(Indicator::Red));
}

void TestMainView::stackWidgetRules()
{
    stackWidget stack;
    auto *a = new QWidget;
    auto *b = new QWidget;
    auto *c = new QWidget;
    QCOMPARE(stack.addWidget(a), 0);
    QCOMPARE(stack.addWidget(b), 1);
    QSignalSpy removed(&stack, &stackWidget::widgetRemoved);
    stack.removeWidgetAt(1); // nothing is current yet
    QCOMPARE(stack.count(), 2);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(stack.insertWidget(1, c), 1);
    QCOMPARE(stack.indexOf(b), 2);

    QSignalSpy changed(&stack, &stackWidget::currentChanged);
    stack.show();
    stack.setCurrentIndex(2);
    stack.setCurrentIndex(2);
    stack.setCurrentIndex(3);
    stack.setCurrentIndex(-1);
    QCOMPARE(changed.count(), 1);
    QVERIFY(b->isVisible());
    QVERIFY(!a->isVisible());
    QCOMPARE(stack.currentWidget(), b);
    stack.setCurrentWidget(a);
    QCOMPARE(stack.currentIndex(), 0);
    QCOMPARE(changed.count(), 2);

    delete c; // deleted elsewhere: reads as absent
    QCOMPARE(stack.widgetAt(1), nullptr);
    QCOMPARE(stack.widgetAt(7), nullptr);
    stack.setCurrentIndex(1);
    QCOMPARE(stack.currentWidget(), nullptr);
    stack.setCurrentIndex(2);
    stack.removeWidget(b);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toInt(), 2);
    QCOMPARE(stack.count(), 2);
    QCOMPARE(stack.currentIndex(), -1);
    delete b;
}

void TestMainView::scrollAreaFitsWidth()
{
    ScrollArea area(true);
    QCOMPARE(area.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(area.property("flat").toBool(), true);
    QCOMPARE(area.innerWidget()->property("widget-color").toString(), QString("white"));
    auto *layout = new QVBoxLayout;
    layout->addWidget(fixedBox(300, 50));
    area.setLayout(layout);
    QCOMPARE(area.innerWidget()->layout(), layout);
    area.resize(100, 100);
    area.show();
    QTRY_VERIFY(area.minimumWidth() >= 300);
    QVERIFY(area.minimumWidth() < 300 + 100); // the bar's real extent, not an unshown bar's width
    area.setWidgetProperty("widget-color", "red");
    QCOMPARE(area.innerWidget()->property("widget-color").toString(), QString("red"));
}

void TestMainView::flowGeometry_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<QRect>>("expected");
    QTest::addColumn<int>("height");
    // margin 5, spacing 4 x 3, items 50 x 20, 50 x 20, 120 x 30
    QTest::newRow("one row") << 300
                             << QList<QRect>{QRect(5, 5, 50, 20), QRect(59, 5, 50, 20),
                                             QRect(113, 5, 120, 30)}
                             << 5 + 30 + 5;
    QTest::newRow("wraps the wide item")
        << 200 << QList<QRect>{QRect(5, 5, 50, 20), QRect(59, 5, 50, 20), QRect(5, 28, 120, 30)}
        << 5 + 20 + 3 + 30 + 5;
    QTest::newRow("too narrow for anything")
        << 60 << QList<QRect>{QRect(5, 5, 50, 20), QRect(5, 28, 50, 20), QRect(5, 51, 120, 30)}
        << 5 + 20 + 3 + 20 + 3 + 30 + 5;
}

void TestMainView::flowGeometry()
{
    QFETCH(int, width);
    QFETCH(QList<QRect>, expected);
    QFETCH(int, height);
    QWidget host;
    auto *flow = new FlowLayout(&host, 5, 4, 3);
    QList<QWidget *> items{fixedBox(50, 20, &host), fixedBox(50, 20, &host), fixedBox(120, 30, &host)};
    for (QWidget *w : items)
        flow->addWidget(w);
    QVERIFY(flow->hasHeightForWidth());
    QCOMPARE(flow->heightForWidth(width), height);
    flow->setGeometry(QRect(0, 0, width, height));
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(items.at(i)->geometry(), expected.at(i));
    QCOMPARE(flow->minimumSize(), QSize(120 + 10, 30 + 10));
    QCOMPARE(flow->sizeHint(), flow->minimumSize());
    QCOMPARE(flow->expandingDirections(), Qt::Orientations());
}

void TestMainView::flowEdgeCases()
{
    FlowLayout empty(7, 2, 2);
    QCOMPARE(empty.heightForWidth(100), 14);
    QCOMPARE(empty.minimumSize(), QSize(13, 13));
    QCOMPARE(empty.takeAt(-1), nullptr);
    QCOMPARE(empty.takeAt(0), nullptr);
    QCOMPARE(empty.itemAt(3), nullptr);
    // no parent: spacing from the environment is unknown
    QCOMPARE(empty.horizontalSpacing(), 2);
    FlowLayout unparented(0, -1, -1);
    QCOMPARE(unparented.horizontalSpacing(), -1);
    QCOMPARE(unparented.verticalSpacing(), -1);
    // a spacer has no widget to ask for its spacing
    unparented.addItem(new QSpacerItem(30, 10));
    unparented.addItem(new QSpacerItem(30, 10));
    QCOMPARE(unparented.heightForWidth(45), 20);
    QLayoutItem *taken = unparented.takeAt(1);
    QVERIFY(taken);
    QCOMPARE(unparented.count(), 1);
    delete taken;
}

void TestMainView::flowStyleSpacing()
{
    QWidget host;
    auto *flow = new FlowLayout(&host, 0, -1, -1);
    QCOMPARE(flow->horizontalSpacing(),
             host.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, &host));
    QCOMPARE(flow->verticalSpacing(),
             host.style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, &host));
    auto *a = fixedBox(40, 10, &host);
    auto *b = fixedBox(40, 10, &host);
    flow->addWidget(a);
    flow->addWidget(b);
    flow->setGeometry(QRect(0, 0, 500, 50));
    int expected = flow->horizontalSpacing();
    if (expected == -1)
        expected =
            a->style()->layoutSpacing(QSizePolicy::PushButton, QSizePolicy::PushButton, Qt::Horizontal);
    QCOMPARE(b->x(), 40 + expected);
    QVERIFY(expected >= 0);
}

QTEST_MAIN(TestMainView)
#include "tst_mainview.moc"
