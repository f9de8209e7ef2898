#include "dialkit/RangedScaleSlider.h"
#include "dialkit/Dialkit.h"
#include "dialkit/LinearScale.h"
#include "dialkit/SliderLook.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

using namespace SliderLook;

namespace {

const int handleSize = 35;

} // namespace

RangedScaleSlider::RangedScaleSlider(QWidget *parent) : QLabel(parent)
{
    setMouseTracking(true);
    m_fontHeight = QFontMetrics(scaleFont()).height();
    setMinimumWidth(150);
    setFixedHeight(60);
    calculateLabelValues();
}

QSize RangedScaleSlider::sizeHint() const
{
    return QSize(300, 60);
}

QSize RangedScaleSlider::minimumSizeHint() const
{
    return QSize(150, 60);
}

int RangedScaleSlider::trackLength() const
{
    return width() - handleSize - 2 * m_sideMargin;
}

void RangedScaleSlider::setSideMargins(int margin)
{
    m_sideMargin = margin;
    placeHandles();
}

void RangedScaleSlider::setStartRange(double minValue, double maxValue)
{
    m_startMin = minValue;
    m_startMax = maxValue;
    m_startValue = qBound(m_startMin, m_startValue, m_startMax);
    calculateLabelValues();
    placeHandles();
}

void RangedScaleSlider::setStopRange(double minValue, double maxValue)
{
    m_stopMin = minValue;
    m_stopMax = maxValue;
    m_stopValue = qBound(m_stopMin, m_stopValue, m_stopMax);
    calculateLabelValues();
    placeHandles();
}

void RangedScaleSlider::setCurrentStartValue(double value, bool adjustStop)
{
    if (m_startFixed || std::isnan(value))
        return;
    m_startValue = qBound(m_startMin, value, m_startMax);
    if (m_startValue > m_stopValue && adjustStop) {
        m_stopValue = qBound(m_stopMin, m_startValue, m_stopMax);
        placeHandles();
        emit stopHandleFinishedMoving(m_stopValue);
        return;
    }
    placeHandles();
}

void RangedScaleSlider::setCurrentStopValue(double value, bool adjustStart)
{
    if (m_stopFixed || std::isnan(value))
        return;
    m_stopValue = qBound(m_stopMin, value, m_stopMax);
    if (m_stopValue < m_startValue && adjustStart) {
        m_startValue = qBound(m_startMin, m_stopValue, m_startMax);
        placeHandles();
        emit startHandleFinishedMoving(m_startValue);
        return;
    }
    placeHandles();
}

void RangedScaleSlider::setFixedStart(bool enable, double value)
{
    m_startFixed = false;
    setCurrentStartValue(value, false);
    m_startFixed = enable;
    update();
}

void RangedScaleSlider::setFixedStop(bool enable, double value)
{
    m_stopFixed = false;
    setCurrentStopValue(value, false);
    m_stopFixed = enable;
    update();
}

void RangedScaleSlider::calculateLabelValues()
{
    const LinearScale scale = LinearScale::fit(m_startMin, m_stopMax, width() - handleSize);
    m_scaleStart = scale.start;
    m_scaleEnd = scale.end;
    m_intervalCount = scale.intervals;
}

double RangedScaleSlider::xForValue(double value) const
{
    const double span = std::fabs(m_scaleEnd - m_scaleStart);
    if (span <= 0)
        return m_sideMargin;
    return m_sideMargin + std::trunc(trackLength() * (value - m_scaleStart) / span);
}

double RangedScaleSlider::valueForX(double x) const
{
    const int length = trackLength();
    if (length <= 0)
        return m_scaleStart;
    return m_scaleStart + (m_scaleEnd - m_scaleStart) * (x - m_sideMargin) / length;
}

void RangedScaleSlider::placeHandles()
{
    m_startHandle.moveLeft(xForValue(m_startValue));
    m_stopHandle.moveLeft(xForValue(m_stopValue));
    update();
}

RangedScaleSlider::Grab RangedScaleSlider::handleAt(const QPoint &p) const
{
    auto inside = [&p](const QRectF &r) {
        return p.x() > r.left() && p.x() < r.right() && p.y() > r.top() && p.y() < r.bottom();
    };
    if (inside(m_startHandle))
        return Start;
    if (inside(m_stopHandle))
        return Stop;
    return None;
}

void RangedScaleSlider::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled())
        return;
    const QPoint p = event->pos();
    const Grab g = handleAt(p);
    if (g == Start && !m_startFixed) {
        m_grab = Start;
        emit startHandleGrapped();
    } else if (g == Stop && !m_stopFixed) {
        m_grab = Stop;
        emit stopHandleGrapped();
    } else {
        return;
    }
    m_lastMouseX = p.x();
    update();
}

void RangedScaleSlider::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->pos();
    if (m_grab != None) {
        QRectF &handle = (m_grab == Start) ? m_startHandle : m_stopHandle;
        const double candidate = handle.x() + (p.x() - m_lastMouseX);
        double v = valueForX(std::round(candidate));
        // Each handle keeps to its own range and does not pass the other one.
        const double lo = (m_grab == Start) ? m_startMin : qMax(m_stopMin, m_startValue);
        const double hi = (m_grab == Start) ? qMin(m_startMax, m_stopValue) : m_stopMax;
        double &value = (m_grab == Start) ? m_startValue : m_stopValue;
        if (v >= lo && v <= hi) {
            handle.moveLeft(candidate);
            value = v;
            m_lastMouseX = p.x();
        } else if (v < lo && value != lo) {
            value = lo;
            handle.moveLeft(xForValue(lo));
            m_lastMouseX = p.x();
        } else if (v > hi && value != hi) {
            value = hi;
            handle.moveLeft(xForValue(hi));
            m_lastMouseX = p.x();
        }
        update();
        if (m_grab == Start)
            emit startHandleMoved(m_startValue);
        else
            emit stopHandleMoved(m_stopValue);
    }
    const Grab hover = handleAt(p);
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
}

void RangedScaleSlider::mouseReleaseEvent(QMouseEvent *event)
{
    const Grab held = m_grab;
    if (held == None)
        return;
    m_grab = None;
    m_hover = handleAt(event->pos());
    update();
    if (held == Start)
        emit startHandleFinishedMoving(m_startValue);
    else
        emit stopHandleFinishedMoving(m_stopValue);
}

void RangedScaleSlider::leaveEvent(QEvent *event)
{
    if (m_grab == None && m_hover != None) {
        m_hover = None;
        update();
    }
    QLabel::leaveEvent(event);
}

void RangedScaleSlider::wheelEvent(QWheelEvent *event)
{
    if (!m_wheelEnabled || m_nudge <= 0) {
        event->ignore();
        return;
    }
    const int notches = event->angleDelta().y() / 120;
    const double delta = m_nudge * notches;
    const double oldStart = m_startValue;
    const double oldStop = m_stopValue;
    // The leading handle moves first so that the other one is not held back by its old place.
    auto moveStart = [&]() {
        if (!m_startFixed)
            m_startValue = qBound(m_startMin, m_startValue + delta, qMin(m_startMax, m_stopValue));
    };
    auto moveStop = [&]() {
        if (!m_stopFixed)
            m_stopValue = qBound(qMax(m_stopMin, m_startValue), m_stopValue + delta, m_stopMax);
    };
    if (delta > 0) {
        moveStop();
        moveStart();
    } else {
        moveStart();
        moveStop();
    }
    placeHandles();
    if (m_startValue != oldStart)
        emit startHandleMoved(m_startValue);
    if (m_stopValue != oldStop)
        emit stopHandleMoved(m_stopValue);
    event->accept();
}

void RangedScaleSlider::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    calculateLabelValues();
    placeHandles();
}

void RangedScaleSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int m = m_sideMargin;
    painter.setFont(scaleFont());
    painter.setPen(QColor::fromRgba(tickColor));
    for (unsigned i = 0; i <= m_intervalCount && m_intervalCount > 0; ++i) {
        const int x = m + 25 + int((w - 51 - 2 * m) * int(i) / int(m_intervalCount));
        painter.drawLine(x, 35, x, 38);
        const double value = m_scaleStart + i * (m_scaleEnd - m_scaleStart) / m_intervalCount;
        painter.drawText(QRect(QPoint(x - 24, 40), QPoint(x + 23, m_fontHeight + 39)), Qt::AlignHCenter,
                         Dialkit::numberLocale().toString(value, 'g', 6));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor track = QColor::fromRgba(trackColor);
    painter.setPen(track);
    painter.setBrush(track);
    painter.drawRoundedRect(QRectF(m, 0, w - 1 - 2 * m, handleSize), 6, 6);
    // the span between the handles in a lighter tone of the handle colour
    QColor span = QColor::fromRgba(handleColorNormal);
    span.setAlpha(60);
    painter.setPen(Qt::NoPen);
    painter.setBrush(span);
    painter.drawRect(QRectF(m_startHandle.center().x(), 0,
                            m_stopHandle.center().x() - m_startHandle.center().x(), handleSize));
    auto colourOf = [this](Grab g, bool fixed) {
        if (!isEnabled() || fixed)
            return QColor::fromRgba(handleColorDisabled);
        if (m_grab == g || (m_grab == None && m_hover == g))
            return QColor::fromRgba(handleColorActive);
        return QColor::fromRgba(handleColorNormal);
    };
    for (Grab g : {Start, Stop}) {
        const QColor c = colourOf(g, g == Start ? m_startFixed : m_stopFixed);
        painter.setPen(c);
        painter.setBrush(c);
        painter.drawRoundedRect(g == Start ? m_startHandle : m_stopHandle, 6, 6);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    for (const QRectF &r : {m_startHandle, m_stopHandle}) {
        const int markX = int(std::round(r.x() + 17));
        painter.drawLine(markX, 35, markX, 30);
    }
}
