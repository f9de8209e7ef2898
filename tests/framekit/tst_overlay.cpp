#include "framekit/GUIOverlay.h"
#include "framekit/GUIWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

namespace {

bool near(QRgb pixel, int grey, int tolerance = 4)
{
    return qAbs(qRed(pixel) - grey) <= tolerance && qAbs(qGreen(pixel) - grey) <= tolerance &&
           qAbs(qBlue(pixel) - grey) <= tolerance;
}

// White under a veil of (100, 100, 100) at alpha 128.
const int veiledWhite = (255 * 127 + 100 * 128) / 255;

struct Page
{
    GUIWidget widget;
    QPushButton *button = nullptr;
    GUIOverlay *overlay = nullptr;

    Page()
    {
        QPalette pal = widget.palette();
        pal.setColor(QPalette::Window, Qt::white);
        widget.setPalette(pal);
        widget.setAutoFillBackground(true);
        button = new QPushButton(QStringLiteral("Laser On"), &widget);
        button->setGeometry(10, 10, 100, 30);
        widget.resize(600, 300);
        overlay = widget.getOverlay();
    }

    QImage image() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // How the page looks without any overlay at all.
    QImage bare()
    {
        overlay->hide();
        const QImage result = image();
        overlay->show();
        return result;
    }

    // Count of dark text pixels in the middle of the page.
    int darkPixelsInMiddle()
    {
        const QImage img = image();
        int dark = 0;
        for (int y = img.height() / 3; y < 2 * img.height() / 3; ++y)
            for (int x = img.width() / 4; x < 3 * img.width() / 4; ++x)
                dark += qGray(img.pixel(x, y)) < 110 ? 1 : 0;
        return dark;
    }
};

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void defaults();
    void invisibleWhileEnabled();
    void veilWhenDisabled();
    void messageSelection_data();
    void messageSelection();
    void followsParentSize();
    void staysAboveLaterChildren();
    void clicksPassThrough();
    void followsNewParent();
};

void TestOverlay::defaults()
{
    GUIWidget widget;
    GUIOverlay *overlay = widget.getOverlay();
    QVERIFY(overlay);
    QCOMPARE(overlay->parentWidget(), &widget);
    QCOMPARE(overlay->disabledMessage(), QStringLiteral("Unavailable"));
    QCOMPARE(overlay->overlayMessage(), QString());
    QVERIFY(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(overlay->testAttribute(Qt::WA_TranslucentBackground));

    widget.setDisabledMessage(QStringLiteral("Not connected"));
    widget.setOverlayMessage(QStringLiteral("Changing spot"));
    QCOMPARE(overlay->disabledMessage(), QStringLiteral("Not connected"));
    QCOMPARE(overlay->overlayMessage(), QStringLiteral("Changing spot"));
}

void TestOverlay::invisibleWhileEnabled()
{
    Page page;
    page.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.widget));
    const QImage bare = page.bare();
    QCOMPARE(page.image(), bare);
    QVERIFY(near(bare.pixel(300, 5), 255));

    // A message set and cleared again leaves nothing behind.
    page.widget.setOverlayMessage(QStringLiteral("Busy"));
    QVERIFY(page.image() != bare);
    page.widget.setOverlayMessage(QString());
    QCOMPARE(page.image(), bare);
}

void TestOverlay::veilWhenDisabled()
{
    Page page;
    page.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.widget));
    page.widget.setEnabled(false);
    const QImage img = page.image();

    // Grey veil over the whole page, corners included.
    for (const QPoint corner : {QPoint(300, 2), QPoint(2, 297), QPoint(597, 297), QPoint(597, 150)})
        QVERIFY2(
            near(img.pixel(corner), veiledWhite),
            qPrintable(
                QStringLiteral("%1,%2 -> %3").arg(corner.x()).arg(corner.y()).arg(qGray(img.pixel(corner)))));
    // The message box in the middle is lighter than the veil and carries dark grey text.
    const int boxPixel = qGray(img.pixel(300, 150 - 40));
    QVERIFY2(boxPixel > veiledWhite + 10, qPrintable(QString::number(boxPixel)));
    QVERIFY(page.darkPixelsInMiddle() > 100);

    page.widget.setEnabled(true);
    QCOMPARE(page.image(), page.bare());
}

void TestOverlay::messageSelection_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("disabledMessage");
    QTest::addColumn<QString>("overlayMessage");
    QTest::addColumn<QString>("shown");
    QTest::newRow("disabled default") << false << ""
                                      << ""
                                      << "Unavailable";
    QTest::newRow("disabled custom") << false << "Offline"
                                     << ""
                                     << "Offline";
    QTest::newRow("overlay wins while disabled") << false << "Offline"
                                                 << "Busy"
                                                 << "Busy";
    QTest::newRow("overlay while enabled") << true << "Offline"
                                           << "Busy"
                                           << "Busy";
}

void TestOverlay::messageSelection()
{
    QFETCH(bool, enabled);
    QFETCH(QString, disabledMessage);
    QFETCH(QString, overlayMessage);
    QFETCH(QString, shown);

    Page page;
    page.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.widget));
    page.widget.setEnabled(enabled);
    if (!disabledMessage.isEmpty())
        page.widget.setDisabledMessage(disabledMessage);
    page.widget.setOverlayMessage(overlayMessage);
    const QImage actual = page.image();

    // The same page showing the expected text by the simplest route must look identical.
    Page reference;
    reference.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&reference.widget));
    reference.widget.setEnabled(enabled);
    reference.widget.setOverlayMessage(shown);
    QCOMPARE(actual, reference.image());

    reference.widget.setOverlayMessage(shown + QStringLiteral("!"));
    QVERIFY(actual != reference.image());
}

void TestOverlay::followsParentSize()
{
    GUIWidget widget;
    widget.resize(320, 200);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCOMPARE(widget.getOverlay()->geometry(), widget.rect());
    widget.resize(700, 450);
    QTRY_COMPARE(widget.getOverlay()->geometry(), QRect(0, 0, 700, 450));
    widget.resize(150, 90);
    QTRY_COMPARE(widget.getOverlay()->geometry(), QRect(0, 0, 150, 90));

    // An overlay placed on an already sized widget covers it at once.
    QWidget sized;
    sized.resize(240, 130);
    GUIOverlay overlay(&sized);
    QCOMPARE(overlay.geometry(), QRect(0, 0, 240, 130));
}

void TestOverlay::staysAboveLaterChildren()
{
    Page page;
    page.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.widget));
    auto *late = new QLabel(&page.widget);
    QPalette pal = late->palette();
    pal.setColor(QPalette::Window, Qt::white);
    late->setPalette(pal);
    late->setAutoFillBackground(true);
    late->setGeometry(400, 200, 150, 80);
    late->show();
    QCOMPARE(page.widget.children().last(), page.overlay);

    page.widget.setOverlayMessage(QStringLiteral("Busy"));
    const QImage img = page.image();
    QVERIFY2(near(img.pixel(540, 270), veiledWhite), qPrintable(QString::number(qGray(img.pixel(540, 270)))));
}

void TestOverlay::clicksPassThrough()
{
    Page page;
    page.widget.setOverlayMessage(QStringLiteral("Busy"));
    page.widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page.widget));
    QSignalSpy clicked(page.button, &QPushButton::clicked);
    QTest::mouseClick(page.widget.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      page.button->geometry().center());
    QCOMPARE(clicked.count(), 1);
}

void TestOverlay::followsNewParent()
{
    QWidget first;
    first.resize(100, 100);
    QWidget second;
    second.resize(300, 200);
    auto *overlay = new GUIOverlay(&first);
    new QLabel(&second);
    overlay->setParent(&second);
    QCOMPARE(overlay->geometry(), QRect(0, 0, 300, 200));
    QCOMPARE(second.children().last(), overlay);

    // The old parent no longer drives the overlay's size.
    QResizeEvent resized(QSize(50, 50), QSize(100, 100));
    QCoreApplication::sendEvent(&first, &resized);
    QCOMPARE(overlay->size(), QSize(300, 200));
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    second.resize(360, 220);
    QTRY_COMPARE(overlay->size(), QSize(360, 220));
}

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
