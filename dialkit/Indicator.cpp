#include "dialkit/Indicator.h"

#include <QPainter>
#include <QPainterPath>

Indicator::Indicator(QWidget *parent) : QWidget(parent)
{
    setFixedSize(20, 20);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_blinkTimer, &QTimer::timeout, this, &Indicator::toggleBlink);
}

void Indicator::setSize(int size)
{
    setFixedSize(size, size);
}

void Indicator::setSize(int width, int height)
{
    setFixedSize(width, height);
}

void Indicator::setColor(Color color)
{
    m_color = color;
    update();
}

void Indicator::setForm(Form form)
{
    m_form = form;
}

void Indicator::setBlink(bool on, int intervalMs, Color blinkColor)
{
    m_blinkColor = blinkColor;
    m_blinkEnabled = on;
    m_blinkPhase = on;
    m_blinkTimer.setInterval(intervalMs);
    if (on)
        m_blinkTimer.start();
    else
        m_blinkTimer.stop();
    update();
}

void Indicator::toggleBlink()
{
    m_blinkPhase = !m_blinkPhase;
    update();
}

QColor Indicator::displayedColor() const
{
    if (!isEnabled())
        return QColor::fromRgba(Grey);
    if (m_blinkEnabled && m_blinkPhase)
        return QColor::fromRgba(m_blinkColor);
    return QColor::fromRgba(m_color);
}

void Indicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor c = displayedColor();
    painter.setPen(c);
    painter.setBrush(c);
    const int w = width();
    const int h = height();
    switch (m_form) {
    case TriangleUp: {
        QPainterPath path;
        path.moveTo(0, h);
        path.lineTo(w / 2, 0);
        path.lineTo(w, h);
        path.lineTo(0, h);
        painter.drawPath(path);
        break;
    }
    case TriangleDown: {
        QPainterPath path;
        path.moveTo(0, 0);
        path.lineTo(w, 0);
        path.lineTo(w / 2, h);
        path.lineTo(0, 0);
        painter.drawPath(path);
        break;
    }
    case Circle:
    default: {
        const int side = ((w - 2) / 2) * 2;
        painter.drawEllipse(1, 1, side, side);
        break;
    }
    }
}
