#include "dialkit/ComboSliderScale.h"

ComboSliderScale::ComboSliderScale(const QString &title, QObject *parent) : QObject(parent), m_title(title) {}

void ComboSliderScale::addUnit(ComboSliderUnit *unit)
{
    if (!unit)
        return;
    unit->setParent(this);
    m_units.append(unit);
}

void ComboSliderScale::removeLastUnit()
{
    if (!m_units.isEmpty())
        m_units.removeLast();
}

ComboSliderUnit *ComboSliderScale::unit(int index) const
{
    return (index >= 0 && index < m_units.size()) ? m_units.at(index) : nullptr;
}

QStringList ComboSliderScale::unitTexts() const
{
    QStringList texts;
    for (const ComboSliderUnit *u : m_units)
        texts << u->text();
    return texts;
}

void ComboSliderScale::setUnitRange(int unitIndex, double min, double max)
{
    if (ComboSliderUnit *u = unit(unitIndex))
        u->setRange(min, max);
}
