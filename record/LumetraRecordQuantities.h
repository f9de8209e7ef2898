#pragma once

#include "device/LumetraQuantityTable.h"

#include <QString>
#include <QtGlobal>

// The quantities a recording keeps: the device core's table without its texts, indexed alike (the
// index of a quantity here is its id there). The key is what the database stores, so a key never
// changes meaning once released; labels and units may be reworded freely.
class LumetraRecordQuantities
{
public:
    using Quantity = LumetraQuantityTable::Row;
    using Kind = LumetraQuantityTable::Kind;

    static int count();
    static const Quantity &at(int index);
    // Index of a key, or -1 (also for a quantity that is not recorded).
    static int indexOf(const QString &key);

    // Translated texts for lists and file headers.
    static QString label(int index);
    static QString group(int index);
    static QString unit(int index);
    // "Humidity [%]" or "Status byte".
    static QString labelWithUnit(int index);

    // LumetraQuantityTable::Module bits: who reports on a laser, and what reports a quantity.
    using Reporters = unsigned;
    static constexpr Reporters Laser = LumetraQuantityTable::Base;

    static Kind kind(int index);
    // Drawn as steps: the value holds until the next one. Only analog readings are lines.
    static bool isStep(int index) { return kind(index) != Kind::Analog; }
    // Smallest change worth storing, in the unit; 0 for any change.
    static double deadband(int index);
    static Reporters reportedBy(int index);
};
