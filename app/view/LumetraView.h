#pragma once

#include "app/view/LumetraControlPage.h"
#include "app/view/LumetraCrystalSpotGroup.h"
#include "app/view/LumetraHGPage.h"
#include "app/view/LumetraStatusStrip.h"
#include "app/view/LumetraSystemDetailsPage.h"
#include "app/view/LumetraSystemSettingsPage.h"
#include "app/view/LumetraTemperaturePage.h"
#include "app/view/LumetraViewPage.h"
#include "dialkit/MainView.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>

class MessageDialog;
class QTimer;

// The laser's control panel: a status strip that stays in view, the "Control" page and the settings pages.
// The controller drives it through the set... slots (one per controller signal, paired by exact signature,
// so the slot list is long by design); each forwards to the page that shows the value. Operator actions
// leave it through the ...Changed signals. A value the laser reports is shown without being sent back.
// What involves more than one page (the harmonic confirmation, the digital gate and dynamic switching
// shown in the strip, the warning windows) is handled here.
class LumetraView : public MainView
{
    Q_OBJECT
public:
    // The style sheet is applied once the panel is complete; Immediate is the slower order of a plain
    // MainView, kept so that the two can be compared.
    explicit LumetraView(QWidget *parent = nullptr, StyleSheetTiming timing = StyleSheetTiming::Deferred);
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
    QSize minimumSizeHint() const override;
    // As the frame's, with less room under the state buttons: that room goes to the status strip's rows
    // below its lamps, which a 768-pixel screen would otherwise not show at all.
    void setRemoteControlWidget(QWidget *widget);

public slots:
    void setOperatingMode(int index) { controlPage->setOperatingMode(index); }
    void setWavelengthSelectorCombo(int index);
    void setWavelengthSelectorComboItemVisibility(int index, bool visible)
    {
        controlPage->setHarmonicItemVisible(index, visible);
    }
    void setWavelengthSelectorComboVisibility(bool visible)
    {
        controlPage->setHarmonicSelectorVisible(visible);
    }
    void setWavelengthSelector(int index) { statusStrip->setWavelength(index); }
    void setWavelengthSelectorEnabled(bool enabled) { statusStrip->setWavelengthAllowed(enabled); }
    void enableWavelengths(bool enable_343, bool enable_515, bool enable_1030)
    {
        statusStrip->enableWavelengths(enable_343, enable_515, enable_1030);
    }
    void setPowerMeasuredIR_uJ(double value) { controlPage->setMeasuredEnergy(LumetraHarmonic::IR, value); }
    void setPowerMeasuredGreen_uJ(double value)
    {
        controlPage->setMeasuredEnergy(LumetraHarmonic::Green, value);
    }
    void setPowerMeasuredUV_uJ(double value) { controlPage->setMeasuredEnergy(LumetraHarmonic::UV, value); }
    void setPowerMeasuredDUV_uJ(double value)
    {
        controlPage->setMeasuredEnergy(LumetraHarmonic::DeepUV, value);
    }
    void setPowerMeasuredIR_uJVisibility(bool visible)
    {
        controlPage->setMeasuredEnergyVisible(LumetraHarmonic::IR, visible);
    }
    void setPowerMeasuredGreen_uJVisibility(bool visible)
    {
        controlPage->setMeasuredEnergyVisible(LumetraHarmonic::Green, visible);
    }
    void setPowerMeasuredUV_uJVisibility(bool visible)
    {
        controlPage->setMeasuredEnergyVisible(LumetraHarmonic::UV, visible);
    }
    void setPowerMeasuredDUV_uJVisibility(bool visible)
    {
        controlPage->setMeasuredEnergyVisible(LumetraHarmonic::DeepUV, visible);
    }
    void setPowerSetpoint_uJ(double value) { controlPage->setPowerSetpoint_uJ(value); }
    void setPowerSetpoint_Percent(double value) { controlPage->setPowerSetpointPercent(value); }
    void setPowerSetpointIndex(int index) { controlPage->setPowerUnit(index); }
    void setPowerSetpointIndexVisibility(int index, bool visible)
    {
        controlPage->setPowerUnitVisible(index, visible);
    }
    void setPowerRange_uJ(double min, double max) { controlPage->setPowerRange_uJ(min, max); }
    void setPowerRangePercent(double min, double max) { controlPage->setPowerRangePercent(min, max); }
    void setPowerSliderVisibility(bool visible) { controlPage->setPowerControlVisible(visible); }
    void setOutputRepRate(double value) { controlPage->setOutputRepRate(value); }
    void setOutputRepRateVisibility(bool visible) { controlPage->setOutputRepRateVisible(visible); }
    void setRepRateSliderVisibility(bool visible) { controlPage->setRepRateControlVisible(visible); }
    void setDivisionSliderVisibility(bool visible) { controlPage->setDivisionControlVisible(visible); }
    void setRepRate(double value) { controlPage->setRepRate(value); }
    void setRepRateDivider(double value) { controlPage->setRepRateDivider(value); }
    void setRepRateSteps(QList<double> steps) { controlPage->setRepRateSteps(steps); }
    void setRepRateDividerSteps(QList<double> steps) { controlPage->setRepRateDividerSteps(steps); }
    void setRepRateSliderDisabled(bool disabled) { controlPage->setRepRateControlEnabled(!disabled); }
    void setDivisionSliderDisabled(bool disabled) { controlPage->setDivisionControlEnabled(!disabled); }
    void setRepRateScaleIndex(int index) { controlPage->setRepRateScale(index); }
    void setDivision(double value) { controlPage->setDivision(value); }
    void setDivisionRange(double min, double max) { controlPage->setDivisionRange(min, max); }
    void setSystemInfoView(bool view);
    void setPowerOnIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::PowerOn, on); }
    void setErrorIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::Error, on); }
    void setOvenFaultIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::OvenFault, on); }
    void setHumidityFaultIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::HumidityFault, on); }
    void setErrorcodeHGIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::HGError, on); }
    void setWarningIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::Warning, on); }
    void setDeviceSetupIndicator(bool on) { statusStrip->setLamp(LumetraStatusStrip::DeviceSetup, on); }
    void setOvenFaultIndicatorVisibility(bool visible)
    {
        statusStrip->setLampVisible(LumetraStatusStrip::OvenFault, visible);
    }
    void setHumidityFaultIndicatorVisibility(bool visible)
    {
        statusStrip->setLampVisible(LumetraStatusStrip::HumidityFault, visible);
    }
    void setErrorcodeHGIndicatorVisible(bool visible)
    {
        statusStrip->setLampVisible(LumetraStatusStrip::HGError, visible);
    }
    void setErrorcodeHGMessage(QString message) { statusStrip->setHGErrorMessage(message); }
    void setOutputPowerIRMeasuredW(double value) { hgPage->setOutputPower(LumetraHarmonic::IR, value); }
    void setOutputPowerGreenMeasuredW(double value) { hgPage->setOutputPower(LumetraHarmonic::Green, value); }
    void setOutputPowerUVMeasuredW(double value) { hgPage->setOutputPower(LumetraHarmonic::UV, value); }
    void setOutputPowerDUVMeasuredW(double value) { hgPage->setOutputPower(LumetraHarmonic::DeepUV, value); }
    void setOutputPowerIRMeasuredWVisibility(bool visible)
    {
        hgPage->setOutputPowerVisible(LumetraHarmonic::IR, visible);
    }
    void setOutputPowerGreenMeasuredWVisibility(bool visible)
    {
        hgPage->setOutputPowerVisible(LumetraHarmonic::Green, visible);
    }
    void setOutputPowerUVMeasuredWVisibility(bool visible)
    {
        hgPage->setOutputPowerVisible(LumetraHarmonic::UV, visible);
    }
    void setOutputPowerDUVMeasuredWVisibility(bool visible)
    {
        hgPage->setOutputPowerVisible(LumetraHarmonic::DeepUV, visible);
    }
    void setOvenMode(int index) { hgPage->setOvenMode(index); }
    void setOvenModeVisibility(bool visible) { hgPage->setOvenModeVisible(visible); }
    void setOvenModeReadOnly(bool readOnly) { hgPage->setOvenModeEnabled(!readOnly); }
    void setOven1TempSetpoint(double value) { hgPage->setOvenSetpoint(LumetraHGPage::ShgOven, value); }
    void setOven1TempSetpointRange(double min, double max)
    {
        hgPage->setOvenSetpointRange(LumetraHGPage::ShgOven, min, max);
    }
    void setOven1TempSetpointVisibility(bool visible)
    {
        hgPage->setOvenSetpointVisible(LumetraHGPage::ShgOven, visible);
    }
    void setOven2TempSetpoint(double value) { hgPage->setOvenSetpoint(LumetraHGPage::ThgOven, value); }
    void setOven2TempSetpointRange(double min, double max)
    {
        hgPage->setOvenSetpointRange(LumetraHGPage::ThgOven, min, max);
    }
    void setOven2TempSetpointVisibility(bool visible)
    {
        hgPage->setOvenSetpointVisible(LumetraHGPage::ThgOven, visible);
    }
    void setOven1TempActual(double value) { hgPage->setOvenTemperature(LumetraHGPage::ShgOven, value); }
    void setOven2TempActual(double value) { hgPage->setOvenTemperature(LumetraHGPage::ThgOven, value); }
    void setOven1TempActualVisibility(bool visible)
    {
        hgPage->setOvenTemperatureVisible(LumetraHGPage::ShgOven, visible);
    }
    void setOven2TempActualVisibility(bool visible)
    {
        hgPage->setOvenTemperatureVisible(LumetraHGPage::ThgOven, visible);
    }
    void setCrystalPosition(int spot);
    void setCrystalPositionRange(int min, int max) { hgPage->crystalSpot()->setRange(min, max); }
    void setCrystalPositionReadOnly(bool readOnly) { hgPage->crystalSpot()->setReadOnly(readOnly); }
    void setCrystalPositionVisibility(bool visible) { hgPage->crystalSpot()->setVisible(visible); }
    void setCrystalCurRuntime(quint64 seconds) { hgPage->crystalSpot()->setCurrentRuntime(seconds); }
    void setCrystalMaxRuntime(quint64 seconds) { hgPage->crystalSpot()->setMaxRuntime(seconds); }
    void setCrystalAllRuntimes(QMap<int, quint64> runtimes)
    {
        hgPage->crystalSpot()->setAllRuntimes(runtimes);
    }
    void setHumidityMonitor(int value) { hgPage->setHumidity(value); }
    void setHumidityMonitorVisibility(bool visible) { hgPage->setHumidityVisible(visible); }
    void setDigitalGate(int index);
    void setDigitalGateVisible(bool visible) { setSettingsPageAccess(SystemSettingsPage, visible); }
    void setDynamicWavelengthFeature(int index);
    void setDynamicWavelengthFeatureVisibility(bool visible);
    void setDynamicWLS_IR_uJ(double value) { statusStrip->setAomEnergy(LumetraHarmonic::IR, value); }
    void setDynamicWLS_Green_uJ(double value) { statusStrip->setAomEnergy(LumetraHarmonic::Green, value); }
    void setDynamicWLS_UV_uJ(double value) { statusStrip->setAomEnergy(LumetraHarmonic::UV, value); }
    void setDynamicWLS_DUV_uJ(double value) { statusStrip->setAomEnergy(LumetraHarmonic::DeepUV, value); }
    void setDynamicWLS_IR_Percent(double value) { statusStrip->setAomPercent(LumetraHarmonic::IR, value); }
    void setDynamicWLS_Green_Percent(double value)
    {
        statusStrip->setAomPercent(LumetraHarmonic::Green, value);
    }
    void setDynamicWLS_UV_Percent(double value) { statusStrip->setAomPercent(LumetraHarmonic::UV, value); }
    void setDynamicWLS_DUV_Percent(double value)
    {
        statusStrip->setAomPercent(LumetraHarmonic::DeepUV, value);
    }
    void setDynamicWLS_IR_Visibility(bool visible)
    {
        statusStrip->setAomVisible(LumetraHarmonic::IR, visible);
    }
    void setDynamicWLS_Green_Visibility(bool visible)
    {
        statusStrip->setAomVisible(LumetraHarmonic::Green, visible);
    }
    void setDynamicWLS_UV_Visibility(bool visible)
    {
        statusStrip->setAomVisible(LumetraHarmonic::UV, visible);
    }
    void setDynamicWLS_DUV_Visibility(bool visible)
    {
        statusStrip->setAomVisible(LumetraHarmonic::DeepUV, visible);
    }
    void setTemperatureVisibility1(bool visible) { temperaturePage->setRowVisible(0, visible); }
    void setTemperatureVisibility2(bool visible) { temperaturePage->setRowVisible(1, visible); }
    void setTemperatureVisibility3(bool visible) { temperaturePage->setRowVisible(2, visible); }
    void setTemperatureVisibility4(bool visible) { temperaturePage->setRowVisible(3, visible); }
    void setTemperatureVisibility5(bool visible) { temperaturePage->setRowVisible(4, visible); }
    void setTemperatureVisibility6(bool visible) { temperaturePage->setRowVisible(5, visible); }
    void setTemperatureVisibility7(bool visible) { temperaturePage->setRowVisible(6, visible); }
    void setTemperatureVisibility8(bool visible) { temperaturePage->setRowVisible(7, visible); }
    void setTemperatureVisibility9(bool visible) { temperaturePage->setRowVisible(8, visible); }
    void setTemperatureVisibility10(bool visible) { temperaturePage->setRowVisible(9, visible); }
    void setTemperatureActual1(QString text) { temperaturePage->setRowText(0, text); }
    void setTemperatureActual2(QString text) { temperaturePage->setRowText(1, text); }
    void setTemperatureActual3(QString text) { temperaturePage->setRowText(2, text); }
    void setTemperatureActual4(QString text) { temperaturePage->setRowText(3, text); }
    void setTemperatureActual5(QString text) { temperaturePage->setRowText(4, text); }
    void setTemperatureActual6(QString text) { temperaturePage->setRowText(5, text); }
    void setTemperatureActual7(QString text) { temperaturePage->setRowText(6, text); }
    void setTemperatureActual8(QString text) { temperaturePage->setRowText(7, text); }
    void setTemperatureActual9(QString text) { temperaturePage->setRowText(8, text); }
    void setTemperatureActual10(QString text) { temperaturePage->setRowText(9, text); }
    void setLumetraType(QString type);
    void setHardwareVersion(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::Hardware, text);
    }
    void setFirmwareVersion(QString text);
    void setApplicationName(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::ApplicationName, text);
    }
    void setCompilationDateTime(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::CompiledOn, text);
    }
    void setSerialNumber(QString text);
    void setLDDDeviceHardware(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::LddHardware, text);
    }
    void setLDDDeviceSoftware(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::LddSoftware, text);
    }
    void setLDDDeviceRevision(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::LddRevision, text);
    }
    void setTECDeviceHardware(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::TecHardware, text);
    }
    void setTECDeviceSoftware(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::TecSoftware, text);
    }
    void setTECDeviceRevision(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::TecRevision, text);
    }
    void setTimingBoardSerial(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::TimingSerial, text);
    }
    void setTimingBoardMCU(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::TimingMcu, text);
    }
    void setTimingBoardFPGA(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::TimingFpga, text);
    }
    void setHGModuleAddress(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgAddress, text);
    }
    void setHGModuleType(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgType, text);
    }
    void setHGModuleFirwareVersion(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgFirmware, text);
    }
    void setHGModuleBootloaderVersion(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgBootloader, text);
    }
    void setHGModuleSerialNumber(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgSerial, text);
    }
    void setHGModulePCBSerialNumber(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgPcbSerial, text);
    }
    void setHGModuleRuntime(QString text)
    {
        detailsPage->setDetail(LumetraSystemDetailsPage::Detail::HgRuntime, text);
    }
    void setDeviceOnHours(QString hours) { detailsPage->setDeviceOnHours(hours); }
    void setDeviceOnMinutes(QString minutes) { detailsPage->setDeviceOnMinutes(minutes); }
    void setDeviceEmissionHours(QString hours) { detailsPage->setEmissionHours(hours); }
    void setDeviceEmissionMinutes(QString minutes) { detailsPage->setEmissionMinutes(minutes); }
    void setHGModuleInfoVisibility(bool visible) { detailsPage->setHGBoardVisible(visible); }
    void setHGSettingsPageVisibility(bool visible) { setSettingsPageAccess(HGPage, visible); }
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

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void newOperationMode(int index) { controlPage->applyOperatingMode(index); }
    // What the operator does with the energy, rep-rate and crystal-spot controls runs through these named
    // slots, so that it can be reached by name as the controller reaches the set... slots.
    void newPowerValue(double value) { controlPage->takePowerValue(value); }
    // Shows the unit with its own range and last set-point.
    void newPowerIndex(int index) { controlPage->setPowerUnit(index); }
    void newRepRateSliderValue(double value) { controlPage->takeRepRateValue(value); }
    void newCrystalSpotSelected(double value) { hgPage->crystalSpot()->selectSpot(value); }
    void showAllSpotsButtonClicked() { hgPage->crystalSpot()->showAllSpots(); }
    void newWavelengthSelected(int index);
    void newDigitalGateSelected(int index);
    void newDynamicWavelengthFeatureChanged(int index);
    void dynamicWLS_SaveButtonClicked();
    void hgWarningCleared();

private:
    void connectPages();
    void updateDigitalGateTexts();
    enum class WavelengthAnswer
    {
        Cancelled,
        Accepted,
        ViewGone
    };
    WavelengthAnswer confirmWavelengthChange(int index);

    LumetraStatusStrip *statusStrip = nullptr;
    LumetraControlPage *controlPage = nullptr;
    LumetraViewPage *viewPage = nullptr;
    LumetraTemperaturePage *temperaturePage = nullptr;
    LumetraSystemDetailsPage *detailsPage = nullptr;
    LumetraSystemSettingsPage *settingsPage = nullptr;
    LumetraHGPage *hgPage = nullptr;

    int previousWavelengthIndex = 0;
    bool dynamicWavelengthSwitching = false;
    bool dialogOpen = false;
    QPointer<MessageDialog> hgWarningDialog;
    // The laser repeats an active harmonic-generator warning at every poll and never says that it has
    // cleared; it counts as cleared once no repeat has come for the hold time.
    QTimer *hgWarningHold = nullptr;
    QString activeHGWarning;
    bool hgWarningShown = false;
};
