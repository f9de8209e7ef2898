#pragma once

#include <tango.h>

#include <string>
#include <vector>

class LumetraQZCommand;

// The Tango class LumetraQZ: builds the attributes from the attribute table, the commands from the
// command table, and one device per name in the device list.
class LumetraQZClass : public Tango::DeviceClass
{
public:
    static LumetraQZClass *init(const char *name);
    static LumetraQZClass *instance();

    // Added per device, only to devices whose AllowRawCommands property is set.
    static LumetraQZCommand *newSendCommand();

protected:
    explicit LumetraQZClass(std::string &name);

    void command_factory() override;
    void attribute_factory(std::vector<Tango::Attr *> &attributes) override;
    void device_factory(const Tango::DevVarStringArray *names) override;

private:
    static LumetraQZClass *s_instance;
};
