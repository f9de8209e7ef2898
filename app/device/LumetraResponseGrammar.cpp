#include "app/device/LumetraResponseGrammar.h"

#include "app/device/LumetraHarmonic.h"
#include "app/device/LumetraResponseDecoder.h"

#include <climits>
#include <cmath>
#include <limits>
#include <type_traits>

using D = LumetraResponseDecoder;

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

// A laser lists eight repetition rates (sixteen power rows); rows for further rates beyond this many
// come from a faulty device or line noise and are dropped, so a runaway listing cannot grow the tables.
constexpr int maxListedFrequencies = 64;

// Whether a row for this frequency index still fits its table.
bool fitsListing(const QMap<int, double> &table, int index)
{
    return table.size() < maxListedFrequencies || table.contains(index);
}

} // namespace

// Regular expressions are the costly part of dispatch: every line that reaches the state table would
// run sixteen of them. A literal that each match must contain rules most lines out with a plain search.
QString LumetraResponseGrammar::requiredLiteral(const QString &pattern)
{
    QString longest;
    QString run;
    int depth = 0;
    auto endRun = [&]() {
        if (run.size() > longest.size()) {
            longest = run;
        }
        run.clear();
    };
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        QChar literal;
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            const QChar escaped = pattern.at(++i);
            if (escaped == QLatin1Char('t')) {
                literal = QLatin1Char('\t');
            } else if (escaped == QLatin1Char('n')) {
                literal = QLatin1Char('\n');
            } else if (!escaped.isLetterOrNumber()) {
                literal = escaped;
            }
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char('|') && depth == 0) {
            return QString(); // alternatives at the top: nothing is common to all matches
        } else if (c == QLatin1Char('[')) {
            while (i + 1 < pattern.size() && pattern.at(i) != QLatin1Char(']')) {
                ++i;
            }
        } else if (QStringLiteral("^$.*+?{}]").indexOf(c) < 0) {
            literal = c;
        }
        // Text inside groups may sit in an alternative; a quantified character may be absent.
        const bool quantified =
            i + 1 < pattern.size() && QStringLiteral("*+?{").indexOf(pattern.at(i + 1)) >= 0;
        if (literal.isNull() || depth > 0 || quantified) {
            endRun();
        } else {
            run += literal;
        }
    }
    endRun();
    return longest;
}

bool LumetraResponseGrammar::mayMatch(const QString &text, const QString &needle, Qt::CaseSensitivity cs)
{
    return needle.isEmpty() || text.contains(needle, cs);
}

template <typename Row> QVector<Row> LumetraResponseGrammar::withNeedles(QVector<Row> rows)
{
    for (Row &row : rows) {
        if constexpr (std::is_same_v<Row, LineKind>) {
            if (row.test == Test::Match || row.test == Test::MatchNoCase) {
                row.needle = requiredLiteral(row.texts.constFirst());
            }
        } else {
            row.needle = requiredLiteral(row.pattern);
        }
    }
    return rows;
}

// ---------------------------------------------------------------------------------------------------
// Handlers shared by several kinds

bool LumetraResponseGrammar::drop(LumetraResponseDecoder &, const Line &)
{
    return true;
}

// Capture n goes into the n-th field, as text.
template <auto publisher, auto... fields>
bool LumetraResponseGrammar::storeTexts(LumetraResponseDecoder &d, const Line &line)
{
    int capture = 1;
    (((d.*fields).current = line.captures.at(capture++)), ...);
    (d.*publisher)(false);
    return true;
}

// Capture 1 converted to the field's type; unsigned fields in the given base. A capture that does not
// read as a number is a parsing error: publishing 0 for it would show the operator a reading the laser
// never sent.
template <auto field, auto publisher, int base>
bool LumetraResponseGrammar::storeNumber(LumetraResponseDecoder &d, const Line &line)
{
    auto &value = (d.*field).current;
    using T = std::decay_t<decltype(value)>;
    bool ok = false;
    if constexpr (std::is_same_v<T, int>) {
        ok = toInt(line.captures.at(1), value);
    } else if constexpr (std::is_same_v<T, double>) {
        ok = toDouble(line.captures.at(1), value);
    } else {
        ok = toUnsigned(line.captures.at(1), value, base);
    }
    if (ok) {
        (d.*publisher)(false);
    }
    return ok;
}

// The rest of the line from a fixed position, without its line feed (and for energies without the unit).
// Texts are kept as received but must read as a number.
template <int position, auto field, auto publisher, bool energyUnit>
bool LumetraResponseGrammar::storeTail(LumetraResponseDecoder &d, const Line &line)
{
    QString text = line.text.mid(position);
    if (energyUnit) {
        text.remove(QStringLiteral("nJ\n"));
    } else {
        text.remove(QLatin1Char('\n'));
    }
    auto &value = (d.*field).current;
    using T = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<T, int>) {
        if (!toInt(text, value)) {
            return false;
        }
    } else {
        double number = 0.0;
        if (!toDouble(text, number)) {
            return false;
        }
        value = text;
    }
    (d.*publisher)(false);
    return true;
}

template <auto field, int constant, auto publisher>
bool LumetraResponseGrammar::storeConstant(LumetraResponseDecoder &d, const Line &)
{
    (d.*field).current = constant;
    (d.*publisher)(false);
    return true;
}

// Which of the kind's prefixes or state patterns matched is the value.
template <auto field, auto publisher>
bool LumetraResponseGrammar::storeAlternative(LumetraResponseDecoder &d, const Line &line)
{
    (d.*field).current = line.alternative;
    (d.*publisher)(false);
    return true;
}

template <int record> bool LumetraResponseGrammar::storeRecord(LumetraResponseDecoder &d, const Line &line)
{
    return readRecord(d, line, record);
}

template <bool enabled> bool LumetraResponseGrammar::storeDebugging(LumetraResponseDecoder &d, const Line &)
{
    // Announced every time: the controller answers each report by switching the output off.
    d.m_debuggingEnabled.current = enabled;
    d.m_debuggingEnabled.published = enabled;
    emit d.sigDebuggingStatusChanged(enabled);
    return true;
}

template <bool open> bool LumetraResponseGrammar::storeListing(LumetraResponseDecoder &d, const Line &)
{
    d.m_powerListingOpen = open;
    return true;
}

// ---------------------------------------------------------------------------------------------------
// The table of line kinds, in test order. A literal tab in a prefix or pattern is the tab the laser sends.

const QVector<LumetraResponseGrammar::LineKind> &LumetraResponseGrammar::lineKinds()
{
    using T = Test;
    // clang-format off
    static const QVector<LineKind> kinds = withNeedles<LineKind>({
        // System identification (answer to "ly_system_info")
        {"1", T::Prefix, {"Lumetra-"}, "^(Lumetra-.+) Hardware:(.*) Firmware:(.*)\\n",
            &storeTexts<&D::publish_ly_system_info_Lumetra, &D::m_systemType, &D::m_hardwareVersion, &D::m_firmwareVersion>},
        {"2", T::Prefix, {"SW.MAIN", "SW_MAIN"}, "^(SW[\\._]MAIN[\\._].+)\\n",
            &storeTexts<&D::publish_ly_system_info_SW_MAIN, &D::m_applicationName>},
        {"3", T::Prefix, {"Compiled on:"}, "^Compiled on: (.*)\\n",
            &storeTexts<&D::publish_ly_system_info_Compiled_on, &D::m_compiledOn>},
        {"4", T::Prefix, {"Serial number:"}, "^Serial number: (.*)\\n",
            &storeTexts<&D::publish_ly_system_info_Serial_number, &D::m_serialNumber>},
        {"5", T::Prefix, {"LDD device -"}, "^LDD.+Hardware: (.*), Software version: (.*), Revision: (.*)\\n",
            &storeTexts<&D::publish_ly_system_info_LLD_device, &D::m_lddHardware, &D::m_lddSoftware, &D::m_lddRevision>},
        {"6", T::Prefix, {"TEC device -"}, "^TEC.+Hardware: (.*), Software version: (.*), Revision: (.*)\\n",
            &storeTexts<&D::publish_ly_system_info_TEC_device, &D::m_tecHardware, &D::m_tecSoftware, &D::m_tecRevision>},
        {"7", T::Prefix, {"Timing Board"}, "^Timing Board S\\/N: (.*); MCU T\\/B: (.*); FPGA T\\/B: (.*)\\n",
            &storeTexts<&D::publish_ly_system_info_Timing_Board, &D::m_timingBoardSerial, &D::m_timingBoardMCU, &D::m_timingBoardFPGA>},
        {"8", T::Prefix, {"Device switch on time"}, "^Device switch on time \\(Standby and up\\): (.*) hours (.*) minutes\\n",
            &storeTexts<&D::publish_ly_system_info_DeviceOnTime, &D::m_deviceOnHours, &D::m_deviceOnMinutes>},
        {"9", T::Prefix, {"Laser Emission switch on time"}, "^Laser Emission switch on time: (.*) hours (.*) minutes\\n",
            &storeTexts<&D::publish_ly_system_info_EmissionTime, &D::m_emissionHours, &D::m_emissionMinutes>},

        // Harmonic module information (answer to "ls?")
        {"10", T::Prefix, {"ZOR harmonic generation module (address:"}, "^ZOR harmonic generation module \\(address: (.*) / type: (.*)\\)\\n",
            &storeTexts<&D::publish_ls_info_ModuleAddrType, &D::m_moduleAddress, &D::m_moduleType>},
        {"11", T::Prefix, {"Firmware version:"}, "^Firmware version:\t(.*)\\n",
            &storeTexts<&D::publish_ls_info_FirmwareVersion, &D::m_moduleFirmwareVersion>},
        {"12", T::Prefix, {"Bootloader version:"}, "^Bootloader version:\t(.*)\\n",
            &storeTexts<&D::publish_ls_info_BootladerVersion, &D::m_moduleBootloaderVersion>},
        {"13", T::Prefix, {"Module serial number:"}, "^Module serial number:\t(.*)\\n",
            &storeTexts<&D::publish_ls_info_ModuleSerialNumber, &D::m_moduleSerialNumber>},
        {"14", T::Prefix, {"PCB serial number:"}, "^PCB serial number:\t(.*)\\n", &readPCBSerialNumber},

        // Status records
        {"15", T::Prefix, {"s6 "}, {}, &storeRecord<6>},
        {"16", T::Prefix, {"s7 "}, {}, &storeRecord<7>},
        {"17", T::Prefix, {"s8 "}, {}, &storeRecord<8>},
        {"18", T::Prefix, {"s9 "}, {}, &storeRecord<9>},

        // Debug output and system state
        {"19", T::Prefix, {"d2?", "d2="}, {}, &drop},
        {"20", T::MatchNoCase, {"^Ok write.*debug Communication value to eeprom"}, {}, &drop},
        {"21", T::MatchNoCase, {"^Debugging on communication channel.*enabled"}, {}, &storeDebugging<true>},
        {"22", T::MatchNoCase, {"^Debugging on communication channel.*disabled"}, {}, &storeDebugging<false>},
        {"23", T::SystemState, {}, {}, &storeAlternative<&D::m_systemState, &D::publish_SystemState>},
        {"24", T::Prefix, {"^?AVGENGY =", "^?ENERGY =", "ly_lqz2_power", "e_power"}, {}, &drop},

        // Power set-points, repetition rate and output
        {"25", T::Prefix, {"Setted laser power:"}, {},
            &storeTail<20, &D::m_powerSetpoint_nJ, &D::publish_PowerSetpoint_nJ, true>},
        {"26", T::Prefix, {"Setted laser power in relative unit:"}, {},
            &storeTail<37, &D::m_powerSetpoint_Percent, &D::publish_PowerSetpoint_Percent, false>},
        {"27", T::Prefix, {"Frequency index parameter:"}, {},
            &storeTail<27, &D::m_frequencyIndex, &D::publish_FrequencyIndex, false>},
        {"28", T::Prefix, {"Notice: Division factor for PCAOM is"}, {},
            &storeTail<37, &D::m_divisionFactor, &D::publish_DivisionFactor, false>},
        {"29", T::Prefix, {"Notice: Division factor is"}, {},
            &storeTail<27, &D::m_divisionFactor, &D::publish_DivisionFactor, false>},
        {"30", T::Prefix, {"Laser output disabled"}, {},
            &storeConstant<&D::m_aomEnabled, 0, &D::publish_AOMStatus>},
        {"31", T::Prefix, {"Laser output enabled"}, {},
            &storeConstant<&D::m_aomEnabled, 1, &D::publish_AOMStatus>},

        // Harmonic module: ovens and humidity
        {"32", T::Prefix, {"ZOR HG\tCurrent FSM state="}, "^ZOR HG\tCurrent FSM state=(.*)\\n",
            &storeNumber<&D::m_ovenMode, &D::publish_OvenMode>},
        {"33", T::Prefix, {"ZOR SHG\tOven Setpoint"}, "^ZOR SHG\tOven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
            &readOvenSetpoint<1>},
        {"34", T::Prefix, {"ZOR SHG\tOven Temperature="}, "^ZOR SHG\tOven Temperature=(.*) C\\n",
            &storeNumber<&D::m_oven1Actual, &D::publish_Oven1TemperatureActual>},
        {"35", T::Prefix, {"ZOR THG\tSHG Oven Setpoint"}, "^ZOR THG\tSHG Oven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
            &readOvenSetpoint<1>},
        {"36", T::Prefix, {"ZOR THG\tSHG Oven Temperature="}, "^ZOR THG\tSHG Oven Temperature=(.*) C\\n",
            &storeNumber<&D::m_oven1Actual, &D::publish_Oven1TemperatureActual>},
        {"37", T::Prefix, {"ZOR THG\tTHG Oven Setpoint"}, "^ZOR THG\tTHG Oven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
            &readOvenSetpoint<2>},
        {"38", T::Prefix, {"ZOR THG\tTHG Oven Temperature="}, "^ZOR THG\tTHG Oven Temperature=(.*) C\\n",
            &storeNumber<&D::m_oven2Actual, &D::publish_Oven2TemperatureActual>},
        {"39", T::Prefix, {"ZOR SHG\tHumidity="}, "^ZOR SHG\tHumidity=(.*)%\\n", &readHumidity},
        {"40", T::Prefix, {"ZOR THG\tHumidity="}, "^ZOR THG\tHumidity=(.*)%\\n", &readHumidity},

        // Harmonic module: wavelength, gate and dynamic wavelength switching
        {"41", T::Match, {"^ZOR [ST]HG\tCurrent position="}, "^ZOR [ST]HG\tCurrent position=(.*)\\n",
            &readPiezoPosition},
        {"42", T::Prefix, {"Active digital gate logic:\tlogic LOW (no connection) = AOM OPEN"}, {},
            &storeConstant<&D::m_digitalGate, 0, &D::publish_DigitalGateSetting>},
        {"43", T::Prefix, {"Active digital gate logic:\tlogic LOW (no connection) = AOM CLOSED"}, {},
            &storeConstant<&D::m_digitalGate, 1, &D::publish_DigitalGateSetting>},
        {"44", T::Prefix, {"ZOR HG\tDynamic wavelength switching disabled", "ZOR HG\tDynamic wavelength switching enabled"}, {},
            &storeAlternative<&D::m_dynamicWavelengthEnabled, &D::publish_DynamicWavelengthEnabled>},
        {"45", T::Prefix, {"ZOR HG\tDynamic wavelength switching feature disabled", "ZOR HG\tDynamic wavelength switching feature enabled"}, {},
            &storeAlternative<&D::m_dynamicWavelengthSupported, &D::publish_DynamicWavelengthSupport>},
        {"46", T::Match, {"^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:"}, "^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:\\s+(\\d)\\s+IR\\s+pulse\\s+energy\\s+=\\s+(\\d+)",
            &readDynamicSetpoint},
        {"47", T::Match, {"^ZOR\\s+[S|T]HG\\s+Output\\s+power\\s*="}, "^ZOR\\s+([S|T])HG\\s+Output\\s+power\\s*=\\s*(.+)\\n",
            &readOutputPower},

        // Harmonic module: status, runtimes and crystal spots
        {"48", T::Prefix, {"ZOR HG\tStatus flags="}, "^ZOR HG\tStatus flags=(.*)\\n",
            &storeNumber<&D::m_hgStatusFlags, &D::publish_HGStatusFlags, 16>},
        {"49", T::Prefix, {"ZOR HG\tErrorcode="}, "^ZOR HG\tErrorcode=(.*)\\n",
            &storeNumber<&D::m_hgErrorcode, &D::publish_HGErrorcode>},
        {"50", T::Match, {"^ZOR\\s*HG\\s+WL\\s+output\\s+config:\\s+"}, "^ZOR\\s*HG\\s+WL\\s+output\\s+config:\\s+0x(.+)\\n",
            &storeNumber<&D::m_hgOutputConfig, &D::publish_HGOutputConfig, 16>},
        {"51", T::Prefix, {"ZOR SHG\tRuntime=", "ZOR THG\tRuntime="}, "^ZOR .HG\tRuntime=(.*)s\\n",
            &storeNumber<&D::m_hgRuntime, &D::publish_HGRuntime>},
        {"52", T::Prefix, {"ZOR THG\tCurrent crystal spot="}, "^ZOR THG\tCurrent crystal spot=(.*)\\n",
            &readCrystalSpot},
        {"53", T::Prefix, {"ZOR THG\tCurrent runtime="}, "^ZOR THG\tCurrent runtime=(.*)s\\n",
            &storeNumber<&D::m_crystalCurRuntime, &D::publish_HGCrystalCurRuntime>},
        {"54", T::Prefix, {"ZOR THG\tMax runtime="}, "^ZOR THG\tMax runtime=(.*)s\\n",
            &storeNumber<&D::m_crystalMaxRuntime, &D::publish_HGCrystalMaxRuntime>},
        {"55", T::Prefix, {"ZOR THG\tAll runtimes="}, {}, &readAllRuntimes},
        {"56", T::Prefix, {"AOM max frequency fields number is:", "e_mode of AOM:", "Switching OFF Seeder Laser diode: Laser_OnOff_value_Seeder="}, {},
            &drop},

        // Power listing and parameter table
        {"57", T::Match, {"^\\d* \\d* .*"}, {}, &readTableRow},
        {"57a", T::Prefix, {"ERRRST", "AOM80S80", "AOMMODE", "AOMRNG", "AOMAMP", "PCPER", "PC1OFF", "PC1ON", "PDSMPL", "AOMOFF", "AOMEN", "OUT2SEL", "PC2EN", "PC1EN", "AOMINH", "PC1INH", "PC2INH"}, {},
            &drop},
        {"57a", T::Equals, {"P\r", "F\r"}, {}, &drop},
        {"57b", T::Prefix, {"eira"}, {}, &storeListing<false>},
        {"57c", T::Prefix, {"ezra"}, {}, &storeListing<true>},

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
    static const QVector<StatePattern> patterns = withNeedles<StatePattern>({
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

const LumetraResponseGrammar::LineKind *
LumetraResponseGrammar::findKind(LumetraResponseDecoder &decoder, const QString &text, int &alternative)
{
    QRegExp &regExp = decoder.m_regExp;
    alternative = -1;
    for (const LineKind &kind : lineKinds()) {
        switch (kind.test) {
        case Test::Prefix:
        case Test::Equals:
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
            if (!mayMatch(text, kind.needle, cs)) {
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
                if (!mayMatch(text, state.needle, Qt::CaseInsensitive)) {
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

void LumetraResponseGrammar::decode(LumetraResponseDecoder &decoder, const QByteArray &lineData)
{
    const QString text = lineText(lineData);
    int alternative = -1;
    const LineKind *kind = findKind(decoder, text, alternative);
    if (!kind) {
        return;
    }
    // Any other line ends a listing in progress: its rows are announced before this line is read.
    if (kind->handler != &readTableRow) {
        decoder.publishListings();
    }
    Line line{text, lineData, alternative, {}};
    if (!kind->pattern.isEmpty()) {
        QRegExp &regExp = decoder.m_regExp;
        regExp.setCaseSensitivity(Qt::CaseSensitive);
        regExp.setPattern(kind->pattern);
        if (regExp.indexIn(text, 0) != 0) {
            qCDebug(lcLumetraResponseDecoder) << "kind" << kind->number << "does not match" << lineData;
            emit decoder.sigParsingError(lineData);
            return;
        }
        line.captures = regExp.capturedTexts();
    }
    if (!kind->handler(decoder, line)) {
        qCDebug(lcLumetraResponseDecoder) << "kind" << kind->number << "cannot read" << lineData;
        emit decoder.sigParsingError(lineData);
    }
}

QString LumetraResponseGrammar::kindOf(LumetraResponseDecoder &decoder, const QByteArray &lineData)
{
    int alternative = -1;
    const LineKind *kind = findKind(decoder, lineText(lineData), alternative);
    return kind ? QString::fromLatin1(kind->number) : QString();
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

bool LumetraResponseGrammar::readRecord(LumetraResponseDecoder &d, const Line &line, int record)
{
    using Layout = LumetraResponseDecoder::RecordLayout;
    using Field = LumetraResponseDecoder::FieldType;

    const Layout *layout = nullptr;
    LumetraResponseDecoder::RecordValues *values = nullptr;
    Qt::SplitBehavior split = Qt::KeepEmptyParts;
    bool tolerant = d.m_firmwareVersion.published.value_or(QString()).contains(tolerantRecordFirmware);
    switch (record) {
    case 6:
        layout = &LumetraResponseDecoder::s6Layout();
        values = &d.m_s6;
        break;
    case 7:
        layout = &LumetraResponseDecoder::s7Layout();
        values = &d.m_s7;
        split = Qt::SkipEmptyParts;
        tolerant = false;
        break;
    case 8:
        layout = &LumetraResponseDecoder::s8Layout();
        values = &d.m_s8;
        break;
    default:
        layout = &LumetraResponseDecoder::s9Layout();
        values = &d.m_s9;
        break;
    }

    // The first part is the record's name; s8 comes with or without its last value.
    const QStringList parts = line.text.split(QLatin1Char(' '), split);
    const int count = parts.size() - 1;
    const bool shortS8 = record == 8 && count == layout->size() - 1;
    if (count != layout->size() && !shortS8) {
        return false;
    }

    QVector<double> read(count);
    for (int i = 0; i < count; ++i) {
        const QString &part = parts.at(i + 1);
        bool ok = false;
        switch (layout->at(i).type) {
        case Field::Int: {
            int number = 0;
            ok = toInt(part, number);
            read[i] = number;
            break;
        }
        case Field::Double:
            ok = toDouble(part, read[i]);
            break;
        case Field::Hex8: {
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

    for (int i = 0; i < count; ++i) {
        (*values)[i].current = read.at(i);
    }
    switch (record) {
    case 6:
        d.publish_s6();
        break;
    case 7:
        d.publish_s7();
        break;
    case 8:
        d.m_s8HasMaxCurrent = !shortS8;
        d.publish_s8();
        break;
    default:
        d.publish_s9();
        break;
    }
    return true;
}

template <int oven> bool LumetraResponseGrammar::readOvenSetpoint(LumetraResponseDecoder &d, const Line &line)
{
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!toDouble(line.captures.at(i + 1), values[i])) {
            return false;
        }
    }
    if (oven == 1) {
        d.m_oven1Setpoint.current = values[0];
        d.m_oven1Min.current = values[1];
        d.m_oven1Max.current = values[2];
        d.publish_Oven1TemperatureSetpoint();
    } else {
        d.m_oven2Setpoint.current = values[0];
        d.m_oven2Min.current = values[1];
        d.m_oven2Max.current = values[2];
        d.publish_Oven2TemperatureSetpoint();
    }
    return true;
}

bool LumetraResponseGrammar::readPCBSerialNumber(LumetraResponseDecoder &d, const Line &line)
{
    storeTexts<&D::publish_ls_info_PCBSerialNumber, &D::m_modulePCBSerialNumber>(d, line);
    // The last line of the module block: the module type read before it tells which module is fitted.
    const QString &type = d.m_moduleType.current;
    if (type.contains(QLatin1String("0x86"))) {
        emit d.sigExistsSHGModule(true);
    } else if (type.contains(QLatin1String("0x8d"))) {
        emit d.sigExistsTHGModule(true);
    } else if (type.contains(QLatin1String("0x90"))) {
        emit d.sigExistsSHGgModule(true);
    } else if (type.contains(QLatin1String("0x93"))) {
        emit d.sigExistsTHGiModule(true);
    }
    return true;
}

bool LumetraResponseGrammar::readPiezoPosition(LumetraResponseDecoder &d, const Line &line)
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
    d.m_piezoPosition.current = harmonicIndex(position);
    d.publish_PiezoPositionSetting();
    return true;
}

bool LumetraResponseGrammar::readCrystalSpot(LumetraResponseDecoder &d, const Line &line)
{
    quint64 spot = 0;
    if (!toUInt64(line.captures.at(1), spot) || spot > quint64(INT_MAX)) {
        return false;
    }
    d.m_crystalCurSpot.current = int(spot);
    d.publish_HGCrystalCurSpot();
    return true;
}

bool LumetraResponseGrammar::readShutterWarning(LumetraResponseDecoder &d, const Line &)
{
    emit d.sigsHGModuleWarning(LumetraResponseDecoder::tr("Shutter in wrong position"));
    return true;
}

bool LumetraResponseGrammar::readUnhandled(LumetraResponseDecoder &d, const Line &line)
{
    qCDebug(lcLumetraResponseDecoder) << "unhandled line" << line.data;
    emit d.sigUnhandledLineData(line.data);
    return true;
}

bool LumetraResponseGrammar::readHumidity(LumetraResponseDecoder &d, const Line &line)
{
    double humidity = 0.0;
    if (!toDouble(line.captures.at(1), humidity) || humidity <= double(INT_MIN) - 1.0 ||
        humidity >= double(INT_MAX) + 1.0) {
        return false;
    }
    d.m_humidity.current = int(humidity); // whole percent, truncated
    d.publish_HumidityActual();
    return true;
}

bool LumetraResponseGrammar::readDynamicSetpoint(LumetraResponseDecoder &d, const Line &line)
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
        d.m_dynamicWLS_IR.current = energy;
        d.publish_DynamicWLS_IR();
        break;
    case LumetraHarmonic::Green:
        d.m_dynamicWLS_Green.current = energy;
        d.publish_DynamicWLS_Green();
        break;
    case LumetraHarmonic::UV:
        d.m_dynamicWLS_UV.current = energy;
        d.publish_DynamicWLS_UV();
        break;
    case LumetraHarmonic::DeepUV:
        d.m_dynamicWLS_DUV.current = energy;
        d.publish_DynamicWLS_DUV();
        break;
    }
    return true;
}

bool LumetraResponseGrammar::readOutputPower(LumetraResponseDecoder &d, const Line &line)
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
    if (line.captures.at(1) == QLatin1String("S")) {
        d.m_shgOutputPower.current = power;
        d.publish_SHGOutputPower();
    } else {
        d.m_thgOutputPower.current = power;
        d.publish_THGOutputPower();
    }
    return true;
}

bool LumetraResponseGrammar::readAllRuntimes(LumetraResponseDecoder &d, const Line &line)
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
    d.m_crystalAllRuntimes.current = runtimes;
    d.publish_HGCrystalAllRuntimes();
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Power listing and parameter table

bool LumetraResponseGrammar::readTableRow(LumetraResponseDecoder &d, const Line &line)
{
    // The same row shape means a power limit while the power listing is open, a parameter otherwise.
    return d.m_powerListingOpen ? readPowerRow(d, line) : readParameterRow(d, line);
}

bool LumetraResponseGrammar::readPowerRow(LumetraResponseDecoder &d, const Line &line)
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
    if (index == 0 && selector == 0) {
        d.m_powerMin_nJ.current.clear();
        d.m_powerMax_nJ.current.clear();
    }
    if (selector != 0 && selector != 1) {
        return true;
    }
    QMap<int, double> &table = selector == 0 ? d.m_powerMin_nJ.current : d.m_powerMax_nJ.current;
    if (!fitsListing(table, index)) {
        ++d.m_droppedListingRows;
        return true;
    }
    table.insert(index, energy);
    d.m_powerRowsPending = true;
    return true;
}

bool LumetraResponseGrammar::readParameterRow(LumetraResponseDecoder &d, const Line &line)
{
    QRegExp &regExp = d.m_regExp;
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
    QMap<int, double> &table = d.m_frequencyDivList.current;
    if (index == 0) {
        table.clear();
    }
    if (!fitsListing(table, index)) {
        ++d.m_droppedListingRows;
        return true;
    }
    table.insert(index, double(baseValue));
    d.m_divisionRowsPending = true;
    return true;
}
