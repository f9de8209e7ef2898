#include "dialkit/Dialkit.h"
#include "dialkit/LineEditNumber.h"
#include "dialkit/RangedInputSlider.h"
#include "dialkit/RangedScaleSlider.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {
void typeInto(LineEditNumber *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void drag(QWidget *widget, QPoint from, int dx)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    // A few small steps, as a hand would move.
    for (int i = 1; i <= 4; ++i) {
        QMouseEvent move(QEvent::MouseMove, from + QPoint(dx * i / 4, 0), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, from + QPoint(dx, 0));
}
} // namespace

class TestRangedInputSlider : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void defaults();
    void valueRules_data();
    void valueRules();
    void typedStartIsClampedToItsRange();
    void typedStartAboveStopPullsStop();
    void typedStopBelowStartPullsStart();
    void rangeChangeReappliesValues();
    void fixedStartCannotBeTypedOrDragged();
    void draggingTheStopUpdatesFieldAndValue();
    void precisionAndArrowKeys();
    void backgroundFollowsTheStyleSheet();

private:
    RangedInputSlider *makeSlider(QWidget *parent);
};

void TestRangedInputSlider::initTestCase()
{
    Dialkit::loadApplicationFonts();
    qApp->setStyleSheet(Dialkit::getApplicationStylesheet());
}

RangedInputSlider *TestRangedInputSlider::makeSlider(QWidget *parent)
{
    auto *slider = new RangedInputSlider(10, parent);
    slider->resize(520, 160);
    parent->resize(540, 180);
    parent->show();
    return slider;
}

void TestRangedInputSlider::defaults()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    QCOMPARE(slider->startValue(), 400.0);
    QCOMPARE(slider->stopValue(), 900.0);
    QCOMPARE(slider->startField()->text(), QStringLiteral("400"));
    QCOMPARE(slider->stopField()->text(), QStringLiteral("900"));
    QCOMPARE(slider->slider()->currentValueMin(), 400.0);
    QCOMPARE(slider->slider()->currentValueMax(), 900.0);
    // The scale covers the default band, not a backwards span.
    QVERIFY(slider->slider()->scaleStart() <= 400.0);
    QVERIFY(slider->slider()->scaleEnd() >= 900.0);
    QCOMPARE(slider->startField()->maximumWidth(), 120);
    QCOMPARE(slider->property("widget-color").toString(), QStringLiteral("light-grey"));
}

void TestRangedInputSlider::valueRules_data()
{
    QTest::addColumn<double>("stopMax");
    QTest::addColumn<double>("initialStop");
    QTest::addColumn<bool>("setStart");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");

    QTest::newRow("start inside") << 900.0 << 900.0 << true << 500.0 << 500.0 << 900.0;
    QTest::newRow("start below range") << 900.0 << 900.0 << true << 100.0 << 400.0 << 900.0;
    QTest::newRow("start above range") << 900.0 << 900.0 << true << 950.0 << 900.0 << 900.0;
    QTest::newRow("start passes stop") << 900.0 << 600.0 << true << 700.0 << 700.0 << 700.0;
    QTest::newRow("start passes stop beyond its range") << 650.0 << 600.0 << true << 800.0 << 650.0 << 650.0;
    QTest::newRow("stop inside") << 900.0 << 900.0 << false << 800.0 << 400.0 << 800.0;
    QTest::newRow("stop above range") << 900.0 << 900.0 << false << 2000.0 << 400.0 << 900.0;
    QTest::newRow("stop below range") << 900.0 << 900.0 << false << 0.0 << 400.0 << 400.0;
}

void TestRangedInputSlider::valueRules()
{
    QFETCH(double, stopMax);
    QFETCH(double, initialStop);
    QFETCH(bool, setStart);
    QFETCH(double, value);
    QFETCH(double, start);
    QFETCH(double, stop);

    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    slider->setStopRange(400, stopMax);
    slider->setStopValue(initialStop);
    for (bool adjust : {false, true}) {
        slider->setStartValue(400, false);
        slider->setStopValue(initialStop, false);
        if (setStart)
            slider->setStartValue(value, adjust);
        else
            slider->setStopValue(value, adjust);
        QCOMPARE(slider->startValue(), start);
        QCOMPARE(slider->stopValue(), stop);
        // Fields and handles show the same values as the widget holds.
        QCOMPARE(slider->startField()->number(), start);
        QCOMPARE(slider->stopField()->number(), stop);
        QCOMPARE(slider->slider()->currentValueMin(), start);
        QCOMPARE(slider->slider()->currentValueMax(), stop);
    }
}

void TestRangedInputSlider::typedStartIsClampedToItsRange()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    QSignalSpy started(slider, &RangedInputSlider::startValueChanged);
    typeInto(slider->startField(), QStringLiteral("950"));
    QCOMPARE(slider->startField()->text(), QStringLiteral("900"));
    QCOMPARE(slider->startValue(), 900.0);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toDouble(), 900.0);
}

void TestRangedInputSlider::typedStartAboveStopPullsStop()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    slider->setStopValue(600);
    QSignalSpy started(slider, &RangedInputSlider::startValueChanged);
    QSignalSpy stopped(slider, &RangedInputSlider::stopValueChanged);
    typeInto(slider->startField(), QStringLiteral("700"));
    QCOMPARE(slider->startValue(), 700.0);
    QCOMPARE(slider->stopValue(), 700.0);
    QCOMPARE(slider->stopField()->text(), QStringLiteral("700"));
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toDouble(), 700.0);
    // The stop moved too, and its listeners hear of it.
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(stopped.at(0).at(0).toDouble(), 700.0);
}

void TestRangedInputSlider::typedStopBelowStartPullsStart()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    slider->setStartValue(600);
    QSignalSpy started(slider, &RangedInputSlider::startValueChanged);
    QSignalSpy stopped(slider, &RangedInputSlider::stopValueChanged);
    typeInto(slider->stopField(), QStringLiteral("500"));
    QCOMPARE(slider->stopValue(), 500.0);
    QCOMPARE(slider->startValue(), 500.0);
    QCOMPARE(slider->startField()->text(), QStringLiteral("500"));
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toDouble(), 500.0);
}

void TestRangedInputSlider::rangeChangeReappliesValues()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    slider->setStartValue(450);
    slider->setStartRange(500, 800);
    QCOMPARE(slider->startValue(), 500.0);
    QCOMPARE(slider->startField()->text(), QStringLiteral("500"));
    slider->setStopRange(500, 750);
    QCOMPARE(slider->stopValue(), 750.0);
    QCOMPARE(slider->slider()->currentValueMax(), 750.0);
    // An inverted range is refused rather than producing values outside every range.
    slider->setStopRange(800, 700);
    QCOMPARE(slider->stopMinimum(), 500.0);
    QCOMPARE(slider->stopMaximum(), 750.0);
}

void TestRangedInputSlider::fixedStartCannotBeTypedOrDragged()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    slider->setFixedStart(true, 500);
    QVERIFY(slider->isStartFixed());
    QCOMPARE(slider->startValue(), 500.0);
    QVERIFY(!slider->startField()->isEnabled());
    QVERIFY(slider->slider()->isStartFixed());

    QSignalSpy started(slider, &RangedInputSlider::startValueChanged);
    RangedScaleSlider *handles = slider->slider();
    drag(handles, handles->startHandle().center().toPoint(), 60);
    QCOMPARE(started.count(), 0);
    QCOMPARE(slider->startValue(), 500.0);
    QCOMPARE(handles->currentValueMin(), 500.0);

    slider->setStartValue(600);
    QCOMPARE(slider->startValue(), 500.0);
    // A stop below the fixed start stops at it.
    slider->setStopValue(450);
    QCOMPARE(slider->stopValue(), 500.0);
    QCOMPARE(slider->startValue(), 500.0);

    slider->setFixedStart(false, 550);
    QVERIFY(slider->startField()->isEnabled());
    QCOMPARE(slider->startValue(), 550.0);
    drag(handles, handles->startHandle().center().toPoint(), -60);
    QCOMPARE(started.count(), 1);
    QVERIFY(slider->startValue() < 550.0);
}

void TestRangedInputSlider::draggingTheStopUpdatesFieldAndValue()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    QSignalSpy stopped(slider, &RangedInputSlider::stopValueChanged);
    RangedScaleSlider *handles = slider->slider();
    drag(handles, handles->stopHandle().center().toPoint(), -100);
    QCOMPARE(stopped.count(), 1);
    const double stop = stopped.at(0).at(0).toDouble();
    QVERIFY(stop < 900.0);
    QVERIFY(stop > 400.0);
    QCOMPARE(slider->stopValue(), stop);
    QCOMPARE(slider->stopField()->number(), double(qRound(stop)));
    // A later typed start is checked against the dragged stop, not the old one.
    typeInto(slider->startField(), QStringLiteral("899"));
    QCOMPARE(slider->stopValue(), 899.0);
}

void TestRangedInputSlider::precisionAndArrowKeys()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    slider->setPrecision(1);
    QCOMPARE(slider->startField()->text(), QStringLiteral("400.0"));
    QSignalSpy started(slider, &RangedInputSlider::startValueChanged);
    slider->startField()->setFocus();
    QTest::keyClick(slider->startField(), Qt::Key_Up);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toDouble(), 400.1);
    QCOMPARE(slider->startField()->text(), QStringLiteral("400.1"));
}

void TestRangedInputSlider::backgroundFollowsTheStyleSheet()
{
    QWidget parent;
    RangedInputSlider *slider = makeSlider(&parent);
    QImage image = slider->grab().toImage();
    QCOMPARE(QColor(image.pixel(2, 2)), QColor(0xF6, 0xF6, 0xF6));
    slider->setDarkBackground(false);
    QCOMPARE(slider->startField()->property("background").toString(), QStringLiteral("dark"));
    image = slider->grab().toImage();
    QCOMPARE(QColor(image.pixel(2, 2)), QColor(Qt::white));
}

QTEST_MAIN(TestRangedInputSlider)
#include "tst_rangedinputslider.moc"
