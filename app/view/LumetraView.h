#pragma once

#include "dialkit/MainView.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QLabel;
class QRadioButton;
class QVBoxLayout;
class ComboBox;
class ComboSlider;
class ComboSliderUnit;
class Dialog;
class LineEdit;
class LumetraSpotChangeDialog;
class LumetraStatusStrip;

// The laser's control panel: a status strip that stays in view, the "Control" page and the settings pages.
// The controller drives it through the set... slots (one per controller signal, so the slot list is long by
// design); operator actions leave it through the ...Changed signals. A value the laser reports is shown
// without being sent back.
class LumetraView : public MainView
{
    Q_OBJECT
public:
    explicit LumetraView(QWidget *parent = nullptr);
    ~LumetraView() override;

    // Settings-menu indices of the pages.
    enum Page
    {
        ControlPage = 0,
        ViewPage,
        TemperaturePage,
        SystemDetailsPage,
        SystemSettingsPage,
        HGPage
    };

    bool isDialogOpen() const;

public slots:
    void setOperatingMode(int index);
    void setWavelengthSelectorCombo(int index);
    void setWavelengthSelectorComboItemVisibility(int index, bool visible);
    void setWavelengthSelectorComboVisibility(bool visible);
    void setWavelengthSelector(int index);
    void setWavelengthSelectorEnabled(bool enabled);
    void enableWavelengths(bool enable_343, bool enable_515, bool enable_1030);

    void setPowerMeasuredIR_uJ(double value);
    void setPowerMeasuredGreen_uJ(double value);
    void setPowerMeasuredUV_uJ(double value);
    void setPowerMeasuredDUV_uJ(double value);
    void setPowerMeasuredIR_uJVisibility(bool visible);
    void setPowerMeasuredGreen_uJVisibility(bool visible);
    void setPowerMeasuredUV_uJVisibility(bool visible);
    void setPowerMeasuredDUV_uJVisibility(bool visible);

    void setPowerSetpoint_uJ(double value);
    void setPowerSetpoint_Percent(double value);
    void setPowerSetpointIndex(int index);
    void setPowerSetpointIndexVisibility(int index, bool visible);
    void setPowerRange_uJ(double min, double max);
    void setPowerRangePercent(double min, double max);
    void setPowerSliderVisibility(bool visible);

    void setOutputRepRate(double value);
    void setOutputRepRateVisibility(bool visible);
    void setRepRateSliderVisibility(bool visible);
    void setDivisionSliderVisibility(bool visible);
    void setRepRate(double value);
    void setRepRateDivider(double value);
    void setRepRateSteps(QList<double> steps);
    void setRepRateDividerSteps(QList<double> steps);
    void setRepRateSliderDisabled(bool disabled);
    void setDivisionSliderDisabled(bool disabled);
    void setRepRateScaleIndex(int index);
    void setDivision(double value);
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

    void setOutputPowerIRMeasuredW(double value);
    void setOutputPowerGreenMeasuredW(double value);
    void setOutputPowerUVMeasuredW(double value);
    void setOutputPowerDUVMeasuredW(double value);
    void setOutputPowerIRMeasuredWVisibility(bool visible);
    void setOutputPowerGreenMeasuredWVisibility(bool visible);
    void setOutputPowerUVMeasuredWVisibility(bool visible);
    void setOutputPowerDUVMeasuredWVisibility(bool visible);

    void setOvenMode(int index);
    void setOvenModeVisibility(bool visible);
    void setOvenModeReadOnly(bool readOnly);
    void setOven1TempSetpoint(double value);
    void setOven1TempSetpointRange(double min, double max);
    void setOven1TempSetpointVisibility(bool visible);
    void setOven2TempSetpoint(double value);
    void setOven2TempSetpointRange(double min, double max);
    void setOven2TempSetpointVisibility(bool visible);
    void setOven1TempActual(double value);
    void setOven2TempActual(double value);
    void setOven1TempActualVisibility(bool visible);
    void setOven2TempActualVisibility(bool visible);

    void setCrystalPosition(int spot);
    void setCrystalPositionRange(int min, int max);
    void setCrystalPositionReadOnly(bool readOnly);
    void setCrystalPositionVisibility(bool visible);
    void setCrystalCurRuntime(quint64 seconds);
    void setCrystalMaxRuntime(quint64 seconds);
    void setCrystalAllRuntimes(QMap<int, quint64> runtimes);

    void setHumidityMonitor(int value);
    void setHumidityMonitorVisibility(bool visible);

    void setDigitalGate(int index);
    void setDigitalGateVisible(bool visible);

    void setDynamicWavelengthFeature(int index);
    void setDynamicWavelengthFeatureVisibility(bool visible);
    void setDynamicWLS_IR_uJ(double value);
    void setDynamicWLS_Green_uJ(double value);
    void setDynamicWLS_UV_uJ(double value);
    void setDynamicWLS_DUV_uJ(double value);
    void setDynamicWLS_IR_Percent(double value);
    void setDynamicWLS_Green_Percent(double value);
    void setDynamicWLS_UV_Percent(double value);
    void setDynamicWLS_DUV_Percent(double value);
    void setDynamicWLS_IR_Visibility(bool visible);
    void setDynamicWLS_Green_Visibility(bool visible);
    void setDynamicWLS_UV_Visibility(bool visible);
    void setDynamicWLS_DUV_Visibility(bool visible);

    void setTemperatureVisibility1(bool visible);
    void setTemperatureVisibility2(bool visible);
    void setTemperatureVisibility3(bool visible);
    void setTemperatureVisibility4(bool visible);
    void setTemperatureVisibility5(bool visible);
    void setTemperatureVisibility6(bool visible);
    void setTemperatureVisibility7(bool visible);
    void setTemperatureVisibility8(bool visible);
    void setTemperatureVisibility9(bool visible);
    void setTemperatureVisibility10(bool visible);
    void setTemperatureActual1(QString text);
    void setTemperatureActual2(QString text);
    void setTemperatureActual3(QString text);
    void setTemperatureActual4(QString text);
    void setTemperatureActual5(QString text);
    void setTemperatureActual6(QString text);
    void setTemperatureActual7(QString text);
    void setTemperatureActual8(QString text);
    void setTemperatureActual9(QString text);
    void setTemperatureActual10(QString text);

    void setLumetraType(QString type);
    void setHardwareVersion(QString text);
    void setFirmwareVersion(QString text);
    void setApplicationName(QString text);
    void setCompilationDateTime(QString text);
    void setSerialNumber(QString text);
    void setLDDDeviceHardware(QString text);
    void setLDDDeviceSoftware(QString text);
    void setLDDDeviceRevision(QString text);
    void setTECDeviceHardware(QString text);
    void setTECDeviceSoftware(QString text);
    void setTECDeviceRevision(QString text);
    void setTimingBoardSerial(QString text);
    void setTimingBoardMCU(QString text);
    void setTimingBoardFPGA(QString text);
    void setHGModuleAddress(QString text);
    void setHGModuleType(QString text);
    void setHGModuleFirwareVersion(QString text);
    void setHGModuleBootloaderVersion(QString text);
    void setHGModuleSerialNumber(QString text);
    void setHGModulePCBSerialNumber(QString text);
    void setHGModuleRuntime(QString text);
    void setDeviceOnHours(QString hours);
    void setDeviceOnMinutes(QString minutes);
    void setDeviceEmissionHours(QString hours);
    void setDeviceEmissionMinutes(QString minutes);
    void setHGModuleInfoVisibility(bool visible);
    void setHGSettingsPageVisibility(bool visible);
    void setHGModuleWarning(QString message);

signals:
    void operatingModeChanged(int index);
    void wavelengthSelectorComboChanged(int index);
    void power_uJ_Changed(double value);
    void powerPercentChanged(double value);
    void powerIndexChanged(int index);
    void repRateChanged(double value);
    void repRateDividerChanged(double value);
    void repRateScaleIndexChanged(int index);
    void divisionChanged(double value);
    void systemInfoViewChanged(bool view);
    void wavelengthChanged(int index);
    void ovenModeComboChanged(int index);
    void oven1SetpointChanged(double setpoint);
    void oven2SetpointChanged(double setpoint);
    void crystalSpotSliderChanged(double value);
    void digitalGateModeChanged(int index);
    void dynamicWavelengthFeature(int index);
    void dynamicWLS_SaveSetpoint(int wavelength, double setpoint);
    void closeCrystalSpotWarningWindow();

private slots:
    void newOperationMode(int index);
    void newPowerValue(double value);
    void newPowerIndex(int index);
    void newRepRateSliderValue(double value);
    void newWavelengthSelected(int index);
    void newDigitalGateSelected(QAbstractButton *button);
    void newDynamicWavelengthFeatureChanged(QAbstractButton *button);
    void dynamicWLS_SaveButtonClicked();
    void newCrystalSpotSelected(double value);
    void showAllSpotsButtonClicked();

private:
    // A label with its value read-out; shown and hidden together.
    struct Readout
    {
        QLabel *label = nullptr;
        QLabel *value = nullptr;
        void setVisible(bool visible) const;
    };
    // A label with a read-only field ("System Details", "Temperature Details").
    struct Field
    {
        QLabel *label = nullptr;
        LineEdit *edit = nullptr;
        void setVisible(bool visible) const;
    };
    void buildStatusStrip();
    QWidget *buildControlPage();
    QWidget *buildViewPage();
    QWidget *buildTemperaturePage();
    QWidget *buildSystemDetailsPage();
    QWidget *buildSystemSettingsPage();
    QWidget *buildHGPage();

    QLabel *makeLabel(const QString &text, const char *type, QWidget *parent);
    Readout addReadout(QGridLayout *grid, const QString &text, QWidget *parent);
    Field addField(QGridLayout *grid, const QString &text, QWidget *parent);
    QWidget *makeGroup(const QString &title, QWidget *parent, QVBoxLayout **layout);

    void applyEnergySetpoint();
    void updateDigitalGateTexts();
    void updateDeviceTimes();
    void updateCrystalRuntimeText();
    void setAomEnergy(int wavelength, double value);
    void setTemperatureRowVisible(int row, bool visible);
    void setTemperatureText(int row, const QString &text);
    enum class WavelengthAnswer
    {
        Cancelled,
        Accepted,
        ViewGone
    };
    WavelengthAnswer confirmWavelengthChange(int index);

    LumetraStatusStrip *statusStrip = nullptr;

    // "Control" page.
    ComboBox *operatingModeCombo = nullptr;
    QWidget *wavelengthSelectorGroup = nullptr;
    ComboBox *wavelengthSelectorCombo = nullptr;
    QList<Readout> energyReadouts;
    QWidget *dynamicWlsSaveGroup = nullptr;
    ComboSlider *powerSlider = nullptr;
    Readout outputRepRateReadout;
    ComboSlider *repRateSlider = nullptr;
    ComboSliderUnit *repRateUnit = nullptr;
    ComboSliderUnit *repRateDividerUnit = nullptr;
    ComboSlider *divisionSlider = nullptr;

    // Settings pages.
    QCheckBox *systemInfoCheck = nullptr;
    QList<Field> temperatureFields;
    Field hardwareField, firmwareField, applicationNameField, compiledOnField, serialNumberField;
    Field deviceOnTimeField, emissionTimeField;
    Field lddHardwareField, lddSoftwareField, lddRevisionField;
    Field tecHardwareField, tecSoftwareField, tecRevisionField;
    Field timingSerialField, timingMcuField, timingFpgaField;
    Field hgAddressField, hgTypeField, hgFirmwareField, hgBootloaderField, hgSerialField, hgPcbSerialField,
        hgRuntimeField;
    QWidget *hgBoardGroup = nullptr;
    QButtonGroup *digitalGateGroup = nullptr;
    QRadioButton *gateFirstButton = nullptr;
    QRadioButton *gateSecondButton = nullptr;
    QWidget *dynamicFeatureGroup = nullptr;
    QButtonGroup *dynamicFeatureButtons = nullptr;
    QRadioButton *dynamicEnableButton = nullptr;
    QRadioButton *dynamicDisableButton = nullptr;
    QList<Readout> outputPowerReadouts;
    Readout humidityReadout;
    QLabel *ovenModeLabel = nullptr;
    ComboBox *ovenModeCombo = nullptr;
    Readout oven1ActualReadout;
    Readout oven2ActualReadout;
    ComboSlider *oven1Slider = nullptr;
    ComboSlider *oven2Slider = nullptr;
    QWidget *crystalGroup = nullptr;
    Readout crystalRunHoursReadout;
    ComboSlider *crystalSlider = nullptr;
    ComboSliderUnit *crystalUnit = nullptr;

    // Values restored on unit and scale changes, and the small state of the dialogs.
    double powerSetpoint_uJ = 0.0;
    double powerRangeMin_uJ = 0.0;
    double powerRangeMax_uJ = 1000.0;
    double powerSetpointPercent = 0.0;
    double powerRangeMinPercent = 0.0;
    double powerRangeMaxPercent = 100.0;
    double repRateValues[2] = {0.0, 0.0};
    int previousWavelengthIndex = 0;
    bool dynamicWavelengthSwitching = false;
    bool dialogOpen = false;
    double aomEnergy_uJ[4] = {0.0, 0.0, 0.0, 0.0};
    QPointer<Dialog> hgWarningDialog;

    int currentCrystalSpot = 0;
    quint64 crystalCurRuntime = 0;
    quint64 crystalMaxRuntime = 0;
    QMap<int, quint64> crystalAllRuntimes;
    QPointer<LumetraSpotChangeDialog> spotChangeDialog;

    QString deviceOnHours, deviceOnMinutes, deviceEmissionHours, deviceEmissionMinutes;
};
