#include "dialkit/ComboSlider.h"
#include "dialkit/Dialkit.h"

#include <QApplication>
#include <QLayout>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QWheelEvent>
#include <QtTest>

namespace {

// Records the emissions of one combo slider in order, as "name(value)".
struct Recorder
{
    QStringList log;
    explicit Recorder(ComboSlider *c)
    {
        QObject::connect(c, &ComboSlider::valueEntered,
                         [this](double v) { log << QString("entered(%1)").arg(v); });
        QObject::connect(c, &ComboSlider::valueChanged,
                         [this](double v) { log << QString("changed(%1)").arg(v); });
    }
};

ComboSlider *makeSlider(QWidget *parent, double min, double max, int precision,
                        ScaleSlider::ScaleType type = ScaleSlider::Linear, QList<double> steps = {})
{
    auto *c = new ComboSlider(25, parent);
    auto *scale = new ComboSliderScale("Power");
    auto *unit = new ComboSliderUnit("W", min, max, precision);
    unit->setScaleType(type);
    unit->setStepList(steps);
    scale->addUnit(unit);
    c->addScale(scale);
    return c;
}

void typeAndReturn(LineEditNumber *field, const QString &text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

class TestComboSlider : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void enteredThenClamped();
    void setValueEmitsNothing();
    void stepListNudging();
    void decimalNudging_data();
    void decimalNudging();
    void feedbackHeldBackAfterNudge();
    void scaleChangeResetsUnit();
    void unitRangeClampsValue();
    void visibilityAndTitles();
    void wheelNudges();
    void dragEntersAndLeavesEditMode();
    void backgroundAndEnabled();
    void logarithmicUnit();
    void unconfirmedEditReverts();
    void cancelledEditShowsLatestDeviceValue();
};

void TestComboSlider::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Dialkit::loadApplicationFonts();
    qApp->setStyleSheet(Dialkit::getApplicationStylesheet());
}

void TestComboSlider::enteredThenClamped()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 10, 20, 1);
    Recorder rec(c);
    typeAndReturn(c->getLineInput(), "25");
    QCOMPARE(rec.log, (QStringList{"entered(25)", "changed(20)"}));
    QCOMPARE(c->getLineInput()->text(), QString("20.0"));
    QCOMPARE(c->value(), 20.0);
    rec.log.clear();
    typeAndReturn(c->getLineInput(), "12,5");
    QCOMPARE(rec.log, (QStringList{"entered(12.5)", "changed(12.5)"}));
    QCOMPARE(c->getLineInput()->text(), QString("12.5"));
}

void TestComboSlider::setValueEmitsNothing()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 2);
    Recorder rec(c);
    QSignalSpy selection(c, &ComboSlider::selectionChanged);
    c->setValue(42.125);
    QCOMPARE(c->getLineInput()->text(), QString("42.13"));
    c->setValue(500);
    QCOMPARE(c->getLineInput()->text(), QString("100.00"));
    QCOMPARE(c->value(), 100.0);
    QVERIFY(rec.log.isEmpty());
    QCOMPARE(selection.count(), 0);
}

void TestComboSlider::stepListNudging()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 1, 10, 0, ScaleSlider::StepList, {1, 2, 5, 10});
    Recorder rec(c);
    typeAndReturn(c->getLineInput(), "3");
    QCOMPARE(rec.log, (QStringList{"entered(2)", "changed(2)"}));
    rec.log.clear();
    QTest::keyClick(c->getLineInput(), Qt::Key_Up);
    QCOMPARE(c->getLineInput()->text(), QString("5"));
    QTest::keyClick(c->getLineInput(), Qt::Key_Up);
    QTest::keyClick(c->getLineInput(), Qt::Key_Up);
    QCOMPARE(c->getLineInput()->text(), QString("10"));
    QCOMPARE(rec.log, (QStringList{"changed(5)", "changed(10)", "changed(10)"}));
    QTest::keyClick(c->getLineInput(), Qt::Key_Down);
    QCOMPARE(c->value(), 5.0);
    QVERIFY(c->isHoldingOff());
}

void TestComboSlider::decimalNudging_data()
{
    QTest::addColumn<int>("precision");
    QTest::addColumn<bool>("significant");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("expected");
    QTest::newRow("2 decimals up") << 2 << false << 1.0 << 1 << "1.01";
    QTest::newRow("0 decimals down") << 0 << false << 7.0 << -1 << "6";
    QTest::newRow("3 significant, 1.23") << 3 << true << 1.23 << 1 << "1.24";
    QTest::newRow("3 significant, 0.0456") << 3 << true << 0.0456 << 1 << "0.0457";
    QTest::newRow("1 significant, 5") << 1 << true << 5.0 << 1 << "6";
    QTest::newRow("2 significant, 12000") << 2 << true << 12345.0 << -1 << "11000";
    QTest::newRow("clamped at the top") << 1 << false << 99.95 << 1 << "100.0";
}

void TestComboSlider::decimalNudging()
{
    QFETCH(int, precision);
    QFETCH(bool, significant);
    QFETCH(double, start);
    QFETCH(int, direction);
    QFETCH(QString, expected);
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, significant ? 100000 : 100, precision);
    c->currentUnit()->setSignificantDigits(significant);
    c->setValue(start);
    QSignalSpy entered(c, &ComboSlider::valueEntered);
    QSignalSpy changed(c, &ComboSlider::valueChanged);
    c->nudge(direction);
    QCOMPARE(c->getLineInput()->text(), expected);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(entered.count(), 0);
    QCOMPARE(changed.at(0).at(0).toDouble(), expected.toDouble());
}

void TestComboSlider::feedbackHeldBackAfterNudge()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 0);
    c->setValue(10);
    QTest::keyClick(c->getLineInput(), Qt::Key_Up);
    QCOMPARE(c->getLineInput()->text(), QString("11"));
    c->setValue(30); // device feedback within the hold-off
    c->setValue(40);
    QCOMPARE(c->getLineInput()->text(), QString("11"));
    QCOMPARE(c->value(), 11.0);
    // the most recent device value is shown once the hold-off is over
    QTRY_COMPARE_WITH_TIMEOUT(c->getLineInput()->text(), QString("40"), 2000);
    QCOMPARE(c->value(), 40.0);
    QVERIFY(!c->isHoldingOff());
}

void TestComboSlider::scaleChangeResetsUnit()
{
    QWidget w;
    auto *c = new ComboSlider(0, &w);
    auto *power = new ComboSliderScale("Power");
    power->addUnit(new ComboSliderUnit("W", 0, 10, 1));
    power->addUnit(new ComboSliderUnit("%", 0, 100, 0));
    auto *current = new ComboSliderScale("Current");
    current->addUnit(new ComboSliderUnit("A", 0, 5, 2));
    QSignalSpy selection(c, &ComboSlider::selectionChanged);
    c->addScale(power);
    c->addScale(current);
    QCOMPARE(power->parent(), c);
    QCOMPARE(c->scaleSelector()->count(), 2);
    QCOMPARE(c->unitSelector()->count(), 2);
    QVERIFY(c->scaleSelector()->property("single-mode").toString() == "false");
    QVERIFY(c->unitSelector()->property("single-mode").toString() == "false");
    QCOMPARE(c->getLineInput()->maximumWidth(), 150 - c->unitSelector()->sizeHint().width());

    QSignalSpy unitChanged(c, &ComboSlider::unitIndexChanged);
    c->unitSelector()->checkCurrentIndex(1); // picked in the popup
    QCOMPARE(c->unitIndex(), 1);
    QCOMPARE(unitChanged.count(), 1);
    QCOMPARE(c->slider()->maximum(), 100.0);

    selection.clear();
    QSignalSpy scaleChanged(c, &ComboSlider::scaleIndexChanged);
    c->scaleSelector()->checkCurrentIndex(1);
    QCOMPARE(scaleChanged.count(), 1);
    QCOMPARE(scaleChanged.at(0).at(0).toInt(), 1);
    QCOMPARE(c->unitIndex(), 0);
    QCOMPARE(c->unitSelector()->count(), 1);
    QCOMPARE(c->unitSelector()->text(), QString("A"));
    QCOMPARE(c->unitSelector()->property("single-mode").toString(), QString("true"));
    QVERIFY(selection.count() >= 1);
    QCOMPARE(selection.last().at(0).toInt(), 1);
    QCOMPARE(selection.last().at(1).toInt(), 0);
    QCOMPARE(c->slider()->maximum(), 5.0);

    selection.clear();
    c->setCurrentScaleIndex(7); // clamped to the last scale, unit back to 0
    QCOMPARE(c->scaleIndex(), 1);
    QCOMPARE(selection.count(), 1);
}

void TestComboSlider::unitRangeClampsValue()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 1);
    c->setValue(50);
    Recorder rec(c);
    c->setUnitRange(0, 0, 0, 10);
    QCOMPARE(c->value(), 10.0);
    QCOMPARE(c->getLineInput()->text(), QString("10.0"));
    c->setUnitRange(3, 0, 0, 1); // no such scale
    c->setUnitRange(0, 5, 0, 1); // no such unit: range kept
    QCOMPARE(c->value(), 10.0);
    QCOMPARE(c->currentUnit()->maxValue(), 10.0);
    QVERIFY(rec.log.isEmpty());
}

void TestComboSlider::visibilityAndTitles()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 1, 1);
    c->addScale(new ComboSliderScale("Second"));
    c->setScaleTitle(0, "Energy");
    QCOMPARE(c->scale(0)->title(), QString("Energy"));
    QCOMPARE(c->scaleSelector()->text(), QString("Energy"));
    c->setScaleTitle(9, "nothing");
    QVERIFY(c->isScaleVisible(1));
    c->setScaleVisible(1, false);
    QVERIFY(!c->isScaleVisible(1));
    c->setScaleVisible(5, false);
    QVERIFY(c->isScaleVisible(0));
}

void TestComboSlider::wheelNudges()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 0);
    c->slider()->setMouseWheelEnabled(true);
    c->setValue(20);
    QSignalSpy changed(c, &ComboSlider::valueChanged);
    auto turn = [&](int delta) {
        QWheelEvent e(QPointF(20, 10), QPointF(20, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c->slider(), &e);
    };
    turn(120);
    QCOMPARE(c->getLineInput()->text(), QString("21"));
    // less than a notch is no step in either direction
    turn(40);
    QCOMPARE(c->getLineInput()->text(), QString("21"));
    QCOMPARE(changed.count(), 1);
}

void TestComboSlider::dragEntersAndLeavesEditMode()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 0);
    w.resize(500, 120);
    w.show();
    c->resize(500, 100);
    c->layout()->activate();
    c->setValue(50);
    ScaleSlider *s = c->slider();
    Recorder rec(c);
    const QPoint handle(int(s->handleX()) + 17, 17);
    QTest::mousePress(s, Qt::LeftButton, {}, handle);
    QVERIFY(c->isEditMode());
    QMouseEvent move(QEvent::MouseMove, handle + QPoint(40, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s, &move);
    const QString shown = c->getLineInput()->text();
    QVERIFY(shown.toDouble() > 50);
    QVERIFY(rec.log.isEmpty()); // dragging only shows the value
    QTest::mouseRelease(s, Qt::LeftButton, {}, handle + QPoint(40, 0));
    QVERIFY(!c->isEditMode());
    QCOMPARE(rec.log, (QStringList{"entered(" + shown + ")", "changed(" + shown + ")"}));
}

void TestComboSlider::backgroundAndEnabled()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 1, 1);
    QCOMPARE(c->property("widget-color").toString(), QString("light-grey"));
    QCOMPARE(c->getLineInput()->property("background").toString(), QString("white"));
    c->setDarkBackground(false);
    QCOMPARE(c->property("widget-color").toString(), QString("white"));
    QCOMPARE(c->getLineInput()->property("background").toString(), QString("dark"));
    c->resize(300, 100);
    QCOMPARE(QColor(c->grab().toImage().pixel(150, 2)).name(), QString("#ffffff"));
    c->setDarkBackground(true);
    QCOMPARE(QColor(c->grab().toImage().pixel(150, 2)).name(), QString("#f6f6f6"));
    c->setEnabled(false);
    QVERIFY(!c->slider()->isEnabled());
    QVERIFY(!c->getLineInput()->isEnabled());
}

void TestComboSlider::logarithmicUnit()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 1, 100000, 0, ScaleSlider::Logarithmic);
    c->setValue(1000);
    QCOMPARE(c->getLineInput()->text(), QString("1000"));
    QCOMPARE(c->slider()->maximum(), 5.0);
    Recorder rec(c);
    typeAndReturn(c->getLineInput(), "0");
    QCOMPARE(rec.log, (QStringList{"entered(0)", "changed(1)"}));
}

void TestComboSlider::unconfirmedEditReverts()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 1);
    c->setValue(50);
    Recorder rec(c);
    LineEditNumber *field = c->getLineInput();
    field->selectAll();
    QTest::keyClicks(field, "77");
    QVERIFY(c->isEditMode());
    QCOMPARE(field->text(), QString("77"));
    // the one long wait of the suite: the five-second revert of an unconfirmed edit
    QTRY_COMPARE_WITH_TIMEOUT(field->text(), QString("50.0"), 5000 + 1500);
    QVERIFY(!c->isEditMode());
    QCOMPARE(c->value(), 50.0);
    QVERIFY(rec.log.isEmpty());
}

void TestComboSlider::cancelledEditShowsLatestDeviceValue()
{
    QWidget w;
    ComboSlider *c = makeSlider(&w, 0, 100, 0);
    c->setValue(50);
    QTest::keyClicks(c->getLineInput(), "9");
    QVERIFY(c->isEditMode());
    c->setValue(30); // the device moved on while the operator was typing
    c->cancelEditMode();
    QCOMPARE(c->value(), 30.0);
    QCOMPARE(c->getLineInput()->text(), QString("30"));
}

QTEST_MAIN(TestComboSlider)
#include "tst_comboslider.moc"
