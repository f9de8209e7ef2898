#pragma once

#include "device/LumetraQuantityTable.h"

#include <string>
#include <vector>

// The attributes the device server offers: the rows of the core's quantity table that have a remote
// name, with what Tango needs beside them (its type, an ASCII unit). Written attributes go to the
// controller through the table's write slot, the same slot the control panel runs.
namespace LumetraQZAttributes {

// Values and ranges are indexed by the quantity's id in the core table.
using Id = LumetraQuantityTable::Id;
constexpr int Count = LumetraQuantityTable::Count;
using Limits = LumetraQuantityTable::Limits;
using WriteSlot = LumetraQuantityTable::WriteSlot;

// An archiver takes an attribute with no event for this long as broken; the device sends every one at
// least this often while it has a value, changed or not.
constexpr int ArchivePeriodMs = 60000;

enum class Kind
{
    Double,
    Long,
    String,
    Boolean
};

struct Row
{
    Id id;
    const char *name;
    const char *label;
    Kind kind;
    std::string unit;
    // The factor from the unit to SI, as Tango's standard_unit takes it; empty where there is none.
    std::string standardUnit;
    const char *format;
    // Smallest change that is worth a change or archive event; 0 means any change (for numbers, the
    // smallest step their type can make).
    double absChange;
    Limits limits;
    double fixedMin;
    double fixedMax;
    WriteSlot write;
    const char *description;
    // Where the laser defines a fault for the reading, or nullptr.
    const LumetraQuantityTable::Levels *levels;
};

// Every offered attribute, in the table's order.
const std::vector<Row> &rows();
// The attribute of a quantity the server offers.
const Row &row(int id);
// The row of an attribute name, or nullptr.
const Row *find(const char *name);

} // namespace LumetraQZAttributes
