#include "dialkit/WavelengthSelector.h"
#include "dialkit/WavelengthSpectrum.h"

#include <QColor>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

namespace {
QImage grabImage(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class TestWavelength : public QObject
{
    Q_OBJECT
private slots:
    void colourTable_data();
    void colourTable();
    void colourIsContinuousAtTheBandEdges();
    void gridDistances_data();
    void gridDistances();
    void spectrumRectLeavesRoomForLabels();
    void emptyRangesAreIgnored();
    void bandIsPaintedInTheWavelengthColours();

    void channelValuesAreClamped_data();
    void channelValuesAreClamped();
    void enablingClampsStoredValues();
    void narrowingTheRangesKeepsMarkersOnTheBand();
    void dragMovesChannel();
    void pressOutsideMarkersGrabsNothing();
    void disabledChannelCannotBeGrabbed();
    void markersCurveAndNoticeArePainted();
};

void TestWavelength::colourTable_data()
{
    QTest::addColumn<int>("wavelength");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("lightness");

    QTest::newRow("550 nm green") << 550 << 105 << 200 << 128;
    QTest::newRow("250 nm deep UV is black") << 250 << 280 << 200 << 0;
    QTest::newRow("300 nm") << 300 << 280 << 200 << 0;
    QTest::newRow("340 nm fading in") << 340 << 280 << 200 << 64;
    QTest::newRow("379 nm") << 379 << 280 << 200 << 126;
    QTest::newRow("380 nm violet") << 380 << 280 << 200 << 128;
    QTest::newRow("400 nm") << 400 << 274 << 200 << 128;
    QTest::newRow("435 nm") << 435 << 265 << 200 << 128;
    QTest::newRow("500 nm") << 500 << 190 << 200 << 128;
    QTest::newRow("515 nm") << 515 << 178 << 200 << 128;
    QTest::newRow("520 nm") << 520 << 175 << 200 << 128;
    QTest::newRow("565 nm") << 565 << 70 << 200 << 128;
    QTest::newRow("589 nm") << 589 << 50 << 200 << 128;
    QTest::newRow("600 nm") << 600 << 42 << 200 << 128;
    QTest::newRow("650 nm") << 650 << 12 << 200 << 128;
    QTest::newRow("674 nm") << 674 << 0 << 200 << 128;
    QTest::newRow("700 nm darkening red") << 700 << 0 << 200 << 101;
    QTest::newRow("724 nm") << 724 << 0 << 200 << 77;
    QTest::newRow("800 nm infrared") << 800 << 0 << 163 << 76;
    QTest::newRow("1030 nm") << 1030 << 0 << 48 << 76;
    QTest::newRow("1125 nm grey") << 1125 << 0 << 0 << 76;
    QTest::newRow("1200 nm fading out") << 1200 << 0 << 0 << 39;
    QTest::newRow("2000 nm black") << 2000 << 0 << 0 << 0;
}

void TestWavelength::colourTable()
{
    QFETCH(int, wavelength);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, lightness);
    const QRgb expected = QColor::fromHsl(hue, saturation, lightness, 255).rgba();
    QCOMPARE(QColor::fromRgba(WavelengthSpectrum::generateRgbColor(wavelength)), QColor::fromRgba(expected));
    QCOMPARE(qAlpha(WavelengthSpectrum::generateRgbColor(wavelength)), 255);
}

void TestWavelength::colourIsContinuousAtTheBandEdges()
{
    // Neighbouring nanometres never jump in hue by more than a few degrees across the band
    // boundaries (the rainbow has no seams).
    for (int w = 381; w < 675; ++w) {
        const int a = QColor::fromRgba(WavelengthSpectrum::generateRgbColor(w - 1)).toHsl().hslHue();
        const int b = QColor::fromRgba(WavelengthSpectrum::generateRgbColor(w)).toHsl().hslHue();
        QVERIFY2(qAbs(a - b) <= 5, qPrintable(QStringLiteral("seam at %1 nm").arg(w)));
    }
}

void TestWavelength::gridDistances_data()
{
    QTest::addColumn<int>("minWavelength");
    QTest::addColumn<int>("maxWavelength");
    QTest::addColumn<int>("spectrumWidth");
    QTest::addColumn<int>("distance");

    QTest::newRow("650 nm over 650 px: 40 -> 50") << 300 << 950 << 650 << 50;
    QTest::newRow("650 nm over 260 px: 100") << 300 << 950 << 260 << 100;
    QTest::newRow("650 nm over 100 px: 260 -> 500") << 300 << 950 << 100 << 500;
    QTest::newRow("tiny span: at least 10") << 500 << 510 << 400 << 10;
    QTest::newRow("beyond the ladder unchanged") << 300 << 950 << 10 << 2600;
}

void TestWavelength::gridDistances()
{
    QFETCH(int, minWavelength);
    QFETCH(int, maxWavelength);
    QFETCH(int, spectrumWidth);
    QFETCH(int, distance);
    WavelengthSpectrum spectrum(10);
    spectrum.setWavelengthRange(minWavelength, maxWavelength);
    QCOMPARE(spectrum.calculateVerticalGridLineDistance(spectrumWidth), distance);
}

void TestWavelength::spectrumRectLeavesRoomForLabels()
{
    WavelengthSpectrum spectrum(10);
    QCOMPARE(spectrum.minimumSize(), QSize(250, 250));
    spectrum.resize(500, 400);
    const QRect rect = spectrum.spectrumRect();
    QCOMPARE(rect.top(), 11);
    QCOMPARE(rect.right(), 500 - 2 - 10);
    // Room on the left for "100" and below for one line of wavelength labels.
    QVERIFY(rect.left() > 11 + 10);
    QVERIFY(rect.bottom() < 400 - 2 - 10 - 10);
    // A power range with longer numbers needs a wider label column.
    const int left = rect.left();
    spectrum.setPowerRange(0, 10000);
    QVERIFY(spectrum.spectrumRect().left() > left);
    // Power grid for 100 % over a spectrum about 300 px high lands on the ladder's first step.
    spectrum.setPowerRange(0, 100);
    QCOMPARE(spectrum.calculateHorizontalGridLineDistance(), 10);
}

void TestWavelength::emptyRangesAreIgnored()
{
    WavelengthSelector selector(10);
    selector.setWavelengthRange(600, 600);
    selector.setPowerRange(50, 20);
    QCOMPARE(selector.minWavelength(), 300);
    QCOMPARE(selector.maxWavelength(), 950);
    QCOMPARE(selector.minPower(), 0);
    QCOMPARE(selector.maxPower(), 100);
    selector.resize(300, 300);
    QVERIFY(!grabImage(selector).isNull());
}

void TestWavelength::bandIsPaintedInTheWavelengthColours()
{
    WavelengthSpectrum spectrum(10);
    spectrum.resize(700, 300);
    const QImage image = grabImage(spectrum);
    const QRect band = spectrum.spectrumRect();
    const int y = band.center().y();
    for (int wavelength : {400, 515, 550, 650, 900}) {
        // The first column that shows the wavelength.
        int column = band.left();
        while (spectrum.columnToWavelength(column) < wavelength)
            ++column;
        QCOMPARE(spectrum.columnToWavelength(column), wavelength);
        QCOMPARE(QColor(image.pixel(column, y)),
                 QColor::fromRgba(WavelengthSpectrum::generateRgbColor(wavelength)));
    }
    // Left edge of the band is the minimum, right edge the maximum.
    QCOMPARE(spectrum.columnToWavelength(band.left()), 300);
    QCOMPARE(spectrum.columnToWavelength(band.right()), 950);
    // Inside the margin the band runs on into the ultraviolet: darker than the first column.
    const QColor edge(image.pixel(band.left(), y));
    const QColor uv(image.pixel(band.left() - 8, y));
    QVERIFY(uv.lightness() <= edge.lightness());
}

void TestWavelength::channelValuesAreClamped_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<double>("wavelength");
    QTest::addColumn<int>("power");
    QTest::addColumn<double>("storedWavelength");
    QTest::addColumn<double>("storedPower");

    QTest::newRow("inside") << 3 << 532.5 << 40 << 532.5 << 40.0;
    QTest::newRow("wavelength below minimum") << 0 << 200.0 << 10 << 300.0 << 10.0;
    QTest::newRow("wavelength above maximum") << 7 << 1030.0 << 10 << 950.0 << 10.0;
    QTest::newRow("power above maximum") << 1 << 600.0 << 150 << 600.0 << 100.0;
    QTest::newRow("negative power") << 2 << 600.0 << -5 << 600.0 << 0.0;
}

void TestWavelength::channelValuesAreClamped()
{
    QFETCH(int, channel);
    QFETCH(double, wavelength);
    QFETCH(int, power);
    QFETCH(double, storedWavelength);
    QFETCH(double, storedPower);

    WavelengthSelector selector(10);
    selector.setChannel(channel, wavelength, power);
    QCOMPARE(selector.channelWavelength(channel), storedWavelength);
    QCOMPARE(selector.channelPower(channel), storedPower);

    // Channel 8 does not exist: nothing changes anywhere.
    selector.setChannel(8, 700.0, 70);
    selector.setChannelPower(8, 70);
    selector.setChannelWavelength(-1, 700.0);
    selector.enableChannel(8, true);
    QCOMPARE(selector.channelWavelength(channel), storedWavelength);
    QCOMPARE(selector.channelPower(channel), storedPower);
    QCOMPARE(selector.channelWavelength(8), 0.0);
    QVERIFY(!selector.channelEnabled(8));

    selector.setChannelWavelength(channel, 100.0);
    selector.setChannelPower(channel, 1000);
    QCOMPARE(selector.channelWavelength(channel), 300.0);
    QCOMPARE(selector.channelPower(channel), 100.0);
}

void TestWavelength::enablingClampsStoredValues()
{
    WavelengthSelector selector(10);
    QVERIFY(!selector.channelEnabled(4));
    selector.enableChannel(4, true);
    QVERIFY(selector.channelEnabled(4));
    QCOMPARE(selector.channelWavelength(4), 300.0);
    QCOMPARE(selector.channelPower(4), 0.0);
    selector.enableChannel(4, false);
    QVERIFY(!selector.channelEnabled(4));
}

void TestWavelength::narrowingTheRangesKeepsMarkersOnTheBand()
{
    WavelengthSelector selector(10);
    selector.setChannel(0, 900.0, 90);
    selector.setChannel(1, 320.0, 5);
    selector.setWavelengthRange(400, 800);
    selector.setPowerRange(10, 50);
    QCOMPARE(selector.minWavelength(), 400);
    QCOMPARE(selector.maxPower(), 50);
    QCOMPARE(selector.channelWavelength(0), 800.0);
    QCOMPARE(selector.channelPower(0), 50.0);
    QCOMPARE(selector.channelWavelength(1), 400.0);
    QCOMPARE(selector.channelPower(1), 10.0);
    selector.setChannel(2, 850.0, 60);
    QCOMPARE(selector.channelWavelength(2), 800.0);
    QCOMPARE(selector.channelPower(2), 50.0);
}

void TestWavelength::dragMovesChannel()
{
    WavelengthSelector selector(10);
    selector.resize(600, 400);
    selector.show();
    selector.setChannel(2, 500.0, 50);
    selector.enableChannel(2, true);
    const QRect spectrum = selector.spectrumRect();
    const QPointF center = selector.markerCenter(2);
    QCOMPARE(center.x(), spectrum.left() + 200.0 * spectrum.width() / 650.0);
    QCOMPARE(center.y(), spectrum.bottom() - 50.0 * spectrum.height() / 100.0);

    QSignalSpy changed(&selector, &WavelengthSelector::channelChanged);
    QSignalSpy saved(&selector, &WavelengthSelector::channelSaved);

    // Grab the marker 3 px right of its centre: the offset is kept while dragging.
    const QPoint grab = center.toPoint() + QPoint(3, 0);
    QTest::mousePress(&selector, Qt::LeftButton, Qt::NoModifier, grab);
    QCOMPARE(selector.grabbedChannel(), 2);

    // One wavelength-span tenth to the right and a quarter of the height up.
    const QPoint step(qRound(spectrum.width() / 10.0), -qRound(spectrum.height() / 4.0));
    QMouseEvent move(QEvent::MouseMove, grab + step, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&selector, &move);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 2);
    QVERIFY(qAbs(changed.at(0).at(1).toDouble() - 565.0) < 2.0);
    QCOMPARE(changed.at(0).at(2).toInt(), 75);

    // Far beyond the top right of the band (still inside the widget): clamped to the maxima.
    QMouseEvent corner(QEvent::MouseMove, QPoint(598, 2), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&selector, &corner);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(1).toDouble(), 950.0);
    QCOMPARE(changed.at(1).at(2).toInt(), 100);

    // Outside the widget the marker stays where it was.
    QMouseEvent outside(QEvent::MouseMove, QPoint(700, 200), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&selector, &outside);
    QCOMPARE(changed.count(), 2);

    QTest::mouseRelease(&selector, Qt::LeftButton, Qt::NoModifier, QPoint(598, 2));
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.at(0).at(0).toInt(), 2);
    QCOMPARE(saved.at(0).at(1).toDouble(), 950.0);
    QCOMPARE(saved.at(0).at(2).toInt(), 100);
    QCOMPARE(selector.grabbedChannel(), -1);
    QCOMPARE(selector.channelWavelength(2), 950.0);
}

void TestWavelength::pressOutsideMarkersGrabsNothing()
{
    WavelengthSelector selector(10);
    selector.resize(600, 400);
    selector.show();
    selector.setChannel(0, 500.0, 50);
    selector.enableChannel(0, true);
    QSignalSpy changed(&selector, &WavelengthSelector::channelChanged);
    QSignalSpy saved(&selector, &WavelengthSelector::channelSaved);

    const QPoint away = selector.markerCenter(0).toPoint() + QPoint(40, 40);
    QTest::mousePress(&selector, Qt::LeftButton, Qt::NoModifier, away);
    QCOMPARE(selector.grabbedChannel(), -1);
    QMouseEvent move(QEvent::MouseMove, away + QPoint(30, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&selector, &move);
    QTest::mouseRelease(&selector, Qt::LeftButton, Qt::NoModifier, away + QPoint(30, 0));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(selector.channelWavelength(0), 500.0);
}

void TestWavelength::disabledChannelCannotBeGrabbed()
{
    WavelengthSelector selector(10);
    selector.resize(600, 400);
    selector.show();
    selector.setChannel(1, 600.0, 30);
    QTest::mousePress(&selector, Qt::LeftButton, Qt::NoModifier, selector.markerCenter(1).toPoint());
    QCOMPARE(selector.grabbedChannel(), -1);
    QTest::mouseRelease(&selector, Qt::LeftButton, Qt::NoModifier, selector.markerCenter(1).toPoint());

    // Two enabled markers on the same spot: the lower channel number wins.
    selector.setChannel(5, 600.0, 30);
    selector.enableChannel(1, true);
    selector.enableChannel(5, true);
    QTest::mousePress(&selector, Qt::LeftButton, Qt::NoModifier, selector.markerCenter(5).toPoint());
    QCOMPARE(selector.grabbedChannel(), 1);
    // Disabling the channel in the middle of a drag lets it go.
    selector.enableChannel(1, false);
    QCOMPARE(selector.grabbedChannel(), -1);
}

void TestWavelength::markersCurveAndNoticeArePainted()
{
    WavelengthSelector selector(10);
    selector.resize(600, 400);
    selector.setChannel(0, 600.0, 50);
    const QPoint center = selector.markerCenter(0).toPoint();
    const QRgb white = qRgb(255, 255, 255);
    const QPoint probe = center + QPoint(6, 6);
    const QRgb bandColour =
        QColor::fromRgba(WavelengthSpectrum::generateRgbColor(selector.columnToWavelength(probe.x()))).rgb();

    QImage image = grabImage(selector);
    QCOMPARE(image.pixel(probe), bandColour); // disabled: no marker

    selector.enableChannel(0, true);
    image = grabImage(selector);
    QCOMPARE(image.pixel(probe), white);
    QCOMPARE(image.pixel(selector.markerRect(0).left(), center.y()), qRgb(0x55, 0x55, 0x55)); // outline
    // The stem from the marker down to the bottom of the band.
    QCOMPARE(image.pixel(center.x(), selector.spectrumRect().bottom() - 2), qRgb(0x55, 0x55, 0x55));
    QVERIFY(image.pixel(center + QPoint(30, 30)) != white);

    // A flat curve at 80 % from 400 to 799 nm, drawn only while visible.
    QList<int> curve;
    for (int i = 0; i < 400; ++i)
        curve.append(80);
    selector.setCurveData(400, curve);
    const QRect spectrum = selector.spectrumRect();
    const int curveY = qRound(spectrum.bottom() - 80.0 * spectrum.height() / 100.0);
    const int curveX = spectrum.left() + qRound(300.0 * spectrum.width() / 650.0);  // 600 nm
    const int beyondX = spectrum.left() + qRound(550.0 * spectrum.width() / 650.0); // 850 nm, past the data
    image = grabImage(selector);
    QCOMPARE(
        QColor(image.pixel(curveX, curveY)).rgb(),
        QColor::fromRgba(WavelengthSpectrum::generateRgbColor(selector.columnToWavelength(curveX))).rgb());
    selector.setCurveVisibility(true);
    QVERIFY(selector.isCurveVisible());
    image = grabImage(selector);
    QCOMPARE(image.pixel(curveX, curveY), qRgb(0x33, 0x33, 0x33));
    QVERIFY(image.pixel(beyondX, curveY) != qRgb(0x33, 0x33, 0x33));

    // The overdrive notice lightens the top of the band behind its box.
    const QPoint noticePoint(spectrum.center().x(), spectrum.top() + 8);
    const QColor before(image.pixel(noticePoint));
    selector.setOverdriveVisibility(true);
    image = grabImage(selector);
    QVERIFY(QColor(image.pixel(noticePoint)).lightness() > before.lightness());
}

QTEST_MAIN(TestWavelength)
#include "tst_wavelength.moc"
