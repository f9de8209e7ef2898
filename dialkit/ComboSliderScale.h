#pragma once

#include "dialkit/ComboSliderUnit.h"
#include "dialkit/DialkitExport.h"

#include <QList>
#include <QObject>
#include <QStringList>

// A quantity shown by a ComboSlider (for example power or current) with its units.
class DIALKIT_EXPORT ComboSliderScale : public QObject
{
    Q_OBJECT
public:
    explicit ComboSliderScale(const QString &title, QObject *parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    void addUnit(ComboSliderUnit *unit);
    void removeLastUnit();
    ComboSliderUnit *unit(int index) const;
    int unitCount() const { return m_units.size(); }
    QStringList unitTexts() const;
    void setUnitRange(int unitIndex, double min, double max);

private:
    QString m_title;
    QList<ComboSliderUnit *> m_units;
};
