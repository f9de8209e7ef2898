#include "dialkit/ShowHideButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>
#include <QtMath>

namespace {
const QColor TriangleColor(0xFFC5C6C6);
const QColor TriangleHoverColor(0xFFED6E00);
} // namespace

ShowHideButton::ShowHideButton(QWidget *parent) : QPushButton(parent)
{
    setMinimumSize(16, 16);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setCursor(Qt::PointingHandCursor);
}

QSize ShowHideButton::sizeHint() const
{
    return QSize(32, 32);
}

void ShowHideButton::setShowState(bool shown)
{
    m_showState = shown;
    update();
}

void ShowHideButton::enterEvent(QEvent *event)
{
    m_hover = true;
    update();
    QPushButton::enterEvent(event);
}

void ShowHideButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QPushButton::leaveEvent(event);
}

void ShowHideButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);

    const double w = width();
    const double side = w - 8;
    if (side <= 0)
        return;
    const double triangleHeight = side * qSqrt(3.0) / 2.0;
    const double cx = w / 2.0;
    const double cy = w / 2.0;
    const double top = cy - triangleHeight / 2.0;
    const double bottom = cy + triangleHeight / 2.0;

    QPainterPath path;
    if (m_showState) {
        path.moveTo(cx - side / 2.0, bottom);
        path.lineTo(cx, top);
        path.lineTo(cx + side / 2.0, bottom);
    } else {
        path.moveTo(cx - side / 2.0, top);
        path.lineTo(cx + side / 2.0, top);
        path.lineTo(cx, bottom);
    }
    path.closeSubpath();

    // The library's controls turn orange under the pointer; the triangle follows suit.
    const QColor color = m_hover && isEnabled() ? TriangleHoverColor : TriangleColor;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(color);
    painter.setBrush(color);
    painter.drawPath(path);
}
