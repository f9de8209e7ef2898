#include "device/LumetraResponseGrammar.h"

#include "device/LumetraHarmonic.h"
#include "device/LumetraResponseDecoder.h" // SystemState

#include <climits>
#include <cmath>
#include <limits>
#include <type_traits>

using F = LumetraParsedLine::Field;

namespace {

// The firmware that sends status records with unreadable values; they are read as 0 there.
const QString tolerantRecordFirmware = QStringLiteral("V5.0.2");

// A literal tab in the texts below stands for the tab the laser sends.
const QStringList knownPrefixes = {
    // echoes of the commands the application sends
    "ly_system_info", "ly_lqz2_wvl", "s6", "s7", "s8", "s9", "e_div?", "e_freq?", "ezra", "eira", "o7m:AOMEN",
    "o7m:AOMINH", "o7m:?AOMEN", "ly_lqz2_disabled", "ly_lqz2_enabled", "ly_lqz2_standby", "ly_lqz2_listen",
    "ly_lqz2_output", "ly_lqz2_digiop", "ly_lqz2_dev_status", "ls?", "ls_enable", "ls_temp_setpoint",
    "ls_temp_setpoint_SHG", "ls_temp_setpoint_THG", "ls_temp_oven", "ls_humidity", "ls_wavelength",
    "ls_output_power", "ls_status", "ls_errorcode", "ls_output_config", "ls_module_runtime",
    "ls_crystal_curSpot", "ls_crystal_curRuntime", "ls_crystal_maxRuntime", "ls_crystal_allRuntimes",
    "ly_lqz_wvl", "e_mode", "e_div", "e_freq",
    // the laser's comments and confirmations
    "Coefficients for converting setted laser power to AOM value",
    "y=k*x + a; where k is index 0 and a is index 1",
    "y is AOM value 0-4095 and x is input laser power in nJ", "?AVGENGY", "?ENERGY", ">",
    "New digital gate logic:", "ZOR HG\tChanging wavelength complete.",
    "Dynamic wavelength switching data in memory:", "ls_dwls_enable", "ls_dwls_default", "ls_dwls_feature",
    "ZOR HG:\tDisabling AOM.", "Available commands:", "----------------------------------------",
    // the module's help text
    "\tSets the module oven temperature setpoint in degrees C",
    "\tSets the module's SHG oven temperature setpoint in degrees C",
    "\tSets the module's THG oven temperature setpoint in degrees C",
    "\tDisplays the module oven setpoint(s) in degrees C",
    "\tDisplays the module oven(s) temperature in degrees C",
    "\tDisplays the relative humidity in % within the module.", "\tSets the output wavelength [x range: 0-3]",
    "\twhere:", "\t\t0 sets", "\t\t1 sets", "\t\t2 sets", "\t\t3 sets", "\t\t0 IR not available.",
    "\t\t1 SHG not available.", "\t\t2 THG not available.", "\t\t3 FHG not available.",
    "\tDisplays the configured wavelength of the module", "\tDisplays the module status - ZORV support",
    "\tDisplays the current output power", "\tDisplays the modules total runtime in seconds",
    "\tDisplays the crystal spot currently active", "\tDisplays the maximun runtime in seconds",
    "\tDisplays the total runtime in hours", "\tDisplays the current total runtime in seconds",
    "\tSets the crystal spot the module will use for conversion",
    // confirmations of settings
    "ZOR SHG\tMoved piezo stage to",
    "New oven temperature setpoint:", "ZOR SHG\tNew polarization:", "ls_crystal_setSpot"};

// The all-runtimes line never lists more crystal spots than this.
constexpr int maxCrystalSpots = 32;

} // namespace

// Regular expressions are the costly part of dispatch, and every line would otherwise try every
// kind's test in turn. What the table says about the start and the text of a line rules most kinds
// out with plain comparisons first.
template <typename Row> QVector<Row> LumetraResponseGrammar::withFilters(QVector<Row> rows)
{
    for (Row &row : rows) {
        if constexpr (std::is_same_v<Row, LineKind>) {
            if (row.test == Test::Match || row.test == Test::MatchNoCase) {
                row.filter = LumetraPatternFilter(row.texts.constFirst());
            } else if (row.test == Test::Prefix || row.test == Test::Equals) {
                for (const QString &text : qAsConst(row.texts)) {
                    Q_ASSERT(!text.isEmpty());
                    if (!row.heads.contains(text.at(0))) {
                        row.heads += text.at(0);
                    }
                }
            }
        } else {
            row.filter = LumetraPatternFilter(row.pattern);
        }
    }
    return rows;
}

// ---------------------------------------------------------------------------------------------------
// Handlers shared by several kinds

bool LumetraResponseGrammar::drop(const Line &, LumetraParsedLine &)
{
    return true;
}

// Capture n is the n-th field, as text.
template <LumetraParsedLine::Field... fields>
bool LumetraResponseGrammar::readTexts(const Line &line, LumetraParsedLine &parsed)
{
    int capture = 1;
    (parsed.add(fields, line.captures.at(capture++)), ...);
    return true;
}

// Capture 1 converted to the field's type; unsigned types in the given base. A capture that does not
// read as a number is a parsing error: publishing 0 for it would show the operator a reading the laser
// never sent.
template <LumetraParsedLine::Field field, typename T, int base>
bool LumetraResponseGrammar::readNumber(const Line &line, LumetraParsedLine &parsed)
{
    T value{};
    bool ok = false;
    if constexpr (std::is_same_v<T, int>) {
        ok = toInt(line.captures.at(1), value);
    } else if constexpr (std::is_same_v<T, double>) {
        ok = toDouble(line.captures.at(1), value);
    } else {
        ok = toUnsigned(line.captures.at(1), value, base);
    }
    if (ok) {
        parsed.add(field, value);
    }
    return ok;
}

// The rest of the line from a fixed position, without its line feed (and for energies without the unit).
// Texts are kept as received but must read as a number.
template <int position, LumetraParsedLine::Field field, typename T, bool energyUnit>
bool LumetraResponseGrammar::readTail(const Line &line, LumetraParsedLine &parsed)
{
    QString text = line.text.mid(position);
    if (energyUnit) {
        text.remove(QStringLiteral("nJ\n"));
    } else {
        text.remove(QLatin1Char('\n'));
    }
    if constexpr (std::is_same_v<T, int>) {
        int value = 0;
        if (!toInt(text, value)) {
            return false;
        }
        parsed.add(field, value);
    } else {
        static_assert(std::is_same_v<T, QString>);
        double number = 0.0;
        if (!toDouble(text, number)) {
            return false;
        }
        parsed.add(field, text);
    }
    return true;
}

template <LumetraParsedLine::Field field, int constant>
bool LumetraResponseGrammar::giveConstant(const Line &, LumetraParsedLine &parsed)
{
    parsed.add(field, constant);
    return true;
}

// Which of the kind's prefixes or state patterns matched is the value.
template <LumetraParsedLine::Field field>
bool LumetraResponseGrammar::giveAlternative(const Line &line, LumetraParsedLine &parsed)
{
    parsed.add(field, line.alternative);
    return true;
}

template <LumetraParsedLine::Field field, bool value>
bool LumetraResponseGrammar::giveFlag(const Line &, LumetraParsedLine &parsed)
{
    parsed.add(field, value);
    return true;
}

template <int record>
bool LumetraResponseGrammar::readStatusRecord(const Line &line, LumetraParsedLine &parsed)
{
    return readRecord(line, parsed, record);
}

// ---------------------------------------------------------------------------------------------------
// The table of line kinds, in test order. A literal tab in a prefix or pattern is the tab the laser sends.

const QVector<LumetraResponseGrammar::LineKind> &LumetraResponseGrammar::lineKinds()
{
    using T = Test;
    // clang-format off
    static const QVector<LineKind> kinds = withFilters<LineKind>({
        // System identification (answer to "ly_system_info")
        {"1", T::Prefix, {"Lumetra-"}, "^(Lumetra-.+) Hardware:(.*) Firmware:(.*)\\n",
            &readTexts<F::SystemType, F::HardwareVersion, F::FirmwareVersion>},
        {"2", T::Prefix, {"SW.MAIN", "SW_MAIN"}, "^(SW[\\._]MAIN[\\._].+)\\n",
            &readTexts<F::ApplicationName>},
        {"3", T::Prefix, {"Compiled on:"}, "^Compiled on: (.*)\\n",
            &readTexts<F::CompiledOn>},
        {"4", T::Prefix, {"Serial number:"}, "^Serial number: (.*)\\n",
            &readTexts<F::SerialNumber>},
        {"5", T::Prefix, {"LDD device -"}, "^LDD.+Hardware: (.*), Software version: (.*), Revision: (.*)\\n",
            &readTexts<F::LddHardware, F::LddSoftware, F::LddRevision>},
        {"6", T::Prefix, {"TEC device -"}, "^TEC.+Hardware: (.*), Software version: (.*), Revision: (.*)\\n",
            &readTexts<F::TecHardware, F::TecSoftware, F::TecRevision>},
        {"7", T::Prefix, {"Timing Board"}, "^Timing Board S\\/N: (.*); MCU T\\/B: (.*); FPGA T\\/B: (.*)\\n",
            &readTexts<F::TimingBoardSerial, F::TimingBoardMCU, F::TimingBoardFPGA>},
        {"8", T::Prefix, {"Device switch on time"}, "^Device switch on time \\(Standby and up\\): (.*) hours (.*) minutes\\n",
            &readTexts<F::DeviceOnHours, F::DeviceOnMinutes>},
        {"9", T::Prefix, {"Laser Emission switch on time"}, "^Laser Emission switch on time: (.*) hours (.*) minutes\\n",
            &readTexts<F::EmissionHours, F::EmissionMinutes>},

        // Harmonic module information (answer to "ls?")
        {"10", T::Prefix, {"ZOR harmonic generation module (address:"}, "^ZOR harmonic generation module \\(address: (.*) / type: (.*)\\)\\n",
            &readTexts<F::ModuleAddress, F::ModuleType>},
        {"11", T::Prefix, {"Firmware version:"}, "^Firmware version:\t(.*)\\n",
            &readTexts<F::ModuleFirmwareVersion>},
        {"12", T::Prefix, {"Bootloader version:"}, "^Bootloader version:\t(.*)\\n",
            &readTexts<F::ModuleBootloaderVersion>},
        {"13", T::Prefix, {"Module serial number:"}, "^Module serial number:\t(.*)\\n",
            &readTexts<F::ModuleSerialNumber>},
        {"14", T::Prefix, {"PCB serial number:"}, "^PCB serial number:\t(.*)\\n", &readTexts<F::ModulePCBSerialNumber>},

        // Status records
        {"15", T::Prefix, {"s6 "}, {}, &readStatusRecord<6>},
        {"16", T::Prefix, {"s7 "}, {}, &readStatusRecord<7>},
        {"17", T::Prefix, {"s8 "}, {}, &readStatusRecord<8>},
        {"18", T::Prefix, {"s9 "}, {}, &readStatusRecord<9>},

        // Debug output and system state
        {"19", T::Prefix, {"d2?", "d2="}, {}, &drop},
        {"20", T::MatchNoCase, {"^Ok write.*debug Communication value to eeprom"}, {}, &drop},
        {"21", T::MatchNoCase, {"^Debugging on communication channel.*enabled"}, {}, &giveFlag<F::DebuggingEnabled, true>},
        {"22", T::MatchNoCase, {"^Debugging on communication channel.*disabled"}, {}, &giveFlag<F::DebuggingEnabled, false>},
        {"23", T::SystemState, {}, {}, &giveAlternative<F::SystemState>},
        {"24", T::Prefix, {"^?AVGENGY =", "^?ENERGY =", "ly_lqz2_power", "e_power"}, {}, &drop},

        // Power set-points, repetition rate and output
        {"25", T::Prefix, {"Setted laser power:"}, {},
            &readTail<20, F::PowerSetpoint_nJ, QString, true>},
        {"26", T::Prefix, {"Setted laser power in relative unit:"}, {},
            &readTail<37, F::PowerSetpoint_Percent, QString, false>},
        {"27", T::Prefix, {"Frequency index parameter:"}, {},
            &readTail<27, F::FrequencyIndex, int, false>},
        {"28", T::Prefix, {"Notice: Division factor for PCAOM is"}, {},
            &readTail<37, F::DivisionFactor, int, false>},
        {"29", T::Prefix, {"Notice: Division factor is"}, {},
            &readTail<27, F::DivisionFactor, int, false>},
        {"30", T::Prefix, {"Laser output disabled"}, {},
            &giveConstant<F::AOMEnabled, 0>},
        {"31", T::Prefix, {"Laser output enabled"}, {},
            &giveConstant<F::AOMEnabled, 1>},

        // Harmonic module: ovens and humidity
        {"32", T::Prefix, {"ZOR HG\tCurrent FSM state="}, "^ZOR HG\tCurrent FSM state=(.*)\\n",
            &readNumber<F::OvenMode, int>},
        {"33", T::Prefix, {"ZOR SHG\tOven Setpoint"}, "^ZOR SHG\tOven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
            &readOvenSetpoint<1>},
        {"34", T::Prefix, {"ZOR SHG\tOven Temperature="}, "^ZOR SHG\tOven Temperature=(.*) C\\n",
            &readNumber<F::Oven1Actual, double>},
        {"35", T::Prefix, {"ZOR THG\tSHG Oven Setpoint"}, "^ZOR THG\tSHG Oven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
            &readOvenSetpoint<1>},
        {"36", T::Prefix, {"ZOR THG\tSHG Oven Temperature="}, "^ZOR THG\tSHG Oven Temperature=(.*) C\\n",
            &readNumber<F::Oven1Actual, double>},
        {"37", T::Prefix, {"ZOR THG\tTHG Oven Setpoint"}, "^ZOR THG\tTHG Oven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
            &readOvenSetpoint<2>},
        {"38", T::Prefix, {"ZOR THG\tTHG Oven Temperature="}, "^ZOR THG\tTHG Oven Temperature=(.*) C\\n",
            &readNumber<F::Oven2Actual, double>},
        {"39", T::Prefix, {"ZOR SHG\tHumidity="}, "^ZOR SHG\tHumidity=(.*)%\\n", &readHumidity},
        {"40", T::Prefix, {"ZOR THG\tHumidity="}, "^ZOR THG\tHumidity=(.*)%\\n", &readHumidity},

        // Harmonic module: wavelength, gate and dynamic wavelength switching
        {"41", T::Match, {"^ZOR [ST]HG\tCurrent position="}, "^ZOR [ST]HG\tCurrent position=(.*)\\n",
            &readPiezoPosition},
        {"42", T::Prefix, {"Active digital gate logic:\tlogic LOW (no connection) = AOM OPEN"}, {},
            &giveConstant<F::DigitalGate, 0>},
        {"43", T::Prefix, {"Active digital gate logic:\tlogic LOW (no connection) = AOM CLOSED"}, {},
            &giveConstant<F::DigitalGate, 1>},
        {"44", T::Prefix, {"ZOR HG\tDynamic wavelength switching disabled", "ZOR HG\tDynamic wavelength switching enabled"}, {},
            &giveAlternative<F::DynamicWavelengthEnabled>},
        {"45", T::Prefix, {"ZOR HG\tDynamic wavelength switching feature disabled", "ZOR HG\tDynamic wavelength switching feature enabled"}, {},
            &giveAlternative<F::DynamicWavelengthSupported>},
        {"46", T::Match, {"^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:"}, "^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:\\s+(\\d)\\s+IR\\s+pulse\\s+energy\\s+=\\s+(\\d+)",
            &readDynamicSetpoint},
        {"47", T::Match, {"^ZOR\\s+[S|T]HG\\s+Output\\s+power\\s*="}, "^ZOR\\s+([S|T])HG\\s+Output\\s+power\\s*=\\s*(.+)\\n",
            &readOutputPower},

        // Harmonic module: status, runtimes and crystal spots
        {"48", T::Prefix, {"ZOR HG\tStatus flags="}, "^ZOR HG\tStatus flags=(.*)\\n",
            &readNumber<F::HGStatusFlags, quint16, 16>},
        {"49", T::Prefix, {"ZOR HG\tErrorcode="}, "^ZOR HG\tErrorcode=(.*)\\n",
            &readNumber<F::HGErrorcode, quint8>},
        {"50", T::Match, {"^ZOR\\s*HG\\s+WL\\s+output\\s+config:\\s+"}, "^ZOR\\s*HG\\s+WL\\s+output\\s+config:\\s+0x(.+)\\n",
            &readNumber<F::HGOutputConfig, quint8, 16>},
        {"51", T::Prefix, {"ZOR SHG\tRuntime=", "ZOR THG\tRuntime="}, "^ZOR .HG\tRuntime=(.*)s\\n",
            &readNumber<F::HGRuntime, quint64>},
        {"52", T::Prefix, {"ZOR THG\tCurrent crystal spot="}, "^ZOR THG\tCurrent crystal spot=(.*)\\n",
            &readCrystalSpot},
        {"53", T::Prefix, {"ZOR THG\tCurrent runtime="}, "^ZOR THG\tCurrent runtime=(.*)s\\n",
            &readNumber<F::CrystalCurRuntime, quint64>},
        {"54", T::Prefix, {"ZOR THG\tMax runtime="}, "^ZOR THG\tMax runtime=(.*)s\\n",
            &readNumber<F::CrystalMaxRuntime, quint64>},
        {"55", T::Prefix, {"ZOR THG\tAll runtimes="}, {}, &readAllRuntimes},
        {"56", T::Prefix, {"AOM max frequency fields number is:", "e_mode of AOM:", "Switching OFF Seeder Laser diode: Laser_OnOff_value_Seeder="}, {},
            &drop},

        // Power listing and parameter table
        {"57", T::Match, {"^\\d* \\d* .*"}, {}, &readTableRow},
        {"57a", T::Prefix, {"ERRRST", "AOM80S80", "AOMMODE", "AOMRNG", "AOMAMP", "PCPER", "PC1OFF", "PC1ON", "PDSMPL", "AOMOFF", "AOMEN", "OUT2SEL", "PC2EN", "PC1EN", "AOMINH", "PC1INH", "PC2INH"}, {},
            &drop},
        {"57a", T::Equals, {"P\r", "F\r"}, {}, &drop},
        {"57b", T::Prefix, {"eira"}, {}, &giveFlag<F::PowerListingOpen, false>},
        {"57c", T::Prefix, {"ezra"}, {}, &giveFlag<F::PowerListingOpen, true>},

        // Warnings, known lines and the rest
        {"58", T::Prefix, {"ZOR HG\tShutter in wrong position."}, {}, &readShutterWarning},
        {"59", T::Prefix, knownPrefixes, {}, &drop},
        {"60", T::Always, {}, {}, &readUnhandled},
    });
    // clang-format on
    return kinds;
}

// Tried in this order, letter case ignored; the first match gives the state.
const QVector<LumetraResponseGrammar::StatePattern> &LumetraResponseGrammar::statePatterns()
{
    static const QVector<StatePattern> patterns = withFilters<StatePattern>({
        {"^Listen.*=.*ok", SystemStateListen},
        {"^Already.*Listen", SystemStateListen},
        {"^Listen.*->.*Standby", SystemStateListenToStandby},
        {"^Standby.*=.*ok", SystemStateStandby},
        {"^Already.*Standby", SystemStateStandby},
        {"^Standby.*->.*Listen", SystemStateStandbyToListen},
        {"^Standby.*->.*disabled", SystemStateStandbyToDisabled},
        {"^Standby.*->.*enabled", SystemStateStandbyToEnabled},
        {"^.*disabled.*=.*ok", SystemStateDisabled},
        {"^Already.*Disabled", SystemStateDisabled},
        {"^.*enabled.*=.*ok", SystemStateEnabled},
        {"^Already.*Enabled", SystemStateEnabled},
        {"^.*disabled.*->.*Standby", SystemStateDisabledToStandby},
        {"^.*enabled.*->.*Standby", SystemStateEnabledToStandby},
        {"^.*disabled.*->.*Listen", SystemStateDisabledToListen},
        {"^.*enabled.*->.*Listen", SystemStateEnabledToListen},
    });
    return patterns;
}

// ---------------------------------------------------------------------------------------------------
// Dispatch

QString LumetraResponseGrammar::lineText(const QByteArray &lineData)
{
    // The laser's text is Latin-1; anything after a zero byte is noise on the line.
    const int length = int(qstrnlen(lineData.constData(), uint(lineData.size())));
    return QString::fromLatin1(lineData.constData(), length);
}

const LumetraResponseGrammar::LineKind *LumetraResponseGrammar::findKind(const QString &text,
                                                                         int &alternative)
{
    QRegExp &regExp = m_regExp;
    alternative = -1;
    for (const LineKind &kind : lineKinds()) {
        switch (kind.test) {
        case Test::Prefix:
        case Test::Equals:
            if (text.isEmpty() || !kind.heads.contains(text.at(0))) {
                break;
            }
            for (int i = 0; i < kind.texts.size(); ++i) {
                if (kind.test == Test::Prefix ? text.startsWith(kind.texts.at(i))
                                              : text == kind.texts.at(i)) {
                    alternative = i;
                    return &kind;
                }
            }
            break;
        case Test::Match:
        case Test::MatchNoCase: {
            const Qt::CaseSensitivity cs = kind.test == Test::Match ? Qt::CaseSensitive : Qt::CaseInsensitive;
            if (!kind.filter.mayMatch(text, cs)) {
                break;
            }
            regExp.setCaseSensitivity(cs);
            regExp.setPattern(kind.texts.constFirst());
            if (regExp.indexIn(text, 0) == 0) {
                return &kind;
            }
            break;
        }
        case Test::SystemState:
            regExp.setCaseSensitivity(Qt::CaseInsensitive);
            for (const StatePattern &state : statePatterns()) {
                if (!state.filter.mayMatch(text, Qt::CaseInsensitive)) {
                    continue;
                }
                regExp.setPattern(state.pattern);
                if (regExp.indexIn(text, 0) == 0) {
                    alternative = state.state;
                    return &kind;
                }
            }
            break;
        case Test::Always:
            return &kind;
        }
    }
    return nullptr;
}

LumetraParsedLine LumetraResponseGrammar::parse(const QByteArray &lineData, const Context &context)
{
    LumetraParsedLine parsed;
    const QString text = lineText(lineData);
    int alternative = -1;
    const LineKind *kind = findKind(text, alternative);
    if (!kind) {
        return parsed;
    }
    parsed.kind = kind->number;
    parsed.listingRow = kind->handler == &readTableRow;
    Line line{text, lineData, context, m_regExp, alternative, {}};
    if (!kind->pattern.isEmpty()) {
        m_regExp.setCaseSensitivity(Qt::CaseSensitive);
        m_regExp.setPattern(kind->pattern);
        if (m_regExp.indexIn(text, 0) != 0) {
            parsed.outcome = LumetraParsedLine::Outcome::NoMatch;
            return parsed;
        }
        line.captures = m_regExp.capturedTexts();
    }
    if (!kind->handler(line, parsed)) {
        // Handlers read every value before they give any, but a half-read line must not count.
        parsed.entries.clear();
        parsed.outcome = LumetraParsedLine::Outcome::Unreadable;
    }
    return parsed;
}

QString LumetraResponseGrammar::kindOf(const QByteArray &lineData)
{
    int alternative = -1;
    const LineKind *kind = findKind(lineText(lineData), alternative);
    return kind ? QString::fromLatin1(kind->number) : QString();
}

QVector<LumetraResponseGrammar::Expression> LumetraResponseGrammar::dispatchExpressions()
{
    QVector<Expression> expressions;
    for (const LineKind &kind : lineKinds()) {
        if (kind.test == Test::Match || kind.test == Test::MatchNoCase) {
            expressions.append({kind.texts.constFirst(),
                                kind.test == Test::Match ? Qt::CaseSensitive : Qt::CaseInsensitive});
        }
    }
    for (const StatePattern &state : statePatterns()) {
        expressions.append({state.pattern, Qt::CaseInsensitive});
    }
    return expressions;
}

// ---------------------------------------------------------------------------------------------------
// Conversions

bool LumetraResponseGrammar::toInt(const QString &text, int &value)
{
    bool ok = false;
    const int converted = text.toInt(&ok);
    if (ok) {
        value = converted;
    }
    return ok;
}

bool LumetraResponseGrammar::toDouble(const QString &text, double &value)
{
    bool ok = false;
    const double converted = text.toDouble(&ok);
    if (!ok || !std::isfinite(converted)) {
        return false;
    }
    value = converted;
    return true;
}

bool LumetraResponseGrammar::toUInt64(const QString &text, quint64 &value, int base)
{
    bool ok = false;
    const quint64 converted = text.toULongLong(&ok, base);
    if (ok) {
        value = converted;
    }
    return ok;
}

// A value too wide for its field is an error rather than a silently wrapped number.
template <typename T> bool LumetraResponseGrammar::toUnsigned(const QString &text, T &value, int base)
{
    quint64 converted = 0;
    if (!toUInt64(text, converted, base) || converted > std::numeric_limits<T>::max()) {
        return false;
    }
    value = static_cast<T>(converted);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Line kinds with more than one value

namespace {

// How each value of a status record is written, in record order.
enum class RecordValue
{
    Int,
    Double,
    Hex8
};

QVector<RecordValue> recordShape(std::initializer_list<std::pair<int, RecordValue>> runs)
{
    QVector<RecordValue> shape;
    for (const auto &run : runs) {
        shape.insert(shape.size(), run.first, run.second);
    }
    return shape;
}

const QVector<RecordValue> &recordShape(int record)
{
    using V = RecordValue;
    static const QVector<RecordValue> s6 = recordShape({{12, V::Int}});
    static const QVector<RecordValue> s7 = recordShape({{7, V::Int}, {1, V::Double}, {8, V::Int}});
    // the last value (the maximum current) only in the longer form of the record
    static const QVector<RecordValue> s8 =
        recordShape({{2, V::Int}, {6, V::Double}, {3, V::Int}, {1, V::Double}});
    // set-point, actual, minimum and maximum of ten sensors, and a status byte
    static const QVector<RecordValue> s9 = recordShape({{40, V::Double}, {1, V::Hex8}});
    switch (record) {
    case 6:
        return s6;
    case 7:
        return s7;
    case 8:
        return s8;
    default:
        return s9;
    }
}

} // namespace

bool LumetraResponseGrammar::readRecord(const Line &line, LumetraParsedLine &parsed, int record)
{
    const QVector<RecordValue> &shape = recordShape(record);
    // s7 is the record whose values may be set apart by more than one blank.
    const Qt::SplitBehavior split = record == 7 ? Qt::SkipEmptyParts : Qt::KeepEmptyParts;
    const bool tolerant = record != 7 && line.context.firmwareVersion.contains(tolerantRecordFirmware);

    // The first part is the record's name; s8 comes with or without its last value.
    const QStringList parts = line.text.split(QLatin1Char(' '), split);
    const int count = parts.size() - 1;
    const bool shortS8 = record == 8 && count == shape.size() - 1;
    if (count != shape.size() && !shortS8) {
        return false;
    }

    QVector<double> read(count);
    for (int i = 0; i < count; ++i) {
        const QString &part = parts.at(i + 1);
        bool ok = false;
        switch (shape.at(i)) {
        case RecordValue::Int: {
            int number = 0;
            ok = toInt(part, number);
            read[i] = number;
            break;
        }
        case RecordValue::Double:
            ok = toDouble(part, read[i]);
            break;
        case RecordValue::Hex8: {
            quint8 byte = 0;
            ok = toUnsigned(part, byte, 16);
            read[i] = byte;
            break;
        }
        }
        if (!ok) {
            if (!tolerant) {
                return false;
            }
            read[i] = 0.0;
        }
    }

    static const F fields[] = {F::RecordS6, F::RecordS7, F::RecordS8, F::RecordS9};
    parsed.add(fields[qBound(6, record, 9) - 6], read);
    return true;
}

template <int oven> bool LumetraResponseGrammar::readOvenSetpoint(const Line &line, LumetraParsedLine &parsed)
{
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!toDouble(line.captures.at(i + 1), values[i])) {
            return false;
        }
    }
    parsed.add(oven == 1 ? F::Oven1Setpoint : F::Oven2Setpoint, values[0]);
    parsed.add(oven == 1 ? F::Oven1Min : F::Oven2Min, values[1]);
    parsed.add(oven == 1 ? F::Oven1Max : F::Oven2Max, values[2]);
    return true;
}

bool LumetraResponseGrammar::readPiezoPosition(const Line &line, LumetraParsedLine &parsed)
{
    const QString &name = line.captures.at(1);
    LumetraHarmonic position = LumetraHarmonic::IR;
    if (name.contains(QLatin1String("IR"), Qt::CaseInsensitive)) {
        position = LumetraHarmonic::IR;
    } else if (name.contains(QLatin1String("GREEN"), Qt::CaseInsensitive)) {
        position = LumetraHarmonic::Green;
    } else if (name.contains(QLatin1String("UV"), Qt::CaseInsensitive)) {
        position = LumetraHarmonic::UV;
    } else {
        return false; // a position the panel cannot show
    }
    parsed.add(F::PiezoPosition, harmonicIndex(position));
    return true;
}

bool LumetraResponseGrammar::readCrystalSpot(const Line &line, LumetraParsedLine &parsed)
{
    quint64 spot = 0;
    if (!toUInt64(line.captures.at(1), spot) || spot > quint64(INT_MAX)) {
        return false;
    }
    parsed.add(F::CrystalCurSpot, int(spot));
    return true;
}

bool LumetraResponseGrammar::readShutterWarning(const Line &, LumetraParsedLine &parsed)
{
    parsed.add(F::ShutterWarning, std::monostate());
    return true;
}

bool LumetraResponseGrammar::readUnhandled(const Line &line, LumetraParsedLine &parsed)
{
    parsed.add(F::Unhandled, line.data);
    return true;
}

bool LumetraResponseGrammar::readHumidity(const Line &line, LumetraParsedLine &parsed)
{
    double humidity = 0.0;
    if (!toDouble(line.captures.at(1), humidity) || humidity <= double(INT_MIN) - 1.0 ||
        humidity >= double(INT_MAX) + 1.0) {
        return false;
    }
    parsed.add(F::Humidity, int(humidity)); // whole percent, truncated
    return true;
}

bool LumetraResponseGrammar::readDynamicSetpoint(const Line &line, LumetraParsedLine &parsed)
{
    int index = 0;
    double energy = 0.0;
    if (!toInt(line.captures.at(2), index) || !toDouble(line.captures.at(3), energy)) {
        return false;
    }
    energy /= 1000.0; // nJ on the wire, µJ to the receiver
    if (!isHarmonicIndex(index)) {
        return true; // a wavelength this module does not have: nothing to show
    }
    switch (harmonicAt(index)) {
    case LumetraHarmonic::IR:
        parsed.add(F::DynamicWLS_IR, energy);
        break;
    case LumetraHarmonic::Green:
        parsed.add(F::DynamicWLS_Green, energy);
        break;
    case LumetraHarmonic::UV:
        parsed.add(F::DynamicWLS_UV, energy);
        break;
    case LumetraHarmonic::DeepUV:
        parsed.add(F::DynamicWLS_DUV, energy);
        break;
    }
    return true;
}

bool LumetraResponseGrammar::readOutputPower(const Line &line, LumetraParsedLine &parsed)
{
    QString value = line.captures.at(2).trimmed();
    double factor = 1.0;
    if (value.endsWith(QLatin1String("mW"))) {
        value.chop(2);
    } else if (value.endsWith(QLatin1Char('W'))) {
        value.chop(1);
        factor = 1000.0;
    } else {
        return false; // a power without its unit cannot be placed
    }
    double power = 0.0;
    if (!toDouble(value, power)) {
        return false;
    }
    power *= factor;
    parsed.add(line.captures.at(1) == QLatin1String("S") ? F::SHGOutputPower : F::THGOutputPower, power);
    return true;
}

bool LumetraResponseGrammar::readAllRuntimes(const Line &line, LumetraParsedLine &parsed)
{
    static const QString prefix = QStringLiteral("ZOR THG\tAll runtimes=");
    const QStringList parts = line.text.mid(prefix.size())
                                  .remove(QStringLiteral(" \n"))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QMap<int, quint64> runtimes;
    for (int spot = 0; spot < parts.size() && spot < maxCrystalSpots; ++spot) {
        quint64 seconds = 0;
        if (!toUInt64(parts.at(spot), seconds)) {
            return false;
        }
        runtimes.insert(spot, seconds);
    }
    parsed.add(F::CrystalAllRuntimes, runtimes);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Power listing and parameter table

bool LumetraResponseGrammar::readTableRow(const Line &line, LumetraParsedLine &parsed)
{
    // The same row shape means a power limit while the power listing is open, a parameter otherwise.
    return line.context.powerListingOpen ? readPowerRow(line, parsed) : readParameterRow(line, parsed);
}

bool LumetraResponseGrammar::readPowerRow(const Line &line, LumetraParsedLine &parsed)
{
    // Rows that do not read are dropped without a report: the listing carries free text too.
    const QStringList parts = line.text.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (parts.size() != 3) {
        return true;
    }
    int index = 0;
    int selector = 0;
    double energy = 0.0;
    if (!toInt(parts.at(0), index) || !toInt(parts.at(1), selector) || !toDouble(parts.at(2), energy)) {
        return true;
    }
    if (selector == 0 || selector == 1) {
        parsed.add(selector == 0 ? F::PowerMinRow : F::PowerMaxRow, LumetraParsedLine::Row{index, energy});
    }
    return true;
}

bool LumetraResponseGrammar::readParameterRow(const Line &line, LumetraParsedLine &parsed)
{
    QRegExp &regExp = line.regExp;
    regExp.setCaseSensitivity(Qt::CaseSensitive);
    regExp.setPattern(QStringLiteral("^(\\d*) (\\d*) (.*)"));
    if (regExp.indexIn(line.text, 0) != 0) {
        return true;
    }
    int index = 0;
    int second = 0;
    if (!toInt(regExp.cap(1), index) || !toInt(regExp.cap(2), second)) {
        return true;
    }
    const QString name = regExp.cap(3);
    if (!name.startsWith(QLatin1String("PCPER"))) {
        return true;
    }
    const QStringList nameParts = name.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    int baseValue = 0;
    if (nameParts.size() < 2 || !toInt(nameParts.at(1), baseValue)) {
        return false;
    }
    parsed.add(F::DivisionRow, LumetraParsedLine::Row{index, double(baseValue)});
    return true;
}
