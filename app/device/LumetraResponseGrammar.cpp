#include "app/device/LumetraResponseGrammar.h"

#include "app/device/LumetraResponseDecoder.h"

#include <climits>
#include <cmath>

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

} // namespace

// ---------------------------------------------------------------------------------------------------
// The table of line kinds, in test order.

const QVector<LumetraResponseGrammar::LineKind> &LumetraResponseGrammar::lineKinds()
{
    static const QVector<LineKind> kinds = {
        // System identification (answer to "ly_system_info")
        {"1",
         Test::Prefix,
         {"Lumetra-"},
         "^(Lumetra-.+) Hardware:(.*) Firmware:(.*)\\n",
         [](D &d, const Line &l) {
             d.m_systemType.current = l.captures.at(1);
             d.m_hardwareVersion.current = l.captures.at(2);
             d.m_firmwareVersion.current = l.captures.at(3);
             d.publish_ly_system_info_Lumetra();
             return true;
         }},
        {"2",
         Test::Prefix,
         {"SW.MAIN", "SW_MAIN"},
         "^(SW[\\._]MAIN[\\._].+)\\n",
         [](D &d, const Line &l) {
             d.m_applicationName.current = l.captures.at(1);
             d.publish_ly_system_info_SW_MAIN();
             return true;
         }},
        {"3",
         Test::Prefix,
         {"Compiled on:"},
         "^Compiled on: (.*)\\n",
         [](D &d, const Line &l) {
             d.m_compiledOn.current = l.captures.at(1);
             d.publish_ly_system_info_Compiled_on();
             return true;
         }},
        {"4",
         Test::Prefix,
         {"Serial number:"},
         "^Serial number: (.*)\\n",
         [](D &d, const Line &l) {
             d.m_serialNumber.current = l.captures.at(1);
             d.publish_ly_system_info_Serial_number();
             return true;
         }},
        {"5",
         Test::Prefix,
         {"LDD device -"},
         "^LDD.+Hardware: (.*), Software version: (.*), Revision: (.*)\\n",
         [](D &d, const Line &l) {
             d.m_lddHardware.current = l.captures.at(1);
             d.m_lddSoftware.current = l.captures.at(2);
             d.m_lddRevision.current = l.captures.at(3);
             d.publish_ly_system_info_LLD_device();
             return true;
         }},
        {"6",
         Test::Prefix,
         {"TEC device -"},
         "^TEC.+Hardware: (.*), Software version: (.*), Revision: (.*)\\n",
         [](D &d, const Line &l) {
             d.m_tecHardware.current = l.captures.at(1);
             d.m_tecSoftware.current = l.captures.at(2);
             d.m_tecRevision.current = l.captures.at(3);
             d.publish_ly_system_info_TEC_device();
             return true;
         }},
        {"7",
         Test::Prefix,
         {"Timing Board"},
         "^Timing Board S\\/N: (.*); MCU T\\/B: (.*); FPGA T\\/B: (.*)\\n",
         [](D &d, const Line &l) {
             d.m_timingBoardSerial.current = l.captures.at(1);
             d.m_timingBoardMCU.current = l.captures.at(2);
             d.m_timingBoardFPGA.current = l.captures.at(3);
             d.publish_ly_system_info_Timing_Board();
             return true;
         }},
        {"8",
         Test::Prefix,
         {"Device switch on time"},
         "^Device switch on time \\(Standby and up\\): (.*) hours (.*) minutes\\n",
         [](D &d, const Line &l) {
             d.m_deviceOnHours.current = l.captures.at(1);
             d.m_deviceOnMinutes.current = l.captures.at(2);
             d.publish_ly_system_info_DeviceOnTime();
             return true;
         }},
        {"9",
         Test::Prefix,
         {"Laser Emission switch on time"},
         "^Laser Emission switch on time: (.*) hours (.*) minutes\\n",
         [](D &d, const Line &l) {
             d.m_emissionHours.current = l.captures.at(1);
             d.m_emissionMinutes.current = l.captures.at(2);
             d.publish_ly_system_info_EmissionTime();
             return true;
         }},

        // Harmonic module information (answer to "ls?")
        {"10",
         Test::Prefix,
         {"ZOR harmonic generation module (address:"},
         "^ZOR harmonic generation module \\(address: (.*) / type: (.*)\\)\\n",
         [](D &d, const Line &l) {
             d.m_moduleAddress.current = l.captures.at(1);
             d.m_moduleType.current = l.captures.at(2);
             d.publish_ls_info_ModuleAddrType();
             return true;
         }},
        {"11",
         Test::Prefix,
         {"Firmware version:"},
         "^Firmware version:\t(.*)\\n",
         [](D &d, const Line &l) {
             d.m_moduleFirmwareVersion.current = l.captures.at(1);
             d.publish_ls_info_FirmwareVersion();
             return true;
         }},
        {"12",
         Test::Prefix,
         {"Bootloader version:"},
         "^Bootloader version:\t(.*)\\n",
         [](D &d, const Line &l) {
             d.m_moduleBootloaderVersion.current = l.captures.at(1);
             d.publish_ls_info_BootladerVersion();
             return true;
         }},
        {"13",
         Test::Prefix,
         {"Module serial number:"},
         "^Module serial number:\t(.*)\\n",
         [](D &d, const Line &l) {
             d.m_moduleSerialNumber.current = l.captures.at(1);
             d.publish_ls_info_ModuleSerialNumber();
             return true;
         }},
        {"14",
         Test::Prefix,
         {"PCB serial number:"},
         "^PCB serial number:\t(.*)\\n",
         [](D &d, const Line &l) {
             d.m_modulePCBSerialNumber.current = l.captures.at(1);
             d.publish_ls_info_PCBSerialNumber();
             checkModuleType(d); // the last line of the module block
             return true;
         }},

        // Status records
        {"15",
         Test::Prefix,
         {"s6 "},
         {},
         [](D &d, const Line &l) {
             return readRecord(d, l, 6);
         }},
        {"16",
         Test::Prefix,
         {"s7 "},
         {},
         [](D &d, const Line &l) {
             return readRecord(d, l, 7);
         }},
        {"17",
         Test::Prefix,
         {"s8 "},
         {},
         [](D &d, const Line &l) {
             return readRecord(d, l, 8);
         }},
        {"18",
         Test::Prefix,
         {"s9 "},
         {},
         [](D &d, const Line &l) {
             return readRecord(d, l, 9);
         }},

        // Debug output and system state
        {"19",
         Test::Prefix,
         {"d2?", "d2="},
         {},
         [](D &, const Line &) {
             return true;
         }},
        {"20",
         Test::MatchNoCase,
         {"^Ok write.*debug Communication value to eeprom"},
         {},
         [](D &, const Line &) {
             return true;
         }},
        {"21",
         Test::MatchNoCase,
         {"^Debugging on communication channel.*enabled"},
         {},
         [](D &d, const Line &) {
             d.m_debuggingEnabled.current = d.m_debuggingEnabled.published = true;
             emit d.sigDebuggingStatusChanged(true);
             return true;
         }},
        {"22",
         Test::MatchNoCase,
         {"^Debugging on communication channel.*disabled"},
         {},
         [](D &d, const Line &) {
             d.m_debuggingEnabled.current = d.m_debuggingEnabled.published = false;
             emit d.sigDebuggingStatusChanged(false);
             return true;
         }},
        {"23",
         Test::SystemState,
         {},
         {},
         [](D &d, const Line &l) {
             d.m_systemState.current = l.alternative;
             d.publish_SystemState();
             return true;
         }},
        {"24",
         Test::Prefix,
         {"^?AVGENGY =", "^?ENERGY =", "ly_lqz2_power", "e_power"},
         {},
         [](D &, const Line &) {
             return true;
         }},

        // Power set-points and repetition rate
        {"25",
         Test::Prefix,
         {"Setted laser power:"},
         {},
         [](D &d, const Line &l) {
             const QString text = l.text.mid(20).remove(QStringLiteral("nJ\n"));
             double value = 0.0;
             if (!toDouble(text, value)) {
                 return false;
             }
             d.m_powerSetpoint_nJ.current = text;
             d.publish_PowerSetpoint_nJ();
             return true;
         }},
        {"26",
         Test::Prefix,
         {"Setted laser power in relative unit:"},
         {},
         [](D &d, const Line &l) {
             const QString text = l.text.mid(37).remove(QLatin1Char('\n'));
             double value = 0.0;
             if (!toDouble(text, value)) {
                 return false;
             }
             d.m_powerSetpoint_Percent.current = text;
             d.publish_PowerSetpoint_Percent();
             return true;
         }},
        {"27",
         Test::Prefix,
         {"Frequency index parameter:"},
         {},
         [](D &d, const Line &l) {
             if (!toInt(l.text.mid(27).remove(QLatin1Char('\n')), d.m_frequencyIndex.current)) {
                 return false;
             }
             d.publish_FrequencyIndex();
             return true;
         }},
        {"28",
         Test::Prefix,
         {"Notice: Division factor for PCAOM is"},
         {},
         [](D &d, const Line &l) {
             if (!toInt(l.text.mid(37).remove(QLatin1Char('\n')), d.m_divisionFactor.current)) {
                 return false;
             }
             d.publish_DivisionFactor();
             return true;
         }},
        {"29",
         Test::Prefix,
         {"Notice: Division factor is"},
         {},
         [](D &d, const Line &l) {
             if (!toInt(l.text.mid(27).remove(QLatin1Char('\n')), d.m_divisionFactor.current)) {
                 return false;
             }
             d.publish_DivisionFactor();
             return true;
         }},
        {"30",
         Test::Prefix,
         {"Laser output disabled"},
         {},
         [](D &d, const Line &) {
             d.m_aomEnabled.current = 0;
             d.publish_AOMStatus();
             return true;
         }},
        {"31",
         Test::Prefix,
         {"Laser output enabled"},
         {},
         [](D &d, const Line &) {
             d.m_aomEnabled.current = 1;
             d.publish_AOMStatus();
             return true;
         }},

        // Harmonic module: ovens and humidity
        {"32",
         Test::Prefix,
         {"ZOR HG\tCurrent FSM state="},
         "^ZOR HG\tCurrent FSM state=(.*)\\n",
         [](D &d, const Line &l) {
             if (!toInt(l.captures.at(1), d.m_ovenMode.current)) {
                 return false;
             }
             d.publish_OvenMode();
             return true;
         }},
        {"33",
         Test::Prefix,
         {"ZOR SHG\tOven Setpoint"},
         "^ZOR SHG\tOven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
         [](D &d, const Line &l) {
             if (!readOvenSetpoint(l, d.m_oven1Setpoint, d.m_oven1Min, d.m_oven1Max)) {
                 return false;
             }
             d.publish_Oven1TemperatureSetpoint();
             return true;
         }},
        {"34",
         Test::Prefix,
         {"ZOR SHG\tOven Temperature="},
         "^ZOR SHG\tOven Temperature=(.*) C\\n",
         [](D &d, const Line &l) {
             if (!toDouble(l.captures.at(1), d.m_oven1Actual.current)) {
                 return false;
             }
             d.publish_Oven1TemperatureActual();
             return true;
         }},
        {"35",
         Test::Prefix,
         {"ZOR THG\tSHG Oven Setpoint"},
         "^ZOR THG\tSHG Oven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
         [](D &d, const Line &l) {
             if (!readOvenSetpoint(l, d.m_oven1Setpoint, d.m_oven1Min, d.m_oven1Max)) {
                 return false;
             }
             d.publish_Oven1TemperatureSetpoint();
             return true;
         }},
        {"36",
         Test::Prefix,
         {"ZOR THG\tSHG Oven Temperature="},
         "^ZOR THG\tSHG Oven Temperature=(.*) C\\n",
         [](D &d, const Line &l) {
             if (!toDouble(l.captures.at(1), d.m_oven1Actual.current)) {
                 return false;
             }
             d.publish_Oven1TemperatureActual();
             return true;
         }},
        {"37",
         Test::Prefix,
         {"ZOR THG\tTHG Oven Setpoint"},
         "^ZOR THG\tTHG Oven Setpoint=(.*) C\tMin=(.*) C\tMax=(.*) C\\n",
         [](D &d, const Line &l) {
             if (!readOvenSetpoint(l, d.m_oven2Setpoint, d.m_oven2Min, d.m_oven2Max)) {
                 return false;
             }
             d.publish_Oven2TemperatureSetpoint();
             return true;
         }},
        {"38",
         Test::Prefix,
         {"ZOR THG\tTHG Oven Temperature="},
         "^ZOR THG\tTHG Oven Temperature=(.*) C\\n",
         [](D &d, const Line &l) {
             if (!toDouble(l.captures.at(1), d.m_oven2Actual.current)) {
                 return false;
             }
             d.publish_Oven2TemperatureActual();
             return true;
         }},
        {"39",
         Test::Prefix,
         {"ZOR SHG\tHumidity="},
         "^ZOR SHG\tHumidity=(.*)%\\n",
         [](D &d, const Line &l) {
             return readHumidity(d, l);
         }},
        {"40",
         Test::Prefix,
         {"ZOR THG\tHumidity="},
         "^ZOR THG\tHumidity=(.*)%\\n",
         [](D &d, const Line &l) {
             return readHumidity(d, l);
         }},

        // Harmonic module: wavelength, gate and dynamic wavelength switching
        {"41",
         Test::Match,
         {"^ZOR [ST]HG\tCurrent position="},
         "^ZOR [ST]HG\tCurrent position=(.*)\\n",
         [](D &d, const Line &l) {
             const QString name = l.captures.at(1);
             if (name.contains(QLatin1String("IR"), Qt::CaseInsensitive)) {
                 d.m_piezoPosition.current = 0;
             } else if (name.contains(QLatin1String("GREEN"), Qt::CaseInsensitive)) {
                 d.m_piezoPosition.current = 1;
             } else if (name.contains(QLatin1String("UV"), Qt::CaseInsensitive)) {
                 d.m_piezoPosition.current = 2;
             } else {
                 return false;
             }
             d.publish_PiezoPositionSetting();
             return true;
         }},
        {"42",
         Test::Prefix,
         {"Active digital gate logic:\tlogic LOW (no connection) = AOM OPEN"},
         {},
         [](D &d, const Line &) {
             d.m_digitalGate.current = 0;
             d.publish_DigitalGateSetting();
             return true;
         }},
        {"43",
         Test::Prefix,
         {"Active digital gate logic:\tlogic LOW (no connection) = AOM CLOSED"},
         {},
         [](D &d, const Line &) {
             d.m_digitalGate.current = 1;
             d.publish_DigitalGateSetting();
             return true;
         }},
        {"44",
         Test::Prefix,
         {"ZOR HG\tDynamic wavelength switching disabled", "ZOR HG\tDynamic wavelength switching enabled"},
         {},
         [](D &d, const Line &l) {
             d.m_dynamicWavelengthEnabled.current = l.alternative; // 0 disabled, 1 enabled
             d.publish_DynamicWavelengthEnabled();
             return true;
         }},
        {"45",
         Test::Prefix,
         {"ZOR HG\tDynamic wavelength switching feature disabled",
          "ZOR HG\tDynamic wavelength switching feature enabled"},
         {},
         [](D &d, const Line &l) {
             d.m_dynamicWavelengthSupported.current = l.alternative;
             d.publish_DynamicWavelengthSupport();
             return true;
         }},
        {"46",
         Test::Match,
         {"^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:"},
         "^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:\\s+(\\d)\\s+IR\\s+pulse\\s+energy\\s+=\\s+(\\d+)",
         [](D &d, const Line &l) {
             return readDynamicSetpoint(d, l);
         }},
        {"47",
         Test::Match,
         {"^ZOR\\s+[S|T]HG\\s+Output\\s+power\\s*="},
         "^ZOR\\s+([S|T])HG\\s+Output\\s+power\\s*=\\s*(.+)\\n",
         [](D &d, const Line &l) {
             return readOutputPower(d, l);
         }},

        // Harmonic module: status, runtimes and crystal spots
        {"48",
         Test::Prefix,
         {"ZOR HG\tStatus flags="},
         "^ZOR HG\tStatus flags=(.*)\\n",
         [](D &d, const Line &l) {
             if (!toUnsigned(l.captures.at(1), d.m_hgStatusFlags.current, 16)) {
                 return false;
             }
             d.publish_HGStatusFlags();
             return true;
         }},
        {"49",
         Test::Prefix,
         {"ZOR HG\tErrorcode="},
         "^ZOR HG\tErrorcode=(.*)\\n",
         [](D &d, const Line &l) {
             if (!toUnsigned(l.captures.at(1), d.m_hgErrorcode.current, 10)) {
                 return false;
             }
             d.publish_HGErrorcode();
             return true;
         }},
        {"50",
         Test::Match,
         {"^ZOR\\s*HG\\s+WL\\s+output\\s+config:\\s+"},
         "^ZOR\\s*HG\\s+WL\\s+output\\s+config:\\s+0x(.+)\\n",
         [](D &d, const Line &l) {
             if (!toUnsigned(l.captures.at(1), d.m_hgOutputConfig.current, 16)) {
                 return false;
             }
             d.publish_HGOutputConfig();
             return true;
         }},
        {"51",
         Test::Prefix,
         {"ZOR SHG\tRuntime=", "ZOR THG\tRuntime="},
         "^ZOR .HG\tRuntime=(.*)s\\n",
         [](D &d, const Line &l) {
             if (!toUInt64(l.captures.at(1), d.m_hgRuntime.current)) {
                 return false;
             }
             d.publish_HGRuntime();
             return true;
         }},
        {"52",
         Test::Prefix,
         {"ZOR THG\tCurrent crystal spot="},
         "^ZOR THG\tCurrent crystal spot=(.*)\\n",
         [](D &d, const Line &l) {
             quint64 spot = 0;
             if (!toUInt64(l.captures.at(1), spot) || spot > quint64(INT_MAX)) {
                 return false;
             }
             d.m_crystalCurSpot.current = int(spot);
             d.publish_HGCrystalCurSpot();
             return true;
         }},
        {"53",
         Test::Prefix,
         {"ZOR THG\tCurrent runtime="},
         "^ZOR THG\tCurrent runtime=(.*)s\\n",
         [](D &d, const Line &l) {
             if (!toUInt64(l.captures.at(1), d.m_crystalCurRuntime.current)) {
                 return false;
             }
             d.publish_HGCrystalCurRuntime();
             return true;
         }},
        {"54",
         Test::Prefix,
         {"ZOR THG\tMax runtime="},
         "^ZOR THG\tMax runtime=(.*)s\\n",
         [](D &d, const Line &l) {
             if (!toUInt64(l.captures.at(1), d.m_crystalMaxRuntime.current)) {
                 return false;
             }
             d.publish_HGCrystalMaxRuntime();
             return true;
         }},
        {"55",
         Test::Prefix,
         {"ZOR THG\tAll runtimes="},
         {},
         [](D &d, const Line &l) {
             return readAllRuntimes(d, l);
         }},
        {"56",
         Test::Prefix,
         {"AOM max frequency fields number is:", "e_mode of AOM:",
          "Switching OFF Seeder Laser diode: Laser_OnOff_value_Seeder="},
         {},
         [](D &, const Line &) {
             return true;
         }},

        // Power listing and parameter table
        {"57",
         Test::Match,
         {"^\\d* \\d* .*"},
         {},
         [](D &d, const Line &l) {
             return d.m_powerListingOpen ? readPowerRow(d, l) : readParameterRow(d, l);
         }},
        {"57a",
         Test::Prefix,
         {"ERRRST", "AOM80S80", "AOMMODE", "AOMRNG", "AOMAMP", "PCPER", "PC1OFF", "PC1ON", "PDSMPL", "AOMOFF",
          "AOMEN", "OUT2SEL", "PC2EN", "PC1EN", "AOMINH", "PC1INH", "PC2INH"},
         {},
         [](D &, const Line &) {
             return true;
         }},
        {"57a",
         Test::Equals,
         {"P\r", "F\r"},
         {},
         [](D &, const Line &) {
             return true;
         }},
        {"57b",
         Test::Prefix,
         {"eira"},
         {},
         [](D &d, const Line &) {
             d.m_powerListingOpen = false;
             return true;
         }},
        {"57c",
         Test::Prefix,
         {"ezra"},
         {},
         [](D &d, const Line &) {
             d.m_powerListingOpen = true;
             return true;
         }},

        // Warnings, known lines and the rest
        {"58",
         Test::Prefix,
         {"ZOR HG\tShutter in wrong position."},
         {},
         [](D &d, const Line &) {
             emit d.sigsHGModuleWarning(D::tr("Shutter in wrong position"));
             return true;
         }},
        {"59",
         Test::Prefix,
         knownPrefixes,
         {},
         [](D &, const Line &) {
             return true;
         }},
        {"60",
         Test::Always,
         {},
         {},
         [](D &d, const Line &l) {
             emit d.sigUnhandledLineData(l.data);
             return true;
         }},
    };
    return kinds;
}

// Tried in this order, letter case ignored; the first match gives the state.
const QVector<LumetraResponseGrammar::StatePattern> &LumetraResponseGrammar::statePatterns()
{
    static const QVector<StatePattern> patterns = {
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
    };
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
        case Test::MatchNoCase:
            regExp.setCaseSensitivity(kind.test == Test::Match ? Qt::CaseSensitive : Qt::CaseInsensitive);
            regExp.setPattern(kind.texts.constFirst());
            if (regExp.indexIn(text, 0) == 0) {
                return &kind;
            }
            break;
        case Test::SystemState:
            regExp.setCaseSensitivity(Qt::CaseInsensitive);
            for (const StatePattern &state : statePatterns()) {
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
    bool tolerant = d.m_firmwareVersion.published.contains(tolerantRecordFirmware);
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

bool LumetraResponseGrammar::readOvenSetpoint(const Line &line, TrackedDouble &setpoint, TrackedDouble &min,
                                              TrackedDouble &max)
{
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!toDouble(line.captures.at(i + 1), values[i])) {
            return false;
        }
    }
    setpoint.current = values[0];
    min.current = values[1];
    max.current = values[2];
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
    switch (index) {
    case 0:
        d.m_dynamicWLS_IR.current = energy;
        d.publish_DynamicWLS_IR();
        break;
    case 1:
        d.m_dynamicWLS_Green.current = energy;
        d.publish_DynamicWLS_Green();
        break;
    case 2:
        d.m_dynamicWLS_UV.current = energy;
        d.publish_DynamicWLS_UV();
        break;
    case 3:
        d.m_dynamicWLS_DUV.current = energy;
        d.publish_DynamicWLS_DUV();
        break;
    default:
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
    if (selector == 0) {
        d.m_powerMin_nJ.current.insert(index, energy);
    } else if (selector == 1) {
        d.m_powerMax_nJ.current.insert(index, energy);
    } else {
        return true;
    }
    d.publish_PowerSetpoint_nJ_Range();
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
    if (index == 0) {
        d.m_frequencyDivList.current.clear();
    }
    d.m_frequencyDivList.current.insert(index, double(baseValue));
    d.publish_FrequencyDivList();
    return true;
}

void LumetraResponseGrammar::checkModuleType(LumetraResponseDecoder &d)
{
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
}
