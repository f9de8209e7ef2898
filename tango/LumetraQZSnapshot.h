#pragma once

#include "tango/LumetraQZAttributes.h"

#include <array>
#include <string>
#include <vector>

// What the laser looks like to a client at one moment. The device core publishes a new one after every
// change; Tango's request threads only ever read a published snapshot, never the core's objects.
struct LumetraQZSnapshot
{
    enum class State
    {
        Off,
        Init,
        Standby,
        On,
        Alarm,
        Fault,
        Unknown
    };

    struct Value
    {
        double number = 0.0;
        std::string text;
        bool known = false;
        // Reported on the present connection while the laser answers. A value from before a silence
        // or a loss stays known, for the last report, but is no longer true until the laser says it
        // again.
        bool current = false;
    };
    struct Range
    {
        double min = 0.0;
        double max = 0.0;
        bool known = false;
    };

    std::array<Value, LumetraQZAttributes::Count> values;
    // The panel's range of each written attribute, as far as the laser has reported it.
    std::array<Range, LumetraQZAttributes::Count> ranges;
    // The repetition rates the laser offers; a write must name one of them.
    std::vector<double> repetitionRates;

    State state = State::Off;
    std::string status;
    // Commands and writes reach the laser only over a link that has passed its handshake.
    bool connected = false;
};
