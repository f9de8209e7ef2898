#pragma once

#include "dialkit/DialkitExport.h"

#include <QList>
#include <QRectF>
#include <QWidget>

// Horizontal slider with one handle over a labelled scale: linear, logarithmic or a list of allowed
// steps. Painted entirely by itself.
class DIALKIT_EXPORT ScaleSlider : public QWidget
{
    Q_OBJECT
public:
    enum ScaleType : int
    {
        Linear = 0,
        Logarithmic = 1,
        StepList = 2,
        StepListEnds = 3
    };
    Q_ENUM(ScaleType)

    static constexpr int HandleSize = 35;

    explicit ScaleSlider(QWidget *parent = nullptr);

    double currentValue() const;
    double nearestStepValue(double value) const;
    int steplistIndexOf(double value) const;
    void setSideMargins(int margin);
    int sideMargins() const { return m_sideMargin; }
    void setNudge(double nudge) { m_nudge = nudge; }
    double nudge() const { return m_nudge; }
    void setMouseWheelEnabled(bool enabled) { m_wheelEnabled = enabled; }
    bool isMouseWheelEnabled() const { return m_wheelEnabled; }

    ScaleType scaleType() const { return m_scaleType; }
    QList<double> stepList() const { return m_stepList; }
    // Range, scale and handle in the stored representation (decimal logarithms for Logarithmic).
    double minimum() const { return m_minValue; }
    double maximum() const { return m_maxValue; }
    double scaleStart() const { return m_scaleStart; }
    double scaleEnd() const { return m_scaleEnd; }
    unsigned intervalCount() const { return m_intervalCount; }
    double handleX() const { return m_handle.x(); }
    bool isHovered() const { return m_hover; }
    bool isGrabbing() const { return m_grabbing; }
    // The text under tick i, empty where the scale type shows no label.
    QString tickLabel(unsigned i) const;
    int trackLength() const;
    QColor handleColor() const;

public slots:
    void setRange(double minValue, double maxValue);
    void setCurrentValue(double currentValue);
    void setCurrentValueString(QString currentValueString);
    void setAll(double minValue, double maxValue, double currentValue);
    void setScaleType(ScaleSlider::ScaleType type);
    void setStepList(QList<double> list);

signals:
    void handleMoved(double value);
    void handleFinishedMoving(double value);
    void handleGrapped();
    void wheelMoved(int direction);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void calculateLabelValues();
    void updateHandle();
    void updateValue();
    double accordingValue(int x) const;
    bool isAboveHandle(const QPoint &point) const;
    bool isStepListType() const { return m_scaleType == StepList || m_scaleType == StepListEnds; }
    // the current value in the caller's units
    double outputValue() const;

    QRectF m_handle{17, 0, HandleSize, HandleSize};
    bool m_hover = false;
    int m_sideMargin = 0;
    double m_minValue = 0;
    double m_maxValue = 100;
    double m_currentValue = 0;
    double m_scaleStart = 0;
    double m_scaleEnd = 100;
    unsigned m_intervalCount = 1;
    bool m_grabbing = false;
    int m_lastMouseX = 0;
    bool m_grabAllowed = true;
    double m_nudge = 0;
    bool m_wheelEnabled = false;
    ScaleType m_scaleType = Linear;
    QList<double> m_stepList;
    int m_fontHeight = 0;
};
