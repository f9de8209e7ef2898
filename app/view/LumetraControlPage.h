#pragma once

#include "app/view/LumetraPageKit.h"
#include "device/LumetraHarmonic.h"

#include <QList>
#include <QWidget>

class ComboBox;
class ComboSlider;
class ComboSliderUnit;

// The "Control" page: operating mode, harmonic selector, measured energies, the energy, rep-rate and
// division controls. It keeps the values it restores when the operator switches units or scales.
class LumetraControlPage : public QWidget
{
    Q_OBJECT
public:
    explicit LumetraControlPage(QWidget *parent = nullptr);

    void setOperatingMode(int index);
    // Hides the energy control in external mode and gives the current unit its stored range and value.
    void applyOperatingMode(int index);

    void setHarmonic(int index);
    int harmonic() const;
    void setHarmonicItemVisible(int index, bool visible);
    void setHarmonicSelectorVisible(bool visible);

    void setMeasuredEnergy(LumetraHarmonic harmonic, double value_uJ);
    void setMeasuredEnergyVisible(LumetraHarmonic harmonic, bool visible);
    void setDynamicSaveVisible(bool visible);

    // The energy and rep-rate controls, which the panel wires to its own slots; what they do is below.
    ComboSlider *powerControl() const { return powerSlider; }
    ComboSlider *repRateControl() const { return repRateSlider; }
    // A value the operator entered in the energy control: stored for its unit and sent.
    void takePowerValue(double value);
    // A value the operator entered in the rep-rate control: stored for its scale and sent.
    void takeRepRateValue(double value);

    void setPowerSetpoint_uJ(double value);
    void setPowerSetpointPercent(double value);
    double powerSetpoint_uJ() const { return m_powerSetpoint_uJ; }
    void setPowerUnit(int index);
    void setPowerUnitVisible(int index, bool visible);
    void setPowerRange_uJ(double min, double max);
    void setPowerRangePercent(double min, double max);
    void setPowerControlVisible(bool visible);

    void setOutputRepRate(double value_kHz);
    void setOutputRepRateVisible(bool visible);
    void setRepRateControlVisible(bool visible);
    void setRepRateControlEnabled(bool enabled);
    void setRepRate(double value);
    void setRepRateDivider(double value);
    void setRepRateSteps(const QList<double> &steps);
    void setRepRateDividerSteps(const QList<double> &steps);
    void setRepRateScale(int index);

    void setDivisionControlVisible(bool visible);
    void setDivisionControlEnabled(bool enabled);
    void setDivision(double value);
    void setDivisionRange(double min, double max);

signals:
    void operatingModeChanged(int index);
    // The operator picked a harmonic; queued, so that a confirmation may run its own event loop.
    void harmonicPicked(int index);
    void power_uJ_Changed(double value);
    void powerPercentChanged(double value);
    void powerIndexChanged(int index);
    void repRateChanged(double value);
    void repRateDividerChanged(double value);
    void repRateScaleIndexChanged(int index);
    void divisionChanged(double value);
    void saveAomEnergyClicked();

private:
    void buildModeAndHarmonic(QVBoxLayout *layout);
    void buildEnergy(QVBoxLayout *layout);
    void buildRepRate(QVBoxLayout *layout);
    void applyEnergySetpoint();

    ComboBox *operatingModeCombo = nullptr;
    QWidget *harmonicGroup = nullptr;
    ComboBox *harmonicCombo = nullptr;
    QList<LumetraPageKit::Readout> energyReadouts;
    QWidget *dynamicSaveGroup = nullptr;
    ComboSlider *powerSlider = nullptr;
    LumetraPageKit::Readout outputRepRateReadout;
    ComboSlider *repRateSlider = nullptr;
    ComboSliderUnit *repRateUnit = nullptr;
    ComboSliderUnit *repRateDividerUnit = nullptr;
    ComboSlider *divisionSlider = nullptr;

    double m_powerSetpoint_uJ = 0.0;
    double powerRangeMin_uJ = 0.0;
    double powerRangeMax_uJ = 1000.0;
    double powerSetpointPercent = 0.0;
    double powerRangeMinPercent = 0.0;
    double powerRangeMaxPercent = 100.0;
    double repRateValues[2] = {0.0, 0.0};
};
