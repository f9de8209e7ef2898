#pragma once

#include "device/LumetraResponseDecoder.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QLocale>
#include <QLoggingCategory>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class LumetraSerialHandler;
class QTimer;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraController)

// The application's model of the connected laser. It turns what the decoder reports into what the
// control panel shows, turns the operator's actions into command lines for the serial link, and
// keeps the link's poll list in step with the system, firmware and harmonic module it has found.
// It never touches the port: everything goes out through the four command signals. Nor does it know
// any widget: whoever shows it hands in a builder for the operator's controls and a sink for log lines.
class LumetraController : public QObject
{
    Q_OBJECT
public:
    // The division factors an operator may ask for: the panel's spin box and remote clients both take
    // their limits from here.
    static constexpr double DivisionFactorMin = 1;
    static constexpr double DivisionFactorMax = 10000000;

    // Main-loop states.
    enum MainLoopState
    {
        LoopSetUp = 0,
        LoopWaiting = 1,
        LoopConnected = 2
    };

    // What the operator's controls show from their first moment: the persisted choices and whether
    // the link is up.
    struct ControlSetup
    {
        bool connected = false;
        int powerSetIndex = 0;
        int repRateScaleIndex = 0;
    };
    // Builds the operator's controls and wires them to the controller. The returned object stands
    // for the controls' lifetime: the controller builds again only once it is gone.
    using ControlBuilder = std::function<QObject *(LumetraController *controller, const ControlSetup &setup)>;
    using LogSink = std::function<void(const QString &line)>;

    explicit LumetraController(LumetraSerialHandler *serialHandler, QObject *parent = nullptr);
    ~LumetraController() override;

    // Called at the first set-up turn of the main loop; without one nothing is shown.
    void setControlBuilder(ControlBuilder builder) { controlBuilder = std::move(builder); }
    // Receives the lines meant for the operator's log; without one they go to this class's category.
    void setLogSink(LogSink sink) { logSink = std::move(sink); }

    // Decoder signals this controller receives by the naming rule (sigX to slotX).
    int decoderConnectionCount() const { return decoderConnections; }
    // The decoder this controller reads, for those who keep the laser's readings beside it.
    LumetraResponseDecoder *responseDecoder() const { return decoder; }

public slots:
    void slotConnectedStatus(bool connected);
    // For a controller that outlives its port: the link has closed it and dropped every poll.
    // The port closed under a controller that outlives it (the device server, the remote host): the
    // link says only that the port closed, yet the returning laser must be identified and set up anew,
    // and the decoder must announce its values again.
    void slotLinkEnded();
    void slotPortClosed();
    void slotSendManualCommand(QByteArray command);

    // Identification texts
    void slotsLumetraTypeChanged(QString strType);
    void slotsHardwareVersionChanged(QString s) { emit setHardwareVersion(s); }
    void slotsFirmwareVersionChanged(QString s) { emit setFirmwareVersion(s); }
    void slotsApplicationNameChanged(QString strSoftMain);
    void slotsCompilationDateTimeChanged(QString s) { emit setCompilationDateTime(s); }
    void slotsSerialNumberChanged(QString s) { emit setSerialNumber(s); }
    void slotsLDDDeviceHardwareChanged(QString s) { emit setLDDDeviceHardware(s); }
    void slotsLDDDeviceSoftwareChanged(QString s) { emit setLDDDeviceSoftware(s); }
    void slotsLDDDeviceRevisionChanged(QString s) { emit setLDDDeviceRevision(s); }
    void slotsTECDeviceHardwareChanged(QString s) { emit setTECDeviceHardware(s); }
    void slotsTECDeviceSoftwareChanged(QString s) { emit setTECDeviceSoftware(s); }
    void slotsTECDeviceRevisionChanged(QString s) { emit setTECDeviceRevision(s); }
    void slotsTimingBoardSerialChanged(QString s) { emit setTimingBoardSerial(s); }
    void slotsTimingBoardMCUChanged(QString s) { emit setTimingBoardMCU(s); }
    void slotsTimingBoardFPGAChanged(QString s) { emit setTimingBoardFPGA(s); }
    void slotsDeviceOnHoursChanged(QString s) { emit setDeviceOnHours(s); }
    void slotsDeviceOnMinutesChanged(QString s) { emit setDeviceOnMinutes(s); }

    // Harmonic-generator module texts and presence
    void slotsHGModuleAddress(QString s) { emit setHGModuleAddress(s); }
    void slotsHGModuleType(QString moduleType);
    void slotsHGModuleFirwareVersion(QString s) { emit setHGModuleFirwareVersion(s); }
    void slotsHGModuleBootloaderVersion(QString s) { emit setHGModuleBootloaderVersion(s); }
    void slotsHGModuleSerialNumber(QString s) { emit setHGModuleSerialNumber(s); }
    void slotsHGModulePCBSerialNumber(QString s) { emit setHGModulePCBSerialNumber(s); }
    void slotsHGModuleRuntime(QString s) { emit setHGModuleRuntime(s); }
    void slotsHGModuleWarning(QString s) { emit setHGModuleWarning(s); }
    void slotExistsSHGModule(bool exists);
    void slotExistsSHGgModule(bool exists);
    void slotExistsTHGModule(bool exists);
    void slotExistsTHGiModule(bool exists);

    // Status record s6
    void slotiCounterLaserOnOff_hChanged(int h) { emit setDeviceOnHours(QString::number(h)); }
    void slotiCounterLaserOnOff_mChanged(int m) { emit setDeviceOnMinutes(QString::number(m)); }
    void slotiCounterLaserEmmisionOnOff_hChanged(int h) { emit setDeviceEmissionHours(QString::number(h)); }
    void slotiCounterLaserEmmisionOnOff_mChanged(int m) { emit setDeviceEmissionMinutes(QString::number(m)); }
    void slotiTEC_initialisationChanged(int) {}
    void slotiLDD_initialisationChanged(int) {}
    void slotiDownload_lin12b_status_TBChanged(int) {}
    void slotiDownload_wrnmin_status_TBChanged(int) {}
    void slotiDownload_errmax_status_TBChanged(int) {}
    void slotiDownload_errmin_status_TBChanged(int) {}
    void slotiDownload_wrnmax_status_TBChanged(int) {}
    void slotiOperationModeChanged(int) {}

    // Status record s7
    void slotiLaserEmmisionChanged(int) {}
    void slotiModeOfOperationAOMChanged(int aom);
    void slotiShutterOnOffChanged(int state) { emit setShutterIndicator(state != 0); }
    void slotiLumetraQZReadyChanged(int) {}
    void slotiLaserPowerSetAOMChanged(int) {}
    void slotiFrequencyDividerAOMChanged(int) {}
    void slotiFrequencyIndexPCAOMinitChanged(int) {}
    void slotfMeasuredLaserPowerChanged(double measuredPower);
    void slotiNoOfPulsesSingleBurstChanged(int) {}
    void slotiGeneral_temperature_statusChanged(int) {}
    void slotiTemperature_status_1Changed(int) {}
    void slotiTemperature_status_8Changed(int) {}
    void slotiDELAY_BOARD_ERRORChanged(int) {}
    void slotiErrorStatusTECChanged(int) {}
    void slotiErrorStatusLDDChanged(int) {}
    void slotiWavelenghtLQZChanged(int wavelength);

    // Status record s8: received, nothing on the panel depends on them
    void slotiLpcl_en_statusChanged(int) {}
    void slotiLpcl_boost_timeChanged(int) {}
    void slotfLpcl_currentChanged(double) {}
    void slotfLpcl_current_boostChanged(double) {}
    void slotfLpcl_temperatureChanged(double) {}
    void slotfTmpFloatValueAChanged(double) {}
    void slotfTmpFloatValueBChanged(double) {}
    void slotfTmpFloatValueCChanged(double) {}
    void slotiComm_device_1_RS485Changed(int) {}
    void slotiComm_device_2_RS485Changed(int) {}
    void slotiActualCurrentLDDChanged(int) {}
    void slotfLdd1_om2_MaxCurrentChanged(double) {}

    // Status record s9: only the actual temperatures are shown
    void slotfTemperature_set_1Changed(double) {}
    void slotfTemperature_actual_1Changed(double t) { emit setTemperatureActual1(celsiusText(t)); }
    void slotfTemperature_min_1Changed(double) {}
    void slotfTemperature_max_1Changed(double) {}
    void slotfTemperature_set_2Changed(double) {}
    void slotfTemperature_actual_2Changed(double t) { emit setTemperatureActual2(celsiusText(t)); }
    void slotfTemperature_min_2Changed(double) {}
    void slotfTemperature_max_2Changed(double) {}
    void slotfTemperature_set_3Changed(double) {}
    void slotfTemperature_actual_3Changed(double t) { emit setTemperatureActual3(celsiusText(t)); }
    void slotfTemperature_min_3Changed(double) {}
    void slotfTemperature_max_3Changed(double) {}
    void slotfTemperature_set_4Changed(double) {}
    void slotfTemperature_actual_4Changed(double t) { emit setTemperatureActual4(celsiusText(t)); }
    void slotfTemperature_min_4Changed(double) {}
    void slotfTemperature_max_4Changed(double) {}
    void slotfTemperature_set_5Changed(double) {}
    void slotfTemperature_actual_5Changed(double t) { emit setTemperatureActual5(celsiusText(t)); }
    void slotfTemperature_min_5Changed(double) {}
    void slotfTemperature_max_5Changed(double) {}
    void slotfTemperature_set_6Changed(double) {}
    void slotfTemperature_actual_6Changed(double t) { emit setTemperatureActual6(celsiusText(t)); }
    void slotfTemperature_min_6Changed(double) {}
    void slotfTemperature_max_6Changed(double) {}
    void slotfTemperature_set_7Changed(double) {}
    void slotfTemperature_actual_7Changed(double t) { emit setTemperatureActual7(celsiusText(t)); }
    void slotfTemperature_min_7Changed(double) {}
    void slotfTemperature_max_7Changed(double) {}
    void slotfTemperature_set_8Changed(double) {}
    void slotfTemperature_actual_8Changed(double t) { emit setTemperatureActual8(celsiusText(t)); }
    void slotfTemperature_min_8Changed(double) {}
    void slotfTemperature_max_8Changed(double) {}
    void slotfTemperature_set_9Changed(double) {}
    void slotfTemperature_actual_9Changed(double t) { emit setTemperatureActual9(celsiusText(t)); }
    void slotfTemperature_min_9Changed(double) {}
    void slotfTemperature_max_9Changed(double) {}
    void slotfTemperature_set_10Changed(double) {}
    void slotfTemperature_actual_10Changed(double t) { emit setTemperatureActual10(celsiusText(t)); }
    void slotfTemperature_min_10Changed(double) {}
    void slotfTemperature_max_10Changed(double) {}
    void slotuiTmpChar2Changed(uchar char2);

    // State, power and repetition rate
    void slotDebuggingStatusChanged(bool debuggingEnabled);
    void slotSystemStateChanged(SystemState state);
    void slotPowerSetting_nJ_Changed(double setpoint);
    void slotPowerSetting_percent_Changed(double setpoint);
    void slotPowerSetting_nJ_RangeChanged(double min, double max);
    void slotPowerSettingPercentRangeChanged(double min, double max);
    void slotOutputFrequencyChanged(double frequency);
    void slotFrequencyIndexChanged(int index);
    void slotFrequencyDivListChanged(QMap<int, double> freqList);
    void slotDivisionFactorChanged(int factor);
    void slotAOMChanged(bool enabled) { emit setOutEnableOn(enabled); }

    // Ovens, humidity, crystal, gate and dynamic wavelength switching
    void slotOvenModeChanged(int mode);
    void slotOven1TempSettingRangeChanged(double min, double max)
    {
        emit setOven1TempSetpointRange(min, max);
    }
    void slotOven1TempSettingChanged(double setpoint) { emit setOven1TempSetpoint(setpoint); }
    void slotOven2TempSettingRangeChanged(double min, double max)
    {
        emit setOven2TempSetpointRange(min, max);
    }
    void slotOven2TempSettingChanged(double setpoint) { emit setOven2TempSetpoint(setpoint); }
    void slotOven1TempActualChanged(double t) { emit setOven1TempActual(t); }
    void slotOven2TempActualChanged(double t) { emit setOven2TempActual(t); }
    void slotHumidityActualChanged(int humidity) { emit setHumidityMonitor(humidity); }
    void slotPiezoPositionChanged(int position) { emit setWavelengthSelectorCombo(position); }
    void slotDigitalGateChanged(int position) { emit setDigitalGate(position); }
    void slotDynamicWavelengthFeatureChanged(int p) { emit setDynamicWavelengthFeature(p); }
    void slotDynamicWavelengthFeatureSupported(bool supported);
    void slotDynamicWLS_IRChanged(double setpoint);
    void slotDynamicWLS_GreenChanged(double setpoint);
    void slotDynamicWLS_UVChanged(double setpoint);
    void slotDynamicWLS_DUVChanged(double setpoint);

    // Harmonic-generator status
    void slotSHGOutputPowerChanged(double measuredPower);
    void slotTHGOutputPowerChanged(double measuredPower);
    void slotHGStatusFlagsChanged(quint16 flags);
    void slotHGErrorcodeChanged(quint8 errorcode);
    void slotHGOutputConfigChanged(quint8 outputConfig);
    void slotHGCrystalCurSpotChanged(int spot) { emit setCrystalPosition(spot); }
    void slotHGCrystalCurRuntimeChanged(quint64 seconds) { emit setCrystalCurRuntime(seconds); }
    void slotHGCrystalMaxRuntimeChanged(quint64 seconds) { emit setCrystalMaxRuntime(seconds); }
    void slotHGCrystalAllRuntimesChanged(QMap<int, quint64> runtimes);

    // Lines the decoder could not use
    void slotUnhandledLineData(QByteArray lineData);
    void slotParsingError(QByteArray lineData);

    // Operator actions from the control panel and the remote-control buttons
    void slotOperatingModeChanged(int mode);
    void wavelengthSelectorComboChanged(int index);
    void power_uJ_Changed(double value);
    void powerPercentChanged(double value);
    void powerIndexChanged(int index);
    void repRateChanged(double value);
    void repRateDividerChanged(double value);
    void repRateScaleIndexChanged(int scaleIndex);
    void systemInfoViewChanged(bool view);
    void divisionChanged(double value);
    void wavelengthChanged(int index);
    void ovenModeComboChanged(int index);
    void oven1SetpointChanged(double setpoint);
    void oven2SetpointChanged(double setpoint);
    void crystalSpotSliderChanged(double value);
    void digitalGateModeChanged(int index);
    void dynamicWavelengthFeatureChanged(int index);
    void dynamicWLS_SaveSetpoint(int wavelength, double setpoint);
    void outEnableChanged(bool on);
    void laserOnChanged(bool on);
    void standbyChanged(bool on);
    void listenChanged(bool on);

signals:
    // To the serial link
    void sigAddMonitorCommand(QString command);
    void sigDelMonitorCommand(QString command);
    void sigClrAllMonitorCommands();
    void sigAppendSettingsCommand(QString command);
    // From the serial link: a command queued above that never reached the laser, and why.
    void sigCommandDropped(QString command, QString reason, QString reasonKey);
    // Told just before a write is queued, for the audit of who changed the laser: the quantity written
    // (a LumetraQuantityTable row, or -1 where the table has none) with the value in the table's unit,
    // and the command. `typed` for a command the operator typed as it is.
    void sigWriteQueued(int quantity, double value, QString command, bool typed);

    // To the control panel view, one to one with its slots
    void setOperatingMode(int index);
    void setWavelengthSelectorCombo(int index);
    void setWavelengthSelectorComboItemVisibility(int index, bool visible);
    void setWavelengthSelectorComboVisibility(bool visible);
    void setWavelengthSelector(int index);
    void setWavelengthSelectorEnabled(bool enabled);
    void enableWavelengths(bool enable_343, bool enable_515, bool enable_1030);
    void setPowerMeasuredIR_uJ(double energy);
    void setPowerMeasuredGreen_uJ(double energy);
    void setPowerMeasuredUV_uJ(double energy);
    void setPowerMeasuredDUV_uJ(double energy);
    void setPowerMeasuredIR_uJVisibility(bool visible);
    void setPowerMeasuredGreen_uJVisibility(bool visible);
    void setPowerMeasuredUV_uJVisibility(bool visible);
    void setPowerMeasuredDUV_uJVisibility(bool visible);
    void setPowerSetpoint_uJ(double setpoint);
    void setPowerSetpoint_Percent(double setpoint);
    void setPowerSetpointIndex(int index);
    void setPowerSetpointIndexVisibility(int index, bool visible);
    void setPowerRange_uJ(double min, double max);
    void setPowerRangePercent(double min, double max);
    void setPowerSliderVisibility(bool visible);
    void setOutputRepRate(double repRate);
    void setOutputRepRateVisibility(bool visible);
    void setRepRateSliderVisibility(bool visible);
    void setDivisionSliderVisibility(bool visible);
    void setRepRate(double repRate);
    void setRepRateDivider(double divider);
    void setRepRateSteps(QList<double> steps);
    void setRepRateDividerSteps(QList<double> steps);
    void setRepRateSliderDisabled(bool disabled);
    void setDivisionSliderDisabled(bool disabled);
    void setRepRateScaleIndex(int index);
    void setDivision(double division);
    void setDivisionRange(double min, double max);
    void setSystemInfoView(bool view);
    void setPowerOnIndicator(bool on);
    void setErrorIndicator(bool on);
    void setOvenFaultIndicator(bool on);
    void setHumidityFaultIndicator(bool on);
    void setErrorcodeHGIndicator(bool on);
    void setWarningIndicator(bool on);
    void setDeviceSetupIndicator(bool on);
    void setOvenFaultIndicatorVisibility(bool visible);
    void setHumidityFaultIndicatorVisibility(bool visible);
    void setErrorcodeHGIndicatorVisible(bool visible);
    void setErrorcodeHGMessage(QString message);
    void setOutputPowerIRMeasuredW(double power);
    void setOutputPowerGreenMeasuredW(double power);
    void setOutputPowerUVMeasuredW(double power);
    void setOutputPowerDUVMeasuredW(double power);
    void setOutputPowerIRMeasuredWVisibility(bool visible);
    void setOutputPowerGreenMeasuredWVisibility(bool visible);
    void setOutputPowerUVMeasuredWVisibility(bool visible);
    void setOutputPowerDUVMeasuredWVisibility(bool visible);
    void setOvenMode(int mode);
    void setOvenModeVisibility(bool visible);
    void setOvenModeReadOnly(bool readOnly);
    void setOven1TempSetpoint(double setpoint);
    void setOven1TempSetpointRange(double min, double max);
    void setOven1TempSetpointVisibility(bool visible);
    void setOven2TempSetpoint(double setpoint);
    void setOven2TempSetpointRange(double min, double max);
    void setOven2TempSetpointVisibility(bool visible);
    void setOven1TempActual(double temperature);
    void setOven2TempActual(double temperature);
    void setOven1TempActualVisibility(bool visible);
    void setOven2TempActualVisibility(bool visible);
    void setCrystalPosition(int spot);
    void setCrystalPositionRange(int min, int max);
    void setCrystalPositionReadOnly(bool readOnly);
    void setCrystalPositionVisibility(bool visible);
    void setCrystalCurRuntime(quint64 seconds);
    void setCrystalMaxRuntime(quint64 seconds);
    void setCrystalAllRuntimes(QMap<int, quint64> runtimes);
    void setHumidityMonitor(int humidity);
    void setHumidityMonitorVisibility(bool visible);
    void setDigitalGate(int position);
    void setDigitalGateVisible(bool visible);
    void setDynamicWavelengthFeature(int position);
    void setDynamicWavelengthFeatureVisibility(bool visible);
    void setDynamicWLS_IR_uJ(double setpoint);
    void setDynamicWLS_Green_uJ(double setpoint);
    void setDynamicWLS_UV_uJ(double setpoint);
    void setDynamicWLS_DUV_uJ(double setpoint);
    void setDynamicWLS_IR_Percent(double percent);
    void setDynamicWLS_Green_Percent(double percent);
    void setDynamicWLS_UV_Percent(double percent);
    void setDynamicWLS_DUV_Percent(double percent);
    void setDynamicWLS_IR_Visibility(bool visible);
    void setDynamicWLS_Green_Visibility(bool visible);
    void setDynamicWLS_UV_Visibility(bool visible);
    void setDynamicWLS_DUV_Visibility(bool visible);
    // The view's counterparts are spelled setTemperatureVisibilityN.
    void setTemperatureVisibilty1(bool visible);
    void setTemperatureVisibilty2(bool visible);
    void setTemperatureVisibilty3(bool visible);
    void setTemperatureVisibilty4(bool visible);
    void setTemperatureVisibilty5(bool visible);
    void setTemperatureVisibilty6(bool visible);
    void setTemperatureVisibilty7(bool visible);
    void setTemperatureVisibilty8(bool visible);
    void setTemperatureVisibilty9(bool visible);
    void setTemperatureVisibilty10(bool visible);
    void setTemperatureActual1(QString temperature);
    void setTemperatureActual2(QString temperature);
    void setTemperatureActual3(QString temperature);
    void setTemperatureActual4(QString temperature);
    void setTemperatureActual5(QString temperature);
    void setTemperatureActual6(QString temperature);
    void setTemperatureActual7(QString temperature);
    void setTemperatureActual8(QString temperature);
    void setTemperatureActual9(QString temperature);
    void setTemperatureActual10(QString temperature);
    void setLumetraType(QString type);
    void setHardwareVersion(QString version);
    void setFirmwareVersion(QString version);
    void setApplicationName(QString name);
    void setCompilationDateTime(QString dateTime);
    void setSerialNumber(QString serial);
    void setLDDDeviceHardware(QString hardware);
    void setLDDDeviceSoftware(QString software);
    void setLDDDeviceRevision(QString revision);
    void setTECDeviceHardware(QString hardware);
    void setTECDeviceSoftware(QString software);
    void setTECDeviceRevision(QString revision);
    void setTimingBoardSerial(QString serial);
    void setTimingBoardMCU(QString version);
    void setTimingBoardFPGA(QString version);
    void setHGModuleAddress(QString address);
    void setHGModuleType(QString moduleType);
    void setHGModuleFirwareVersion(QString version);
    void setHGModuleBootloaderVersion(QString version);
    void setHGModuleSerialNumber(QString serial);
    void setHGModulePCBSerialNumber(QString serial);
    void setHGModuleRuntime(QString runtime);
    void setHGModuleWarning(QString message);
    void setDeviceOnHours(QString hours);
    void setDeviceOnMinutes(QString minutes);
    void setDeviceEmissionHours(QString hours);
    void setDeviceEmissionMinutes(QString minutes);
    void setHGModuleInfoVisibility(bool visible);
    void setHGSettingsPageVisibility(bool visible);

    // To the remote-control buttons
    void setOutEnableOn(bool on);
    void setOutEnableOnFlash(bool on);
    void setOutEnableOnVisible(bool visible);
    void setLaserOn(bool on);
    void setLaserOnFlash(bool on);
    void setStandby(bool on);
    void setStandbyFlash(bool on);
    void setListen(bool on);
    void enableOutEnable(bool enable);
    void enableLaserOn(bool enable);
    void enableStandby(bool enable);
    void enableListen(bool enable);

    // Reported, shown nowhere
    void setShutterIndicator(bool closed);

    // The operator's controls take input only while the link is up.
    void controlEnabledChanged(bool enabled);

private slots:
    void slotMainLoop();
    void appendDelayed_digiop_Command();

private:
    bool mainLoopIdle() const;
    void wakeMainLoop();
    void connectDecoder();
    void loadSettings();
    void saveSettings() const;
    void createControls();

    bool runFeatureSelection();
    void runModuleSequence(int module);
    void deriveStatus();
    void updateOutputRate();
    void setOutputRate(double rate);
    void sendFrequencyIndexFor(const QMap<int, double> &map, double value);
    void queue(const QString &command) { emit sigAppendSettingsCommand(command); }
    void queueWrite(int quantity, double value, const QString &command)
    {
        emit sigWriteQueued(quantity, value, command, false);
        queue(command);
    }
    void poll(const QString &command) { emit sigAddMonitorCommand(command); }
    void writeLog(const QString &line);
    static QString textUpToNul(const QByteArray &bytes);
    // Shown on the panel, so in the language's digits; what goes to the laser never passes through here.
    static QString celsiusText(double celsius)
    {
        QLocale shown;
        shown.setNumberOptions(shown.numberOptions() | QLocale::OmitGroupSeparator);
        return shown.toString(celsius, 'f', 2);
    }

    LumetraSerialHandler *serialHandler = nullptr;
    LumetraResponseDecoder *decoder = nullptr;
    ControlBuilder controlBuilder;
    LogSink logSink;
    QPointer<QObject> controls;
    QTimer *mainLoopTimer = nullptr;
    // Set while the main loop sleeps through turns that could not act; lastTurn keeps its 10 ms grid.
    bool mainLoopAsleep = false;
    QElapsedTimer lastTurn;
    int decoderConnections = 0;

    bool connected = false;
    int systemType = 0;
    bool viewSystemInfo = false;
    int powerSetIndex = 0;
    int repRateScaleIndex = 0;
    QString applicationName;
    int modeOfOperation = -1;
    int mainLoopState = LoopSetUp;
    int hgModuleKind = 0;
    QString hgModuleType;

    double powerSetting_nJ = 0.0;
    double powerSetting_percent = 0.0;
    double energyLimitFromMin_nJ = 0.0;
    double energyLimitFromMax_nJ = 0.0;
    double percentRangeMin = 0.0;
    double percentRangeMax = 0.0;
    QMap<int, double> repRateMap;
    QMap<int, double> dividerMap;
    int freqIndex = 0;
    int divisionFactor = 0;
    double outputRepRate = 0.0;
    // Last measured readings, kept to recompute what depends on the output rate.
    double measuredIR_nJ = 0.0;
    double measuredSHG_mW = 0.0;
    double measuredTHG_mW = 0.0;

    quint8 statusByte = 0;
    SystemState systemState = SystemStateUnknown;
};
