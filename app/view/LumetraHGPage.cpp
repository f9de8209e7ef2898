#include "app/view/LumetraHGPage.h"

#include "app/view/LumetraCrystalSpotGroup.h"
#include "app/view/LumetraFormat.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>

using namespace LumetraPageKit;

LumetraHGPage::LumetraHGPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = pageLayout(this, QStringLiteral("hgPage"));
    layout->setSpacing(4);
    buildDynamicFeature(layout);
    buildReadouts(layout);
    buildOvens(layout);
    crystalGroup = new LumetraCrystalSpotGroup(this);
    layout->addWidget(crystalGroup);
}

void LumetraHGPage::buildDynamicFeature(QVBoxLayout *layout)
{
    QVBoxLayout *box = nullptr;
    dynamicFeatureGroup = makeGroup(QString(), this, &box);
    dynamicFeatureGroup->setObjectName(QStringLiteral("dynamicFeatureGroup"));
    box->addWidget(makeLabel(tr("Dynamic wavelength feature"), "heading", dynamicFeatureGroup));
    dynamicEnableButton = new QRadioButton(tr("Enable Dynamic\nWavelength feature"), dynamicFeatureGroup);
    dynamicEnableButton->setObjectName(QStringLiteral("dynamicEnableButton"));
    dynamicDisableButton = new QRadioButton(tr("Disable Dynamic\nWavelength feature"), dynamicFeatureGroup);
    dynamicDisableButton->setObjectName(QStringLiteral("dynamicDisableButton"));
    auto *radios = new QHBoxLayout();
    radios->addWidget(dynamicEnableButton);
    radios->addWidget(dynamicDisableButton);
    radios->addStretch();
    box->addLayout(radios);
    dynamicFeatureButtons = new QButtonGroup(dynamicFeatureGroup);
    dynamicFeatureButtons->setExclusive(true);
    dynamicFeatureButtons->addButton(dynamicEnableButton);
    dynamicFeatureButtons->addButton(dynamicDisableButton);
    connect(dynamicFeatureButtons, QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), this,
            &LumetraHGPage::dynamicButtonClicked);
    layout->addWidget(dynamicFeatureGroup);
}

void LumetraHGPage::buildReadouts(QVBoxLayout *layout)
{
    QVBoxLayout *box = nullptr;
    QWidget *powerGroup = makeGroup(tr("Output power"), this, &box);
    auto *powers = new QGridLayout();
    powers->setColumnStretch(2, 1);
    powers->setVerticalSpacing(0);
    const QStringList powerTexts{tr("Measured IR power"), tr("Measured Green power"), tr("Measured UV power"),
                                 tr("Measured DUV power")};
    for (int i = 0; i < powerTexts.size(); ++i) {
        outputPowerReadouts.append(addReadout(powers, powerTexts.at(i), powerGroup));
        outputPowerReadouts.last().value->setObjectName(QStringLiteral("powerReadout%1").arg(i));
    }
    box->addLayout(powers);
    layout->addWidget(powerGroup);

    QWidget *humidityGroup = makeGroup(QString(), this, &box);
    auto *humidity = new QGridLayout();
    humidity->setColumnStretch(2, 1);
    humidityReadout = addReadout(humidity, tr("Humidity"), humidityGroup);
    humidityReadout.value->setObjectName(QStringLiteral("humidityReadout"));
    box->addLayout(humidity);
    layout->addWidget(humidityGroup);
}

void LumetraHGPage::buildOvens(QVBoxLayout *layout)
{
    QVBoxLayout *box = nullptr;
    QWidget *ovenGroup = makeGroup(tr("Oven"), this, &box);
    auto *oven = new QGridLayout();
    oven->setColumnStretch(2, 1);
    oven->setVerticalSpacing(0);
    ovenModeLabel = makeLabel(tr("Oven mode"), "label", ovenGroup);
    ovenModeCombo = new ComboBox(ovenGroup);
    ovenModeCombo->setObjectName(QStringLiteral("ovenModeCombo"));
    ovenModeCombo->setProperty("type", "label");
    ovenModeCombo->addItems({tr("Disabled"), tr("Enabled")});
    oven->addWidget(ovenModeLabel, 0, 0);
    oven->addWidget(ovenModeCombo, 0, 1, Qt::AlignRight);
    connect(ovenModeCombo, &ComboBox::currentIndexChanged, this, &LumetraHGPage::ovenModeChanged);
    ovenActualReadouts[ShgOven] = addReadout(oven, tr("Measured SHG oven temperature"), ovenGroup);
    ovenActualReadouts[ShgOven].value->setObjectName(QStringLiteral("oven1Actual"));
    ovenActualReadouts[ThgOven] = addReadout(oven, tr("Measured THG oven temperature"), ovenGroup);
    ovenActualReadouts[ThgOven].value->setObjectName(QStringLiteral("oven2Actual"));
    box->addLayout(oven);
    auto makeOvenSlider = [ovenGroup](const QString &title, const QString &name) {
        auto *slider = new ComboSlider(25, ovenGroup);
        slider->setObjectName(name);
        auto *scale = new ComboSliderScale(title, slider);
        scale->addUnit(new ComboSliderUnit(QString(), 1, 100, 1, scale));
        slider->addScale(scale);
        return slider;
    };
    ovenSliders[ShgOven] = makeOvenSlider(tr("SHG Oven temperature setpoint"), QStringLiteral("oven1Slider"));
    ovenSliders[ThgOven] = makeOvenSlider(tr("THG Oven temperature setpoint"), QStringLiteral("oven2Slider"));
    box->addWidget(ovenSliders[ShgOven]);
    box->addWidget(ovenSliders[ThgOven]);
    connect(ovenSliders[ShgOven], &ComboSlider::valueChanged, this, &LumetraHGPage::oven1SetpointChanged);
    connect(ovenSliders[ThgOven], &ComboSlider::valueChanged, this, &LumetraHGPage::oven2SetpointChanged);
    layout->addWidget(ovenGroup);
}

void LumetraHGPage::setDynamicFeature(int index)
{
    if (index == 0) {
        dynamicDisableButton->setChecked(true);
    } else if (index == 1) {
        dynamicEnableButton->setChecked(true);
    }
}

void LumetraHGPage::setDynamicFeatureVisible(bool visible)
{
    dynamicFeatureGroup->setVisible(visible);
}

void LumetraHGPage::dynamicButtonClicked(QAbstractButton *button)
{
    if (button == dynamicDisableButton) {
        emit dynamicFeatureClicked(0);
    } else if (button == dynamicEnableButton) {
        emit dynamicFeatureClicked(1);
    }
}

void LumetraHGPage::setOutputPower(LumetraHarmonic harmonic, double watts)
{
    outputPowerReadouts.at(harmonicIndex(harmonic))
        .value->setText(LumetraFormat::number(watts, 3, tr("W"), false));
}

void LumetraHGPage::setOutputPowerVisible(LumetraHarmonic harmonic, bool visible)
{
    outputPowerReadouts.at(harmonicIndex(harmonic)).setVisible(visible);
}

void LumetraHGPage::setHumidity(int percent)
{
    humidityReadout.value->setText(QString::number(percent) + tr("%"));
}

void LumetraHGPage::setHumidityVisible(bool visible)
{
    humidityReadout.setVisible(visible);
}

void LumetraHGPage::setOvenMode(int index)
{
    ovenModeCombo->setCurrentIndex(index);
}

void LumetraHGPage::setOvenModeVisible(bool visible)
{
    ovenModeLabel->setVisible(visible);
    ovenModeCombo->setVisible(visible);
}

void LumetraHGPage::setOvenModeEnabled(bool enabled)
{
    ovenModeCombo->setEnabled(enabled);
}

void LumetraHGPage::setOvenSetpoint(Oven oven, double value)
{
    ovenSliders[oven]->setValue(value);
}

void LumetraHGPage::setOvenSetpointRange(Oven oven, double min, double max)
{
    if (min > max) {
        std::swap(min, max);
    }
    ovenSliders[oven]->setUnitRange(0, 0, min, max);
}

void LumetraHGPage::setOvenSetpointVisible(Oven oven, bool visible)
{
    ovenSliders[oven]->setVisible(visible);
}

void LumetraHGPage::setOvenTemperature(Oven oven, double celsius)
{
    ovenActualReadouts[oven].value->setText(LumetraFormat::number(celsius, 1, tr("°C"), false));
}

void LumetraHGPage::setOvenTemperatureVisible(Oven oven, bool visible)
{
    ovenActualReadouts[oven].setVisible(visible);
}
