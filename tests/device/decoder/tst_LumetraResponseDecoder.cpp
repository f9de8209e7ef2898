#include "EmissionLog.h"

#include "device/LumetraPatternFilter.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraResponseGrammar.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QtTest>

#include <cmath>

namespace {

using Lines = QByteArrayList;

// The signals each status record announces, in record order.
const QStringList s6Signals = {
    "sigiCounterLaserOnOff_hChanged",         "sigiCounterLaserOnOff_mChanged",
    "sigiCounterLaserEmmisionOnOff_hChanged", "sigiCounterLaserEmmisionOnOff_mChanged",
    "sigiTEC_initialisationChanged",          "sigiLDD_initialisationChanged",
    "sigiDownload_lin12b_status_TBChanged",   "sigiDownload_wrnmin_status_TBChanged",
    "sigiDownload_errmax_status_TBChanged",   "sigiDownload_errmin_status_TBChanged",
    "sigiDownload_wrnmax_status_TBChanged",   "sigiOperationModeChanged"};
const QStringList s7Signals = {"sigiLaserEmmisionChanged",
                               "sigiModeOfOperationAOMChanged",
                               "sigiShutterOnOffChanged",
                               "sigiLumetraQZReadyChanged",
                               "sigiLaserPowerSetAOMChanged",
                               "sigiFrequencyDividerAOMChanged",
                               "sigiFrequencyIndexPCAOMinitChanged",
                               "sigfMeasuredLaserPowerChanged",
                               "sigiNoOfPulsesSingleBurstChanged",
                               "sigiGeneral_temperature_statusChanged",
                               "sigiTemperature_status_1Changed",
                               "sigiTemperature_status_8Changed",
                               "sigiDELAY_BOARD_ERRORChanged",
                               "sigiErrorStatusTECChanged",
                               "sigiErrorStatusLDDChanged",
                               "sigiWavelenghtLQZChanged"};
const QStringList s8Signals = {
    "sigiLpcl_en_statusChanged",      "sigiLpcl_boost_timeChanged",  "sigfLpcl_currentChanged",
    "sigfLpcl_current_boostChanged",  "sigfLpcl_temperatureChanged", "sigfTmpFloatValueAChanged",
    "sigfTmpFloatValueBChanged",      "sigfTmpFloatValueCChanged",   "sigiComm_device_1_RS485Changed",
    "sigiComm_device_2_RS485Changed", "sigiActualCurrentLDDChanged", "sigfLdd1_om2_MaxCurrentChanged"};

QStringList s9Signals()
{
    QStringList names;
    for (int sensor = 1; sensor <= 10; ++sensor) {
        for (const char *what : {"set", "actual", "min", "max"}) {
            names << QStringLiteral("sigfTemperature_%1_%2Changed").arg(QLatin1String(what)).arg(sensor);
        }
    }
    return names << QStringLiteral("siguiTmpChar2Changed");
}

// "name(value)" for each signal and value, in order.
QStringList emissions(const QStringList &names, const QStringList &values)
{
    QStringList result;
    for (int i = 0; i < names.size() && i < values.size(); ++i) {
        result << names.at(i) + QLatin1Char('(') + values.at(i) + QLatin1Char(')');
    }
    return result;
}

QStringList numbers(int from, int count)
{
    QStringList result;
    for (int i = 0; i < count; ++i) {
        result << QString::number(from + i);
    }
    return result;
}

} // namespace

class tst_LumetraResponseDecoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void lineKinds_data();
    void lineKinds();
    void patternFilter_data();
    void patternFilter();
    void dispatchOrder_data();
    void dispatchOrder();
    void owningKind_data();
    void owningKind();
    void statusRecords_data();
    void statusRecords();
    void changeOnlyAndForced_data();
    void changeOnlyAndForced();
    void republishAfterDisconnection();
    void allBitsSetIsAReading_data();
    void allBitsSetIsAReading();
    void powerListing();
    void runawayListings();
    void frequencyTable_data();
    void frequencyTable();
    void outputFrequencyFormula_data();
    void outputFrequencyFormula();
    void queuedDelivery();
    void namedInterface_data();
    void namedInterface();

private:
    static QStringList feed(const Lines &lines);
};

QStringList tst_LumetraResponseDecoder::feed(const Lines &lines)
{
    LumetraResponseDecoder decoder;
    EmissionLog log(&decoder);
    for (const QByteArray &line : lines) {
        decoder.slotLineReceived(line);
    }
    return log.take();
}

// One row per line kind: real lines and everything the decoder must announce for them.
void tst_LumetraResponseDecoder::lineKinds_data()
{
    QStringList spots;
    for (int i = 0; i < 32; ++i) {
        spots << QStringLiteral("%1:%2").arg(i).arg(100 + i);
    }
    const QString allRuntimes32 = spots.join(' ');

    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("1 identification")
        << Lines{"Lumetra-10 Hardware:1.2 Firmware:V5.0.2\n"}
        << QStringList{"sigsLumetraTypeChanged(Lumetra-10)", "sigsHardwareVersionChanged(1.2)",
                       "sigsFirmwareVersionChanged(V5.0.2)"};
    QTest::newRow("1 without versions")
        << Lines{"Lumetra-10\n"} << QStringList{"sigParsingError(Lumetra-10\\n)"};
    QTest::newRow("2 SW.MAIN") << Lines{"SW.MAIN.LQZ.MR.V5\n"}
                               << QStringList{"sigsApplicationNameChanged(SW.MAIN.LQZ.MR.V5)"};
    QTest::newRow("2 SW_MAIN") << Lines{"SW_MAIN_006_LQZ\n"}
                               << QStringList{"sigsApplicationNameChanged(SW_MAIN_006_LQZ)"};
    QTest::newRow("2 SW_MAIN bare") << Lines{"SW_MAIN\n"} << QStringList{"sigParsingError(SW_MAIN\\n)"};
    QTest::newRow("3 compiled") << Lines{"Compiled on: Mar 12 2021 14:02:11\n"}
                                << QStringList{"sigsCompilationDateTimeChanged(Mar 12 2021 14:02:11)"};
    QTest::newRow("4 serial") << Lines{"Serial number: LQZ-0042\n"}
                              << QStringList{"sigsSerialNumberChanged(LQZ-0042)"};
    QTest::newRow("5 LDD") << Lines{"LDD device - Hardware: H3, Software version: 2.1, Revision: 7\n"}
                           << QStringList{"sigsLDDDeviceHardwareChanged(H3)",
                                          "sigsLDDDeviceSoftwareChanged(2.1)",
                                          "sigsLDDDeviceRevisionChanged(7)"};
    QTest::newRow("5 LDD malformed") << Lines{"LDD device - unknown\n"}
                                     << QStringList{"sigParsingError(LDD device - unknown\\n)"};
    QTest::newRow("6 TEC") << Lines{"TEC device - Hardware: T1, Software version: 1.0, Revision: 3\n"}
                           << QStringList{"sigsTECDeviceHardwareChanged(T1)",
                                          "sigsTECDeviceSoftwareChanged(1.0)",
                                          "sigsTECDeviceRevisionChanged(3)"};
    QTest::newRow("7 timing board") << Lines{"Timing Board S/N: TB-17; MCU T/B: 4.2; FPGA T/B: 0x1A\n"}
                                    << QStringList{"sigsTimingBoardSerialChanged(TB-17)",
                                                   "sigsTimingBoardMCUChanged(4.2)",
                                                   "sigsTimingBoardFPGAChanged(0x1A)"};
    QTest::newRow("8 device on") << Lines{"Device switch on time (Standby and up): 1234 hours 56 minutes\n"}
                                 << QStringList{"sigsDeviceOnHoursChanged(1234)",
                                                "sigsDeviceOnMinutesChanged(56)"};
    QTest::newRow("9 emission") << Lines{"Laser Emission switch on time: 321 hours 5 minutes\n"}
                                << QStringList{"sigsDeviceEmissionHoursChanged(321)",
                                               "sigsDeviceEmissionMinutesChanged(5)"};
    QTest::newRow("10-14 THG module block")
        << Lines{"ZOR harmonic generation module (address: 0x21 / type: 0x8d)\n",
                 "Firmware version:\t1.4.0\n", "Bootloader version:\t0.9\n", "Module serial number:\tHG-77\n",
                 "PCB serial number:\tPCB-5\n"}
        << QStringList{"sigsHGModuleAddress(0x21)",         "sigsHGModuleType(0x8d)",
                       "sigsHGModuleFirwareVersion(1.4.0)", "sigsHGModuleBootloaderVersion(0.9)",
                       "sigsHGModuleSerialNumber(HG-77)",   "sigsHGModulePCBSerialNumber(PCB-5)",
                       "sigExistsTHGModule(true)"};
    QTest::newRow("14 SHG module") << Lines{"ZOR harmonic generation module (address: 1 / type: 0x86)\n",
                                            "PCB serial number:\tP\n"}
                                   << QStringList{"sigsHGModuleAddress(1)", "sigsHGModuleType(0x86)",
                                                  "sigsHGModulePCBSerialNumber(P)",
                                                  "sigExistsSHGModule(true)"};
    QTest::newRow("14 SHGg module") << Lines{"ZOR harmonic generation module (address: 1 / type: 0x90)\n",
                                             "PCB serial number:\tP\n"}
                                    << QStringList{"sigsHGModuleAddress(1)", "sigsHGModuleType(0x90)",
                                                   "sigsHGModulePCBSerialNumber(P)",
                                                   "sigExistsSHGgModule(true)"};
    QTest::newRow("14 THGi module") << Lines{"ZOR harmonic generation module (address: 1 / type: 0x93)\n",
                                             "PCB serial number:\tP\n"}
                                    << QStringList{"sigsHGModuleAddress(1)", "sigsHGModuleType(0x93)",
                                                   "sigsHGModulePCBSerialNumber(P)",
                                                   "sigExistsTHGiModule(true)"};
    QTest::newRow("14 unknown module")
        << Lines{"ZOR harmonic generation module (address: 1 / type: 0x42)\n", "PCB serial number:\tP\n"}
        << QStringList{"sigsHGModuleAddress(1)", "sigsHGModuleType(0x42)", "sigsHGModulePCBSerialNumber(P)"};
    QTest::newRow("19 debug query echo") << Lines{"d2?\n", "d2=0\n"} << QStringList{};
    QTest::newRow("20 eeprom confirmation")
        << Lines{"OK WRITE the DEBUG communication value to EEPROM\n"} << QStringList{};
    QTest::newRow("21 debugging on, every time")
        << Lines{"Debugging on communication channel 2 enabled\n",
                 "debugging on communication channel 2 ENABLED\n"}
        << QStringList{"sigDebuggingStatusChanged(true)", "sigDebuggingStatusChanged(true)"};
    QTest::newRow("22 debugging off") << Lines{"Debugging on communication channel 2 disabled\n"}
                                      << QStringList{"sigDebuggingStatusChanged(false)"};
    QTest::newRow("24 energy echoes")
        << Lines{"ly_lqz2_power?\n", "e_power?\n", "^?AVGENGY = 12\n"} << QStringList{};
    QTest::newRow("25 energy set-point")
        << Lines{"Setted laser power: 150 nJ\n"} << QStringList{"sigPowerSetting_nJ_Changed(150)"};
    QTest::newRow("25 not a number") << Lines{"Setted laser power: high nJ\n"}
                                     << QStringList{"sigParsingError(Setted laser power: high nJ\\n)"};
    QTest::newRow("26 relative set-point") << Lines{"Setted laser power in relative unit: 2000\n"}
                                           << QStringList{"sigPowerSetting_percent_Changed(50)"};
    QTest::newRow("27 frequency index")
        << Lines{"Frequency index parameter: 3\n"}
        << QStringList{"sigOutputFrequencyChanged(0)", "sigFrequencyIndexChanged(3)"};
    QTest::newRow("27 must convert") << Lines{"Frequency index parameter: x\n"}
                                     << QStringList{"sigParsingError(Frequency index parameter: x\\n)"};
    QTest::newRow("28 PCAOM division")
        << Lines{"Notice: Division factor for PCAOM is 4\n"}
        << QStringList{"sigOutputFrequencyChanged(0)", "sigDivisionFactorChanged(4)"};
    QTest::newRow("29 division") << Lines{"Notice: Division factor is 2\n"}
                                 << QStringList{"sigOutputFrequencyChanged(0)",
                                                "sigDivisionFactorChanged(2)"};
    QTest::newRow("30 31 output") << Lines{"Laser output enabled\n", "Laser output enabled\n",
                                           "Laser output disabled\n"}
                                  << QStringList{"sigAOMChanged(true)", "sigAOMChanged(false)"};
    QTest::newRow("32 oven mode") << Lines{"ZOR HG\tCurrent FSM state=3\n"}
                                  << QStringList{"sigOvenModeChanged(3)"};
    QTest::newRow("33 SHG oven set-point")
        << Lines{"ZOR SHG\tOven Setpoint=45.5 C\tMin=20 C\tMax=60 C\n"}
        << QStringList{"sigOven1TempSettingRangeChanged(20,60)", "sigOven1TempSettingChanged(45.5)"};
    QTest::newRow("33 malformed") << Lines{"ZOR SHG\tOven Setpoint=45.5 C\n"}
                                  << QStringList{"sigParsingError(ZOR SHG\\tOven Setpoint=45.5 C\\n)"};
    QTest::newRow("34 SHG oven") << Lines{"ZOR SHG\tOven Temperature=44.9 C\n"}
                                 << QStringList{"sigOven1TempActualChanged(44.9)"};
    QTest::newRow("35 THG SHG oven set-point")
        << Lines{"ZOR THG\tSHG Oven Setpoint=40 C\tMin=25 C\tMax=55 C\n"}
        << QStringList{"sigOven1TempSettingRangeChanged(25,55)", "sigOven1TempSettingChanged(40)"};
    QTest::newRow("36 THG SHG oven") << Lines{"ZOR THG\tSHG Oven Temperature=39.5 C\n"}
                                     << QStringList{"sigOven1TempActualChanged(39.5)"};
    QTest::newRow("37 THG oven set-point")
        << Lines{"ZOR THG\tTHG Oven Setpoint=70 C\tMin=30 C\tMax=90 C\n"}
        << QStringList{"sigOven2TempSettingRangeChanged(30,90)", "sigOven2TempSettingChanged(70)"};
    QTest::newRow("38 THG oven") << Lines{"ZOR THG\tTHG Oven Temperature=69.75 C\n"}
                                 << QStringList{"sigOven2TempActualChanged(69.75)"};
    QTest::newRow("39 humidity truncated") << Lines{"ls_humidity?\n", "ZOR SHG\tHumidity=45.7%\n"}
                                           << QStringList{"sigHumidityActualChanged(45)"};
    QTest::newRow("40 THG humidity") << Lines{"ZOR THG\tHumidity=12%\n"}
                                     << QStringList{"sigHumidityActualChanged(12)"};
    QTest::newRow("39 humidity too large") << Lines{"ZOR SHG\tHumidity=1e300%\n"}
                                           << QStringList{"sigParsingError(ZOR SHG\\tHumidity=1e300%\\n)"};
    QTest::newRow("41 positions") << Lines{"ZOR SHG\tCurrent position=GREEN\n",
                                           "ZOR SHG\tCurrent position=UV\n", "ZOR THG\tCurrent position=ir\n"}
                                  << QStringList{"sigPiezoPositionChanged(1)", "sigPiezoPositionChanged(2)",
                                                 "sigPiezoPositionChanged(0)"};
    QTest::newRow("41 unknown position")
        << Lines{"ZOR THG\tCurrent position=PARK\n"}
        << QStringList{"sigParsingError(ZOR THG\\tCurrent position=PARK\\n)"};
    QTest::newRow("42 43 gate")
        << Lines{"Active digital gate logic:\tlogic LOW (no connection) = AOM CLOSED\n",
                 "Active digital gate logic:\tlogic LOW (no connection) = AOM OPEN\n"}
        << QStringList{"sigDigitalGateChanged(1)", "sigDigitalGateChanged(0)"};
    QTest::newRow("44 switching") << Lines{"ZOR HG\tDynamic wavelength switching enabled\n",
                                           "ZOR HG\tDynamic wavelength switching disabled\n"}
                                  << QStringList{"sigDynamicWavelengthFeatureChanged(1)",
                                                 "sigDynamicWavelengthFeatureChanged(0)"};
    QTest::newRow("45 feature") << Lines{"ZOR HG\tDynamic wavelength switching feature enabled\n",
                                         "ZOR HG\tDynamic wavelength switching feature disabled\n"}
                                << QStringList{"sigDynamicWavelengthFeatureSupported(true)",
                                               "sigDynamicWavelengthFeatureSupported(false)"};
    QTest::newRow("46 switching set-points")
        << Lines{"  IR Wavelength Index: 0 IR pulse energy = 1500\n",
                 "\tSHG  Wavelength Index: 1 IR pulse energy = 800\n",
                 " THG Wavelength Index: 2 IR pulse energy = 650\n",
                 " FHG Wavelength Index: 3 IR pulse energy = 40\n",
                 " FHG Wavelength Index: 7 IR pulse energy = 40\n"}
        << QStringList{"sigDynamicWLS_IRChanged(1.5)", "sigDynamicWLS_GreenChanged(0.8)",
                       "sigDynamicWLS_UVChanged(0.65)", "sigDynamicWLS_DUVChanged(0.04)"};
    QTest::newRow("46 malformed") << Lines{" IR Wavelength Index: none\n"}
                                  << QStringList{"sigParsingError( IR Wavelength Index: none\\n)"};
    QTest::newRow("47 output powers")
        << Lines{"ZOR SHG Output power = 350 mW\n", "ZOR THG\tOutput power=1.2 W\n"}
        << QStringList{"sigSHGOutputPowerChanged(350)", "sigTHGOutputPowerChanged(1200)"};
    QTest::newRow("47 no unit") << Lines{"ZOR SHG Output power = 350\n"}
                                << QStringList{"sigParsingError(ZOR SHG Output power = 350\\n)"};
    QTest::newRow("48 status flags") << Lines{"ZOR HG\tStatus flags=00A1\n"}
                                     << QStringList{"sigHGStatusFlagsChanged(161)"};
    QTest::newRow("48 flags wider than 16 bits")
        << Lines{"ZOR HG\tStatus flags=1FFFF\n"}
        << QStringList{"sigParsingError(ZOR HG\\tStatus flags=1FFFF\\n)"};
    QTest::newRow("49 error code") << Lines{"ZOR HG\tErrorcode=12\n"}
                                   << QStringList{"sigHGErrorcodeChanged(12)"};
    QTest::newRow("49 error code too large")
        << Lines{"ZOR HG\tErrorcode=300\n"} << QStringList{"sigParsingError(ZOR HG\\tErrorcode=300\\n)"};
    QTest::newRow("50 output config")
        << Lines{"ZOR HG WL output config: 0x05\n"} << QStringList{"sigHGOutputConfigChanged(5)"};
    QTest::newRow("50 without 0x") << Lines{"ZOR HG WL output config: 05\n"}
                                   << QStringList{"sigParsingError(ZOR HG WL output config: 05\\n)"};
    QTest::newRow("51 module runtime") << Lines{"ZOR THG\tRuntime=7384s\n", "ZOR SHG\tRuntime=7384s\n"}
                                       << QStringList{"sigsHGModuleRuntime(2 hours 3 minutes)"};
    QTest::newRow("52 crystal spot") << Lines{"ZOR THG\tCurrent crystal spot=4\n"}
                                     << QStringList{"sigHGCrystalCurSpotChanged(4)"};
    QTest::newRow("52 negative spot") << Lines{"ZOR THG\tCurrent crystal spot=-1\n"}
                                      << QStringList{"sigParsingError(ZOR THG\\tCurrent crystal spot=-1\\n)"};
    QTest::newRow("53 crystal runtime")
        << Lines{"ZOR THG\tCurrent runtime=86400s\n"} << QStringList{"sigHGCrystalCurRuntimeChanged(86400)"};
    QTest::newRow("54 crystal max runtime") << Lines{"ZOR THG\tMax runtime=5000000000s\n"}
                                            << QStringList{"sigHGCrystalMaxRuntimeChanged(5000000000)"};
    QTest::newRow("55 all runtimes") << Lines{"ZOR THG\tAll runtimes=10 20 30 \n"}
                                     << QStringList{"sigHGCrystalAllRuntimesChanged({0:10 1:20 2:30})"};
    QTest::newRow("55 at most 32 spots")
        << Lines{"ZOR THG\tAll runtimes=" + numbers(100, 33).join(' ').toLatin1() + " \n"}
        << QStringList{"sigHGCrystalAllRuntimesChanged({" + allRuntimes32 + "})"};
    QTest::newRow("55 bad runtime") << Lines{"ZOR THG\tAll runtimes=10 x 30 \n"}
                                    << QStringList{"sigParsingError(ZOR THG\\tAll runtimes=10 x 30 \\n)"};
    QTest::newRow("56 notices") << Lines{"AOM max frequency fields number is: 12\n", "e_mode of AOM: 1\n"}
                                << QStringList{};
    QTest::newRow("57a parameter names") << Lines{"PCPER 12\n", "AOMEN\n", "P\r", "F\r"} << QStringList{};
    QTest::newRow("57a P with line feed") << Lines{"P\n"} << QStringList{"sigUnhandledLineData(P\\n)"};
    QTest::newRow("58 shutter") << Lines{"ZOR HG\tShutter in wrong position. Check!\n"}
                                << QStringList{"sigsHGModuleWarning(Shutter in wrong position)"};
    QTest::newRow("59 echoes and help") << Lines{">",
                                                 "ls_humidity?\n",
                                                 "ls?\n",
                                                 "\t\t2 sets THG\n",
                                                 "ZOR HG:\tDisabling AOM.\n",
                                                 "ls_crystal_setSpot=2\n"}
                                        << QStringList{};
    QTest::newRow("60 unknown") << Lines{"Hello laser\n"}
                                << QStringList{"sigUnhandledLineData(Hello laser\\n)"};
    QTest::newRow("zero byte ends the text") << Lines{QByteArray("ZOR SHG\tHumidity=33%\n\0junk", 26)}
                                             << QStringList{"sigHumidityActualChanged(33)"};
    QTest::newRow("Latin-1 text") << Lines{"Serial number: \xb5-1\n"}
                                  << QStringList{"sigsSerialNumberChanged(\u00b5-1)"};
}

void tst_LumetraResponseDecoder::lineKinds()
{
    QFETCH(Lines, lines);
    QFETCH(QStringList, expected);
    QCOMPARE(feed(lines), expected);
}

// Lines that an earlier or a neighbouring kind would also accept: the order of the table decides.
// The filter may let through lines the expression refuses, never the reverse: a line it wrongly rules
// out would be given to a later kind. Each row is checked against QRegExp itself.
void tst_LumetraResponseDecoder::patternFilter_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("passes");

    const QString row = "^\\d* \\d* .*";
    QTest::newRow("row, digits") << row << true << "12 3 PCPER 4" << true;
    QTest::newRow("row, empty numbers") << row << true << "  x" << true;
    QTest::newRow("row, letter first")
        << row << true << "Dynamic wavelength switching data in memory:" << false;
    QTest::newRow("row, empty line") << row << true << "" << false;
    const QString state = "^.*disabled.*->.*Standby";
    QTest::newRow("state, in order") << state << false << "Output DISABLED -> standby" << true;
    QTest::newRow("state, out of order") << state << false << "Standby -> disabled" << false;
    QTest::newRow("state, arrow missing") << state << false << "Laser output disabled" << false;
    const QString head = "^Listen.*=.*ok";
    QTest::newRow("head, any case") << head << false << "LISTEN = OK" << true;
    QTest::newRow("head, not at start") << head << false << "Already Listen = ok" << false;
    const QString spaces = "^\\s+(IR|SHG|THG|FHG)\\s+Wavelength\\s+Index:";
    QTest::newRow("space class") << spaces << true << "\t THG Wavelength Index: 2" << true;
    QTest::newRow("space class, none") << spaces << true << "THG Wavelength Index: 2" << false;
    const QString set = "^ZOR\\s+[S|T]HG\\s+Output\\s+power\\s*=";
    QTest::newRow("set with bar") << set << true << "ZOR  |HG Output power = 3 mW" << true;
    QTest::newRow("set, head missing") << set << true << "ZR SHG Output power = 3 mW" << false;
    QTest::newRow("top-level alternatives") << "^a|b" << true << "xb" << true;
    QTest::newRow("optional literal") << "^ab?c" << true << "ac" << true;
    QTest::newRow("counted literal") << "^x{0,2}y" << true << "y" << true;
    QTest::newRow("escaped bracket") << "^Timing\\(x\\)" << true << "Timing(x)" << true;
    QTest::newRow("escaped bracket, missing") << "^Timing\\(x\\)" << true << "Timing x" << false;
}

void tst_LumetraResponseDecoder::patternFilter()
{
    QFETCH(QString, pattern);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, text);
    QFETCH(bool, passes);
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool matches = QRegExp(pattern, cs).indexIn(text, 0) == 0;
    QCOMPARE(LumetraPatternFilter(pattern).mayMatch(text, cs), passes);
    QVERIFY(passes || !matches);
}

void tst_LumetraResponseDecoder::dispatchOrder_data()
{
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("record echo is no record") << Lines{"s6\n", "s9\n"} << QStringList{};
    QTest::newRow("relative power is not energy") << Lines{"Setted laser power in relative unit: 400\n"}
                                                  << QStringList{"sigPowerSetting_percent_Changed(10)"};
    QTest::newRow("listen ok before listen to standby")
        << Lines{"Listen -> Standby = ok\n"} << QStringList{"sigSystemStateChanged(1)"};
    QTest::newRow("listen to standby")
        << Lines{"Listen -> Standby\n"} << QStringList{"sigSystemStateChanged(2)"};
    QTest::newRow("standby ok, any case")
        << Lines{"STANDBY = OK\n"} << QStringList{"sigSystemStateChanged(3)"};
    QTest::newRow("already standby") << Lines{"Already in Standby\n"}
                                     << QStringList{"sigSystemStateChanged(3)"};
    QTest::newRow("standby to listen")
        << Lines{"Standby -> Listen\n"} << QStringList{"sigSystemStateChanged(4)"};
    QTest::newRow("standby to disabled, not 9")
        << Lines{"Standby -> disabled\n"} << QStringList{"sigSystemStateChanged(5)"};
    QTest::newRow("standby to enabled")
        << Lines{"Standby -> enabled\n"} << QStringList{"sigSystemStateChanged(6)"};
    QTest::newRow("disabled ok") << Lines{"Laser disabled = ok\n"} << QStringList{"sigSystemStateChanged(7)"};
    QTest::newRow("already disabled")
        << Lines{"Already Disabled\n"} << QStringList{"sigSystemStateChanged(7)"};
    QTest::newRow("enabled ok") << Lines{"Laser enabled = ok\n"} << QStringList{"sigSystemStateChanged(8)"};
    QTest::newRow("already enabled") << Lines{"already enabled\n"} << QStringList{"sigSystemStateChanged(8)"};
    QTest::newRow("disabled to standby")
        << Lines{"Laser disabled -> Standby\n"} << QStringList{"sigSystemStateChanged(9)"};
    QTest::newRow("enabled to standby")
        << Lines{"Laser enabled -> Standby\n"} << QStringList{"sigSystemStateChanged(10)"};
    QTest::newRow("disabled to listen")
        << Lines{"Laser disabled -> Listen\n"} << QStringList{"sigSystemStateChanged(11)"};
    QTest::newRow("enabled to listen")
        << Lines{"Laser enabled -> Listen\n"} << QStringList{"sigSystemStateChanged(12)"};
    QTest::newRow("same state twice")
        << Lines{"listen = OK\n", "Listen = ok\n"} << QStringList{"sigSystemStateChanged(1)"};
    QTest::newRow("state line before output line")
        << Lines{"Laser output disabled = ok\n"} << QStringList{"sigSystemStateChanged(7)"};
    QTest::newRow("debugging line before state line")
        << Lines{"Debugging on communication channel disabled = ok\n"}
        << QStringList{"sigDebuggingStatusChanged(false)"};
    QTest::newRow("PCAOM division is no plain division")
        << Lines{"Notice: Division factor for PCAOM is 8\n"}
        << QStringList{"sigOutputFrequencyChanged(0)", "sigDivisionFactorChanged(8)"};
    QTest::newRow("feature line is no switching line")
        << Lines{"ZOR HG\tDynamic wavelength switching feature enabled\n"}
        << QStringList{"sigDynamicWavelengthFeatureSupported(true)"};
    QTest::newRow("SHG oven in THG module is oven 1")
        << Lines{"ZOR THG\tSHG Oven Temperature=30 C\n"} << QStringList{"sigOven1TempActualChanged(30)"};
    QTest::newRow("table row outside the listing") << Lines{"12 0 150.5\n"} << QStringList{};
    QTest::newRow("two blanks start a table row") << Lines{"  x\n"} << QStringList{};
    QTest::newRow("PCPER row is no 57a name")
        << Lines{"0 12 PCPER 1\n", "P\r"}
        << QStringList{"sigFrequencyDivListChanged({0:1})", "sigOutputFrequencyChanged(0)",
                       "sigFrequencyIndexChanged(0)"};
    QTest::newRow("PCPER row without value")
        << Lines{"0 12 PCPER\n"} << QStringList{"sigParsingError(0 12 PCPER\\n)"};
}

void tst_LumetraResponseDecoder::dispatchOrder()
{
    QFETCH(Lines, lines);
    QFETCH(QStringList, expected);
    QCOMPARE(feed(lines), expected);
}

// Lines that are dropped leave no trace in the signals: which kind took them shows the order.
void tst_LumetraResponseDecoder::owningKind_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("kind");

    QTest::newRow("SW_MAIN") << QByteArray("SW_MAIN_006_LQZ\n") << "2";
    QTest::newRow("record echo") << QByteArray("s7\n") << "59";
    QTest::newRow("record") << QByteArray("s7 1\n") << "16";
    QTest::newRow("debug query") << QByteArray("d2?\n") << "19";
    QTest::newRow("power query") << QByteArray("e_power?\n") << "24";
    QTest::newRow("power query, not e_ prefix") << QByteArray("ly_lqz2_power?\n") << "24";
    QTest::newRow("energy") << QByteArray("Setted laser power: 1 nJ\n") << "25";
    QTest::newRow("relative") << QByteArray("Setted laser power in relative unit: 1\n") << "26";
    QTest::newRow("PCAOM") << QByteArray("Notice: Division factor for PCAOM is 1\n") << "28";
    QTest::newRow("division") << QByteArray("Notice: Division factor is 1\n") << "29";
    QTest::newRow("e_mode notice before e_mode echo") << QByteArray("e_mode of AOM: 1\n") << "56";
    QTest::newRow("table row") << QByteArray("3 0 AOMEN 1\n") << "57";
    QTest::newRow("parameter name") << QByteArray("AOMEN\n") << "57a";
    QTest::newRow("P") << QByteArray("P\r") << "57a";
    QTest::newRow("listing closed") << QByteArray("eira?\n") << "57b";
    QTest::newRow("listing opened") << QByteArray("ezra?\n") << "57c";
    QTest::newRow("help line") << QByteArray("\tDisplays the current output power\n") << "59";
    QTest::newRow("prompt") << QByteArray(">") << "59";
    QTest::newRow("unknown") << QByteArray("P\n") << "60";
    QTest::newRow("empty") << QByteArray() << "60";
}

void tst_LumetraResponseDecoder::owningKind()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, kind);
    QCOMPARE(LumetraResponseGrammar().kindOf(line), kind);
}

void tst_LumetraResponseDecoder::statusRecords_data()
{
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QStringList>("expected");

    const QStringList s8Values = {"1",    "250",   "3.5", "4.25", "22.5", "0.5",
                                  "0.25", "0.125", "1",   "0",    "1800", "9.5"};
    QStringList s9Values;
    for (int i = 1; i <= 40; ++i) {
        s9Values << QString::number(20 + i * 0.5);
    }

    QTest::newRow("s6") << Lines{"s6 1 2 3 4 5 6 7 8 9 10 11 12\n"} << emissions(s6Signals, numbers(1, 12));
    QTest::newRow("s6 one value short") << Lines{"s6 1 2 3 4 5 6 7 8 9 10 11\n"}
                                        << QStringList{"sigParsingError(s6 1 2 3 4 5 6 7 8 9 10 11\\n)"};
    QTest::newRow("s6 two blanks") << Lines{"s6 1 2 3 4 5  7 8 9 10 11 12\n"}
                                   << QStringList{"sigParsingError(s6 1 2 3 4 5  7 8 9 10 11 12\\n)"};
    QTest::newRow("s6 unreadable with V5.0.2")
        << Lines{"Lumetra-10 Hardware:1.2 Firmware:V5.0.2\n", "s6 1 2 3 4 5 x 7 8 9 10 11 12\n"}
        << QStringList{"sigsLumetraTypeChanged(Lumetra-10)", "sigsHardwareVersionChanged(1.2)",
                       "sigsFirmwareVersionChanged(V5.0.2)"} +
               emissions(s6Signals,
                         QStringList{"1", "2", "3", "4", "5", "0", "7", "8", "9", "10", "11", "12"});
    QTest::newRow("s7 ignores doubled blanks")
        << Lines{"s7 1  2 3 4 5 6 7 12.5 9 10 11 12 13 14 15 16\n"}
        << emissions(s7Signals, QStringList{"1", "2", "3", "4", "5", "6", "7", "12.5", "9", "10", "11", "12",
                                            "13", "14", "15", "16"});
    QTest::newRow("s7 no tolerance with V5.0.2")
        << Lines{"Lumetra-10 Hardware:1 Firmware:V5.0.2\n", "s7 1 2 3 4 5 6 7 x 9 10 11 12 13 14 15 16\n"}
        << QStringList{"sigsLumetraTypeChanged(Lumetra-10)", "sigsHardwareVersionChanged(1)",
                       "sigsFirmwareVersionChanged(V5.0.2)",
                       "sigParsingError(s7 1 2 3 4 5 6 7 x 9 10 11 12 13 14 15 16\\n)"};
    QTest::newRow("s8 long") << Lines{"s8 " + s8Values.join(' ').toLatin1() + "\n"}
                             << emissions(s8Signals, s8Values);
    QTest::newRow("s8 short") << Lines{"s8 " + s8Values.mid(0, 11).join(' ').toLatin1() + "\n"}
                              << emissions(s8Signals, s8Values.mid(0, 11));
    QTest::newRow("s8 too short") << Lines{"s8 1 2 3 4 5 6 7 8 9 10\n"}
                                  << QStringList{"sigParsingError(s8 1 2 3 4 5 6 7 8 9 10\\n)"};
    QTest::newRow("s9") << Lines{"s9 " + s9Values.join(' ').toLatin1() + " A5\n"}
                        << emissions(s9Signals(), s9Values + QStringList{"165"});
    QTest::newRow("s9 status byte too wide")
        << Lines{"s9 " + s9Values.join(' ').toLatin1() + " 1A5\n"}
        << QStringList{"sigParsingError(s9 " + s9Values.join(' ') + " 1A5\\n)"};
    QTest::newRow("s6 repeated, one value changed")
        << Lines{"s6 1 2 3 4 5 6 7 8 9 10 11 12\n", "s6 1 2 3 4 5 6 7 8 9 10 11 13\n"}
        << emissions(s6Signals, numbers(1, 12)) + QStringList{"sigiOperationModeChanged(13)"};
    QTest::newRow("failed record keeps the last")
        << Lines{"s6 1 2 3 4 5 6 7 8 9 10 11 12\n", "s6 9 9 9 9 9 9 9 9 9 9 9 y\n",
                 "s6 1 2 3 4 5 6 7 8 9 10 11 12\n"}
        << emissions(s6Signals, numbers(1, 12)) +
               QStringList{"sigParsingError(s6 9 9 9 9 9 9 9 9 9 9 9 y\\n)"};
}

void tst_LumetraResponseDecoder::statusRecords()
{
    QFETCH(Lines, lines);
    QFETCH(QStringList, expected);
    QCOMPARE(feed(lines), expected);
}

// A reading, the same reading again, then the named publisher forced: the forced call repeats the value.
void tst_LumetraResponseDecoder::changeOnlyAndForced_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("publisher");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("humidity") << QByteArray("ZOR SHG\tHumidity=45.7%\n")
                              << QByteArray("publish_HumidityActual")
                              << QStringList{"sigHumidityActualChanged(45)"};
    QTest::newRow("oven set-point") << QByteArray("ZOR SHG\tOven Setpoint=45 C\tMin=20 C\tMax=60 C\n")
                                    << QByteArray("publish_Oven1TemperatureSetpoint")
                                    << QStringList{"sigOven1TempSettingRangeChanged(20,60)",
                                                   "sigOven1TempSettingChanged(45)"};
    QTest::newRow("runtime") << QByteArray("ZOR SHG\tRuntime=59s\n") << QByteArray("publish_HGRuntime")
                             << QStringList{"sigsHGModuleRuntime(0 hours 0 minutes)"};
    QTest::newRow("output") << QByteArray("Laser output enabled\n") << QByteArray("publish_AOMStatus")
                            << QStringList{"sigAOMChanged(true)"};
    QTest::newRow("state") << QByteArray("Already Listen\n") << QByteArray("publish_SystemState")
                           << QStringList{"sigSystemStateChanged(1)"};
    QTest::newRow("all runtimes") << QByteArray("ZOR THG\tAll runtimes=5 6\n")
                                  << QByteArray("publish_HGCrystalAllRuntimes")
                                  << QStringList{"sigHGCrystalAllRuntimesChanged({0:5 1:6})"};
    QTest::newRow("timing board") << QByteArray("Timing Board S/N: 1; MCU T/B: 2; FPGA T/B: 3\n")
                                  << QByteArray("publish_ly_system_info_Timing_Board")
                                  << QStringList{"sigsTimingBoardSerialChanged(1)",
                                                 "sigsTimingBoardMCUChanged(2)",
                                                 "sigsTimingBoardFPGAChanged(3)"};
    QTest::newRow("status flags") << QByteArray("ZOR HG\tStatus flags=8001\n")
                                  << QByteArray("publish_HGStatusFlags")
                                  << QStringList{"sigHGStatusFlagsChanged(32769)"};
}

void tst_LumetraResponseDecoder::changeOnlyAndForced()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, publisher);
    QFETCH(QStringList, expected);

    LumetraResponseDecoder decoder;
    EmissionLog log(&decoder);
    decoder.slotLineReceived(line);
    QCOMPARE(log.take(), expected);
    decoder.slotLineReceived(line);
    QCOMPARE(log.take(), QStringList());
    // The argument-less form acts as an unforced call.
    QVERIFY(QMetaObject::invokeMethod(&decoder, publisher.constData()));
    QCOMPARE(log.take(), QStringList());
    QVERIFY(QMetaObject::invokeMethod(&decoder, publisher.constData(), Q_ARG(bool, true)));
    QCOMPARE(log.take(), expected);
}

void tst_LumetraResponseDecoder::republishAfterDisconnection()
{
    LumetraResponseDecoder decoder;
    EmissionLog log(&decoder);
    const Lines cycle = {"Lumetra-10 Hardware:1.2 Firmware:V5.0.2\n",
                         "ZOR SHG\tHumidity=45%\n",
                         "Laser output disabled\n",
                         "ZOR HG\tErrorcode=0\n",
                         "ZOR THG\tRuntime=60s\n",
                         "Debugging on communication channel 1 disabled\n"};
    const QStringList announced = {"sigsLumetraTypeChanged(Lumetra-10)",
                                   "sigsHardwareVersionChanged(1.2)",
                                   "sigsFirmwareVersionChanged(V5.0.2)",
                                   "sigHumidityActualChanged(45)",
                                   "sigAOMChanged(false)",
                                   "sigHGErrorcodeChanged(0)",
                                   "sigsHGModuleRuntime(0 hours 1 minutes)",
                                   "sigDebuggingStatusChanged(false)"};
    for (const QByteArray &line : cycle) {
        decoder.slotLineReceived(line);
    }
    QCOMPARE(log.take(), announced);

    for (const QByteArray &line : cycle) {
        decoder.slotLineReceived(line);
    }
    QCOMPARE(log.take(), QStringList{"sigDebuggingStatusChanged(false)"});

    decoder.slotConnectedStatus(true);
    for (const QByteArray &line : cycle) {
        decoder.slotLineReceived(line);
    }
    QCOMPARE(log.take(), QStringList{"sigDebuggingStatusChanged(false)"});

    decoder.slotConnectedStatus(false);
    QCOMPARE(log.take(), QStringList());
    for (const QByteArray &line : cycle) {
        decoder.slotLineReceived(line);
    }
    QCOMPARE(log.take(), announced);

    // The debugging flag was inverted by the reset: a forced publication repeats the current value.
    decoder.slotConnectedStatus(false);
    decoder.publish_DebuggingStatus();
    QCOMPARE(log.take(), QStringList{"sigDebuggingStatusChanged(false)"});
}

// Readings with every bit set are as real as any other: the first one after start-up or a
// disconnection is announced, or a module reporting error 255 would show no fault.
void tst_LumetraResponseDecoder::allBitsSetIsAReading_data()
{
    QStringList sensors;
    for (int i = 0; i < 40; ++i) {
        sensors << QString::number(i);
    }
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("error code") << QByteArray("ZOR HG\tErrorcode=255\n")
                                << QStringList{"sigHGErrorcodeChanged(255)"};
    QTest::newRow("status flags") << QByteArray("ZOR HG\tStatus flags=FFFF\n")
                                  << QStringList{"sigHGStatusFlagsChanged(65535)"};
    QTest::newRow("output config") << QByteArray("ZOR HG WL output config: 0xFF\n")
                                   << QStringList{"sigHGOutputConfigChanged(255)"};
    QTest::newRow("s9 status byte") << "s9 " + sensors.join(' ').toLatin1() + " FF\n"
                                    << emissions(s9Signals(), sensors + QStringList{"255"});
    QTest::newRow("largest int") << QByteArray("ZOR SHG\tHumidity=2147483647%\n")
                                 << QStringList{"sigHumidityActualChanged(2147483647)"};
    QTest::newRow("largest runtime") << QByteArray("ZOR THG\tMax runtime=18446744073709551615s\n")
                                     << QStringList{"sigHGCrystalMaxRuntimeChanged(18446744073709551615)"};
}

void tst_LumetraResponseDecoder::allBitsSetIsAReading()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, expected);
    LumetraResponseDecoder decoder;
    EmissionLog log(&decoder);
    decoder.slotLineReceived(line);
    QCOMPARE(log.take(), expected);
    decoder.slotLineReceived(line);
    QCOMPARE(log.take(), QStringList());
    decoder.slotConnectedStatus(false);
    decoder.slotLineReceived(line);
    QCOMPARE(log.take(), expected);
}

void tst_LumetraResponseDecoder::powerListing()
{
    LumetraResponseDecoder decoder;
    EmissionLog log(&decoder);
    auto feedLines = [&decoder](const Lines &lines) {
        for (const QByteArray &line : lines) {
            decoder.slotLineReceived(line);
        }
    };
    const QStringList range502000 = {"sigPowerSetting_nJ_RangeChanged(50,2000)",
                                     "sigPowerSettingPercentRangeChanged(0,100)"};

    feedLines({"Frequency index parameter: 1\n"});
    log.take();

    // The rows are announced together once the listing ends with any other line.
    feedLines({"ezra?\n", "0 0 100\n", "0 1 4000\n", "1 0 50\n", "1 1 2000\n"});
    QCOMPARE(log.take(), QStringList());
    feedLines({">\n"});
    QCOMPARE(log.take(), range502000);
    // Malformed rows and other selectors are dropped silently while the listing is open.
    feedLines({"1 2 77\n", "1 1 x\n", "1 1 2000 nJ\n", "1 0 60\n", ">\n"});
    QCOMPARE(log.take(), (QStringList{"sigPowerSetting_nJ_RangeChanged(60,2000)",
                                      "sigPowerSettingPercentRangeChanged(0,100)"}));
    // Rows that change nothing announce nothing.
    feedLines({"1 0 60\n", ">\n"});
    QCOMPARE(log.take(), QStringList());
    feedLines({"eira?\n"});
    // Closed: the same row shape is a parameter row now, and not a PCPER one.
    feedLines({"1 0 70\n", ">\n"});
    QCOMPARE(log.take(), QStringList());

    // A new listing starting at index 0 selector 0 empties both maps first.
    feedLines({"ezra?\n", "0 0 10\n", "1 0 80\n", "1 1 3000\n", "eira?\n"});
    QCOMPARE(log.take(), (QStringList{"sigPowerSetting_nJ_RangeChanged(80,3000)",
                                      "sigPowerSettingPercentRangeChanged(0,100)"}));

    // A disconnection in the middle of a listing announces the rows read so far and closes it.
    feedLines({"ezra?\n", "1 0 90\n"});
    decoder.slotConnectedStatus(false);
    QCOMPARE(log.take(), (QStringList{"sigPowerSetting_nJ_RangeChanged(90,3000)",
                                      "sigPowerSettingPercentRangeChanged(0,100)"}));
    feedLines({"2 0 5\n", ">\n"});
    QCOMPARE(log.take(), QStringList());
}

// A device that never stops listing must not make every further row cost more than the last: the
// tables stop growing and the receivers hear of a listing once, however long it is.
void tst_LumetraResponseDecoder::runawayListings()
{
    LumetraResponseDecoder decoder;
    EmissionLog log(&decoder);
    const int rows = 20000;
    decoder.slotLineReceived("Frequency index parameter: 63\n");
    decoder.slotLineReceived("eira?\n");
    for (int i = 0; i < rows; ++i) {
        decoder.slotLineReceived(QByteArray::number(i) + " 3 PCPER " + QByteArray::number(i + 1) + '\n');
    }
    decoder.slotLineReceived("P\r");
    QStringList table;
    for (int i = 0; i < 64; ++i) {
        table << QStringLiteral("%1:%2").arg(i).arg(i + 1);
    }
    QStringList emitted = log.take();
    QCOMPARE(emitted.filter("sigFrequencyDivListChanged"),
             QStringList{"sigFrequencyDivListChanged({" + table.join(' ') + "})"});
    QCOMPARE(emitted.size(), 5);

    decoder.slotLineReceived("ezra?\n");
    for (int i = 0; i < rows / 2; ++i) {
        decoder.slotLineReceived(QByteArray::number(i) + " 0 " + QByteArray::number(i + 1) + '\n');
        decoder.slotLineReceived(QByteArray::number(i) + " 1 " + QByteArray::number(2 * i) + '\n');
    }
    QCOMPARE(log.take(), QStringList());
    decoder.slotLineReceived(">\n");
    QCOMPARE(log.take(), (QStringList{"sigPowerSetting_nJ_RangeChanged(64,126)",
                                      "sigPowerSettingPercentRangeChanged(0,100)"}));
    // Rows beyond the bound were dropped, not stored.
    decoder.slotLineReceived("Frequency index parameter: 64\n");
    QCOMPARE(log.take().filter("sigPowerSetting"), QStringList());
}

void tst_LumetraResponseDecoder::frequencyTable_data()
{
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QStringList>("expected");

    // The table is announced once, when the line after its last row arrives.
    const Lines table = {"eira?\n", "0 3 PCPER 1\n", "1 3 PCPER 2\n", "2 3 PCPER 4\n", "P\r"};
    QTest::newRow("table, division, index")
        << table + Lines{"Notice: Division factor is 2\n", "Frequency index parameter: 1\n"}
        << QStringList{"sigFrequencyDivListChanged({0:1 1:2 2:4})",
                       "sigOutputFrequencyChanged(0)",
                       "sigFrequencyIndexChanged(0)",
                       "sigOutputFrequencyChanged(40000)",
                       "sigDivisionFactorChanged(2)",
                       "sigOutputFrequencyChanged(20000)",
                       "sigFrequencyIndexChanged(1)"};
    QTest::newRow("index first, then division")
        << Lines{"Frequency index parameter: 2\n"} + table + Lines{"Notice: Division factor for PCAOM is 5\n"}
        << QStringList{"sigOutputFrequencyChanged(0)",
                       "sigFrequencyIndexChanged(2)",
                       "sigFrequencyDivListChanged({0:1 1:2 2:4})",
                       "sigOutputFrequencyChanged(0)",
                       "sigFrequencyIndexChanged(2)",
                       "sigOutputFrequencyChanged(4000)",
                       "sigDivisionFactorChanged(5)"};
    QTest::newRow("division 0 gives no infinite rate")
        << Lines{"Notice: Division factor is 0\n", "0 3 PCPER 1\n", "P\r"}
        << QStringList{"sigOutputFrequencyChanged(0)",      "sigDivisionFactorChanged(0)",
                       "sigFrequencyDivListChanged({0:1})", "sigOutputFrequencyChanged(0)",
                       "sigFrequencyIndexChanged(0)",       "sigDivisionFactorChanged(0)"};
    QTest::newRow("base value 0 gives no infinite rate")
        << Lines{"Notice: Division factor is 1\n", "0 3 PCPER 0\n", "P\r"}
        << QStringList{"sigOutputFrequencyChanged(0)",      "sigDivisionFactorChanged(1)",
                       "sigFrequencyDivListChanged({0:0})", "sigOutputFrequencyChanged(0)",
                       "sigFrequencyIndexChanged(0)",       "sigDivisionFactorChanged(1)"};
    QTest::newRow("index 0 restarts the table")
        << Lines{"Notice: Division factor is 1\n", "1 3 PCPER 2\n", "0 3 PCPER 8\n", "P\r"}
        << QStringList{"sigOutputFrequencyChanged(0)",      "sigDivisionFactorChanged(1)",
                       "sigFrequencyDivListChanged({0:8})", "sigOutputFrequencyChanged(10000)",
                       "sigFrequencyIndexChanged(0)",       "sigDivisionFactorChanged(1)"};
    QTest::newRow("range follows the index") << Lines{"ezra?\n",
                                                      "0 0 100\n",
                                                      "0 1 4000\n",
                                                      "1 0 50\n",
                                                      "1 1 2000\n",
                                                      "eira?\n",
                                                      "Frequency index parameter: 1\n",
                                                      "Frequency index parameter: 0\n"}
                                             << QStringList{"sigOutputFrequencyChanged(0)",
                                                            "sigPowerSetting_nJ_RangeChanged(50,2000)",
                                                            "sigPowerSettingPercentRangeChanged(0,100)",
                                                            "sigFrequencyIndexChanged(1)",
                                                            "sigOutputFrequencyChanged(0)",
                                                            "sigPowerSetting_nJ_RangeChanged(100,4000)",
                                                            "sigPowerSettingPercentRangeChanged(0,100)",
                                                            "sigFrequencyIndexChanged(0)"};
}

void tst_LumetraResponseDecoder::frequencyTable()
{
    QFETCH(Lines, lines);
    QFETCH(QStringList, expected);
    QCOMPARE(feed(lines), expected);
}

void tst_LumetraResponseDecoder::outputFrequencyFormula_data()
{
    QTest::addColumn<double>("base");
    QTest::addColumn<int>("factor");
    QTest::addColumn<double>("expected");

    QTest::newRow("undivided") << 1.0 << 1 << 80000.0;
    QTest::newRow("base 4, factor 2") << 4.0 << 2 << 10000.0;
    QTest::newRow("base 0") << 0.0 << 1 << 0.0;
    QTest::newRow("factor 0") << 4.0 << 0 << 0.0;
    QTest::newRow("negative factor") << 4.0 << -2 << 0.0;
    QTest::newRow("tiny base") << 1e-320 << 1 << 0.0;
}

void tst_LumetraResponseDecoder::outputFrequencyFormula()
{
    QFETCH(double, base);
    QFETCH(int, factor);
    QFETCH(double, expected);
    const double frequency = LumetraResponseDecoder::outputFrequency(base, factor);
    QVERIFY(std::isfinite(frequency));
    QCOMPARE(frequency, expected);
}

class Receiver : public QObject
{
    Q_OBJECT
public:
    SystemState state = SystemStateUnknown;
    QMap<int, double> freqList;
    QMap<int, quint64> runtimes;
    quint64 maxRuntime = 0;
    quint16 flags = 0;

public slots:
    void slotSystemStateChanged(SystemState value) { state = value; }
    void slotFrequencyDivListChanged(QMap<int, double> value) { freqList = value; }
    void slotHGCrystalAllRuntimesChanged(QMap<int, quint64> value) { runtimes = value; }
    void slotHGCrystalMaxRuntimeChanged(quint64 value) { maxRuntime = value; }
    void slotHGStatusFlagsChanged(quint16 value) { flags = value; }
};

// The controller connects by name; queued connections need the argument types registered.
void tst_LumetraResponseDecoder::queuedDelivery()
{
    LumetraResponseDecoder decoder;
    Receiver receiver;
    QVERIFY(connect(&decoder, SIGNAL(sigSystemStateChanged(SystemState)), &receiver,
                    SLOT(slotSystemStateChanged(SystemState)), Qt::QueuedConnection));
    QVERIFY(connect(&decoder, SIGNAL(sigFrequencyDivListChanged(QMap<int, double>)), &receiver,
                    SLOT(slotFrequencyDivListChanged(QMap<int, double>)), Qt::QueuedConnection));
    QVERIFY(connect(&decoder, SIGNAL(sigHGCrystalAllRuntimesChanged(QMap<int, quint64>)), &receiver,
                    SLOT(slotHGCrystalAllRuntimesChanged(QMap<int, quint64>)), Qt::QueuedConnection));
    QVERIFY(connect(&decoder, SIGNAL(sigHGCrystalMaxRuntimeChanged(quint64)), &receiver,
                    SLOT(slotHGCrystalMaxRuntimeChanged(quint64)), Qt::QueuedConnection));
    QVERIFY(connect(&decoder, SIGNAL(sigHGStatusFlagsChanged(quint16)), &receiver,
                    SLOT(slotHGStatusFlagsChanged(quint16)), Qt::QueuedConnection));

    for (const char *line : {"Standby -> Listen\n", "0 1 PCPER 3\n", "ZOR THG\tAll runtimes=7 8\n",
                             "ZOR THG\tMax runtime=9000000000s\n", "ZOR HG\tStatus flags=8001\n"}) {
        decoder.slotLineReceived(line);
    }
    QCOMPARE(receiver.state, SystemStateUnknown); // nothing arrives before the event loop runs
    QCoreApplication::processEvents();
    QCOMPARE(receiver.state, SystemStateStandbyToListen);
    QCOMPARE(receiver.freqList, (QMap<int, double>{{0, 3.0}}));
    QCOMPARE(receiver.runtimes, (QMap<int, quint64>{{0, 7}, {1, 8}}));
    QCOMPARE(receiver.maxRuntime, quint64(9000000000ULL));
    QCOMPARE(receiver.flags, quint16(0x8001));
}

// Signals and slots the controller reaches by name; a renamed one would silently lose its connection.
void tst_LumetraResponseDecoder::namedInterface_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<bool>("isSignal");

    for (const char *name : {"sigsHGModuleFirwareVersion(QString)",
                             "sigsHGModuleWarning(QString)",
                             "sigExistsSHGgModule(bool)",
                             "sigExistsTHGiModule(bool)",
                             "sigiCounterLaserEmmisionOnOff_hChanged(int)",
                             "sigiLaserEmmisionChanged(int)",
                             "sigiWavelenghtLQZChanged(int)",
                             "sigfLdd1_om2_MaxCurrentChanged(double)",
                             "siguiTmpChar2Changed(uchar)",
                             "sigfTemperature_max_10Changed(double)",
                             "sigSystemStateChanged(SystemState)",
                             "sigPowerSetting_nJ_RangeChanged(double,double)",
                             "sigPowerSettingPercentRangeChanged(double,double)",
                             "sigFrequencyDivListChanged(QMap<int,double>)",
                             "sigHGCrystalAllRuntimesChanged(QMap<int,quint64>)",
                             "sigHGErrorcodeChanged(quint8)",
                             "sigHGOutputConfigChanged(quint8)",
                             "sigHGStatusFlagsChanged(quint16)",
                             "sigHGCrystalCurRuntimeChanged(quint64)",
                             "sigDigitalGateNotSupported()",
                             "sigUnhandledLineData(QByteArray)",
                             "sigParsingError(QByteArray)"}) {
        QTest::newRow(name) << QByteArray(name) << true;
    }
    for (const char *name : {"slotLineReceived(QByteArray)", "slotConnectedStatus(bool)",
                             "publish_ls_info_BootladerVersion(bool)", "publish_ls_info_BootladerVersion()",
                             "publish_ly_system_info_LLD_device(bool)", "publish_PowerSetpoint_nJ_Range()",
                             "publish_HGCrystalAllRuntimes(bool)", "publish_s9()"}) {
        QTest::newRow(name) << QByteArray(name) << false;
    }
}

void tst_LumetraResponseDecoder::namedInterface()
{
    QFETCH(QByteArray, signature);
    QFETCH(bool, isSignal);
    const QMetaObject &meta = LumetraResponseDecoder::staticMetaObject;
    const int index = meta.indexOfMethod(QMetaObject::normalizedSignature(signature.constData()).constData());
    QVERIFY2(index >= 0, signature.constData());
    QCOMPARE(meta.method(index).methodType(), isSignal ? QMetaMethod::Signal : QMetaMethod::Slot);
}

QTEST_GUILESS_MAIN(tst_LumetraResponseDecoder)
#include "tst_LumetraResponseDecoder.moc"
