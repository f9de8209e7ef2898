#pragma once

#include <cstddef>

class LumetraController;

// Every attribute the device server offers, in one table. The device core fills the values from the
// controller's and the decoder's signals; the Tango class builds its attributes from the rows; written
// attributes go to the controller through the same slot the control panel uses.
namespace LumetraQZAttributes {

enum Id : int
{
    Energy,
    PowerPercent,
    MeasuredEnergyIR,
    MeasuredEnergyGreen,
    MeasuredEnergyUV,
    OutputPowerIR,
    OutputPowerGreen,
    OutputPowerUV,
    RepetitionRate,
    OutputRepetitionRate,
    DivisionFactor,
    Oven1Temperature,
    Oven2Temperature,
    Oven1Setpoint,
    Oven2Setpoint,
    Humidity,
    Wavelength,
    HarmonicOutput,
    CrystalSpot,
    CrystalRuntime,
    CrystalMaxRuntime,
    ErrorCode,
    ErrorText,
    StatusByte,
    HGStatusFlags,
    SystemState,
    ErrorIndicator,
    WarningIndicator,
    OvenFault,
    HumidityFault,
    SystemType,
    SerialNumber,
    FirmwareVersion,
    Count
};

enum class Kind
{
    Double,
    Long,
    String,
    Boolean
};

// Where the limits of a written attribute come from.
enum class Limits
{
    None,     // read-only
    Reported, // the range the laser reports, as the panel's control takes it
    Fixed,    // a range the panel's control has by construction
};

// Runs on the device core's thread with a value Tango has already checked against the limits.
using WriteSlot = void (*)(LumetraController *controller, double value);

struct Row
{
    Id id;
    const char *name;
    Kind kind;
    const char *unit;
    const char *format;
    // Smallest change that is worth a change or archive event; 0 means any change (for numbers, the
    // smallest step their type can make).
    double absChange;
    Limits limits;
    double fixedMin;
    double fixedMax;
    WriteSlot write;
    const char *description;
};

const Row &row(int id);
// The row of an attribute name, or nullptr.
const Row *find(const char *name);

} // namespace LumetraQZAttributes
