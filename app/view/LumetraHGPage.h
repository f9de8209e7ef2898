#pragma once

#include "app/view/LumetraPageKit.h"
#include "device/LumetraHarmonic.h"

#include <QList>
#include <QWidget>

class ComboBox;
class ComboSlider;
class LumetraCrystalSpotGroup;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QRadioButton;

// The "Harmonic Generator" page: dynamic wavelength feature, output powers, humidity, ovens and the
// crystal spot.
class LumetraHGPage : public QWidget
{
    Q_OBJECT
public:
    enum Oven
    {
        ShgOven = 0,
        ThgOven = 1
    };

    explicit LumetraHGPage(QWidget *parent = nullptr);

    LumetraCrystalSpotGroup *crystalSpot() const { return crystalGroup; }

    // 0 checks "Disable", 1 "Enable"; other values change nothing. Emits nothing.
    void setDynamicFeature(int index);
    void setDynamicFeatureVisible(bool visible);

    void setOutputPower(LumetraHarmonic harmonic, double watts);
    void setOutputPowerVisible(LumetraHarmonic harmonic, bool visible);
    void setHumidity(int percent);
    void setHumidityVisible(bool visible);

    void setOvenMode(int index);
    void setOvenModeVisible(bool visible);
    void setOvenModeEnabled(bool enabled);
    void setOvenSetpoint(Oven oven, double value);
    void setOvenSetpointRange(Oven oven, double min, double max);
    void setOvenSetpointVisible(Oven oven, bool visible);
    void setOvenTemperature(Oven oven, double celsius);
    void setOvenTemperatureVisible(Oven oven, bool visible);

signals:
    // The operator clicked "Disable" (0) or "Enable" (1).
    void dynamicFeatureClicked(int index);
    void ovenModeChanged(int index);
    void oven1SetpointChanged(double setpoint);
    void oven2SetpointChanged(double setpoint);

private:
    void buildDynamicFeature(QVBoxLayout *layout);
    void buildReadouts(QVBoxLayout *layout);
    void buildOvens(QVBoxLayout *layout);
    void dynamicButtonClicked(QAbstractButton *button);

    QWidget *dynamicFeatureGroup = nullptr;
    QButtonGroup *dynamicFeatureButtons = nullptr;
    QRadioButton *dynamicEnableButton = nullptr;
    QRadioButton *dynamicDisableButton = nullptr;
    QList<LumetraPageKit::Readout> outputPowerReadouts;
    LumetraPageKit::Readout humidityReadout;
    QLabel *ovenModeLabel = nullptr;
    ComboBox *ovenModeCombo = nullptr;
    LumetraPageKit::Readout ovenActualReadouts[2];
    ComboSlider *ovenSliders[2] = {};
    LumetraCrystalSpotGroup *crystalGroup = nullptr;
};
