#pragma once

#include "tango/LumetraQZAttributes.h"

#include <tango.h>

// A Tango attribute made from one row of the attribute table.
class LumetraQZAttr : public Tango::Attr
{
public:
    explicit LumetraQZAttr(const LumetraQZAttributes::Row &row);

    void read(Tango::DeviceImpl *device, Tango::Attribute &attribute) override;
    void write(Tango::DeviceImpl *device, Tango::WAttribute &attribute) override;
    bool is_allowed(Tango::DeviceImpl *device, Tango::AttReqType type) override;

    static long tangoType(LumetraQZAttributes::Kind kind);

private:
    const LumetraQZAttributes::Row &m_row;
};
