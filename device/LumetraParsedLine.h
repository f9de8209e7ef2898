#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVarLengthArray>
#include <QVector>

#include <variant>

// What one reply line says, read but not yet applied to anything: the values it reports, each named by
// the decoded quantity it sets, in the order the line gives them. Reading a line changes nothing, so the
// grammar can be run and checked on its own and the decoder alone decides what a value means for its state.
struct LumetraParsedLine
{
    enum class Field : quint8
    {
        // System identification
        SystemType,
        HardwareVersion,
        FirmwareVersion,
        ApplicationName,
        CompiledOn,
        SerialNumber,
        LddHardware,
        LddSoftware,
        LddRevision,
        TecHardware,
        TecSoftware,
        TecRevision,
        TimingBoardSerial,
        TimingBoardMCU,
        TimingBoardFPGA,
        DeviceOnHours,
        DeviceOnMinutes,
        EmissionHours,
        EmissionMinutes,

        // Harmonic module identification
        ModuleAddress,
        ModuleType,
        ModuleFirmwareVersion,
        ModuleBootloaderVersion,
        ModuleSerialNumber,
        ModulePCBSerialNumber,

        // Status records: every value of the record in record order
        RecordS6,
        RecordS7,
        RecordS8,
        RecordS9,

        // State, power and repetition rate
        DebuggingEnabled,
        SystemState,
        PowerSetpoint_nJ,
        PowerSetpoint_Percent,
        FrequencyIndex,
        DivisionFactor,
        AOMEnabled,

        // Harmonic module readings
        OvenMode,
        Oven1Setpoint,
        Oven1Min,
        Oven1Max,
        Oven2Setpoint,
        Oven2Min,
        Oven2Max,
        Oven1Actual,
        Oven2Actual,
        Humidity,
        PiezoPosition,
        DigitalGate,
        DynamicWavelengthEnabled,
        DynamicWavelengthSupported,
        DynamicWLS_IR,
        DynamicWLS_Green,
        DynamicWLS_UV,
        DynamicWLS_DUV,
        SHGOutputPower,
        THGOutputPower,
        HGStatusFlags,
        HGErrorcode,
        HGOutputConfig,
        HGRuntime,
        CrystalCurSpot,
        CrystalCurRuntime,
        CrystalMaxRuntime,
        CrystalAllRuntimes,

        // Listings: whether rows now are power limits, and one row each
        PowerListingOpen,
        PowerMinRow,
        PowerMaxRow,
        DivisionRow,

        // Lines that report something without a value of the device
        ShutterWarning,
        Unhandled // the line's bytes
    };

    // One row of a listing: the frequency index and the value it gives.
    struct Row
    {
        int index = 0;
        double value = 0.0;

        bool operator==(const Row &other) const { return index == other.index && value == other.value; }
    };

    // Each field has one of these types, the type the decoder keeps it in; numbers read into a narrower
    // type have already been checked to fit it.
    using Value = std::variant<std::monostate, bool, int, quint8, quint16, quint64, double, QString,
                               QByteArray, QVector<double>, QMap<int, quint64>, Row>;

    struct Entry
    {
        Field field;
        Value value;
    };

    enum class Outcome : quint8
    {
        Read,      // the entries are what the line says; a line the decoder has no use for has none
        NoMatch,   // the kind's pattern does not match the line that its test gave it
        Unreadable // a value in the line does not read
    };

    const char *kind = nullptr; // the number of the line kind that owns the line
    bool listingRow = false;    // a row of a listing, which does not end the listing in progress
    Outcome outcome = Outcome::Read;
    QVarLengthArray<Entry, 3> entries;

    void add(Field field, Value value) { entries.append(Entry{field, std::move(value)}); }
};
