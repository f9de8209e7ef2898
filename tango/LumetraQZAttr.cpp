#include "tango/LumetraQZAttr.h"

#include "tango/LumetraQZ.h"

#include <cmath>
#include <sstream>
#include <string>

using namespace LumetraQZAttributes;

namespace {

// Tango parses limits by the attribute's type: whole numbers must not come out as 1e+07.
std::string text(double value)
{
    std::ostringstream out;
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        out << static_cast<long long>(value);
    else
        out << value;
    return out.str();
}

} // namespace

LumetraQZAttr::LumetraQZAttr(const Row &row)
    : Tango::Attr(row.name, tangoType(row.kind), row.write ? Tango::READ_WRITE : Tango::READ), m_row(row)
{
    Tango::UserDefaultAttrProp properties;
    properties.set_label(row.label);
    properties.set_description(row.description);
    if (!row.unit.empty()) {
        properties.set_unit(row.unit.c_str());
        // Shown in the unit the panel shows it in.
        properties.set_display_unit("1");
    }
    if (!row.standardUnit.empty())
        properties.set_standard_unit(row.standardUnit.c_str());
    properties.set_format(row.format);
    // A generic client colours a reading beyond these without being configured.
    if (row.levels) {
        properties.set_max_warning(text(row.levels->warningHigh).c_str());
        properties.set_max_alarm(text(row.levels->alarmHigh).c_str());
    }
    if (row.limits == Limits::Fixed) {
        properties.set_min_value(text(row.fixedMin).c_str());
        properties.set_max_value(text(row.fixedMax).c_str());
    }
    // Numbers need a threshold for Tango to judge a change; integers change by whole steps.
    if (row.kind == Kind::Double || row.kind == Kind::Long) {
        const double threshold = row.absChange > 0 ? row.absChange : (row.kind == Kind::Long ? 1 : 1e-6);
        properties.set_event_abs_change(text(threshold).c_str());
        properties.set_archive_event_abs_change(text(threshold).c_str());
    }
    properties.set_archive_event_period(std::to_string(ArchivePeriodMs).c_str());
    set_default_properties(properties);
    // Pushed by the device core, checked against the thresholds above.
    set_change_event(true, true);
    set_archive_event(true, true);
}

long LumetraQZAttr::tangoType(Kind kind)
{
    switch (kind) {
    case Kind::Double:
        return Tango::DEV_DOUBLE;
    case Kind::Long:
        return Tango::DEV_LONG64;
    case Kind::String:
        return Tango::DEV_STRING;
    case Kind::Boolean:
        return Tango::DEV_BOOLEAN;
    }
    return Tango::DEV_DOUBLE;
}

void LumetraQZAttr::read(Tango::DeviceImpl *device, Tango::Attribute &attribute)
{
    static_cast<LumetraQZ *>(device)->readAttribute(m_row, attribute);
}

void LumetraQZAttr::write(Tango::DeviceImpl *device, Tango::WAttribute &attribute)
{
    static_cast<LumetraQZ *>(device)->writeAttribute(m_row, attribute);
}

// Reads are always allowed: a reading that is not true comes with INVALID quality. A write throws
// the not-allowed error with its reason when the laser cannot take it now.
bool LumetraQZAttr::is_allowed(Tango::DeviceImpl *device, Tango::AttReqType type)
{
    if (type == Tango::WRITE_REQ)
        static_cast<LumetraQZ *>(device)->allowWrite(m_row);
    return true;
}
