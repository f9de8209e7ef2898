#include "dialkit/ColHeader.h"
#include "dialkit/ContainerWidget.h"
#include "dialkit/Dialkit.h"
#include "dialkit/Display.h"
#include "dialkit/OverlayImage.h"
#include "dialkit/ShowHideButton.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {
QImage grabImage(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

int countPixels(const QImage &image, QRgb colour, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}
} // namespace

class TestSmallWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void displayCutsLines_data();
    void displayCutsLines();
    void displayReplacementsApplyInOrder();
    void displayFontSizeSetsGeometry();
    void displayShrinksFontToStayLegible();
    void displayPaintsWhiteTextOnGrey();

    void colHeaderEmitsOnlyOnChange();
    void colHeaderButtonClickToggles();
    void colHeaderRelaysContextMenu();
    void colHeaderText();

    void showHideButtonTrianglePointsByState();
    void showHideButtonGeometry();

    void containerBackground_data();
    void containerBackground();

    void overlayImageSizes();
    void overlayImageWithoutPicture();
    void overlayImageScalesToWidth();
};

void TestSmallWidgets::initTestCase()
{
    Dialkit::loadApplicationFonts();
    qApp->setStyleSheet(Dialkit::getApplicationStylesheet());
}

void TestSmallWidgets::displayCutsLines_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("40 characters on 2x16")
        << 2 << 16 << QStringLiteral("0123456789ABCDEFghijklmnopqrstuvWXYZ!?#*")
        << QStringList{"0123456789ABCDEF", "ghijklmnopqrstuv"};
    QTest::newRow("short text leaves lines empty")
        << 3 << 4 << QStringLiteral("abcde") << QStringList{"abcd", "e", ""};
    QTest::newRow("empty text") << 2 << 8 << QString() << QStringList{"", ""};
    QTest::newRow("exactly full") << 2 << 3 << QStringLiteral("abcdef") << QStringList{"abc", "def"};
}

void TestSmallWidgets::displayCutsLines()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QString, text);
    QFETCH(QStringList, lines);

    Display display(rows, columns);
    display.setText(text);
    QCOMPARE(display.lines(), lines);
}

void TestSmallWidgets::displayReplacementsApplyInOrder()
{
    Display display(1, 10);
    display.addReplacement(QLatin1Char('a'), QLatin1Char('b'));
    display.addReplacement(QLatin1Char('b'), QLatin1Char('c'));
    display.addReplacement(QChar(0x00B0), QLatin1Char('*'));
    display.setText(QStringLiteral("ab x") + QChar(0x00B0));
    // 'a' first became 'b', and every 'b' then became 'c'.
    QCOMPARE(display.lines(), QStringList{QStringLiteral("cc x*")});
}

void TestSmallWidgets::displayFontSizeSetsGeometry()
{
    Display display(2, 16);
    QCOMPARE(display.size(), QSize(200, 80));
    QCOMPARE(display.fontSize(), 18);

    display.setFontSize(24);
    QCOMPARE(display.fontSize(), 24);
    QCOMPARE(display.minimumHeight(), 24 * 2 + 20);
    QCOMPARE(display.maximumHeight(), 24 * 2 + 20);
    QCOMPARE(display.minimumWidth(), display.maximumWidth());
    // A display at the size it chose for itself draws at its own font size.
    display.resize(display.minimumSize());
    QCOMPARE(display.drawnFontSize(), 24);

    // Twice the columns need roughly twice the text width.
    Display wide(2, 32);
    wide.setFontSize(24);
    QVERIFY(qAbs((wide.minimumWidth() - 20) - 2 * (display.minimumWidth() - 20)) <= 1);
}

void TestSmallWidgets::displayShrinksFontToStayLegible()
{
    Display display(4, 16);
    // The default 200 x 80 leaves 60 px for four rows: 18-px lines would not fit.
    QVERIFY(display.drawnFontSize() <= 15);
    QVERIFY(display.drawnFontSize() * 4 <= 60);

    display.setFontSize(20);
    display.resize(display.minimumSize());
    QCOMPARE(display.drawnFontSize(), 20);
    display.setMinimumSize(0, 0);
    display.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    display.resize(display.width() / 2, display.height());
    QVERIFY(display.drawnFontSize() < 20);
    QVERIFY(display.drawnFontSize() >= 9);
}

void TestSmallWidgets::displayPaintsWhiteTextOnGrey()
{
    Display display(2, 16);
    display.ensurePolished();
    QImage blank = grabImage(display);
    // The style sheet's background, and no text before there is any.
    QCOMPARE(blank.pixel(100, 40), qRgb(0xC6, 0xC6, 0xC6));
    QCOMPARE(countPixels(blank, qRgb(255, 255, 255), QRect(10, 10, 180, 60)), 0);

    display.setText(QStringLiteral("################################"));
    const QImage text = grabImage(display);
    const QRect firstLine(10, 10, 180, 30);
    const QRect secondLine(10, 40, 180, 30);
    QVERIFY(countPixels(text, qRgb(255, 255, 255), firstLine) > 50);
    QVERIFY(countPixels(text, qRgb(255, 255, 255), secondLine) > 50);
    // Nothing is written into the margin.
    QCOMPARE(countPixels(text, qRgb(255, 255, 255), QRect(0, 0, 200, 9)), 0);
}

void TestSmallWidgets::colHeaderEmitsOnlyOnChange()
{
    ColHeader header;
    QSignalSpy spy(&header, &ColHeader::sigShowStateChanged);
    QVERIFY(header.showState());
    header.setShowState(true);
    QCOMPARE(spy.count(), 0);

    header.setShowState(false);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.takeFirst().at(0).toBool(), false);
    QVERIFY(!header.showHideButton()->showState());

    header.setShowState(false);
    QCOMPARE(spy.count(), 0);
    header.setShowState(true);
    QCOMPARE(spy.count(), 1);
    QVERIFY(header.showHideButton()->showState());
}

void TestSmallWidgets::colHeaderButtonClickToggles()
{
    ColHeader header;
    header.resize(200, 32);
    header.show();
    QSignalSpy spy(&header, &ColHeader::sigShowStateChanged);
    QTest::mouseClick(header.showHideButton(), Qt::LeftButton);
    QTest::mouseClick(header.showHideButton(), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QCOMPARE(spy.at(1).at(0).toBool(), true);
    QVERIFY(header.showState());
}

void TestSmallWidgets::colHeaderRelaysContextMenu()
{
    ColHeader header;
    header.resize(200, 32);
    QSignalSpy spy(&header, &ColHeader::sigCustomContextMenuRequested);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(12, 7));
    QApplication::sendEvent(&header, &event);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QWidget *>(), static_cast<QWidget *>(&header));
    QCOMPARE(spy.at(0).at(1).toPoint(), QPoint(12, 7));
}

void TestSmallWidgets::colHeaderText()
{
    ColHeader header;
    QCOMPARE(header.text(), QStringLiteral("Modules"));
    QCOMPARE(header.textStyleSheet(),
             QStringLiteral("font: 87 14pt Arial Black; color: rgb(197, 198, 198);"));
    header.setText(QStringLiteral("Crystals"));
    header.setTextStyleSheet(QStringLiteral("color: red;"));
    QCOMPARE(header.text(), QStringLiteral("Crystals"));
    QCOMPARE(header.textStyleSheet(), QStringLiteral("color: red;"));
    QCOMPARE(header.palette().color(QPalette::Window), QColor(0xEC, 0xEC, 0xEC));
}

void TestSmallWidgets::showHideButtonTrianglePointsByState()
{
    ShowHideButton button;
    button.resize(32, 32);
    const QRgb grey = qRgb(0xC5, 0xC6, 0xC6);
    const QRect upperHalf(0, 0, 32, 16);
    const QRect lowerHalf(0, 16, 32, 16);

    QImage shown = grabImage(button);
    // Pointing up: the broad base lies in the lower half.
    QVERIFY(countPixels(shown, grey, lowerHalf) > 2 * countPixels(shown, grey, upperHalf));
    QCOMPARE(shown.pixel(16, 16), grey);

    button.setShowState(false);
    QImage hidden = grabImage(button);
    QVERIFY(countPixels(hidden, grey, upperHalf) > 2 * countPixels(hidden, grey, lowerHalf));
    QCOMPARE(hidden.pixel(16, 16), grey);
    // The triangle keeps 4 px clear on each side.
    QCOMPARE(countPixels(hidden, grey, QRect(0, 0, 3, 32)), 0);
    QCOMPARE(countPixels(hidden, grey, QRect(29, 0, 3, 32)), 0);
}

void TestSmallWidgets::showHideButtonGeometry()
{
    ShowHideButton button;
    QCOMPARE(button.sizeHint(), QSize(32, 32));
    QCOMPARE(button.minimumSize(), QSize(16, 16));
    QVERIFY(button.hasHeightForWidth());
    QCOMPARE(button.heightForWidth(50), 50);
    QVERIFY(button.showState());
}

void TestSmallWidgets::containerBackground_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("dark") << true << QStringLiteral("light-grey") << qRgb(0xF6, 0xF6, 0xF6);
    QTest::newRow("light") << false << QStringLiteral("white") << qRgb(0xFF, 0xFF, 0xFF);
}

void TestSmallWidgets::containerBackground()
{
    QFETCH(bool, dark);
    QFETCH(QString, property);
    QFETCH(QRgb, colour);

    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::blue);
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    parent.resize(100, 100);
    auto *container = new ContainerWidget(&parent);
    container->setGeometry(10, 10, 50, 50);
    container->setDarkBackground(!dark);
    container->setDarkBackground(dark);
    QCOMPARE(container->property("widget-color").toString(), property);
    const QImage image = grabImage(parent);
    QCOMPARE(image.pixel(30, 30), colour);
    QCOMPARE(image.pixel(80, 80), QColor(Qt::blue).rgb());
}

void TestSmallWidgets::overlayImageSizes()
{
    OverlayImage overlay;
    QPixmap picture(400, 100);
    picture.fill(Qt::red);
    overlay.setImage(picture);
    QCOMPARE(overlay.maximumSize(), QSize(400, 100));
    QCOMPARE(overlay.minimumSize(), QSize(200, 50));
    QVERIFY(overlay.hasHeightForWidth());
    QCOMPARE(overlay.heightForWidth(300), 75);
    QCOMPARE(overlay.heightForWidth(401), 100);
}

void TestSmallWidgets::overlayImageWithoutPicture()
{
    OverlayImage overlay;
    QCOMPARE(overlay.heightForWidth(300), 0);
    QPixmap picture(40, 10);
    picture.fill(Qt::red);
    overlay.setImage(picture);
    overlay.setImage(QPixmap());
    QCOMPARE(overlay.heightForWidth(300), 0);
    QCOMPARE(overlay.minimumSize(), QSize(0, 0));
    overlay.resize(100, 100);
    QVERIFY(!grabImage(overlay).isNull());
}

void TestSmallWidgets::overlayImageScalesToWidth()
{
    // Left half red, right half green: after scaling both halves keep their share of the width.
    QImage source(400, 100, QImage::Format_ARGB32);
    source.fill(Qt::red);
    QPainter painter(&source);
    painter.fillRect(200, 0, 200, 100, Qt::green);
    painter.end();

    QWidget parent;
    parent.resize(400, 200);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::blue);
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    auto *overlay = new OverlayImage(&parent);
    overlay->setImage(QPixmap::fromImage(source));
    overlay->setGeometry(0, 0, 300, 100);
    const QImage image = grabImage(parent);
    QCOMPARE(image.pixel(5, 5), QColor(Qt::red).rgb());
    QCOMPARE(image.pixel(140, 70), QColor(Qt::red).rgb());
    QCOMPARE(image.pixel(160, 70), QColor(Qt::green).rgb());
    QCOMPARE(image.pixel(295, 70), QColor(Qt::green).rgb());
    // The scaled picture is 75 px high; below it the parent shows.
    QCOMPARE(image.pixel(150, 90), QColor(Qt::blue).rgb());
}

QTEST_MAIN(TestSmallWidgets)
#include "tst_smallwidgets.moc"
