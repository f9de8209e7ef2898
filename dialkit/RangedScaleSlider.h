#pragma once

#include "dialkit/DialkitExport.h"

#include <QLabel>
#include <QRectF>

// Two-handle slider (start and stop) on one linear scale.
class DIALKIT_EXPORT RangedScaleSlider : public QLabel
{
    Q_OBJECT
public:
    explicit RangedScaleSlider(QWidget *parent = nullptr);

    double currentValueMin() const { return m_startValue; }
    double currentValueMax() const { return m_stopValue; }
    void setSideMargins(int margin);
    void setNudge(double nudge) { m_nudge = nudge; }
    void setMouseWheelEnabled(bool enabled) { m_wheelEnabled = enabled; }
    bool isStartFixed() const { return m_startFixed; }
    bool isStopFixed() const { return m_stopFixed; }
    double scaleStart() const { return m_scaleStart; }
    double scaleEnd() const { return m_scaleEnd; }
    unsigned intervalCount() const { return m_intervalCount; }
    QRectF startHandle() const { return m_startHandle; }
    QRectF stopHandle() const { return m_stopHandle; }

public slots:
    void setStartRange(double minValue, double maxValue);
    void setStopRange(double minValue, double maxValue);
    void setCurrentStartValue(double value, bool adjustStop = false);
    void setCurrentStopValue(double value, bool adjustStart = false);
    void setFixedStart(bool enable, double value);
    void setFixedStop(bool enable, double value);

signals:
    void startHandleMoved(double value);
    void stopHandleMoved(double value);
    void startHandleFinishedMoving(double value);
    void stopHandleFinishedMoving(double value);
    void startHandleGrapped();
    void stopHandleGrapped();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    enum Grab
    {
        None,
        Start,
        Stop
    };

    void calculateLabelValues();
    void placeHandles();
    double xForValue(double value) const;
    double valueForX(double x) const;
    int trackLength() const;
    Grab handleAt(const QPoint &point) const;

    QRectF m_startHandle{17, 0, 35, 35};
    QRectF m_stopHandle{17, 0, 35, 35};
    double m_startMin = 0, m_startMax = 100, m_stopMin = 0, m_stopMax = 100;
    double m_startValue = 0, m_stopValue = 100;
    double m_scaleStart = 0, m_scaleEnd = 100;
    unsigned m_intervalCount = 1;
    bool m_startFixed = false, m_stopFixed = false;
    Grab m_grab = None;
    Grab m_hover = None;
    int m_lastMouseX = 0;
    int m_sideMargin = 0;
    double m_nudge = 0;
    bool m_wheelEnabled = false;
    int m_fontHeight = 0;
};
