#include "dialkit/Dialkit.h"
#include "dialkit/RangedScaleSlider.h"
#include "dialkit/ScaleSlider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QWheelEvent>
#include <QtTest>

#include <cmath>

namespace {

QStringList labels(const ScaleSlider &s)
{
    QStringList out;
    for (unsigned i = 0; i <= s.intervalCount(); ++i)
        out << s.tickLabel(i);
    return out;
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QList<double> listOf(int n)
{
    QList<double> l;
    for (int i = 1; i <= n; ++i)
        l << i * 10;
    return l;
}

} // namespace

class TestScaleSlider : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void scaleArithmetic_data();
    void scaleArithmetic();
    void logarithmicValue();
    void stepListSnapping();
    void stepListLabels_data();
    void stepListLabels();
    void nearestStepValue_data();
    void nearestStepValue();
    void steplistIndexOf_data();
    void steplistIndexOf();
    void dragInsideAndPastTheEnd();
    void pressOutsideHandle();
    void disabledHandle();
    void wheel();
    void degenerateRanges();
    void stepListWithoutList();
    void rangedSlider();
};

void TestScaleSlider::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Dialkit::loadApplicationFonts();
}

void TestScaleSlider::scaleArithmetic_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("width");
    QTest::addColumn<unsigned>("intervals");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("linear 0..100") << int(ScaleSlider::Linear) << 0.0 << 100.0 << 450 << 5u
                                   << QStringList{"0", "20", "40", "60", "80", "100"};
    QTest::newRow("logarithmic 1..1000") << int(ScaleSlider::Logarithmic) << 1.0 << 1000.0 << 450 << 6u
                                         << QStringList{"1", "3.2", "10", "32", "100", "320", "1000"};
    QTest::newRow("linear fractions") << int(ScaleSlider::Linear) << 0.0 << 1.0 << 250 << 4u
                                      << QStringList{"0", "0.25", "0.5", "0.75", "1"};
    QTest::newRow("linear offset") << int(ScaleSlider::Linear) << 13.0 << 87.0 << 450 << 8u
                                   << QStringList{"10", "20", "30", "40", "50", "60", "70", "80", "90"};
}

void TestScaleSlider::scaleArithmetic()
{
    QFETCH(int, type);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, width);
    QFETCH(unsigned, intervals);
    QFETCH(QStringList, expected);
    ScaleSlider s;
    s.resize(width, s.height());
    s.setScaleType(ScaleSlider::ScaleType(type));
    s.setRange(min, max);
    QCOMPARE(s.intervalCount(), intervals);
    QCOMPARE(labels(s), expected);
}

void TestScaleSlider::logarithmicValue()
{
    ScaleSlider s;
    s.resize(450, s.height());
    s.setScaleType(ScaleSlider::Logarithmic);
    s.setRange(1, 1000);
    QCOMPARE(s.minimum(), 0.0);
    QCOMPARE(s.maximum(), 3.0);
    s.setCurrentValue(100);
    QVERIFY(qAbs(s.currentValue() - 100) < 1e-9);
    // two thirds of the 415-px track, truncated
    QCOMPARE(s.handleX(), 276.0);
    s.setCurrentValue(5000); // clamped
    QVERIFY(qAbs(s.currentValue() - 1000) < 1e-9);
    s.setCurrentValue(0); // no logarithm: the lower end
    QVERIFY(qAbs(s.currentValue() - 1) < 1e-9);
}

void TestScaleSlider::stepListSnapping()
{
    ScaleSlider s;
    s.resize(450, s.height());
    s.setScaleType(ScaleSlider::StepList);
    s.setStepList({1, 2, 5, 10});
    QCOMPARE(s.intervalCount(), 3u);
    QSignalSpy moved(&s, &ScaleSlider::handleMoved);
    s.setCurrentValue(3.5);
    QCOMPARE(s.currentValue(), 5.0);
    QCOMPARE(s.handleX(), 277.0); // tick 2 of 3: round(2 * 415 / 3)
    s.setCurrentValue(3.4);
    QCOMPARE(s.currentValue(), 2.0);
    QCOMPARE(s.handleX(), 138.0);
    s.setCurrentValueString("40");
    QCOMPARE(s.currentValue(), 10.0);
    QCOMPARE(s.handleX(), 415.0);
    QCOMPARE(moved.count(), 0);
    s.setSideMargins(25);
    QCOMPARE(s.handleX(), 25.0 + 365.0);
}

void TestScaleSlider::stepListLabels_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("labelled");
    QTest::newRow("11 entries, every tick") << int(ScaleSlider::StepList) << 11 << 11;
    QTest::newRow("12 entries, the ends") << int(ScaleSlider::StepList) << 12 << 2;
    QTest::newRow("ends only") << int(ScaleSlider::StepListEnds) << 5 << 2;
}

void TestScaleSlider::stepListLabels()
{
    QFETCH(int, type);
    QFETCH(int, entries);
    QFETCH(int, labelled);
    ScaleSlider s;
    s.resize(600, s.height());
    s.setScaleType(ScaleSlider::ScaleType(type));
    s.setStepList(listOf(entries));
    const QStringList l = labels(s);
    QCOMPARE(l.size(), entries);
    int n = 0;
    for (const QString &t : l)
        n += t.isEmpty() ? 0 : 1;
    QCOMPARE(n, labelled);
    QCOMPARE(l.first(), QString("10"));
    QCOMPARE(l.last(), type == ScaleSlider::StepListEnds ? QString("50") : QString::number(entries * 10));
}

void TestScaleSlider::nearestStepValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("halfway rounds up") << 1.5 << 2.0;
    QTest::newRow("just below half") << 1.49 << 1.0;
    QTest::newRow("halfway 2..5") << 3.5 << 5.0;
    QTest::newRow("below list") << -3.0 << 1.0;
    QTest::newRow("above list") << 20.0 << 10.0;
    QTest::newRow("last pair upper") << 7.5 << 10.0;
    QTest::newRow("last pair lower") << 7.4 << 5.0;
    QTest::newRow("exact") << 5.0 << 5.0;
}

void TestScaleSlider::nearestStepValue()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    ScaleSlider s;
    s.setStepList({1, 2, 5, 10});
    QCOMPARE(s.nearestStepValue(value), value); // linear: unchanged
    s.setScaleType(ScaleSlider::StepListEnds);
    QCOMPARE(s.nearestStepValue(value), expected);
}

void TestScaleSlider::steplistIndexOf_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("tie gives upper") << 1.5 << 1;
    QTest::newRow("nearer lower") << 1.4 << 0;
    QTest::newRow("tie 2..5") << 3.5 << 2;
    QTest::newRow("last") << 10.0 << 3;
    QTest::newRow("above") << 11.0 << 3;
    QTest::newRow("below belongs to the first") << 0.5 << 0;
}

void TestScaleSlider::steplistIndexOf()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    ScaleSlider s;
    s.setScaleType(ScaleSlider::StepList);
    QCOMPARE(s.steplistIndexOf(value), -1); // empty list
    s.setStepList({4});
    QCOMPARE(s.steplistIndexOf(value), 0);
    s.setStepList({1, 2, 5, 10});
    QCOMPARE(s.steplistIndexOf(value), expected);
}

void TestScaleSlider::dragInsideAndPastTheEnd()
{
    ScaleSlider s;
    s.resize(450, s.height());
    s.setAll(0, 100, 50);
    QCOMPARE(s.handleX(), 207.0);
    QSignalSpy grabbed(&s, &ScaleSlider::handleGrapped);
    QSignalSpy moved(&s, &ScaleSlider::handleMoved);
    QSignalSpy finished(&s, &ScaleSlider::handleFinishedMoving);

    const int y = 17;
    sendMouse(&s, QEvent::MouseButtonPress, QPoint(224, y));
    QCOMPARE(grabbed.count(), 1);
    QVERIFY(s.isGrabbing());
    QCOMPARE(s.handleColor().rgba(), QRgb(0xFFED6E00));
    sendMouse(&s, QEvent::MouseMove, QPoint(224 + 83, y)); // +83 px = +20 on a 415-px track
    QCOMPARE(s.handleX(), 290.0);
    QVERIFY(qAbs(s.currentValue() - 290 / 4.15) < 1e-9);
    QCOMPARE(moved.count(), 1);

    // past the right end: the value becomes the maximum once, the handle stays
    sendMouse(&s, QEvent::MouseMove, QPoint(600, y));
    QCOMPARE(s.currentValue(), 100.0);
    QCOMPARE(s.handleX(), 290.0);
    sendMouse(&s, QEvent::MouseMove, QPoint(800, y));
    sendMouse(&s, QEvent::MouseMove, QPoint(900, y));
    QCOMPARE(s.handleX(), 290.0);
    QCOMPARE(moved.count(), 4);
    for (const QList<QVariant> &args : qAsConst(moved).mid(1))
        QCOMPARE(args.at(0).toDouble(), 100.0);

    sendMouse(&s, QEvent::MouseButtonRelease, QPoint(900, y));
    QVERIFY(!s.isGrabbing());
    QVERIFY(!s.isHovered());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toDouble(), 100.0);
    // moving afterwards no longer drags
    sendMouse(&s, QEvent::MouseMove, QPoint(100, y));
    QCOMPARE(moved.count(), 4);
}

void TestScaleSlider::pressOutsideHandle()
{
    ScaleSlider s;
    s.resize(450, s.height());
    s.setAll(0, 100, 0);
    QSignalSpy grabbed(&s, &ScaleSlider::handleGrapped);
    sendMouse(&s, QEvent::MouseButtonPress, QPoint(300, 17));
    sendMouse(&s, QEvent::MouseButtonPress, QPoint(35, 17)); // on the right edge: not strictly inside
    QCOMPARE(grabbed.count(), 0);
    QCOMPARE(s.currentValue(), 0.0);
    sendMouse(&s, QEvent::MouseMove, QPoint(10, 10));
    QVERIFY(s.isHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&s, &leave);
    QVERIFY(!s.isHovered());
}

void TestScaleSlider::disabledHandle()
{
    ScaleSlider s;
    s.resize(450, s.height());
    s.setRange(0, 100);
    s.setEnabled(false);
    s.setCurrentValue(100);
    QCOMPARE(s.handleX(), 415.0);
    QCOMPARE(s.handleColor().rgba(), QRgb(0xFFA6A6A6));
    const QImage img = s.grab().toImage();
    QCOMPARE(img.pixel(430, 10), QRgb(0xFFA6A6A6));
    QCOMPARE(img.pixel(100, 10), QRgb(0xFFC5C6C6)); // the track
}

void TestScaleSlider::wheel()
{
    ScaleSlider s;
    s.resize(450, s.height());
    QSignalSpy wheel(&s, &ScaleSlider::wheelMoved);
    auto turn = [&](int delta) {
        QWheelEvent e(QPointF(20, 10), QPointF(s.mapToGlobal(QPoint(20, 10))), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&s, &e);
        return e.isAccepted();
    };
    QVERIFY(!turn(120)); // left to the parent (a scroll area scrolls)
    QCOMPARE(wheel.count(), 0);
    s.setMouseWheelEnabled(true);
    QVERIFY(turn(240));
    QVERIFY(turn(-120));
    QCOMPARE(wheel.count(), 2);
    QCOMPARE(wheel.at(0).at(0).toInt(), 2);
    QCOMPARE(wheel.at(1).at(0).toInt(), -1);
}

void TestScaleSlider::degenerateRanges()
{
    ScaleSlider s; // never shown: narrower than one scale interval
    s.setRange(5, 5);
    s.setCurrentValue(5);
    QVERIFY(std::isfinite(s.handleX()));
    QVERIFY(s.intervalCount() >= 1);
    QCOMPARE(s.currentValue(), 5.0);
    s.setScaleType(ScaleSlider::Logarithmic);
    s.setRange(0, 1000);
    QVERIFY(std::isfinite(s.minimum()));
    s.setCurrentValue(-3);
    QVERIFY(std::isfinite(s.currentValue()));
    QVERIFY(s.currentValue() > 0);
    s.grab(); // paints without trouble
}

void TestScaleSlider::stepListWithoutList()
{
    // until its list arrives a step-list slider follows the range it is given
    ScaleSlider s;
    s.resize(450, s.height());
    s.setScaleType(ScaleSlider::StepList);
    s.setRange(0, 1000);
    s.setCurrentValue(800);
    QCOMPARE(s.currentValue(), 800.0);
    s.setStepList({1, 2});
    s.setCurrentValue(800);
    QCOMPARE(s.currentValue(), 2.0);
}

void TestScaleSlider::rangedSlider()
{
    RangedScaleSlider r;
    r.resize(435, 60);
    QCOMPARE(r.height(), 60);
    r.setStartRange(0, 80);
    r.setStopRange(20, 100);
    QCOMPARE(r.scaleStart(), 0.0);
    QCOMPARE(r.scaleEnd(), 100.0);
    QSignalSpy startFinished(&r, &RangedScaleSlider::startHandleFinishedMoving);
    QSignalSpy stopFinished(&r, &RangedScaleSlider::stopHandleFinishedMoving);
    r.setCurrentStartValue(30, false);
    r.setCurrentStopValue(120, false);
    QCOMPARE(r.currentValueMin(), 30.0);
    QCOMPARE(r.currentValueMax(), 100.0);
    // a stop below the start drags the start along when asked to
    r.setCurrentStopValue(25, true);
    QCOMPARE(r.currentValueMax(), 25.0);
    QCOMPARE(r.currentValueMin(), 25.0);
    QCOMPARE(startFinished.count(), 1);
    r.setCurrentStartValue(70, true);
    QCOMPARE(r.currentValueMax(), 70.0);
    QCOMPARE(stopFinished.count(), 1);
    // a fixed handle ignores values and grabs
    r.setFixedStart(true, 10);
    QCOMPARE(r.currentValueMin(), 10.0);
    r.setCurrentStartValue(40, false);
    QCOMPARE(r.currentValueMin(), 10.0);
    QSignalSpy startGrab(&r, &RangedScaleSlider::startHandleGrapped);
    sendMouse(&r, QEvent::MouseButtonPress, r.startHandle().center().toPoint());
    QCOMPARE(startGrab.count(), 0);
    r.setFixedStart(false, 10);
    // the wheel moves both, the start never above the stop
    r.setNudge(50);
    r.setMouseWheelEnabled(true);
    QSignalSpy startMoved(&r, &RangedScaleSlider::startHandleMoved);
    QSignalSpy stopMoved(&r, &RangedScaleSlider::stopHandleMoved);
    QWheelEvent e(QPointF(20, 10), QPointF(20, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&r, &e);
    QCOMPARE(r.currentValueMax(), 100.0);
    QCOMPARE(r.currentValueMin(), 60.0);
    QCOMPARE(startMoved.count(), 1);
    QCOMPARE(stopMoved.count(), 1);
}

QTEST_MAIN(TestScaleSlider)
#include "tst_scaleslider.moc"
