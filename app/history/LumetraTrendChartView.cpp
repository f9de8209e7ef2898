#include "app/history/LumetraTrendChartView.h"

#include <QDateTime>
#include <QGraphicsLineItem>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QtCharts/QDateTimeAxis>

#include <cmath>

using namespace QtCharts;

namespace {

// Nobody needs less than ten seconds on the screen, nor more than a year.
constexpr qint64 shortestSpanMs = 10 * 1000;
constexpr qint64 longestSpanMs = 366LL * 24 * 3600 * 1000;

} // namespace

LumetraTrendChartView::LumetraTrendChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing, false);
    setMouseTracking(true);
    setDragMode(QGraphicsView::NoDrag);
    setRubberBand(QChartView::NoRubberBand);
    cursor = new QGraphicsLineItem;
    cursor->setPen(QPen(QColor(120, 120, 120), 0, Qt::DashLine));
    cursor->setZValue(100);
    cursor->hide();
    scene()->addItem(cursor);
}

bool LumetraTrendChartView::currentSpan(qint64 *from, qint64 *to) const
{
    const QList<QAbstractAxis *> axes = chart()->axes(Qt::Horizontal);
    if (axes.isEmpty())
        return false;
    const auto *axis = qobject_cast<QDateTimeAxis *>(axes.first());
    if (!axis)
        return false;
    *from = axis->min().toMSecsSinceEpoch();
    *to = axis->max().toMSecsSinceEpoch();
    return *to > *from;
}

qint64 LumetraTrendChartView::timeAt(qreal x) const
{
    qint64 from = 0, to = 0;
    const QRectF area = chart()->plotArea();
    if (!currentSpan(&from, &to) || area.width() <= 0)
        return 0;
    const double fraction = std::clamp((x - area.left()) / area.width(), 0.0, 1.0);
    return from + qint64(std::llround(fraction * double(to - from)));
}

// A graphics view asks for its scene's size, and the chart's scene follows the view's size: the Trends
// dock would ask for whatever height it once had, and take it from the control panel above. A chart can
// be drawn at any size; it asks for a modest one.
QSize LumetraTrendChartView::sizeHint() const
{
    return QSize(32, 12) * fontMetrics().height();
}

void LumetraTrendChartView::wheelEvent(QWheelEvent *event)
{
    qint64 from = 0, to = 0;
    if (!currentSpan(&from, &to) || event->angleDelta().y() == 0)
        return;
    const qint64 pivot = timeAt(event->position().x());
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    const qint64 span = std::clamp(qint64((to - from) * factor), shortestSpanMs, longestSpanMs);
    const double before = double(pivot - from) / double(to - from);
    const qint64 newFrom = pivot - qint64(before * span);
    emit spanRequested(newFrom, newFrom + span);
    event->accept();
}

void LumetraTrendChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && currentSpan(&dragFrom, &dragTo)) {
        dragging = true;
        dragStartX = event->localPos().x();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void LumetraTrendChartView::mouseMoveEvent(QMouseEvent *event)
{
    const qreal x = event->localPos().x();
    placeCursor(x);
    if (dragging) {
        const qreal width = chart()->plotArea().width();
        if (width > 0) {
            const qint64 shift = qint64((dragStartX - x) / width * double(dragTo - dragFrom));
            emit spanRequested(dragFrom + shift, dragTo + shift);
        }
    }
    QChartView::mouseMoveEvent(event);
}

void LumetraTrendChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (dragging && event->button() == Qt::LeftButton) {
        dragging = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void LumetraTrendChartView::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit resetRequested();
    event->accept();
}

void LumetraTrendChartView::leaveEvent(QEvent *event)
{
    cursor->hide();
    QChartView::leaveEvent(event);
}

void LumetraTrendChartView::placeCursor(qreal x)
{
    const QRectF area = chart()->plotArea();
    if (x < area.left() || x > area.right()) {
        cursor->hide();
        return;
    }
    const QPointF top = chart()->mapToScene(QPointF(x, area.top()));
    const QPointF bottom = chart()->mapToScene(QPointF(x, area.bottom()));
    cursor->setLine(QLineF(top, bottom));
    cursor->show();
    emit cursorMoved(timeAt(x));
}
