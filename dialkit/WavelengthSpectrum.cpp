#include "dialkit/WavelengthSpectrum.h"

#include <QColor>
#include <QFontMetrics>
#include <QLoggingCategory>
#include <QPainter>
#include <QtMath>

Q_LOGGING_CATEGORY(lcWavelengthSpectrum, "dialkit.wavelengthspectrum", QtInfoMsg)

namespace {
const QColor AxisColor(0xFF666666);

// Grid distances are raised to the next "round" value of these ladders.
const int PowerGridSteps[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
const int WavelengthGridSteps[] = {10, 20, 50, 100, 200, 500, 1000, 2000};

template <size_t N> int raiseToLadder(int value, const int (&ladder)[N])
{
    for (int step : ladder) {
        if (value <= step)
            return step;
    }
    return value;
}
} // namespace

WavelengthSpectrum::WavelengthSpectrum(int margin, QWidget *parent)
    : QLabel(parent), m_margin(qMax(0, margin))
{
    setMinimumSize(250, 250);
    updateLabelArea();
}

QFont WavelengthSpectrum::labelFont() const
{
    QFont font(QStringLiteral("Calibri"));
    font.setPointSize(10);
    return font;
}

void WavelengthSpectrum::updateLabelArea()
{
    const QFontMetrics metrics(labelFont());
    m_fontHeight = metrics.height();
    m_labelAreaHeight = m_fontHeight + 7;
    // Wide enough for the longest power label, including a minus sign where the range needs one.
    const int digits = qMax(QString::number(m_maxPower).size(), QString::number(m_minPower).size());
    m_labelAreaWidth = metrics.horizontalAdvance(QString(digits, QLatin1Char('0'))) + 7;
}

void WavelengthSpectrum::setPowerRange(int minPower, int maxPower)
{
    if (minPower >= maxPower) {
        qCWarning(lcWavelengthSpectrum) << "ignored empty power range" << minPower << maxPower;
        return;
    }
    m_minPower = minPower;
    m_maxPower = maxPower;
    updateLabelArea();
    update();
}

void WavelengthSpectrum::setWavelengthRange(int minWavelength, int maxWavelength)
{
    if (minWavelength >= maxWavelength) {
        qCWarning(lcWavelengthSpectrum) << "ignored empty wavelength range" << minWavelength << maxWavelength;
        return;
    }
    m_minWavelength = minWavelength;
    m_maxWavelength = maxWavelength;
    update();
}

QRect WavelengthSpectrum::spectrumRect() const
{
    const int left = 1 + m_margin + m_labelAreaWidth;
    const int top = 1 + m_margin;
    const int right = width() - 2 - m_margin;
    const int bottom = height() - 2 - m_margin - m_labelAreaHeight;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRgb WavelengthSpectrum::generateRgbColor(int wavelength)
{
    const int w = wavelength;
    int hue = 0;
    int saturation = 200;
    int lightness = 128;

    if (w <= 300) {
        hue = 280;
        lightness = 0;
    } else if (w < 380) {
        hue = 280;
        lightness = (w - 300) * 128 / 80;
    } else if (w < 435) {
        hue = 265 + (435 - w) * 15 / 55;
    } else if (w < 500) {
        hue = 190 + (500 - w) * 75 / 65;
    } else if (w < 520) {
        hue = 175 + (520 - w) * 15 / 20;
    } else if (w < 565) {
        hue = 70 + (565 - w) * 105 / 45;
    } else if (w < 590) {
        hue = 50 + (590 - w) * 20 / 25;
    } else if (w < 625) {
        hue = 25 + (625 - w) * 25 / 35;
    } else if (w < 675) {
        hue = (675 - w) * 25 / 50;
    } else if (w < 725) {
        hue = 0;
        lightness = 801 - w;
    } else {
        hue = 0;
        saturation = 200 - (w - 725) / 2;
        lightness = 76;
        if (saturation < 0) {
            // Deep infrared: the colour has gone grey and now fades to black.
            saturation = 0;
            lightness = qMax(0, 276 - (w - 725) / 2);
        }
    }
    return QColor::fromHsl(hue, saturation, lightness, 255).rgba();
}

int WavelengthSpectrum::columnToWavelength(int column) const
{
    const QRect spectrum = spectrumRect();
    const int span = m_maxWavelength - m_minWavelength;
    const int columns = qMax(1, spectrum.width() - 1);
    return qRound(m_minWavelength + double(column - spectrum.left()) * span / columns);
}

int WavelengthSpectrum::wavelengthToColumn(double wavelength) const
{
    const QRect spectrum = spectrumRect();
    const int span = m_maxWavelength - m_minWavelength;
    return spectrum.left() + qRound((wavelength - m_minWavelength) * (spectrum.width() - 1) / span);
}

int WavelengthSpectrum::calculateHorizontalGridLineDistance() const
{
    const int spectrumHeight = qMax(1, spectrumRect().height());
    const int distance = qRound(double(m_fontHeight) * (m_maxPower - m_minPower) / spectrumHeight);
    return raiseToLadder(distance, PowerGridSteps);
}

int WavelengthSpectrum::calculateVerticalGridLineDistance(int spectrumWidth) const
{
    const int distance = qRound(double(m_maxWavelength - m_minWavelength) / qMax(1, spectrumWidth) * 40.0);
    return raiseToLadder(distance, WavelengthGridSteps);
}

void WavelengthSpectrum::paintEvent(QPaintEvent *)
{
    m_outerRect = QRect(QPoint(1, 1), QPoint(width() - 2, height() - 2));
    m_spectrumRect = spectrumRect();
    if (m_spectrumRect.width() < 2 || m_spectrumRect.height() < 2)
        return;

    QPainter painter(this);
    painter.setFont(labelFont());
    drawWavelengths(painter);
    drawPowerLabels(painter);
    drawWavelengthLabels(painter);
}

void WavelengthSpectrum::drawWavelengths(QPainter &painter)
{
    const int top = m_spectrumRect.top() - m_margin;
    const int bottom = m_spectrumRect.bottom() + m_margin;
    for (int column = m_spectrumRect.left() - m_margin; column <= m_spectrumRect.right() + m_margin;
         ++column) {
        painter.setPen(QColor::fromRgba(generateRgbColor(columnToWavelength(column))));
        painter.drawLine(column, top, column, bottom);
    }
}

void WavelengthSpectrum::drawPowerLabels(QPainter &painter)
{
    painter.setPen(QPen(AxisColor, 1));
    const int axisX = m_spectrumRect.left() - m_margin;
    painter.drawLine(axisX, m_spectrumRect.top(), axisX, m_spectrumRect.bottom() + m_margin);

    const int span = m_maxPower - m_minPower;
    const int step = qMax(1, calculateHorizontalGridLineDistance());
    const int spectrumHeight = m_spectrumRect.height();
    for (int p = m_minPower; p <= m_maxPower; p += step) {
        const int y = qRound(m_spectrumRect.bottom() + 1 - double(p - m_minPower) * spectrumHeight / span);
        const QRect labelRect(QPoint(m_outerRect.left(), y - m_fontHeight / 2),
                              QPoint(m_labelAreaWidth - 8, y + m_fontHeight / 2));
        painter.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter, QString::number(p));
        painter.drawLine(m_labelAreaWidth - 5, y, axisX, y);
    }
}

void WavelengthSpectrum::drawWavelengthLabels(QPainter &painter)
{
    painter.setPen(QPen(AxisColor, 1));
    const int axisY = m_outerRect.bottom() - m_labelAreaHeight;
    painter.drawLine(m_spectrumRect.left() - m_margin, axisY, m_spectrumRect.right() + m_margin, axisY);

    const int step = qMax(1, calculateVerticalGridLineDistance(m_spectrumRect.width()));
    const QFontMetrics metrics(painter.font());

    auto labelRectFor = [&](int wavelength) {
        const QString text = QString::number(wavelength);
        const int x = wavelengthToColumn(wavelength);
        const int textWidth = metrics.horizontalAdvance(text);
        QRect rect(x - textWidth / 2, axisY + 7, textWidth, m_fontHeight);
        if (rect.right() > m_outerRect.right())
            rect.moveRight(m_outerRect.right());
        return rect;
    };

    // The maximum always gets a tick and a label; a shortened last step must not let the
    // label before it run into the maximum's.
    const QRect lastLabel = labelRectFor(m_maxWavelength);
    for (int wavelength = m_minWavelength;; wavelength += step) {
        const bool last = wavelength >= m_maxWavelength;
        if (last)
            wavelength = m_maxWavelength;
        const int x = wavelengthToColumn(wavelength);
        painter.drawLine(x, axisY, x, axisY + 5);
        const QRect rect = last ? lastLabel : labelRectFor(wavelength);
        if (last || !rect.adjusted(-2, 0, 2, 0).intersects(lastLabel))
            painter.drawText(rect, Qt::AlignCenter, QString::number(wavelength));
        if (last)
            break;
    }
}
