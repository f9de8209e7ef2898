#include "dialkit/ScaleSlider.h"
#include "dialkit/LinearScale.h"
#include "dialkit/SliderLook.h"

#include "dialkit/Dialkit.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

using namespace SliderLook;

namespace {

// "1.0" -> "1", "0.50" -> "0.5": tick labels carry no trailing zeros
QString trimZeros(QString text)
{
    const QChar point = Dialkit::numberLocale().decimalPoint();
    if (!text.contains(point))
        return text;
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(point))
        text.chop(1);
    return text;
}

// halves away from zero, as std::round does
int roundHalfAway(double v)
{
    return int(std::round(v));
}

} // namespace

ScaleSlider::ScaleSlider(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    m_fontHeight = QFontMetrics(scaleFont()).height();
    setMinimumWidth(150);
    setFixedHeight(m_fontHeight + 39);
    calculateLabelValues();
}

int ScaleSlider::trackLength() const
{
    return width() - HandleSize - 2 * m_sideMargin;
}

double ScaleSlider::outputValue() const
{
    return m_scaleType == Logarithmic ? std::pow(10.0, m_currentValue) : m_currentValue;
}

double ScaleSlider::currentValue() const
{
    return outputValue();
}

void ScaleSlider::setSideMargins(int margin)
{
    m_sideMargin = margin;
    updateHandle();
}

void ScaleSlider::setRange(double minValue, double maxValue)
{
    if (m_scaleType == Linear || (isStepListType() && m_stepList.size() < 2)) {
        // A step-list scale takes its range from the list; until a list arrives it behaves as a
        // linear one, so it does not keep clamping to whatever range it had before.
        m_minValue = minValue;
        m_maxValue = maxValue;
    } else if (m_scaleType == Logarithmic) {
        // A logarithmic scale cannot reach zero or below; one decade under the upper end stands
        // in for a non-positive lower end.
        if (!(maxValue > 0))
            maxValue = 1;
        if (!(minValue > 0))
            minValue = maxValue / 10;
        m_minValue = std::log10(minValue);
        m_maxValue = std::log10(maxValue);
    }
    calculateLabelValues();
    update();
}

void ScaleSlider::setCurrentValue(double currentValue)
{
    if (std::isnan(currentValue))
        return;
    if (m_scaleType == Logarithmic)
        m_currentValue = currentValue > 0 ? std::log10(currentValue) : m_minValue;
    else
        m_currentValue = currentValue;
    if (isStepListType())
        m_currentValue = nearestStepValue(m_currentValue);
    m_currentValue = qBound(m_minValue, m_currentValue, m_maxValue);
    updateHandle();
}

void ScaleSlider::setCurrentValueString(QString currentValueString)
{
    setCurrentValue(currentValueString.toDouble());
}

void ScaleSlider::setAll(double minValue, double maxValue, double currentValue)
{
    setRange(minValue, maxValue);
    setCurrentValue(currentValue);
}

void ScaleSlider::setScaleType(ScaleSlider::ScaleType type)
{
    m_scaleType = type;
    calculateLabelValues();
    update();
}

void ScaleSlider::setStepList(QList<double> list)
{
    m_stepList = list;
    if (list.size() < 2)
        return;
    m_minValue = list.first();
    m_maxValue = list.last();
    calculateLabelValues();
    update();
}

void ScaleSlider::calculateLabelValues()
{
    if (isStepListType() && m_stepList.size() >= 2) {
        m_intervalCount = unsigned(m_stepList.size() - 1);
        m_scaleStart = m_stepList.first();
        m_scaleEnd = m_stepList.last();
        return;
    }
    const LinearScale scale = LinearScale::fit(m_minValue, m_maxValue, width() - 50);
    m_scaleStart = scale.start;
    m_scaleEnd = scale.end;
    m_intervalCount = scale.intervals;
}

void ScaleSlider::updateHandle()
{
    const int m = m_sideMargin;
    const int length = trackLength();
    double x = m;
    if (isStepListType() && m_stepList.size() >= 2) {
        if (m_intervalCount > 0) {
            const int i = steplistIndexOf(m_currentValue);
            x = m + roundHalfAway(double(i) * length / m_intervalCount);
        }
    } else {
        const double span = std::fabs(m_scaleEnd - m_scaleStart);
        if (span > 0)
            x = m + std::trunc(length * (m_currentValue - m_scaleStart) / span);
    }
    m_handle.moveLeft(x);
    update();
}

void ScaleSlider::updateValue()
{
    const int length = trackLength();
    const double f = length > 0 ? (m_handle.x() - m_sideMargin) / length : 0.0;
    double value = m_scaleStart + (m_scaleEnd - m_scaleStart) * f;
    if (isStepListType()) {
        const int i = roundHalfAway(m_intervalCount * f);
        if (i >= 0 && i < m_stepList.size())
            value = m_stepList.at(i);
    }
    m_currentValue = qBound(m_minValue, value, m_maxValue);
}

double ScaleSlider::accordingValue(int x) const
{
    const int length = trackLength();
    if (length <= 0)
        return m_scaleStart;
    return m_scaleStart + (m_scaleEnd - m_scaleStart) * (x - m_sideMargin) / length;
}

double ScaleSlider::nearestStepValue(double value) const
{
    if (!isStepListType() || m_stepList.size() < 2)
        return value;
    int i = 0;
    const int lastPair = m_stepList.size() - 2;
    while (i < lastPair && value > m_stepList.at(i + 1))
        ++i;
    const double a = m_stepList.at(i);
    const double b = m_stepList.at(i + 1);
    return value >= a + (b - a) / 2 ? b : a;
}

int ScaleSlider::steplistIndexOf(double value) const
{
    const int n = m_stepList.size();
    if (n < 2)
        return n - 1;
    // Values outside the list belong to its nearer end.
    if (value < m_stepList.first())
        return 0;
    for (int i = 1; i < n; ++i) {
        const double a = m_stepList.at(i - 1);
        const double b = m_stepList.at(i);
        if (a <= value && value <= b)
            return (value - a < b - value) ? i - 1 : i;
    }
    return n - 1;
}

bool ScaleSlider::isAboveHandle(const QPoint &point) const
{
    return point.x() > m_handle.left() && point.x() < m_handle.right() && point.y() > m_handle.top() &&
           point.y() < m_handle.bottom();
}

QColor ScaleSlider::handleColor() const
{
    if (!isEnabled())
        return QColor::fromRgba(handleColorDisabled);
    if (m_hover || m_grabbing)
        return QColor::fromRgba(handleColorActive);
    return QColor::fromRgba(handleColorNormal);
}

QString ScaleSlider::tickLabel(unsigned i) const
{
    if (m_intervalCount == 0 || i > m_intervalCount)
        return QString();
    double value = m_scaleStart + i * (m_scaleEnd - m_scaleStart) / m_intervalCount;
    if (isStepListType() && int(i) < m_stepList.size())
        value = m_stepList.at(int(i));
    const bool isEnd = (i == 0 || i == m_intervalCount);
    switch (m_scaleType) {
    case Linear:
        return Dialkit::numberLocale().toString(value, 'g', 6);
    case Logarithmic:
        return trimZeros(Dialkit::formatSignificant(std::pow(10.0, value), 2));
    case StepList:
        if (m_intervalCount > 10 && !isEnd)
            return QString();
        return Dialkit::formatFixed(std::round(value), 0);
    case StepListEnds:
        return isEnd ? trimZeros(Dialkit::formatSignificant(value, 2)) : QString();
    }
    return QString();
}

void ScaleSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int m = m_sideMargin;
    painter.setFont(scaleFont());
    painter.setPen(QColor::fromRgba(tickColor));
    for (unsigned i = 0; i <= m_intervalCount && m_intervalCount > 0; ++i) {
        const int x = m + 25 + int((w - 51 - 2 * m) * int(i) / int(m_intervalCount));
        painter.drawLine(x, 35, x, 38);
        const QString label = tickLabel(i);
        if (!label.isEmpty())
            painter.drawText(QRect(QPoint(x - 24, 40), QPoint(x + 23, m_fontHeight + 39)), Qt::AlignHCenter,
                             label);
    }

    painter.setRenderHint(QPainter::Antialiasing);
    const QColor track = QColor::fromRgba(trackColor);
    painter.setPen(track);
    painter.setBrush(track);
    painter.drawRoundedRect(QRectF(m, 0, w - 1 - 2 * m, HandleSize), 6, 6);
    const QColor handle = handleColor();
    painter.setPen(handle);
    painter.setBrush(handle);
    painter.drawRoundedRect(m_handle, 6, 6);

    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen mark(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(mark);
    const int markX = roundHalfAway(m_handle.x() + 17);
    painter.drawLine(markX, 35, markX, 30);
}

void ScaleSlider::mousePressEvent(QMouseEvent *event)
{
    const QPoint p(roundHalfAway(event->localPos().x()), roundHalfAway(event->localPos().y()));
    if (isAboveHandle(p) && m_grabAllowed) {
        m_grabbing = true;
        m_lastMouseX = p.x();
        emit handleGrapped();
        update();
    }
}

void ScaleSlider::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p(roundHalfAway(event->localPos().x()), roundHalfAway(event->localPos().y()));
    if (m_grabbing) {
        const double candidate = m_handle.x() + (p.x() - m_lastMouseX);
        const double v = accordingValue(roundHalfAway(candidate));
        if (v >= m_minValue && v <= m_maxValue) {
            m_handle.moveLeft(candidate);
            updateValue();
            m_lastMouseX = p.x();
            update();
        } else if (v < m_minValue && m_currentValue != m_minValue) {
            m_currentValue = m_minValue;
            m_lastMouseX = p.x();
            update();
        } else if (v > m_maxValue && m_currentValue != m_maxValue) {
            m_currentValue = m_maxValue;
            m_lastMouseX = p.x();
            update();
        }
        emit handleMoved(outputValue());
    }
    const bool hover = isAboveHandle(p);
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void ScaleSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_grabbing)
        return;
    m_grabbing = false;
    const QPoint p(roundHalfAway(event->localPos().x()), roundHalfAway(event->localPos().y()));
    if (!isAboveHandle(p))
        m_hover = false;
    update();
    emit handleFinishedMoving(outputValue());
}

void ScaleSlider::leaveEvent(QEvent *event)
{
    if (!m_grabbing && m_hover) {
        m_hover = false;
        update();
    }
    QWidget::leaveEvent(event);
}

void ScaleSlider::wheelEvent(QWheelEvent *event)
{
    if (!m_wheelEnabled) {
        event->ignore();
        return;
    }
    emit wheelMoved(event->angleDelta().y() / 120);
    event->accept();
}

void ScaleSlider::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    calculateLabelValues();
    updateHandle();
}
