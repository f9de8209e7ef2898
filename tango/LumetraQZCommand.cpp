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

// The handlers refuse what they cannot do with a reason of their own.
bool LumetraQZCommand::is_allowed(Tango::DeviceImpl *, const CORBA::Any &)
{
    return true;
}
