#pragma once

#include <QtCharts/QChartView>

class QGraphicsLineItem;

// The trend chart under the mouse: the wheel zooms in time around the pointer, a drag pans, a double
// click returns to the chosen range, and a vertical cursor follows the pointer. It only reports the
// time span asked for; the owner reloads the data for it.
class LumetraTrendChartView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    explicit LumetraTrendChartView(QtCharts::QChart *chart, QWidget *parent = nullptr);

    // The time at a horizontal position in the plot area, in UTC ms.
    qint64 timeAt(qreal x) const;

    QSize sizeHint() const override;

signals:
    void spanRequested(qint64 from, qint64 to);
    void resetRequested();
    void cursorMoved(qint64 t);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool currentSpan(qint64 *from, qint64 *to) const;
    void placeCursor(qreal x);

    QGraphicsLineItem *cursor = nullptr;
    bool dragging = false;
    qreal dragStartX = 0;
    qint64 dragFrom = 0, dragTo = 0;
};
