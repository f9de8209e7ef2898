#include "app/view/LumetraControlPage.h"

#include "app/view/LumetraFormat.h"
#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>
#include <cmath>

using namespace LumetraPageKit;

namespace {
enum PowerUnit
{
    Microjoule = 0,
    Percent = 1
};
enum RepRateScale
{
    RateScale = 0,
    DividerScale = 1
};

// Steps arrive in the laser's index order, which may run downwards and may hold infinite rates (a
// division value of 0); the slider needs a finite ascending list.
QList<double> ascendingFiniteSteps(const QList<double> &steps)
{
    QList<double> result;
    for (double step : steps) {
        if (std::isfinite(step)) {
            result.append(step);
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

// The limits are derived from reciprocals on the laser's side and may arrive in either order.
void order(double &min, double &max)
{
    if (min > max) {
        std::swap(min, max);
    }
}
} // namespace

LumetraControlPage::LumetraControlPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = pageLayout(this, QStringLiteral("controlPage"));
    layout->setSpacing(6);
    buildModeAndHarmonic(layout);
    buildEnergy(layout);
    buildRepRate(layout);
}

void LumetraControlPage::buildModeAndHarmonic(QVBoxLayout *layout)
{
    auto *modes = new QGridLayout();
    modes->setColumnStretch(2, 1);
    modes->addWidget(makeLabel(tr("Operating mode"), "label", this), 0, 0);
    operatingModeCombo = new ComboBox(this);
    operatingModeCombo->setObjectName(QStringLiteral("operatingModeCombo"));
    operatingModeCombo->setProperty("type", "label");
    operatingModeCombo->addItems({tr("Internal"), tr("External"), tr("SPI")});
    modes->addWidget(operatingModeCombo, 0, 1);
    layout->addLayout(modes);
    connect(operatingModeCombo, &ComboBox::currentIndexChanged, this,
            &LumetraControlPage::operatingModeChanged);
    connect(operatingModeCombo, &ComboBox::currentIndexChanged, this,
            &LumetraControlPage::applyOperatingMode);

    harmonicGroup = new QWidget(this);
    harmonicGroup->setObjectName(QStringLiteral("wavelengthSelectorGroup"));
    auto *selector = new QHBoxLayout(harmonicGroup);
    selector->setContentsMargins(0, 0, 0, 0);
    selector->addWidget(makeLabel(tr("Wavelength selector"), "label", harmonicGroup));
    harmonicCombo = new ComboBox(harmonicGroup);
    harmonicCombo->setObjectName(QStringLiteral("wavelengthSelectorCombo"));
    harmonicCombo->setProperty("type", "label");
    QStringList harmonics;
    for (int i = 0; i < LumetraHarmonicCount; ++i) {
        harmonics << harmonicName(i);
    }
    harmonicCombo->addItems(harmonics);
    selector->addWidget(harmonicCombo);
    selector->addStretch();
    layout->addWidget(harmonicGroup);
    // Queued: the confirmation runs its own event loop, which must not start while the combo box is still
    // inside its own signal (the panel, combo box included, may be deleted before the loop returns).
    connect(harmonicCombo, &ComboBox::currentIndexChanged, this, &LumetraControlPage::harmonicPicked,
            Qt::QueuedConnection);
}

void LumetraControlPage::buildEnergy(QVBoxLayout *layout)
{
    auto *energies = new QGridLayout();
    energies->setColumnStretch(2, 1);
    energies->setVerticalSpacing(0);
    const QStringList energyTexts{tr("Measured IR energy"), tr("Measured Green energy"),
                                  tr("Measured UV energy"), tr("Measured DUV energy")};
    for (int i = 0; i < energyTexts.size(); ++i) {
        energyReadouts.append(addReadout(energies, energyTexts.at(i), this));
        energyReadouts.last().value->setObjectName(QStringLiteral("energyReadout%1").arg(i));
    }
    layout->addLayout(energies);

    dynamicSaveGroup = new QWidget(this);
    dynamicSaveGroup->setObjectName(QStringLiteral("dynamicWlsSaveGroup"));
    auto *save = new QHBoxLayout(dynamicSaveGroup);
    save->setContentsMargins(0, 0, 0, 0);
    save->addWidget(makeLabel(tr("Dynamic Wavelength Switching"), "label", dynamicSaveGroup));
    save->addStretch();
    auto *saveButton = new Button(tr("set AOM\nenergy level"), dynamicSaveGroup);
    saveButton->setObjectName(QStringLiteral("dynamicWlsSaveButton"));
    saveButton->setSize(Button::LongSmall);
    saveButton->setColor(Button::DarkGrey);
    save->addWidget(saveButton);
    layout->addWidget(dynamicSaveGroup);
    connect(saveButton, &QAbstractButton::clicked, this, &LumetraControlPage::saveAomEnergyClicked);

    powerSlider = new ComboSlider(25, this);
    powerSlider->setObjectName(QStringLiteral("powerSlider"));
    auto *powerScale = new ComboSliderScale(tr("IR Energy control"), powerSlider);
    powerScale->addUnit(new ComboSliderUnit(tr("µJ"), 0, 60000, 2, powerScale));
    powerScale->addUnit(new ComboSliderUnit(tr("%"), 0, 100, 2, powerScale));
    powerSlider->addScale(powerScale);
    layout->addWidget(powerSlider);
    connect(powerSlider, &ComboSlider::unitIndexChanged, this, &LumetraControlPage::powerIndexChanged);
}

void LumetraControlPage::buildRepRate(QVBoxLayout *layout)
{
    auto *repRateGrid = new QGridLayout();
    repRateGrid->setColumnStretch(2, 1);
    outputRepRateReadout = addReadout(repRateGrid, tr("Output repetition rate"), this);
    outputRepRateReadout.value->setObjectName(QStringLiteral("outputRepRateReadout"));
    layout->addLayout(repRateGrid);

    repRateSlider = new ComboSlider(25, this);
    repRateSlider->setObjectName(QStringLiteral("repRateSlider"));
    auto *rateScale = new ComboSliderScale(tr("Rep rate control"), repRateSlider);
    repRateUnit = new ComboSliderUnit(tr("kHz"), 0, 100, 3, rateScale);
    repRateUnit->setScaleType(ScaleSlider::StepList);
    rateScale->addUnit(repRateUnit);
    auto *dividerScale = new ComboSliderScale(tr("Rep rate divider control"), repRateSlider);
    repRateDividerUnit = new ComboSliderUnit(QString(), 0, 100, 0, dividerScale);
    repRateDividerUnit->setScaleType(ScaleSlider::StepList);
    dividerScale->addUnit(repRateDividerUnit);
    repRateSlider->addScale(rateScale);
    repRateSlider->addScale(dividerScale);
    layout->addWidget(repRateSlider);
    connect(repRateSlider, &ComboSlider::scaleIndexChanged, this, &LumetraControlPage::setRepRateScale);
    connect(repRateSlider, &ComboSlider::scaleIndexChanged, this,
            &LumetraControlPage::repRateScaleIndexChanged);

    divisionSlider = new ComboSlider(25, this);
    divisionSlider->setObjectName(QStringLiteral("divisionSlider"));
    auto *divisionScale = new ComboSliderScale(tr("Division factor control"), divisionSlider);
    auto *divisionUnit = new ComboSliderUnit(QString(), 1, 100000, 0, divisionScale);
    divisionUnit->setScaleType(ScaleSlider::Logarithmic);
    divisionScale->addUnit(divisionUnit);
    divisionSlider->addScale(divisionScale);
    layout->addWidget(divisionSlider);
    connect(divisionSlider, &ComboSlider::valueChanged, this, &LumetraControlPage::divisionChanged);
}

// ---------------------------------------------------------------------------------------------------------
// Operating mode and harmonic

void LumetraControlPage::setOperatingMode(int index)
{
    operatingModeCombo->setCurrentIndex(index);
    applyOperatingMode(index);
}

void LumetraControlPage::applyOperatingMode(int index)
{
    if (index == 1) {
        powerSlider->setVisible(false);
    } else if (index == 0 || index == 2) {
        powerSlider->setVisible(true);
    }
    applyEnergySetpoint();
}

void LumetraControlPage::setHarmonic(int index)
{
    harmonicCombo->setCurrentIndex(index);
}

int LumetraControlPage::harmonic() const
{
    return harmonicCombo->currentIndex();
}

void LumetraControlPage::setHarmonicItemVisible(int index, bool visible)
{
    harmonicCombo->setItemVisibility(index, visible);
}

void LumetraControlPage::setHarmonicSelectorVisible(bool visible)
{
    harmonicGroup->setVisible(visible);
}

// ---------------------------------------------------------------------------------------------------------
// Energy

void LumetraControlPage::setMeasuredEnergy(LumetraHarmonic harmonic, double value_uJ)
{
    energyReadouts.at(harmonicIndex(harmonic))
        .value->setText(LumetraFormat::number(value_uJ, 2, tr(" µJ"), true));
}

void LumetraControlPage::setMeasuredEnergyVisible(LumetraHarmonic harmonic, bool visible)
{
    energyReadouts.at(harmonicIndex(harmonic)).setVisible(visible);
}

void LumetraControlPage::setDynamicSaveVisible(bool visible)
{
    dynamicSaveGroup->setVisible(visible);
}

void LumetraControlPage::applyEnergySetpoint()
{
    if (powerSlider->unitIndex() == Percent) {
        powerSlider->setUnitRange(0, Percent, powerRangeMinPercent, powerRangeMaxPercent);
        powerSlider->setValue(powerSetpointPercent);
    } else {
        powerSlider->setUnitRange(0, Microjoule, powerRangeMin_uJ, powerRangeMax_uJ);
        powerSlider->setValue(m_powerSetpoint_uJ);
    }
}

void LumetraControlPage::takePowerValue(double value)
{
    if (powerSlider->unitIndex() == Microjoule) {
        m_powerSetpoint_uJ = value;
        emit power_uJ_Changed(value);
    } else if (powerSlider->unitIndex() == Percent) {
        powerSetpointPercent = value;
        emit powerPercentChanged(value);
    }
}

void LumetraControlPage::setPowerSetpoint_uJ(double value)
{
    m_powerSetpoint_uJ = value;
    if (powerSlider->unitIndex() == Microjoule) {
        powerSlider->setValue(value);
    }
}

void LumetraControlPage::setPowerSetpointPercent(double value)
{
    powerSetpointPercent = value;
    if (powerSlider->unitIndex() == Percent) {
        powerSlider->setValue(value);
    }
}

void LumetraControlPage::setPowerUnit(int index)
{
    powerSlider->setCurrentUnitIndex(index);
    // The unit alone would leave the other unit's number in the field.
    applyEnergySetpoint();
}

void LumetraControlPage::setPowerUnitVisible(int index, bool visible)
{
    powerSlider->setUnitVisibility(index, visible);
}

void LumetraControlPage::setPowerRange_uJ(double min, double max)
{
    order(min, max);
    powerRangeMin_uJ = min;
    powerRangeMax_uJ = max;
    powerSlider->setUnitRange(0, Microjoule, min, max);
}

void LumetraControlPage::setPowerRangePercent(double min, double max)
{
    order(min, max);
    powerRangeMinPercent = min;
    powerRangeMaxPercent = max;
    powerSlider->setUnitRange(0, Percent, min, max);
}

void LumetraControlPage::setPowerControlVisible(bool visible)
{
    powerSlider->setVisible(visible);
}

// ---------------------------------------------------------------------------------------------------------
// Repetition rate and division

void LumetraControlPage::setOutputRepRate(double value_kHz)
{
    outputRepRateReadout.value->setText(LumetraFormat::number(value_kHz, 3, tr(" kHz"), true));
}

void LumetraControlPage::setOutputRepRateVisible(bool visible)
{
    outputRepRateReadout.setVisible(visible);
}

void LumetraControlPage::setRepRateControlVisible(bool visible)
{
    repRateSlider->setVisible(visible);
}

void LumetraControlPage::setRepRateControlEnabled(bool enabled)
{
    repRateSlider->setEnabled(enabled);
}

void LumetraControlPage::takeRepRateValue(double value)
{
    const int scale = repRateSlider->scaleIndex();
    if (scale == RateScale) {
        repRateValues[RateScale] = value;
        emit repRateChanged(value);
    } else if (scale == DividerScale) {
        repRateValues[DividerScale] = value;
        emit repRateDividerChanged(value);
    }
}

void LumetraControlPage::setRepRate(double value)
{
    repRateValues[RateScale] = value;
    if (repRateSlider->scaleIndex() == RateScale) {
        repRateSlider->setValue(value);
    }
}

void LumetraControlPage::setRepRateDivider(double value)
{
    repRateValues[DividerScale] = value;
    if (repRateSlider->scaleIndex() == DividerScale) {
        repRateSlider->setValue(value);
    }
}

void LumetraControlPage::setRepRateSteps(const QList<double> &steps)
{
    QList<double> list = ascendingFiniteSteps(steps);
    repRateUnit->setStepList(list);
    if (!list.isEmpty()) {
        repRateUnit->setRange(list.first(), list.last());
    }
    if (repRateSlider->scaleIndex() == RateScale) {
        repRateSlider->updateSlider();
        repRateSlider->setValue(repRateValues[RateScale]);
    }
}

void LumetraControlPage::setRepRateDividerSteps(const QList<double> &steps)
{
    QList<double> list = ascendingFiniteSteps(steps);
    repRateDividerUnit->setStepList(list);
    if (!list.isEmpty()) {
        repRateDividerUnit->setRange(list.first(), list.last());
    }
    if (repRateSlider->scaleIndex() == DividerScale) {
        repRateSlider->updateSlider();
        repRateSlider->setValue(repRateValues[DividerScale]);
    }
}

void LumetraControlPage::setRepRateScale(int index)
{
    if (index != RateScale && index != DividerScale) {
        return;
    }
    repRateSlider->setCurrentScaleIndex(index);
    repRateSlider->setValue(repRateValues[index]);
}

void LumetraControlPage::setDivisionControlVisible(bool visible)
{
    divisionSlider->setVisible(visible);
}

void LumetraControlPage::setDivisionControlEnabled(bool enabled)
{
    divisionSlider->setEnabled(enabled);
}

void LumetraControlPage::setDivision(double value)
{
    divisionSlider->setValue(value);
}

void LumetraControlPage::setDivisionRange(double min, double max)
{
    order(min, max);
    // The scale is logarithmic: a limit of zero or below has no place on it.
    if (min <= 0.0) {
        min = 1.0;
    }
    if (max < min) {
        max = min;
    }
    divisionSlider->setUnitRange(0, 0, min, max);
}
