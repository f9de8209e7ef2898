#include "dialkit/ComboSliderUnit.h"

#include "dialkit/Dialkit.h"

#include <cmath>

ComboSliderUnit::ComboSliderUnit(const QString &text, double minValue, double maxValue, int precision,
                                 QObject *parent)
    : QObject(parent), m_text(text), m_minValue(minValue), m_maxValue(maxValue), m_precision(precision)
{
}

void ComboSliderUnit::setRange(double minValue, double maxValue)
{
    m_minValue = minValue;
    m_maxValue = maxValue;
}

void ComboSliderUnit::setStepList(QList<double> &list)
{
    m_stepList.clear();
    if (m_scaleType != ScaleSlider::Logarithmic) {
        m_stepList = list;
        return;
    }
    for (double entry : qAsConst(list)) {
        // zero and negative entries have no place on a logarithmic scale
        if (entry > 0)
            m_stepList.append(std::log10(entry));
    }
}

QString ComboSliderUnit::format(double value) const
{
    if (m_significantDigits)
        return Dialkit::formatSignificant(value, m_precision);
    return Dialkit::formatFixed(value, m_precision);
}
