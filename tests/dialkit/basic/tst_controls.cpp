#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/Dialkit.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"
#include "dialkit/LineEdit.h"
#include "dialkit/LineEditNumber.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QLayout>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void stylesheetRules();
    void stylesheetImagesExist();
    void fontsResolve();
    void formatSignificant_data();
    void formatSignificant();
    void buttonSize_data();
    void buttonSize();
    void buttonColorProperties();
    void buttonPaintsSheetColour_data();
    void buttonPaintsSheetColour();
    void buttonClickedCarriesText();
    void indicatorColour();
    void indicatorForms();
    void indicatorButtonToggle_data();
    void indicatorButtonToggle();
    void indicatorButtonEnable();
    void indicatorButtonPosition_data();
    void indicatorButtonPosition();
    void comboBoxClamp_data();
    void comboBoxClamp();
    void comboBoxSingleMode();
    void comboBoxPopupInsideScreen_data();
    void comboBoxPopupInsideScreen();
    void comboBoxPopupSelection();
    void comboBoxItemsOutOfRange();
    void comboBoxDeletedByItsReceiver();
    void popupClosesOnOutsidePress();
    void lineEditSaveReset();
    void lineEditTimeoutConnections();
    void lineEditNumberKeys_data();
    void lineEditNumberKeys();
    void lineEditNumberArrows();
    void lineEditNumberNudge();
};

void TestControls::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Dialkit::loadApplicationFonts();
    const QString sheet = Dialkit::getApplicationStylesheet();
    QVERIFY(sheet.size() > 5000);
    qApp->setStyleSheet(sheet);
}

void TestControls::stylesheetRules()
{
    const QString sheet = Dialkit::getApplicationStylesheet();
    QVERIFY(sheet.contains(
        "Button[button-size=\"normal\"] {\n    font-size: 14px;\n    border-radius: 12px;\n}"));
    QVERIFY(sheet.contains("ComboBox[single-mode=\"false\"] {\n"
                           "    background-image: url(:/Dialkit/images/images/downArrow.png);\n"
                           "    background-position: right center;\n"
                           "    background-repeat: no-repeat;\n"
                           "    padding-right: 20px;\n}"));
    // headings in their order
    const QStringList headings = {
        "QLineEdit", "QRadioButton",       "QCheckBox",   "Button",       "General background colors",
        "QLabel",    "QPushButton styles", "QScrollArea", "QProgressBar", "Display"};
    int last = -1;
    for (const QString &h : headings) {
        const int at = sheet.indexOf(QRegularExpression("\\* " + QRegularExpression::escape(h) + "\\n"));
        QVERIFY2(at > last, qPrintable(h));
        last = at;
    }
    QCOMPARE(sheet.count('{'), sheet.count('}'));
}

void TestControls::stylesheetImagesExist()
{
    const QString sheet = Dialkit::getApplicationStylesheet();
    QRegularExpression url("url\\(([^)]*)\\)");
    auto it = url.globalMatch(sheet);
    int n = 0;
    while (it.hasNext()) {
        const QString path = it.next().captured(1);
        QVERIFY2(path.startsWith(":/Dialkit/images/images/"), qPrintable(path));
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
        ++n;
    }
    QVERIFY(n >= 20);
    for (const char *name : {"zorvLogo.png", "nonameLogo.png", "sine.png", "triangle.png",
                             "triangleSignal.png", "sawPosRamp.png", "sawNegRamp.png"})
        QVERIFY2(!QImage(QString(":/Dialkit/images/images/") + name).isNull(), name);
    QCOMPARE(QImage(":/Dialkit/images/images/radio.png").size(), QSize(16, 16));
    QCOMPARE(QImage(":/Dialkit/images/images/checkbox.png").size(), QSize(25, 25));
}

void TestControls::fontsResolve()
{
    QCOMPARE(QFontInfo(QFont("Calibri")).family(), QString("Carlito"));
    QVERIFY(QFile::exists(":/Dialkit/fonts/fonts/Zorvane.ttf"));
    QVERIFY(QFile::exists(":/Dialkit/fonts/fonts/Vossery.ttf"));
    // registering twice replaces, it does not pile up
    Dialkit::loadApplicationFonts();
    QCOMPARE(QFontInfo(QFont("Calibri")).family(), QString("Carlito"));
}

void TestControls::formatSignificant_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<bool>("integerOnly");
    QTest::addColumn<QString>("expected");
    QTest::newRow("round to thousands") << 12345.0 << 2 << false << "12000";
    QTest::newRow("negative keeps magnitude") << -12345.0 << 2 << false << "-12000";
    QTest::newRow("zero") << 0.0 << 3 << false << "0.00";
    QTest::newRow("zero integer") << 0.0 << 3 << true << "0";
    QTest::newRow("decimals") << 1.234 << 3 << false << "1.23";
    QTest::newRow("small") << 0.0456 << 3 << false << "0.0456";
    QTest::newRow("integer only") << 1.234 << 3 << true << "1";
    QTest::newRow("no digits") << 5.0 << 0 << false << "0";
    QTest::newRow("log label") << 3.16227766 << 2 << false << "3.2";
    QTest::newRow("log label 2") << 316.227766 << 2 << false << "320";
}

void TestControls::formatSignificant()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(bool, integerOnly);
    QFETCH(QString, expected);
    QCOMPARE(Dialkit::formatSignificant(value, digits, integerOnly), expected);
}

void TestControls::buttonSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<QString>("property");
    QTest::newRow("Normal") << int(Button::Normal) << QSize(95, 55) << "normal";
    QTest::newRow("Small") << int(Button::Small) << QSize(55, 35) << "small";
    QTest::newRow("SmallFlat") << int(Button::SmallFlat) << QSize(65, 30) << "small";
    QTest::newRow("Fat") << int(Button::Fat) << QSize(30, 30) << "fat";
    QTest::newRow("FatMedium") << int(Button::FatMedium) << QSize(40, 40) << "fat";
    QTest::newRow("FatLarge") << int(Button::FatLarge) << QSize(46, 38) << "fat";
    QTest::newRow("LongSmall") << int(Button::LongSmall) << QSize(85, 35) << "longsmall";
}

void TestControls::buttonSize()
{
    QFETCH(int, size);
    QFETCH(QSize, expected);
    QFETCH(QString, property);
    Button b("x");
    b.setSize(Button::Small);
    b.setSize(Button::Size(size));
    QCOMPARE(b.minimumSize(), expected);
    QCOMPARE(b.maximumSize(), expected);
    QCOMPARE(b.property("button-size").toString(), property);
    b.setSize(7); // not a size: nothing changes
    QCOMPARE(b.maximumSize(), expected);
    QCOMPARE(b.property("button-size").toString(), property);
    b.setSize(12, 13);
    QCOMPARE(b.maximumSize(), QSize(12, 13));
    QCOMPARE(b.property("button-size").toString(), property);
}

void TestControls::buttonColorProperties()
{
    Button b;
    QCOMPARE(b.property("button-color").toString(), QString("red"));
    QCOMPARE(b.property("button-checked-color").toString(), QString("orange"));
    b.setColor(Button::Green);
    QCOMPARE(b.property("button-color").toString(), QString("green"));
    b.setColor(Button::DarkGrey);
    QCOMPARE(b.property("button-color").toString(), QString("dark-grey"));
    b.setColor(Button::Color(9));
    QCOMPARE(b.property("button-color").toString(), QString("red"));
    b.setCheckedColor(Button::Red);
    QCOMPARE(b.property("button-checked-color").toString(), QString("red"));
}

void TestControls::buttonPaintsSheetColour_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("red") << int(Button::Red) << true << false << QRgb(0xFF87212E);
    QTest::newRow("grey") << int(Button::Grey) << true << false << QRgb(0xFFC6C6C6);
    QTest::newRow("dark-grey") << int(Button::DarkGrey) << true << false << QRgb(0xFF555555);
    QTest::newRow("green") << int(Button::Green) << true << false << QRgb(0xFFABC217);
    QTest::newRow("red disabled") << int(Button::Red) << false << false << QRgb(0xFF895A60);
    QTest::newRow("green disabled") << int(Button::Green) << false << false << QRgb(0xFFDDDDDD);
    QTest::newRow("checked shows checked colour")
        << int(Button::DarkGrey) << true << true << QRgb(0xFFED6E00);
}

void TestControls::buttonPaintsSheetColour()
{
    QFETCH(int, color);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QFETCH(QRgb, expected);
    Button b;
    b.setColor(Button::Color(color));
    b.setCheckable(true);
    b.setChecked(checked);
    b.setEnabled(enabled);
    b.resize(95, 55);
    const QImage img = b.grab().toImage();
    QCOMPARE(QColor(img.pixel(47, 45)).name(), QColor(expected).name());
}

void TestControls::buttonClickedCarriesText()
{
    Button b("Laser On");
    QSignalSpy spy(&b, qOverload<bool, QString>(&Button::clicked));
    b.setCheckable(true);
    b.click();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(0).at(1).toString(), QString("Laser On"));
}

void TestControls::indicatorColour()
{
    QWidget parent;
    Indicator ind(&parent);
    QCOMPARE(ind.size(), QSize(20, 20));
    QCOMPARE(ind.displayedColor().rgba(), QRgb(Indicator::Grey));
    ind.setColor(Indicator::Green);
    ind.setBlink(true, 40, Indicator::Orange);
    QCOMPARE(ind.displayedColor().rgba(), QRgb(Indicator::Orange)); // starts with the blink colour
    ind.toggleBlink();
    QCOMPARE(ind.displayedColor().rgba(), QRgb(Indicator::Green));
    // the timer alternates by itself
    QTRY_COMPARE_WITH_TIMEOUT(ind.displayedColor().rgba(), QRgb(Indicator::Orange), 1000);

    ind.setEnabled(false);
    QCOMPARE(QColor(ind.grab().toImage().pixel(10, 10)).rgba(), QRgb(0xFF555555));
    ind.setEnabled(true);
    ind.setBlink(false, 40, Indicator::Orange);
    QCOMPARE(QColor(ind.grab().toImage().pixel(10, 10)).rgba(), QRgb(Indicator::Green));
}

void TestControls::indicatorForms()
{
    Indicator ind;
    ind.setColor(Indicator::Red);
    const QRgb red = QRgb(Indicator::Red);
    QImage img = ind.grab().toImage();
    // 18-px circle from (1, 1): the corners stay empty, the right edge column 19 is outside
    QCOMPARE(img.pixel(10, 10), red);
    QVERIFY(img.pixel(1, 1) != red);
    QVERIFY(img.pixel(19, 10) != red);
    ind.setForm(Indicator::TriangleUp);
    img = ind.grab().toImage();
    QVERIFY(img.pixel(2, 2) != red);
    QCOMPARE(img.pixel(10, 18), red);
    ind.setForm(Indicator::TriangleDown);
    img = ind.grab().toImage();
    QCOMPARE(img.pixel(10, 2), red);
    QVERIFY(img.pixel(2, 18) != red);
}

void TestControls::indicatorButtonToggle_data()
{
    QTest::addColumn<bool>("toggleEnabled");
    QTest::addColumn<bool>("initiallyActive");
    QTest::addColumn<QRgb>("lampAfterClick");
    QTest::newRow("toggle off, inactive") << false << false << QRgb(Indicator::Grey);
    QTest::newRow("toggle off, active") << false << true << QRgb(Indicator::Red);
    QTest::newRow("toggle on, inactive") << true << false << QRgb(Indicator::Red);
    QTest::newRow("toggle on, active") << true << true << QRgb(Indicator::Grey);
}

void TestControls::indicatorButtonToggle()
{
    QFETCH(bool, toggleEnabled);
    QFETCH(bool, initiallyActive);
    QFETCH(QRgb, lampAfterClick);
    IndicatorButton ib("Go", IndicatorButton::Left);
    ib.setColors(Indicator::Red, Indicator::Grey);
    ib.enableToggle(toggleEnabled);
    ib.setActive(initiallyActive);
    QSignalSpy spy(&ib, &IndicatorButton::toggled);
    QTest::mouseClick(ib.button(), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), !initiallyActive);
    QCOMPARE(ib.isActive(), !initiallyActive);
    QCOMPARE(QRgb(ib.indicator()->color()), lampAfterClick);
}

void TestControls::indicatorButtonEnable()
{
    IndicatorButton ib("Go", IndicatorButton::Left);
    ib.setActive(true);
    QCOMPARE(QRgb(ib.indicator()->color()), QRgb(Indicator::Green));
    ib.setEnabled(false);
    QCOMPARE(QRgb(ib.indicator()->color()), QRgb(Indicator::Grey));
    QVERIFY(ib.isActive());
    QVERIFY(!ib.button()->isEnabled());
    QVERIFY(ib.isEnabled());
    ib.setOnColor(Indicator::Orange); // shows the colour that matches the state at once
    QCOMPARE(QRgb(ib.indicator()->color()), QRgb(Indicator::Orange));
    QCOMPARE(QRgb(ib.onColor()), QRgb(Indicator::Orange));
}

void TestControls::indicatorButtonPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("dx"); // sign of indicator centre minus button centre
    QTest::addColumn<int>("dy");
    QTest::newRow("Top") << int(IndicatorButton::Top) << 0 << -1;
    QTest::newRow("Left") << int(IndicatorButton::Left) << -1 << 0;
    QTest::newRow("Right") << int(IndicatorButton::Right) << 1 << 0;
    QTest::newRow("Bottom") << int(IndicatorButton::Bottom) << 0 << 1;
    QTest::newRow("out of range lays out as Left") << 9 << -1 << 0;
}

void TestControls::indicatorButtonPosition()
{
    QFETCH(int, position);
    QFETCH(int, dx);
    QFETCH(int, dy);
    IndicatorButton ib{IndicatorButton::Position(position)};
    ib.setButtonSize(Button::Small);
    ib.adjustSize();
    ib.layout()->activate();
    const QPoint d = ib.indicator()->geometry().center() - ib.button()->geometry().center();
    auto sign = [](int v) {
        return v > 2 ? 1 : (v < -2 ? -1 : 0);
    };
    QCOMPARE(sign(d.x()), dx);
    QCOMPARE(sign(d.y()), dy);
}

void TestControls::comboBoxClamp_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("expected");
    QTest::newRow("past the end") << 3 << 10 << 2;
    QTest::newRow("at count") << 3 << 3 << 2;
    QTest::newRow("negative") << 3 << -4 << 0;
    QTest::newRow("inside") << 3 << 1 << 1;
    QTest::newRow("empty") << 0 << 2 << -1;
}

void TestControls::comboBoxClamp()
{
    QFETCH(int, items);
    QFETCH(int, request);
    QFETCH(int, expected);
    ComboBox box;
    for (int i = 0; i < items; ++i)
        box.addItem(QString("item %1").arg(i));
    QSignalSpy changed(&box, &ComboBox::currentIndexChanged);
    box.setCurrentIndex(request);
    QCOMPARE(box.currentIndex(), expected);
    QCOMPARE(box.text(), expected < 0 ? QString() : QString("item %1").arg(expected));
    QCOMPARE(changed.count(), 0);
}

void TestControls::comboBoxSingleMode()
{
    QWidget window;
    auto *box = new ComboBox(&window);
    box->setSingleMode(true);
    box->addItem("only");
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->text(), QString("only"));
    QCOMPARE(box->property("single-mode").toString(), QString("true"));
    window.show();
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->dropDown()->isVisible());
    box->addItem("second");
    QCOMPARE(box->property("single-mode").toString(), QString("false"));
    QCOMPARE(box->currentIndex(), 0);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->dropDown()->isVisible());
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->dropDown()->isVisible());
}

void TestControls::comboBoxPopupInsideScreen_data()
{
    QTest::addColumn<Qt::Alignment>("corner");
    QTest::newRow("left edge") << Qt::Alignment(Qt::AlignLeft | Qt::AlignTop);
    QTest::newRow("bottom edge") << Qt::Alignment(Qt::AlignLeft | Qt::AlignBottom);
    QTest::newRow("bottom right") << Qt::Alignment(Qt::AlignRight | Qt::AlignBottom);
}

// A list wider than its box, opened from a box at an edge of the screen, must still be all on the screen
// (the rep-rate scale list opened half off it on a 1366x768 screen).
void TestControls::comboBoxPopupInsideScreen()
{
    QFETCH(Qt::Alignment, corner);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    auto *box = new ComboBox(&window);
    box->addItems({"Rep rate control", "Rep rate divider control, a long entry"});
    box->adjustSize();
    window.resize(box->size());
    const int x = corner & Qt::AlignLeft ? area.left() : area.right() + 1 - window.width();
    const int y = corner & Qt::AlignTop ? area.top() : area.bottom() + 1 - window.height();
    window.move(x, y);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(box, Qt::LeftButton);
    DropDown *popup = box->dropDown();
    QVERIFY(popup->isVisible());
    QVERIFY(popup->width() > box->width());
    const QRect shown(popup->pos(), popup->size());
    QVERIFY2(area.contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                  .arg(shown.x())
                                                  .arg(shown.y())
                                                  .arg(shown.width())
                                                  .arg(shown.height())));
    // Never over the box itself: the operator must still see what is selected.
    QVERIFY(!shown.intersects(QRect(box->mapToGlobal(QPoint(0, 0)), box->size())));
}

void TestControls::comboBoxDeletedByItsReceiver()
{
    QWidget window;
    QPointer<ComboBox> box = new ComboBox(&window);
    box->addItems({"alpha", "beta"});
    window.show();
    // A panel torn down by the operator's choice deletes the box while it is still announcing it.
    connect(box.data(), &ComboBox::currentIndexChanged, box.data(), [&box] { delete box.data(); });
    DropDown *popup = box->dropDown();
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(popup->isVisible());
    const QPointer<DropDown> popupAlive(popup);
    const QPoint at = popup->item(1)->mapTo(popup, popup->item(1)->rect().center());
    QTest::mousePress(popup, Qt::LeftButton, {}, at);
    QVERIFY(box.isNull());
    QTRY_VERIFY(popupAlive.isNull());
}

void TestControls::comboBoxPopupSelection()
{
    QWidget window;
    auto *box = new ComboBox(&window);
    box->addItems({"alpha", "beta", "gamma"});
    box->setProperty("type", "label");
    QCOMPARE(box->dropDown()->property("type").toString(), QString("label"));
    window.show();
    QSignalSpy changed(box, &ComboBox::currentIndexChanged);
    QSignalSpy activated(box, &ComboBox::activated);
    DropDown *popup = box->dropDown();
    QVERIFY(!box->isItemVisible(1)); // closed popup
    QCOMPARE(box->hasItemVisibility(1), true);

    auto clickItem = [&](int i) {
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(popup->isVisible());
        const QPoint at = popup->item(i)->mapTo(popup, popup->item(i)->rect().center());
        QTest::mouseClick(popup, Qt::LeftButton, {}, at);
    };
    clickItem(1);
    QVERIFY(!popup->isVisible());
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->currentText(), QString("beta"));
    QCOMPARE(box->text(), QString("beta"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(activated.count(), 1);

    clickItem(1); // the current one again
    QCOMPARE(changed.count(), 1);
    QCOMPARE(activated.count(), 2);
    QCOMPARE(activated.last().at(0).toInt(), 1);

    // a hidden item cannot be chosen, a click beside the items does nothing
    box->setItemVisibility(2, false);
    QCOMPARE(box->hasItemVisibility(2), false);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(popup->isVisible());
    QVERIFY(!box->isItemVisible(2));
    QVERIFY(box->isItemVisible(0));
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(popup->width() / 2, popup->height() - 1));
    QTest::mouseClick(popup, Qt::RightButton, {},
                      popup->item(0)->mapTo(popup, popup->item(0)->rect().center()));
    QCOMPARE(activated.count(), 2);
    QVERIFY(popup->isVisible());

    box->setItemText(1, "BETA");
    QCOMPARE(box->text(), QString("BETA"));
    box->setItemText(0, "ALPHA");
    QCOMPARE(box->text(), QString("BETA"));
    box->clear();
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(box->count(), 0);
    QCOMPARE(box->text(), QString());
}

void TestControls::comboBoxItemsOutOfRange()
{
    ComboBox box;
    box.addItems({"a", "b"});
    QCOMPARE(box.itemText(5), QString());
    QCOMPARE(box.itemText(-1), QString());
    box.setItemText(5, "x");
    box.setItemVisibility(7, false);
    QCOMPARE(box.hasItemVisibility(7), false);
    QCOMPARE(box.isItemVisible(7), false);
    QCOMPARE(box.count(), 2);
    QCOMPARE(box.text(), QString("a"));
}

void TestControls::popupClosesOnOutsidePress()
{
    QWidget window;
    auto *box = new ComboBox(&window);
    box->addItems({"a", "b"});
    box->move(10, 10);
    window.resize(300, 300);
    window.show();
    DropDown *popup = box->dropDown();
    // a press far from both the popup and its owner closes it and is passed on
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(popup->isVisible());
    QTest::mousePress(popup, Qt::LeftButton, {}, popup->mapFromGlobal(window.mapToGlobal(QPoint(290, 290))));
    QVERIFY(!popup->isVisible());
    QVERIFY(!popup->testAttribute(Qt::WA_NoMouseReplay));
    // a press on the owner only closes it: replayed, it would open the popup again
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(popup->isVisible());
    QTest::mousePress(popup, Qt::LeftButton, {}, popup->mapFromGlobal(box->mapToGlobal(QPoint(2, 2))));
    QVERIFY(!popup->isVisible());
    QVERIFY(popup->testAttribute(Qt::WA_NoMouseReplay));
    QCOMPARE(box->currentIndex(), 0);
}

void TestControls::lineEditSaveReset()
{
    QWidget window;
    auto *edit = new LineEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    QCOMPARE(edit->property("flat").toBool(), true);
    QSignalSpy saved(edit, &LineEdit::textSaved);
    QSignalSpy reset(edit, &LineEdit::textReset);
    edit->setText("12");
    QCOMPARE(edit->savedText(), QString("12"));
    edit->QLineEdit::setText("34");
    edit->resetText();
    QCOMPARE(edit->text(), QString("12"));
    QCOMPARE(reset.count(), 1);

    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClicks(edit, "56");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.last().at(0).toString(), QString("56"));
    QTest::keyClicks(edit, "7");
    other->setFocus(); // leaving the field saves as Return does
    QTRY_COMPARE(saved.count(), 2);
    QCOMPARE(edit->savedText(), QString("567"));
    edit->setDarkBackground();
    QCOMPARE(edit->property("background").toString(), QString("dark"));
}

void TestControls::lineEditTimeoutConnections()
{
    QWidget window;
    auto *edit = new LineEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    edit->setText("1");
    QSignalSpy editing(edit, &LineEdit::textEditing);
    // without the time-out an edit arms nothing
    QTest::keyClicks(edit, "2");
    QVERIFY(!edit->isResetPending());
    QCOMPARE(editing.count(), 0);

    edit->enableTimeout(true);
    QTest::keyClicks(edit, "34");
    QVERIFY(edit->isResetPending());
    QVERIFY(edit->isEditing());
    QCOMPARE(editing.count(), 1); // once per edit, not per key
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(!edit->isResetPending());
    QVERIFY(!edit->isEditing());

    edit->enableTimeout(false);
    QTest::keyClicks(edit, "5");
    QVERIFY(!edit->isResetPending());
    QCOMPARE(editing.count(), 1);
}

void TestControls::lineEditNumberKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits") << "123"
                            << "123";
    QTest::newRow("letters swallowed") << "1a2b"
                                       << "12";
    QTest::newRow("comma is a point") << "1,5"
                                      << "1.5";
    QTest::newRow("signs and X") << "-3X+"
                                 << "-3X+";
    QTest::newRow("space swallowed") << "4 5"
                                     << "45";
}

void TestControls::lineEditNumberKeys()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    LineEditNumber field;
    QTest::keyClicks(&field, typed);
    QCOMPARE(field.text(), expected);
    // the same filter applies to text set from outside
    field.setText(typed);
    QCOMPARE(field.text(), expected);
}

void TestControls::lineEditNumberArrows()
{
    LineEditNumber field;
    field.setText("10");
    QSignalSpy arrows(&field, &LineEditNumber::arrowPressed);
    QTest::keyClick(&field, Qt::Key_Up);
    QTest::keyClick(&field, Qt::Key_Down);
    QCOMPARE(arrows.count(), 2);
    QCOMPARE(arrows.at(0).at(0).toInt(), 1);
    QCOMPARE(arrows.at(1).at(0).toInt(), -1);
    QCOMPARE(field.text(), QString("10"));
    QCOMPARE(field.alignment() & Qt::AlignRight, Qt::AlignRight);
    field.setNumber(12345, 2, true);
    QCOMPARE(field.text(), QString("12000"));
    field.setNumber(1.5, 3);
    QCOMPARE(field.text(), QString("1.500"));
    QCOMPARE(field.number(), 1.5);
    field.setText("X");
    QCOMPARE(field.number(), 0.0);
}

void TestControls::lineEditNumberNudge()
{
    LineEditNumber field;
    QSignalSpy saved(&field, &LineEditNumber::numberSaved);
    field.setText("1");
    field.nudge(1); // no step allowed yet
    QCOMPARE(field.text(), QString("1"));
    field.allowNudge(0.01);
    field.nudge(1);
    QCOMPARE(field.text(), QString("1.01"));
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.last().at(0).toDouble(), 1.01);
    // feedback during the hold-off is deferred, then applied
    field.setText("7");
    QCOMPARE(field.text(), QString("1.01"));
    QTRY_COMPARE_WITH_TIMEOUT(field.text(), QString("7"), 2000);
    field.allowNudge(5);
    field.nudge(-1);
    QCOMPARE(field.text(), QString("2"));
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
