#include "device/LumetraCommandTable.h"

#include <iterator>

namespace {

const LumetraCommandTable::OperatingMode operatingModes[] = {
    // device, view, power, rep rate, division, wavelengths
    {2, 0, true, true, true, true},
    {3, 1, false, true, true, true},
    {8, 2, false, false, false, false},
};

const LumetraCommandTable::ApplicationClass applicationClasses[] = {
    {"SW.MAIN.LQZ.MR.V1", false, false, false, false},   {"SW.MAIN.LQZ.V1", false, false, false, false},
    {"SW.MAIN.LQZ.MR.MW2.V1", false, true, true, false}, {"SW.MAIN.LQZ.MR.MW3.V1", true, true, true, false},
    {"SW.MAIN.LQZ.MR.V5", false, false, false, true},    {"SW_MAIN_006_LQZ", false, false, false, true},
};

// Indexed by LumetraCommandTable::Module. The second- and third-harmonic modules are asked for
// their oven mode with and without a line feed; the link makes both the same entry.
const LumetraCommandTable::ModuleSequence moduleSequences[] = {
    // enable query, humidity, oven 2, crystal, module kind
    {"ls_enable?\n", true, false, false, 1},
    {"ls_enable?", false, true, true, 2},
    {"ls_enable?", true, true, true, 2},
};

} // namespace

const QStringList &LumetraCommandTable::basePollList()
{
    static const QStringList list{"s6\n",       "s7\n",      "s8\n",    "s9\n", "ly_lqz2_power?\n",
                                  "e_power?\n", "e_freq?\n", "e_div?\n"};
    return list;
}

const QStringList &LumetraCommandTable::connectionQueries()
{
    static const QStringList list{"d2?\n", "ezra?\n", "eira?\n"};
    return list;
}

const QStringList &LumetraCommandTable::ovenPollList()
{
    static const QStringList list{"ls_temp_setpoint?\n", "ls_temp_oven?\n"};
    return list;
}

const QStringList &LumetraCommandTable::crystalPollList()
{
    static const QStringList list{"ls_crystal_allRuntimes?\n", "ls_crystal_curSpot?\n",
                                  "ls_crystal_curRuntime?\n", "ls_crystal_maxRuntime?\n"};
    return list;
}

const QStringList &LumetraCommandTable::modulePollList()
{
    static const QStringList list{"ls_wavelength?\n", "ls_status?\n", "ls_errorcode?\n", "ls_output_power?\n",
                                  "ls_module_runtime?\n"};
    return list;
}

const LumetraCommandTable::OperatingMode &LumetraCommandTable::operatingModeForDevice(int deviceMode)
{
    for (const OperatingMode &mode : operatingModes) {
        if (mode.deviceMode == deviceMode)
            return mode;
    }
    return operatingModes[0];
}

const LumetraCommandTable::OperatingMode *LumetraCommandTable::operatingModeForIndex(int viewIndex)
{
    for (const OperatingMode &mode : operatingModes) {
        if (mode.viewIndex == viewIndex)
            return &mode;
    }
    return nullptr;
}

const LumetraCommandTable::ApplicationClass *
LumetraCommandTable::classifyApplication(const QString &applicationName)
{
    for (const ApplicationClass &cls : applicationClasses) {
        if (applicationName.startsWith(QLatin1String(cls.prefix), Qt::CaseSensitive))
            return &cls;
    }
    return nullptr;
}

const LumetraCommandTable::ModuleSequence &LumetraCommandTable::moduleSequence(Module module)
{
    static_assert(std::size(moduleSequences) == ModuleTHGi + 1, "one sequence per module");
    return moduleSequences[module];
}
