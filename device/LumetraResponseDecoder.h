#pragma once

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVector>

#include <optional>

#include "device/LumetraParsedLine.h"
#include "device/LumetraResponseGrammar.h"

Q_DECLARE_LOGGING_CATEGORY(lcLumetraResponseDecoder)

// The laser's system state as its state lines announce it. The numbers travel to the controller
// unchanged; 0 means no state line has been seen since the last disconnection.
enum SystemState : int
{
    SystemStateUnknown = 0,
    SystemStateListen = 1,
    SystemStateListenToStandby = 2,
    SystemStateStandby = 3,
    SystemStateStandbyToListen = 4,
    SystemStateStandbyToDisabled = 5,
    SystemStateStandbyToEnabled = 6,
    SystemStateDisabled = 7,
    SystemStateEnabled = 8,
    SystemStateDisabledToStandby = 9,
    SystemStateEnabledToStandby = 10,
    SystemStateDisabledToListen = 11,
    SystemStateEnabledToListen = 12
};
Q_DECLARE_METATYPE(SystemState)

// Turns the laser's reply lines into a decoded picture of the device and announces every value as a
// typed signal when it changes. The grammar reads a line; the decoder keeps what it read. Each value is
// held twice: the copy last read and the copy last announced; the publishers compare the two.
class LumetraResponseDecoder : public QObject
{
    Q_OBJECT

public:
    explicit LumetraResponseDecoder(QObject *parent = nullptr);
    ~LumetraResponseDecoder() override;

    // Queued connections need these types by name; safe to call more than once.
    static void registerMetaTypes();

    // The output repetition rate in kHz for a frequency-division base value and a division factor;
    // 0.0 when either is 0 or the result would not be a finite number.
    static double outputFrequency(double baseValue, int divisionFactor);

public slots:
    void slotLineReceived(QByteArray lineData);
    void slotConnectedStatus(bool connected);

    void publish_ly_system_info_Lumetra(bool forceEmit = false);
    void publish_ly_system_info_SW_MAIN(bool forceEmit = false);
    void publish_ly_system_info_Compiled_on(bool forceEmit = false);
    void publish_ly_system_info_Serial_number(bool forceEmit = false);
    void publish_ly_system_info_LLD_device(bool forceEmit = false);
    void publish_ly_system_info_TEC_device(bool forceEmit = false);
    void publish_ly_system_info_Timing_Board(bool forceEmit = false);
    void publish_ly_system_info_DeviceOnTime(bool forceEmit = false);
    void publish_ly_system_info_EmissionTime(bool forceEmit = false);

    void publish_ls_info_ModuleAddrType(bool forceEmit = false);
    void publish_ls_info_FirmwareVersion(bool forceEmit = false);
    void publish_ls_info_BootladerVersion(bool forceEmit = false);
    void publish_ls_info_ModuleSerialNumber(bool forceEmit = false);
    void publish_ls_info_PCBSerialNumber(bool forceEmit = false);

    void publish_s6(bool forceEmit = false);
    void publish_s7(bool forceEmit = false);
    void publish_s8(bool forceEmit = false);
    void publish_s9(bool forceEmit = false);

    void publish_DebuggingStatus(bool forceEmit = false);
    void publish_SystemState(bool forceEmit = false);
    void publish_PowerSetpoint_nJ(bool forceEmit = false);
    void publish_PowerSetpoint_Percent(bool forceEmit = false);
    void publish_PowerSetpoint_nJ_Range(bool forceEmit = false);
    void publish_FrequencyIndex(bool forceEmit = false);
    void publish_FrequencyDivList(bool forceEmit = false);
    void publish_DivisionFactor(bool forceEmit = false);
    void publish_AOMStatus(bool forceEmit = false);
    void publish_OvenMode(bool forceEmit = false);
    void publish_Oven1TemperatureSetpoint(bool forceEmit = false);
    void publish_Oven2TemperatureSetpoint(bool forceEmit = false);
    void publish_Oven1TemperatureActual(bool forceEmit = false);
    void publish_Oven2TemperatureActual(bool forceEmit = false);
    void publish_HumidityActual(bool forceEmit = false);
    void publish_PiezoPositionSetting(bool forceEmit = false);
    void publish_DigitalGateSetting(bool forceEmit = false);
    void publish_DynamicWavelengthEnabled(bool forceEmit = false);
    void publish_DynamicWavelengthSupport(bool forceEmit = false);
    void publish_DynamicWLS_IR(bool forceEmit = false);
    void publish_DynamicWLS_Green(bool forceEmit = false);
    void publish_DynamicWLS_UV(bool forceEmit = false);
    void publish_DynamicWLS_DUV(bool forceEmit = false);
    void publish_SHGOutputPower(bool forceEmit = false);
    void publish_THGOutputPower(bool forceEmit = false);
    void publish_HGStatusFlags(bool forceEmit = false);
    void publish_HGErrorcode(bool forceEmit = false);
    void publish_HGOutputConfig(bool forceEmit = false);
    void publish_HGRuntime(bool forceEmit = false);
    void publish_HGCrystalCurSpot(bool forceEmit = false);
    void publish_HGCrystalCurRuntime(bool forceEmit = false);
    void publish_HGCrystalMaxRuntime(bool forceEmit = false);
    void publish_HGCrystalAllRuntimes(bool forceEmit = false);

signals:
    // System identification
    void sigsLumetraTypeChanged(QString strType);
    void sigsHardwareVersionChanged(QString strVersion);
    void sigsFirmwareVersionChanged(QString strVersion);
    void sigsApplicationNameChanged(QString strSoftMain);
    void sigsCompilationDateTimeChanged(QString strDateTime);
    void sigsSerialNumberChanged(QString strSerial);
    void sigsLDDDeviceHardwareChanged(QString strHardware);
    void sigsLDDDeviceSoftwareChanged(QString strSoftware);
    void sigsLDDDeviceRevisionChanged(QString strRevision);
    void sigsTECDeviceHardwareChanged(QString strHardware);
    void sigsTECDeviceSoftwareChanged(QString strSoftware);
    void sigsTECDeviceRevisionChanged(QString strRevision);
    void sigsTimingBoardSerialChanged(QString strSerial);
    void sigsTimingBoardMCUChanged(QString strVersion);
    void sigsTimingBoardFPGAChanged(QString strVersion);
    void sigsDeviceOnHoursChanged(QString strHours);
    void sigsDeviceOnMinutesChanged(QString strMinutes);
    void sigsDeviceEmissionHoursChanged(QString strHours);
    void sigsDeviceEmissionMinutesChanged(QString strMinutes);

    // Harmonic-generator module
    void sigsHGModuleAddress(QString address);
    void sigsHGModuleType(QString moduleType);
    void sigsHGModuleFirwareVersion(QString version);
    void sigsHGModuleBootloaderVersion(QString version);
    void sigsHGModuleSerialNumber(QString serial);
    void sigsHGModulePCBSerialNumber(QString serial);
    void sigsHGModuleRuntime(QString runtime);
    void sigsHGModuleWarning(QString message);
    void sigExistsSHGModule(bool exists);
    void sigExistsSHGgModule(bool exists);
    void sigExistsTHGModule(bool exists);
    void sigExistsTHGiModule(bool exists);

    // Status record s6
    void sigiCounterLaserOnOff_hChanged(int hours);
    void sigiCounterLaserOnOff_mChanged(int minutes);
    void sigiCounterLaserEmmisionOnOff_hChanged(int hours);
    void sigiCounterLaserEmmisionOnOff_mChanged(int minutes);
    void sigiTEC_initialisationChanged(int TECinit);
    void sigiLDD_initialisationChanged(int LDDinit);
    void sigiDownload_lin12b_status_TBChanged(int lin12b);
    void sigiDownload_wrnmin_status_TBChanged(int wrnmin);
    void sigiDownload_errmax_status_TBChanged(int errmax);
    void sigiDownload_errmin_status_TBChanged(int errmin);
    void sigiDownload_wrnmax_status_TBChanged(int wrnmax);
    void sigiOperationModeChanged(int mode);

    // Status record s7
    void sigiLaserEmmisionChanged(int status);
    void sigiModeOfOperationAOMChanged(int aom);
    void sigiShutterOnOffChanged(int state);
    void sigiLumetraQZReadyChanged(int status);
    void sigiLaserPowerSetAOMChanged(int setPower);
    void sigiFrequencyDividerAOMChanged(int freqDivider);
    void sigiFrequencyIndexPCAOMinitChanged(int freqIndex);
    void sigfMeasuredLaserPowerChanged(double measuredPower);
    void sigiNoOfPulsesSingleBurstChanged(int pulses);
    void sigiGeneral_temperature_statusChanged(int status);
    void sigiTemperature_status_1Changed(int status);
    void sigiTemperature_status_8Changed(int status);
    void sigiDELAY_BOARD_ERRORChanged(int error);
    void sigiErrorStatusTECChanged(int errorStatus);
    void sigiErrorStatusLDDChanged(int errorStatus);
    void sigiWavelenghtLQZChanged(int wavelength);

    // Status record s8
    void sigiLpcl_en_statusChanged(int status);
    void sigiLpcl_boost_timeChanged(int time);
    void sigfLpcl_currentChanged(double current);
    void sigfLpcl_current_boostChanged(double boost);
    void sigfLpcl_temperatureChanged(double temperature);
    void sigfTmpFloatValueAChanged(double value);
    void sigfTmpFloatValueBChanged(double value);
    void sigfTmpFloatValueCChanged(double value);
    void sigiComm_device_1_RS485Changed(int state);
    void sigiComm_device_2_RS485Changed(int state);
    void sigiActualCurrentLDDChanged(int current);
    void sigfLdd1_om2_MaxCurrentChanged(double current);

    // Status record s9: set-point, actual, minimum and maximum of ten temperature sensors
    void sigfTemperature_set_1Changed(double temperature);
    void sigfTemperature_actual_1Changed(double temperature);
    void sigfTemperature_min_1Changed(double temperature);
    void sigfTemperature_max_1Changed(double temperature);
    void sigfTemperature_set_2Changed(double temperature);
    void sigfTemperature_actual_2Changed(double temperature);
    void sigfTemperature_min_2Changed(double temperature);
    void sigfTemperature_max_2Changed(double temperature);
    void sigfTemperature_set_3Changed(double temperature);
    void sigfTemperature_actual_3Changed(double temperature);
    void sigfTemperature_min_3Changed(double temperature);
    void sigfTemperature_max_3Changed(double temperature);
    void sigfTemperature_set_4Changed(double temperature);
    void sigfTemperature_actual_4Changed(double temperature);
    void sigfTemperature_min_4Changed(double temperature);
    void sigfTemperature_max_4Changed(double temperature);
    void sigfTemperature_set_5Changed(double temperature);
    void sigfTemperature_actual_5Changed(double temperature);
    void sigfTemperature_min_5Changed(double temperature);
    void sigfTemperature_max_5Changed(double temperature);
    void sigfTemperature_set_6Changed(double temperature);
    void sigfTemperature_actual_6Changed(double temperature);
    void sigfTemperature_min_6Changed(double temperature);
    void sigfTemperature_max_6Changed(double temperature);
    void sigfTemperature_set_7Changed(double temperature);
    void sigfTemperature_actual_7Changed(double temperature);
    void sigfTemperature_min_7Changed(double temperature);
    void sigfTemperature_max_7Changed(double temperature);
    void sigfTemperature_set_8Changed(double temperature);
    void sigfTemperature_actual_8Changed(double temperature);
    void sigfTemperature_min_8Changed(double temperature);
    void sigfTemperature_max_8Changed(double temperature);
    void sigfTemperature_set_9Changed(double temperature);
    void sigfTemperature_actual_9Changed(double temperature);
    void sigfTemperature_min_9Changed(double temperature);
    void sigfTemperature_max_9Changed(double temperature);
    void sigfTemperature_set_10Changed(double temperature);
    void sigfTemperature_actual_10Changed(double temperature);
    void sigfTemperature_min_10Changed(double temperature);
    void sigfTemperature_max_10Changed(double temperature);
    void siguiTmpChar2Changed(uchar char2);

    // State, power and repetition rate
    void sigDebuggingStatusChanged(bool debuggingEnabled);
    void sigSystemStateChanged(SystemState state);
    void sigPowerSetting_nJ_Changed(double setpoint);
    void sigPowerSetting_percent_Changed(double setpoint);
    void sigPowerSetting_nJ_RangeChanged(double min, double max);
    void sigPowerSettingPercentRangeChanged(double min, double max);
    void sigOutputFrequencyChanged(double frequency);
    void sigFrequencyIndexChanged(int index);
    void sigFrequencyDivListChanged(QMap<int, double> freqList);
    void sigDivisionFactorChanged(int factor);
    void sigAOMChanged(bool enabled);

    // Ovens, humidity, crystal, gate and dynamic wavelength switching
    void sigOvenModeChanged(int mode);
    void sigOven1TempSettingRangeChanged(double min, double max);
    void sigOven1TempSettingChanged(double setpoint);
    void sigOven2TempSettingRangeChanged(double min, double max);
    void sigOven2TempSettingChanged(double setpoint);
    void sigOven1TempActualChanged(double temperature);
    void sigOven2TempActualChanged(double temperature);
    void sigHumidityActualChanged(int humidity);
    void sigPiezoPositionChanged(int position);
    void sigDigitalGateChanged(int position);
    void sigDigitalGateNotSupported();
    void sigDynamicWavelengthFeatureChanged(int position);
    void sigDynamicWavelengthFeatureSupported(bool supported);
    void sigDynamicWLS_IRChanged(double setpoint);
    void sigDynamicWLS_GreenChanged(double setpoint);
    void sigDynamicWLS_UVChanged(double setpoint);
    void sigDynamicWLS_DUVChanged(double setpoint);

    // Harmonic-generator status
    void sigSHGOutputPowerChanged(double measuredPower);
    void sigTHGOutputPowerChanged(double measuredPower);
    void sigHGStatusFlagsChanged(quint16 flags);
    void sigHGErrorcodeChanged(quint8 errorcode);
    void sigHGOutputConfigChanged(quint8 outputConfig);
    void sigHGCrystalCurSpotChanged(int spot);
    void sigHGCrystalCurRuntimeChanged(quint64 seconds);
    void sigHGCrystalMaxRuntimeChanged(quint64 seconds);
    void sigHGCrystalAllRuntimesChanged(QMap<int, quint64> runtimes);

    // Lines the decoder could not use
    void sigUnhandledLineData(QByteArray lineData);
    void sigParsingError(QByteArray lineData);

private:
    // The value the grammar last read and the value last announced. Nothing announced yet (since
    // construction or the last disconnection) is a state of its own: every bit pattern is a reading
    // the laser can send, so no sentinel value could stand for "never read".
    template <typename T> struct Tracked
    {
        T current{};
        std::optional<T> published;
    };

    // One value of a status record. Integers and the status byte are held as doubles: every value a
    // record can carry (32-bit integers, 8-bit hexadecimal) is exact in a double, and one field type
    // lets the records be described by tables.
    using RecordValues = QVector<Tracked<double>>;

    enum class FieldType
    {
        Int,
        Double,
        Hex8
    };
    struct RecordField
    {
        FieldType type;
        void (LumetraResponseDecoder::*intSignal)(int);
        void (LumetraResponseDecoder::*doubleSignal)(double);
        void (LumetraResponseDecoder::*byteSignal)(uchar);
    };
    using RecordLayout = QVector<RecordField>;

    static const RecordLayout &s6Layout();
    static const RecordLayout &s7Layout();
    static const RecordLayout &s8Layout();
    static const RecordLayout &s9Layout();

    // Where a field of a parsed line is kept (or what it does), and the publisher that announces it.
    using Value = LumetraParsedLine::Value;
    struct FieldSlot
    {
        void (LumetraResponseDecoder::*apply)(const Value &value);
        void (LumetraResponseDecoder::*publish)(bool forceEmit);
    };
    static const FieldSlot &slotOf(LumetraParsedLine::Field field);
    void apply(const LumetraParsedLine &line);

    template <auto member> void keep(const Value &value);
    template <auto record> void keepRecord(const Value &value);
    void keepDebugging(const Value &value);
    void keepListingOpen(const Value &value);
    void keepPowerMinRow(const Value &value);
    void keepPowerMaxRow(const Value &value);
    void keepDivisionRow(const Value &value);
    void reportShutterWarning(const Value &value);
    void reportUnhandled(const Value &value);
    void publishPCBSerialNumberAndModule(bool forceEmit);

    template <typename T> static bool takeIfChanged(Tracked<T> &value, bool forceEmit);
    void publishRecord(const RecordLayout &layout, RecordValues &values, int count, bool forceEmit);
    void resetPublished();
    // Rows of a listing are announced together once the listing has ended: a row at a time, a long
    // listing would copy, compare and hand on the whole table once per row.
    void publishListings();
    double currentOutputFrequency() const;

    // System information
    Tracked<QString> m_systemType, m_hardwareVersion, m_firmwareVersion;
    Tracked<QString> m_applicationName, m_compiledOn, m_serialNumber;
    Tracked<QString> m_lddHardware, m_lddSoftware, m_lddRevision;
    Tracked<QString> m_tecHardware, m_tecSoftware, m_tecRevision;
    Tracked<QString> m_timingBoardSerial, m_timingBoardMCU, m_timingBoardFPGA;
    Tracked<QString> m_deviceOnHours, m_deviceOnMinutes, m_emissionHours, m_emissionMinutes;

    // Harmonic module information
    Tracked<QString> m_moduleAddress, m_moduleType, m_moduleFirmwareVersion, m_moduleBootloaderVersion;
    Tracked<QString> m_moduleSerialNumber, m_modulePCBSerialNumber;

    // Status records
    RecordValues m_s6, m_s7, m_s8, m_s9;
    bool m_s8HasMaxCurrent = false;

    Tracked<bool> m_debuggingEnabled;
    Tracked<int> m_systemState;

    Tracked<QString> m_powerSetpoint_nJ, m_powerSetpoint_Percent;
    Tracked<QMap<int, double>> m_powerMin_nJ, m_powerMax_nJ;
    double m_percentRangeMax = 0.0;

    Tracked<int> m_frequencyIndex, m_divisionFactor;
    Tracked<QMap<int, double>> m_frequencyDivList;
    double m_outputFrequency = 0.0;

    Tracked<int> m_aomEnabled;
    Tracked<int> m_ovenMode;
    Tracked<double> m_oven1Setpoint, m_oven1Min, m_oven1Max, m_oven2Setpoint, m_oven2Min, m_oven2Max;
    Tracked<double> m_oven1Actual, m_oven2Actual;
    Tracked<int> m_humidity, m_piezoPosition, m_digitalGate, m_dynamicWavelengthEnabled;
    Tracked<int> m_dynamicWavelengthSupported;
    Tracked<double> m_dynamicWLS_IR, m_dynamicWLS_Green, m_dynamicWLS_UV, m_dynamicWLS_DUV;

    Tracked<double> m_shgOutputPower, m_thgOutputPower;
    Tracked<quint16> m_hgStatusFlags;
    Tracked<quint8> m_hgErrorcode, m_hgOutputConfig;

    Tracked<quint64> m_hgRuntime;
    Tracked<int> m_crystalCurSpot;
    Tracked<quint64> m_crystalCurRuntime, m_crystalMaxRuntime;
    Tracked<QMap<int, quint64>> m_crystalAllRuntimes;

    bool m_powerListingOpen = false;
    bool m_powerRowsPending = false;
    bool m_divisionRowsPending = false;
    int m_droppedListingRows = 0;

    LumetraResponseGrammar m_grammar;
};
