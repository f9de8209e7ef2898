#include "tango/LumetraQZClass.h"

#include "tango/LumetraQZ.h"
#include "tango/LumetraQZAttr.h"
#include "tango/LumetraQZCommand.h"

LumetraQZClass *LumetraQZClass::s_instance = nullptr;

namespace {

using Command = LumetraQZCore::Command;

struct CommandRow
{
    const char *name;
    LumetraQZCommand::Handler handler;
    const char *description;
};

#define LUMETRA_RUN(command)                                                                                 \
    [](LumetraQZ *device, const CORBA::Any &) {                                                              \
        device->runCommand(Command::command);                                                                \
    }

// clang-format off
const CommandRow commandRows[] = {
    {"Standby", LUMETRA_RUN(Standby), "Ask the laser for Standby, as the Standby button does"},
    {"Listen", LUMETRA_RUN(Listen), "Ask the laser for Listen, as the Listen button does"},
    {"LaserOn", LUMETRA_RUN(LaserOn), "Ask the laser to emit with the output closed, as the Laser On button does"},
    {"OutputEnable", LUMETRA_RUN(OutputEnable), "Open the output, as the output button does"},
    {"OutputDisable", LUMETRA_RUN(OutputDisable), "Close the output, as the output button does"},
    {"Reconnect", LUMETRA_RUN(Reconnect), "Close the port and open it again"},
};
// clang-format on

#undef LUMETRA_RUN

void sendRaw(LumetraQZ *device, const CORBA::Any &argument)
{
    const char *line = nullptr;
    if (!(argument >>= line) || !line)
        Tango::Except::throw_exception("LumetraQZ_BadArgument", "SendCommand takes one line of text",
                                       "LumetraQZ::SendCommand");
    device->sendRaw(line);
}

} // namespace

LumetraQZClass *LumetraQZClass::init(const char *name)
{
    if (!s_instance) {
        std::string className(name);
        s_instance = new LumetraQZClass(className);
    }
    return s_instance;
}

LumetraQZClass *LumetraQZClass::instance()
{
    return s_instance;
}

LumetraQZClass::LumetraQZClass(std::string &name) : Tango::DeviceClass(name) {}

void LumetraQZClass::command_factory()
{
    for (const CommandRow &row : commandRows)
        command_list.push_back(new LumetraQZCommand(row.name, Tango::DEV_VOID, row.description, row.handler));
}

LumetraQZCommand *LumetraQZClass::newSendCommand()
{
    return new LumetraQZCommand("SendCommand", Tango::DEV_STRING,
                                "One line to the laser as it is; allowed by the AllowRawCommands property",
                                &sendRaw);
}

void LumetraQZClass::attribute_factory(std::vector<Tango::Attr *> &attributes)
{
    for (const LumetraQZAttributes::Row &row : LumetraQZAttributes::rows())
        attributes.push_back(new LumetraQZAttr(row));
}

void LumetraQZClass::device_factory(const Tango::DevVarStringArray *names)
{
    for (CORBA::ULong i = 0; i < names->length(); ++i) {
        std::string name((*names)[i].in());
        device_list.push_back(new LumetraQZ(this, name));
        if (Tango::Util::_UseDb && !Tango::Util::_FileDb)
            export_device(device_list.back());
        else
            export_device(device_list.back(), name.c_str());
    }
}
