#include "tango/LumetraQZAttributes.h"

#include "app/device/LumetraController.h"

#include <cmath>
#include <cstring>
#include <iterator>

namespace LumetraQZAttributes {

namespace {

constexpr double any = 0.0;
constexpr double divisionMin = LumetraController::DivisionFactorMin;
// The laser's own range, as it states it when it refuses a factor outside it ("range 1-65535"); the
// controller would send more.
constexpr double divisionMax = 65535;

// clang-format off
constexpr Row rows[] = {
    {Energy, "Energy", Kind::Double, "uJ", "%.3f", 0.001, Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->power_uJ_Changed(v); }, "Pulse energy set-point"},
    {PowerPercent, "PowerPercent", Kind::Double, "%", "%.1f", 0.1, Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->powerPercentChanged(v); }, "Relative power set-point"},
    {MeasuredEnergyIR, "MeasuredEnergyIR", Kind::Double, "uJ", "%.3f", 0.01, Limits::None, 0, 0, nullptr,
     "Measured pulse energy, infrared"},
    {MeasuredEnergyGreen, "MeasuredEnergyGreen", Kind::Double, "uJ", "%.3f", 0.01, Limits::None, 0, 0, nullptr,
     "Measured pulse energy, green"},
    {MeasuredEnergyUV, "MeasuredEnergyUV", Kind::Double, "uJ", "%.3f", 0.01, Limits::None, 0, 0, nullptr,
     "Measured pulse energy, ultraviolet"},
    {OutputPowerIR, "OutputPowerIR", Kind::Double, "W", "%.3f", 0.001, Limits::None, 0, 0, nullptr,
     "Measured average power, infrared"},
    {OutputPowerGreen, "OutputPowerGreen", Kind::Double, "W", "%.3f", 0.001, Limits::None, 0, 0, nullptr,
     "Measured average power, green"},
    {OutputPowerUV, "OutputPowerUV", Kind::Double, "W", "%.3f", 0.001, Limits::None, 0, 0, nullptr,
     "Measured average power, ultraviolet"},
    {RepetitionRate, "RepetitionRate", Kind::Double, "kHz", "%.1f", any, Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->repRateChanged(v); }, "Pulse-picker repetition rate, one of the laser's steps"},
    {OutputRepetitionRate, "OutputRepetitionRate", Kind::Double, "kHz", "%.3f", any, Limits::None, 0, 0, nullptr,
     "Repetition rate after the division factor"},
    {DivisionFactor, "DivisionFactor", Kind::Long, "", "%d", any, Limits::Fixed, divisionMin, divisionMax,
     [](LumetraController *c, double v) { c->divisionChanged(v); }, "Output division factor"},
    {Oven1Temperature, "Oven1Temperature", Kind::Double, "degC", "%.2f", 0.05, Limits::None, 0, 0, nullptr,
     "Oven 1 temperature"},
    {Oven2Temperature, "Oven2Temperature", Kind::Double, "degC", "%.2f", 0.05, Limits::None, 0, 0, nullptr,
     "Oven 2 temperature"},
    {Oven1Setpoint, "Oven1Setpoint", Kind::Double, "degC", "%.1f", any, Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->oven1SetpointChanged(v); }, "Oven 1 temperature set-point"},
    {Oven2Setpoint, "Oven2Setpoint", Kind::Double, "degC", "%.1f", any, Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->oven2SetpointChanged(v); }, "Oven 2 temperature set-point"},
    {Humidity, "Humidity", Kind::Long, "%", "%d", any, Limits::None, 0, 0, nullptr,
     "Relative humidity in the harmonic module"},
    {Wavelength, "Wavelength", Kind::Long, "", "%d", any, Limits::Fixed, 0, 2,
     [](LumetraController *c, double v) { c->wavelengthChanged(int(v)); }, "System wavelength: 0 1030 nm, 1 515 nm, 2 343 nm"},
    {HarmonicOutput, "HarmonicOutput", Kind::Long, "", "%d", any, Limits::Fixed, 0, 3,
     [](LumetraController *c, double v) { c->wavelengthSelectorComboChanged(int(v)); },
     "Harmonic module output: 0 IR, 1 green, 2 UV, 3 deep UV"},
    {CrystalSpot, "CrystalSpot", Kind::Long, "", "%d", any, Limits::Reported, 0, 0,
     [](LumetraController *c, double v) { c->crystalSpotSliderChanged(v); }, "Crystal spot in use"},
    {CrystalRuntime, "CrystalRuntime", Kind::Long, "s", "%d", 60, Limits::None, 0, 0, nullptr,
     "Run time of the crystal spot in use"},
    {CrystalMaxRuntime, "CrystalMaxRuntime", Kind::Long, "s", "%d", any, Limits::None, 0, 0, nullptr,
     "Rated run time of a crystal spot"},
    {ErrorCode, "ErrorCode", Kind::Long, "", "%d", any, Limits::None, 0, 0, nullptr,
     "Harmonic-generator error code, 0 for none"},
    {ErrorText, "ErrorText", Kind::String, "", "%s", any, Limits::None, 0, 0, nullptr,
     "Harmonic-generator error in words"},
    {StatusByte, "StatusByte", Kind::Long, "", "0x%02x", any, Limits::None, 0, 0, nullptr,
     "The laser's status byte"},
    {HGStatusFlags, "HGStatusFlags", Kind::Long, "", "0x%04x", any, Limits::None, 0, 0, nullptr,
     "Harmonic-generator status flags"},
    {SystemState, "SystemState", Kind::Long, "", "%d", any, Limits::None, 0, 0, nullptr,
     "The laser's system state number"},
    {ErrorIndicator, "ErrorIndicator", Kind::Boolean, "", "%d", any, Limits::None, 0, 0, nullptr,
     "Error bit of the status byte"},
    {WarningIndicator, "WarningIndicator", Kind::Boolean, "", "%d", any, Limits::None, 0, 0, nullptr,
     "Warning bit of the status byte"},
    {OvenFault, "OvenFault", Kind::Boolean, "", "%d", any, Limits::None, 0, 0, nullptr,
     "Oven fault flag of the harmonic module"},
    {HumidityFault, "HumidityFault", Kind::Boolean, "", "%d", any, Limits::None, 0, 0, nullptr,
     "Humidity fault flag of the harmonic module"},
    {SystemType, "SystemType", Kind::String, "", "%s", any, Limits::None, 0, 0, nullptr, "System type"},
    {SerialNumber, "SerialNumber", Kind::String, "", "%s", any, Limits::None, 0, 0, nullptr, "Serial number"},
    {FirmwareVersion, "FirmwareVersion", Kind::String, "", "%s", any, Limits::None, 0, 0, nullptr,
     "Firmware version"},
};
// clang-format on

static_assert(std::size(rows) == Count, "one row for every attribute");

constexpr bool rowsInOrder()
{
    for (int i = 0; i < Count; ++i) {
        if (rows[i].id != i)
            return false;
    }
    return true;
}
static_assert(rowsInOrder(), "rows are indexed by their id");

} // namespace

const Row &row(int id)
{
    return rows[id];
}

const Row *find(const char *name)
{
    for (const Row &r : rows) {
        if (std::strcmp(r.name, name) == 0)
            return &r;
    }
    return nullptr;
}

} // namespace LumetraQZAttributes
