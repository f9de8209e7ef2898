#include "device/LumetraQuantityTable.h"

#include "device/LumetraController.h"

#include <QCoreApplication>

#include <cmath>
#include <cstring>
#include <iterator>

namespace LumetraQuantityTable {

namespace {

constexpr double any = 0.0;
constexpr double divisionMin = LumetraController::DivisionFactorMin;
// The laser's own range, as it states it when it refuses a factor outside it ("range 1-65535"); the
// controller would send more.
constexpr double divisionMax = 65535;

// Written out in full: the catalogue tool reads no macros, and a text it does not see stays English.
// clang-format off
constexpr Row rows[] = {
    {StatusByte, "laser.status_byte", "StatusByte",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Status byte"),
     "", Kind::State, "0x%02x", Limits::None, 0, 0,
     nullptr, 0, Base,
     "The laser's status byte"},
    {SystemState, "laser.system_state", "SystemState",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "System state"),
     "", Kind::State, "%d", Limits::None, 0, 0,
     nullptr, 0, Base,
     "The laser's system state number"},
    {EnergySetpoint, "laser.energy_setpoint", "Energy",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Energy set-point"),
     "µJ", Kind::Analog, "%.3f", Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->power_uJ_Changed(v); }, 0, Base,
     "Pulse energy set-point"},
    {PowerPercent, "laser.power_setpoint_percent", "PowerPercent",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Power set-point"),
     "%", Kind::Analog, "%.1f", Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->powerPercentChanged(v); }, 0, Base,
     "Relative power set-point"},
    {MeasuredEnergy, "laser.measured_energy", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Measured energy"),
     "µJ", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.05, Base,
     "Pulse energy the laser measures at its output, before any harmonic module"},
    {OutputRateReported, "laser.repetition_rate", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Repetition rate"),
     "kHz", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, any, Base,
     "Output repetition rate as the laser reports it: the pulse-picker rate divided by the division factor"},
    {FrequencyIndex, "laser.frequency_index", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Frequency index"),
     "", Kind::Counter, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "Index of the pulse-picker rate in the laser's list of rates"},
    {DivisionFactor, "laser.division_factor", "DivisionFactor",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Division factor"),
     "", Kind::State, "%d", Limits::Fixed, divisionMin, divisionMax,
     [](LumetraController *c, double v) { c->divisionChanged(v); }, any, Base,
     "Output division factor"},
    {AomMode, "laser.aom_mode", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "AOM mode of operation"),
     "", Kind::State, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "Mode of operation of the acousto-optic modulator"},
    {Shutter, "laser.shutter", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Shutter"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "Shutter open"},
    {DiodeCurrent, "laser.ldd_current", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Diode driver current"),
     "", Kind::Analog, "%d", Limits::None, 0, 0,
     nullptr, 5, Base,
     "Actual current of the laser diode driver, in the driver's counts"},
    {OnHours, "laser.on_hours", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Device on time"),
     "h", Kind::Counter, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Hours the laser has been switched on"},
    {EmissionHours, "laser.emission_hours", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Emission time"),
     "h", Kind::Counter, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Hours the laser has emitted"},
    {Temperature1, "temp.actual_1", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 1"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 1 of the status record"},
    {Temperature2, "temp.actual_2", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 2"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 2 of the status record"},
    {Temperature3, "temp.actual_3", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 3"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 3 of the status record"},
    {Temperature4, "temp.actual_4", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 4"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 4 of the status record"},
    {Temperature5, "temp.actual_5", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 5"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 5 of the status record"},
    {Temperature6, "temp.actual_6", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 6"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 6 of the status record"},
    {Temperature7, "temp.actual_7", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 7"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 7 of the status record"},
    {Temperature8, "temp.actual_8", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 8"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 8 of the status record"},
    {Temperature9, "temp.actual_9", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 9"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 9 of the status record"},
    {Temperature10, "temp.actual_10", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Temperature 10"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, Base,
     "Temperature sensor 10 of the status record"},
    {Oven1Temperature, "hg.oven1_actual", "Oven1Temperature",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Oven 1 temperature"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, AnyHarmonic,
     "Oven 1 temperature"},
    {Oven2Temperature, "hg.oven2_actual", "Oven2Temperature",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Oven 2 temperature"),
     "°C", Kind::Analog, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, UvHarmonic,
     "Oven 2 temperature"},
    {Oven1Setpoint, "hg.oven1_setpoint", "Oven1Setpoint",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Oven 1 set-point"),
     "°C", Kind::Analog, "%.1f", Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->oven1SetpointChanged(v); }, any, AnyHarmonic,
     "Oven 1 temperature set-point"},
    {Oven2Setpoint, "hg.oven2_setpoint", "Oven2Setpoint",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Oven 2 set-point"),
     "°C", Kind::Analog, "%.1f", Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->oven2SetpointChanged(v); }, any, UvHarmonic,
     "Oven 2 temperature set-point"},
    {OvenMode, "hg.oven_mode", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Oven state"),
     "", Kind::State, "%d", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Oven mode of the harmonic module"},
    {Humidity, "hg.humidity", "Humidity",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Humidity"),
     "%", Kind::Analog, "%d", Limits::None, 0, 0,
     nullptr, 2, Humid,
     "Relative humidity in the harmonic module"},
    {ShgPower, "hg.shg_power", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "SHG output power"),
     "W", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.01, AnyHarmonic,
     "Average power the harmonic module measures after its second-harmonic stage"},
    {ThgPower, "hg.thg_power", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "THG output power"),
     "W", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.01, UvHarmonic,
     "Average power the harmonic module measures after its third-harmonic stage"},
    {HgStatusFlags, "hg.status_flags", "HGStatusFlags",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Status flags"),
     "", Kind::State, "0x%04x", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Harmonic-generator status flags"},
    {HgErrorCode, "hg.error_code", "ErrorCode",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Error code"),
     "", Kind::State, "%d", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Harmonic-generator error code, 0 for none"},
    {CrystalSpot, "hg.crystal_spot", "CrystalSpot",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Crystal spot"),
     "", Kind::Counter, "%d", Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->crystalSpotSliderChanged(v); }, any, UvHarmonic,
     "Crystal spot in use"},
    {CrystalRuntime, "hg.crystal_runtime", "CrystalRuntime",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Crystal spot run time"),
     "h", Kind::Counter, "%.2f", Limits::None, 0, 0,
     nullptr, 0.1, UvHarmonic,
     "Run time of the crystal spot in use"},
    {EnergyIR, "ctl.energy_ir", "MeasuredEnergyIR",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "IR pulse energy"),
     "µJ", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.05, Base,
     "Measured pulse energy, infrared"},
    {EnergyGreen, "ctl.energy_green", "MeasuredEnergyGreen",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Green pulse energy"),
     "µJ", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.05, AnyHarmonic,
     "Measured pulse energy, green"},
    {EnergyUV, "ctl.energy_uv", "MeasuredEnergyUV",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "UV pulse energy"),
     "µJ", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.05, UvHarmonic,
     "Measured pulse energy, ultraviolet"},
    {PowerIR, "ctl.power_ir", "OutputPowerIR",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "IR output power"),
     "W", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.01, Base,
     "Measured average power, infrared"},
    {PowerGreen, "ctl.power_green", "OutputPowerGreen",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Green output power"),
     "W", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.01, AnyHarmonic,
     "Measured average power, green"},
    {PowerUV, "ctl.power_uv", "OutputPowerUV",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "UV output power"),
     "W", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, 0.01, UvHarmonic,
     "Measured average power, ultraviolet"},
    {OutputRate, "ctl.output_rate", "OutputRepetitionRate",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output repetition rate"),
     "kHz", Kind::Analog, "%.3f", Limits::None, 0, 0,
     nullptr, any, Base,
     "Repetition rate after the division factor"},
    {PowerOn, "ctl.power_on", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Power on"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "Power-on lamp of the panel"},
    {ErrorIndicator, "ctl.error", "ErrorIndicator",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Error"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "Error bit of the status byte"},
    {WarningIndicator, "ctl.warning", "WarningIndicator",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Warning"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "Warning bit of the status byte"},
    {Listen, "ctl.listen", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Listen"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "The laser is in listen"},
    {Standby, "ctl.standby", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Standby"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "The laser is in standby"},
    {LaserOn, "ctl.laser_on", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser on"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "The laser is on"},
    {OutputEnabled, "ctl.output_enabled", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Output enabled"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, Base,
     "The laser's output is enabled"},
    {OvenFault, "ctl.oven_fault", "OvenFault",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Oven fault"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Oven fault flag of the harmonic module"},
    {HumidityFault, "ctl.humidity_fault", "HumidityFault",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Humidity fault"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Humidity fault flag of the harmonic module"},
    {HgErrorIndicator, "ctl.hg_error", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "States"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module error"),
     "", Kind::Flag, "%d", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "The harmonic module reports an error code"},
    {PulsePickerRate, "ctl.pulse_picker_rate", "RepetitionRate",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Pulse-picker repetition rate"),
     "kHz", Kind::Analog, "%.1f", Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->repRateChanged(v); }, any, Base,
     "Pulse-picker repetition rate, one of the laser's steps, before the division factor"},
    {Wavelength, "ctl.wavelength", "Wavelength",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Wavelength"),
     "", Kind::State, "%d", Limits::Fixed, 0, 2,
     [](LumetraController *c, double v) { c->wavelengthChanged(int(v)); }, any, Base,
     "System wavelength: 0 1030 nm, 1 515 nm, 2 343 nm"},
    {HarmonicOutput, "ctl.harmonic_output", "HarmonicOutput",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic output"),
     "", Kind::State, "%d", Limits::Fixed, 0, 3,
     [](LumetraController *c, double v) { c->wavelengthSelectorComboChanged(int(v)); }, any, AnyHarmonic,
     "Harmonic module output: 0 IR, 1 green, 2 UV, 3 deep UV"},
    {CrystalMaxRuntime, "ctl.crystal_max_runtime", "CrystalMaxRuntime",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Rated crystal spot run time"),
     "h", Kind::Counter, "%.0f", Limits::None, 0, 0,
     nullptr, any, UvHarmonic,
     "Rated run time of a crystal spot"},
    {HgErrorText, "hg.error_text", "ErrorText",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Error text"),
     "", Kind::Text, "%s", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Harmonic-generator error in words"},
    {SystemType, "laser.system_type", "SystemType",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "System type"),
     "", Kind::Text, "%s", Limits::None, 0, 0,
     nullptr, any, Base,
     "System type"},
    {SerialNumber, "laser.serial_number", "SerialNumber",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Serial number"),
     "", Kind::Text, "%s", Limits::None, 0, 0,
     nullptr, any, Base,
     "Serial number"},
    {FirmwareVersion, "laser.firmware_version", "FirmwareVersion",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Laser"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Firmware version"),
     "", Kind::Text, "%s", Limits::None, 0, 0,
     nullptr, any, Base,
     "Firmware version"},
    {HgModuleType, "hg.module_type", "ModuleType",
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Module type"),
     "", Kind::Text, "%s", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Type of the harmonic module as it reports it; its error codes and status flags are read by it"},
    // An announcement the module never withdraws: the event history keeps it until it is acknowledged, and
    // as a remote attribute it would go on telling a warning long since gone.
    {HgModuleWarning, "hg.module_warning", nullptr,
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraQuantityTable", "Module warning"),
     "", Kind::Text, "%s", Limits::None, 0, 0,
     nullptr, any, AnyHarmonic,
     "Warning the harmonic module announced last, such as its shutter in the wrong position"},
};
// clang-format on

static_assert(std::size(rows) == Count, "one row for every quantity");

constexpr bool rowsInOrder()
{
    for (int i = 0; i < Count; ++i) {
        if (rows[i].id != i)
            return false;
    }
    return true;
}
static_assert(rowsInOrder(), "rows are indexed by their id");

constexpr bool sameText(const char *a, const char *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

constexpr bool keysUnique()
{
    for (int i = 0; i < Count; ++i) {
        for (int j = i + 1; j < Count; ++j) {
            if (sameText(rows[i].key, rows[j].key))
                return false;
            if (rows[i].remoteName && rows[j].remoteName && sameText(rows[i].remoteName, rows[j].remoteName))
                return false;
        }
    }
    return true;
}
static_assert(keysUnique(), "a key or remote name names one quantity");

constexpr bool writesHaveLimits()
{
    for (const Row &r : rows) {
        if ((r.write != nullptr) != (r.limits != Limits::None))
            return false;
        if (r.limits == Limits::Fixed && !(r.fixedMin < r.fixedMax))
            return false;
        if (r.modules == 0 || r.deadband < 0)
            return false;
    }
    return true;
}
static_assert(writesHaveLimits(), "a written quantity has limits, a reading none; every row has a module");

struct LevelRow
{
    Id id;
    Levels levels;
};

// The harmonic module raises its humidity fault above 55 %; the warning leaves time to dry the
// module before it does.
constexpr LevelRow levelRows[] = {
    {Humidity, {50, 55}},
};

} // namespace

int count()
{
    return Count;
}

const Row &row(int id)
{
    Q_ASSERT(id >= 0 && id < Count);
    return rows[id];
}

const Levels *levels(int id)
{
    for (const LevelRow &r : levelRows) {
        if (r.id == id)
            return &r.levels;
    }
    return nullptr;
}

int indexOf(const QString &key)
{
    for (const Row &r : rows) {
        if (key == QLatin1String(r.key))
            return r.id;
    }
    return -1;
}

const Row *findRemote(const char *name)
{
    for (const Row &r : rows) {
        if (r.remoteName && std::strcmp(r.remoteName, name) == 0)
            return &r;
    }
    return nullptr;
}

QString label(int id)
{
    return QCoreApplication::translate("LumetraQuantityTable", row(id).label);
}

QString group(int id)
{
    return QCoreApplication::translate("LumetraQuantityTable", row(id).group);
}

QString unit(int id)
{
    return QString::fromUtf8(row(id).unit);
}

QString description(int id)
{
    return QString::fromUtf8(row(id).description);
}

QString labelWithUnit(int id)
{
    const QString u = unit(id);
    return u.isEmpty() ? label(id) : QStringLiteral("%1 [%2]").arg(label(id), u);
}

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::Analog:
        return "analog";
    case Kind::Counter:
        return "counter";
    case Kind::State:
        return "state";
    case Kind::Flag:
        return "flag";
    case Kind::Text:
        return "text";
    }
    return "";
}

bool isWhole(int id)
{
    const QByteArray format(row(id).format);
    return format.endsWith('d') || format.endsWith('x');
}

QString formatted(int id, double value)
{
    if (isWhole(id))
        return QString::number(qint64(std::llround(value)));
    return QString::asprintf(row(id).format, value);
}

double reportTolerance(int id)
{
    const QByteArray format(row(id).format);
    const int dot = format.indexOf('.');
    if (dot < 0 || isWhole(id))
        return 0.5;
    return 0.5 * std::pow(10.0, -format.mid(dot + 1, 1).toInt());
}

QString limitsText(int id)
{
    const Row &r = row(id);
    switch (r.limits) {
    case Limits::None:
        return QString();
    case Limits::Reported:
        return QCoreApplication::translate("LumetraQuantityTable", "reported by the laser");
    case Limits::Fixed:
        return QCoreApplication::translate("LumetraQuantityTable", "%1 to %2")
            .arg(r.fixedMin)
            .arg(r.fixedMax);
    }
    return QString();
}

} // namespace LumetraQuantityTable
