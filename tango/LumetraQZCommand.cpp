#include "tango/LumetraQZCommand.h"

#include "tango/LumetraQZ.h"

LumetraQZCommand::LumetraQZCommand(const char *name, Tango::CmdArgType argumentType, const char *description,
                                   Handler handler)
    : Tango::Command(name, argumentType, Tango::DEV_VOID, description, "", Tango::OPERATOR),
      m_handler(handler)
{
}

CORBA::Any *LumetraQZCommand::execute(Tango::DeviceImpl *device, const CORBA::Any &argument)
{
    m_handler(static_cast<LumetraQZ *>(device), argument);
    return new CORBA::Any();
}

// Throws the not-allowed error with its reason when the laser cannot take the command now.
bool LumetraQZCommand::is_allowed(Tango::DeviceImpl *device, const CORBA::Any &)
{
    static_cast<LumetraQZ *>(device)->allowCommand(get_name());
    return true;
}
