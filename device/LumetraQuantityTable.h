#pragma once

#include <QString>

class LumetraController;

// Every quantity of the laser the program tells anyone about, described once: the recorder stores it
// under its key, the CSV export heads a column with its label and unit, the device server offers it
// under its remote name, and the reference lists it. Keys are in recordings people keep, so a key
// never changes meaning once released; labels may be reworded freely.
namespace LumetraQuantityTable {

enum Id : int
{
    StatusByte,
    SystemState,
    EnergySetpoint,
    PowerPercent,
    MeasuredEnergy,
    OutputRateReported,
    FrequencyIndex,
    DivisionFactor,
    AomMode,
    Shutter,
    DiodeCurrent,
    OnHours,
    EmissionHours,
    Temperature1,
    Temperature2,
    Temperature3,
    Temperature4,
    Temperature5,
    Temperature6,
    Temperature7,
    Temperature8,
    Temperature9,
    Temperature10,
    Oven1Temperature,
    Oven2Temperature,
    Oven1Setpoint,
    Oven2Setpoint,
    OvenMode,
    Humidity,
    ShgPower,
    ThgPower,
    HgStatusFlags,
    HgErrorCode,
    CrystalSpot,
    CrystalRuntime,
    EnergyIR,
    EnergyGreen,
    EnergyUV,
    PowerIR,
    PowerGreen,
    PowerUV,
    OutputRate,
    PowerOn,
    ErrorIndicator,
    WarningIndicator,
    Listen,
    Standby,
    LaserOn,
    OutputEnabled,
    OvenFault,
    HumidityFault,
    HgErrorIndicator,
    PulsePickerRate,
    Wavelength,
    HarmonicOutput,
    CrystalMaxRuntime,
    HgErrorText,
    SystemType,
    SerialNumber,
    FirmwareVersion,
    HgModuleType,
    HgModuleWarning,
    Count
};

enum class Kind
{
    Analog,  // a measured or set value: drawn as a line
    Counter, // grows by steps (run times, indexes, codes): drawn as steps
    State,   // a state or a bit field: drawn as steps
    Flag,    // on or off: drawn as steps
    Text
};

// Where the limits of a written quantity come from.
enum class Limits
{
    None,     // a reading, or a value the laser takes whatever it is
    Reported, // the range the laser reports, as the panel's control takes it
    Fixed,    // a range the panel's control has by construction
};

// The parts of a laser that report a quantity; a quantity no connected part reports is not offered.
enum Module : unsigned
{
    Base = 1u << 0, // the laser head, whatever is attached to it
    Shg = 1u << 1,  // second-harmonic module
    Thg = 1u << 2,  // third-harmonic module
    Thgi = 1u << 3, // third-harmonic module with humidity monitor
    AnyHarmonic = Shg | Thg | Thgi,
    UvHarmonic = Thg | Thgi,
    Humid = Shg | Thgi,
};

// The controller's validated slot, exactly the one the panel's control runs; nullptr for a reading.
using WriteSlot = void (*)(LumetraController *controller, double value);

struct Row
{
    Id id;
    const char *key;        // stored in recordings and CSV headers
    const char *remoteName; // the device server's attribute name, or nullptr when it offers none
    const char *group;      // heading in lists (translated)
    const char *label;      // translated
    const char *unit;       // as the panel shows it; empty for states, counts and texts
    Kind kind;
    const char *format; // printf format of one value, in the unit
    Limits limits;
    double fixedMin;
    double fixedMax;
    WriteSlot write;
    // Smallest change worth storing or pushing as an archive event, in the unit; 0 means any change.
    double deadband;
    unsigned modules; // Module bits
    const char *description;
};

int count();
const Row &row(int id);
// Where a reading stops being normal, in its unit: above the warning level it nears a fault the laser
// itself reports, above the alarm level the laser reports that fault.
struct Levels
{
    double warningHigh;
    double alarmHigh;
};
// The levels of a quantity, or nullptr where the laser defines no fault for it.
const Levels *levels(int id);

// The id of a key, or -1.
int indexOf(const QString &key);
// The row offered remotely under this name, or nullptr.
const Row *findRemote(const char *name);

QString label(int id);
QString group(int id);
QString unit(int id);
QString description(int id);
// "Humidity [%]" or "Status byte".
QString labelWithUnit(int id);
// "analog", "counter", "state", "text": for listings meant to be read by scripts as well.
const char *kindName(Kind kind);
// The limits in words for a listing: "1 … 10000000", "reported by the laser" or empty.
QString limitsText(int id);
// Whether the quantity is a whole number (its format prints one).
bool isWhole(int id);
// A value as the table's format writes it, without its unit.
QString formatted(int id, double value);
// How far a report may lie from a written value and still be that value: half the last digit the
// laser reports in, so that its rounding counts as it.
double reportTolerance(int id);

} // namespace LumetraQuantityTable
