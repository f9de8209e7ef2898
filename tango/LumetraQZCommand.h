#pragma once

#include <tango.h>

class LumetraQZ;

// A Tango command made from one row of the command table in LumetraQZClass.
class LumetraQZCommand : public Tango::Command
{
public:
    using Handler = void (*)(LumetraQZ *device, const CORBA::Any &argument);

    LumetraQZCommand(const char *name, Tango::CmdArgType argumentType, const char *description,
                     Handler handler);

    CORBA::Any *execute(Tango::DeviceImpl *device, const CORBA::Any &argument) override;
    bool is_allowed(Tango::DeviceImpl *device, const CORBA::Any &argument) override;

private:
    Handler m_handler;
};
