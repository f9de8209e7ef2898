#pragma once

#include "dialkit/DialkitExport.h"

#include <QWidget>

class QLabel;
class LineEditNumber;
class RangedScaleSlider;

// Edits a range given by a start and a stop value: two rows of caption, number field and unit
// above one two-handle slider. Typed values and dragged handles stay in step, and the start
// never ends above the stop.
class DIALKIT_EXPORT RangedInputSlider : public QWidget
{
    Q_OBJECT
public:
    explicit RangedInputSlider(int margin, QWidget *parent = nullptr);

    void setStartText(const QString &text);
    void setStopText(const QString &text);
    void setUnitText(const QString &text);
    void setPrecision(int precision);
    void setDarkBackground(bool dark);

    double startValue() const { return m_startValue; }
    double stopValue() const { return m_stopValue; }
    int precision() const { return m_precision; }
    double startMinimum() const { return m_startMin; }
    double startMaximum() const { return m_startMax; }
    double stopMinimum() const { return m_stopMin; }
    double stopMaximum() const { return m_stopMax; }
    bool isStartFixed() const { return m_startFixed; }
    bool isStopFixed() const { return m_stopFixed; }

    LineEditNumber *startField() const { return m_startField; }
    LineEditNumber *stopField() const { return m_stopField; }
    RangedScaleSlider *slider() const { return m_slider; }

public slots:
    void setStartRange(double min, double max);
    void setStopRange(double min, double max);
    void setStartValue(double value, bool adjustStop);
    void setStartValue(double value);
    void setStopValue(double value, bool adjustStart);
    void setStopValue(double value);
    void checkStartInput(double value);
    void checkStopInput(double value);
    void setStartInput(double value);
    void setStopInput(double value);
    void setFixedStart(bool enable, double value);
    void setFixedStop(bool enable, double value);

signals:
    void startValueChanged(double value);
    void stopValueChanged(double value);

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void onStartHandleValue(double value);
    void onStopHandleValue(double value);

private:
    LineEditNumber *createField();
    QLabel *createLabel();

    QLabel *m_startCaption;
    LineEditNumber *m_startField;
    QLabel *m_startUnit;
    QLabel *m_stopCaption;
    LineEditNumber *m_stopField;
    QLabel *m_stopUnit;
    RangedScaleSlider *m_slider;

    double m_startValue = 400;
    double m_stopValue = 900;
    int m_precision = 0;
    double m_startMin = 400;
    double m_startMax = 900;
    double m_stopMin = 400;
    double m_stopMax = 900;
    bool m_startFixed = false;
    bool m_stopFixed = false;
};
