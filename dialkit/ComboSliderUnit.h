#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/ScaleSlider.h"

#include <QList>
#include <QObject>

// One unit of a ComboSliderScale: label, range, number format and slider scale.
class DIALKIT_EXPORT ComboSliderUnit : public QObject
{
    Q_OBJECT
public:
    ComboSliderUnit(const QString &text, double minValue, double maxValue, int precision,
                    QObject *parent = nullptr);

    QString text() const { return m_text; }
    double minValue() const { return m_minValue; }
    double maxValue() const { return m_maxValue; }
    void setRange(double minValue, double maxValue);
    int precision() const { return m_precision; }
    void setPrecision(int precision) { m_precision = precision; }
    bool significantDigits() const { return m_significantDigits; }
    void setSignificantDigits(bool enabled) { m_significantDigits = enabled; }
    ScaleSlider::ScaleType scaleType() const { return m_scaleType; }
    void setScaleType(ScaleSlider::ScaleType type) { m_scaleType = type; }
    QList<double> stepList() const { return m_stepList; }
    // For a Logarithmic unit the entries are kept as decimal logarithms.
    void setStepList(QList<double> &list);
    // the value formatted as this unit shows it
    QString format(double value) const;

private:
    QString m_text;
    double m_minValue;
    double m_maxValue;
    int m_precision;
    bool m_significantDigits = false;
    ScaleSlider::ScaleType m_scaleType = ScaleSlider::Linear;
    QList<double> m_stepList;
};
