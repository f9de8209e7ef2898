#include "app/view/LumetraView.h"

#include "app/view/LumetraFormat.h"
#include "app/view/LumetraRuntimeTable.h"
#include "app/view/LumetraSpotChangeDialog.h"
#include "app/view/LumetraStatusStrip.h"
#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"
#include "dialkit/Dialog.h"
#include "dialkit/FlowLayout.h"
#include "dialkit/LineEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcView, "lumetra.view")

namespace {
constexpr int pageMargin = 25;
// A step list of crystal spots beyond this many entries can only come from a garbled report.
constexpr int maxCrystalSpots = 1000;

const char *const harmonicNames[] = {
    QT_TRANSLATE_NOOP("LumetraView", "IR"), QT_TRANSLATE_NOOP("LumetraView", "Green"),
    QT_TRANSLATE_NOOP("LumetraView", "UV"), QT_TRANSLATE_NOOP("LumetraView", "DUV")};
constexpr int harmonicCount = 4;

QString harmonicName(int index)
{
    if (index < 0 || index >= harmonicCount) {
        return QString();
    }
    return LumetraView::tr(harmonicNames[index]);
}

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
} // namespace

void LumetraView::Readout::setVisible(bool visible) const
{
    label->setVisible(visible);
    value->setVisible(visible);
}

void LumetraView::Field::setVisible(bool visible) const
{
    label->setVisible(visible);
    edit->setVisible(visible);
}

LumetraView::LumetraView(QWidget *parent) : MainView(parent)
{
    setObjectName(QStringLiteral("LumetraView"));
    setTinyHeader(tr("Lumetra QZ\n"));

    buildStatusStrip();
    addControlPage(tr("Control"), buildControlPage());
    addControlPage(tr("View"), buildViewPage());
    addControlPage(tr("Temperature Details"), buildTemperaturePage());
    addControlPage(tr("System Details"), buildSystemDetailsPage());
    addControlPage(tr("System settings"), buildSystemSettingsPage());
    addControlPage(tr("Harmonic Generator"), buildHGPage());

    spotChangeDialog = new LumetraSpotChangeDialog(this);
    spotChangeDialog->setObjectName(QStringLiteral("spotChangeDialog"));
    connect(this, &LumetraView::closeCrystalSpotWarningWindow, spotChangeDialog.data(), &QDialog::reject);

    powerSetpoint_uJ = 0.0;
    powerRangeMin_uJ = 0.0;
    powerRangeMax_uJ = 1000.0;
    powerSetpointPercent = 0.0;
    powerRangeMinPercent = 0.0;
    powerRangeMaxPercent = 100.0;
    setSystemInfoView(true);
    setControlPage(ControlPage);
    newOperationMode(0);
}

LumetraView::~LumetraView()
{
    // The widget base deletes the children only after this destructor has run, and a number field that
    // loses the focus then still reports its value. Nothing they send may reach this half-destroyed panel.
    const auto children = findChildren<QObject *>();
    for (QObject *child : children) {
        disconnect(child, nullptr, this, nullptr);
    }
}

bool LumetraView::isDialogOpen() const
{
    return dialogOpen || (hgWarningDialog && hgWarningDialog->isVisible()) ||
           (spotChangeDialog && spotChangeDialog->isVisible());
}

// ---------------------------------------------------------------------------------------------------------
// Construction helpers

QLabel *LumetraView::makeLabel(const QString &text, const char *type, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("type", type);
    return label;
}

LumetraView::Readout LumetraView::addReadout(QGridLayout *grid, const QString &text, QWidget *parent)
{
    Readout readout;
    readout.label = makeLabel(text, "label", parent);
    readout.value = makeLabel(QStringLiteral("???"), "label", parent);
    readout.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout.value->setMinimumWidth(130);
    grid->setHorizontalSpacing(20);
    // An empty grid still counts one row; the first read-out belongs in it.
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    grid->addWidget(readout.label, row, 0);
    grid->addWidget(readout.value, row, 1);
    return readout;
}

LumetraView::Field LumetraView::addField(QGridLayout *grid, const QString &text, QWidget *parent)
{
    Field field;
    field.label = makeLabel(text, "label", parent);
    field.edit = new LineEdit(parent);
    field.edit->setReadOnly(true);
    field.edit->setDarkBackground();
    field.edit->setProperty("type", "label");
    field.edit->setText(QStringLiteral("???"));
    field.edit->setMinimumWidth(220);
    field.edit->setMaximumWidth(420);
    // One label width for every group of the page, so that the fields line up.
    field.label->setMinimumWidth(230);
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    grid->addWidget(field.label, row, 0);
    grid->addWidget(field.edit, row, 1);
    return field;
}

QWidget *LumetraView::makeGroup(const QString &title, QWidget *parent, QVBoxLayout **layout)
{
    auto *group = new QWidget(parent);
    auto *box = new QVBoxLayout(group);
    box->setContentsMargins(0, 10, 0, 0);
    box->setSpacing(4);
    if (!title.isEmpty()) {
        box->addWidget(makeLabel(title, "label-header", group));
    }
    *layout = box;
    return group;
}

void LumetraView::buildStatusStrip()
{
    statusStrip = new LumetraStatusStrip(this);
    connect(statusStrip, &LumetraStatusStrip::wavelengthChanged, this, &LumetraView::wavelengthChanged);

    // The strip sits in the frame's right panel, outside the page stack, so it stays in view on every page.
    QWidget *spare = sparePanel();
    auto *spareLayout = qobject_cast<QBoxLayout *>(spare->layout());
    if (!spareLayout) {
        spareLayout = new QVBoxLayout(spare);
        spareLayout->setContentsMargins(0, 0, 0, 0);
    }
    spareLayout->addWidget(statusStrip);
}

QWidget *LumetraView::buildControlPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("controlPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    layout->setSpacing(6);

    auto *modes = new QGridLayout();
    modes->setColumnStretch(2, 1);
    modes->addWidget(makeLabel(tr("Operating mode"), "label", page), 0, 0);
    operatingModeCombo = new ComboBox(page);
    operatingModeCombo->setObjectName(QStringLiteral("operatingModeCombo"));
    operatingModeCombo->setProperty("type", "label");
    operatingModeCombo->addItems({tr("Internal"), tr("External"), tr("SPI")});
    modes->addWidget(operatingModeCombo, 0, 1);
    layout->addLayout(modes);
    connect(operatingModeCombo, &ComboBox::currentIndexChanged, this, &LumetraView::operatingModeChanged);
    connect(operatingModeCombo, &ComboBox::currentIndexChanged, this, &LumetraView::newOperationMode);

    wavelengthSelectorGroup = new QWidget(page);
    wavelengthSelectorGroup->setObjectName(QStringLiteral("wavelengthSelectorGroup"));
    auto *selector = new QHBoxLayout(wavelengthSelectorGroup);
    selector->setContentsMargins(0, 0, 0, 0);
    selector->addWidget(makeLabel(tr("Wavelength selector"), "label", wavelengthSelectorGroup));
    wavelengthSelectorCombo = new ComboBox(wavelengthSelectorGroup);
    wavelengthSelectorCombo->setObjectName(QStringLiteral("wavelengthSelectorCombo"));
    wavelengthSelectorCombo->setProperty("type", "label");
    for (int i = 0; i < harmonicCount; ++i) {
        wavelengthSelectorCombo->addItem(harmonicName(i));
    }
    selector->addWidget(wavelengthSelectorCombo);
    selector->addStretch();
    layout->addWidget(wavelengthSelectorGroup);
    // Queued: the confirmation runs its own event loop, which must not start while the combo box is still
    // inside its own signal (the panel, combo box included, may be deleted before the loop returns).
    connect(wavelengthSelectorCombo, &ComboBox::currentIndexChanged, this,
            &LumetraView::newWavelengthSelected, Qt::QueuedConnection);

    auto *energies = new QGridLayout();
    energies->setColumnStretch(2, 1);
    energies->setVerticalSpacing(0);
    const QStringList energyTexts{tr("Measured IR energy"), tr("Measured Green energy"),
                                  tr("Measured UV energy"), tr("Measured DUV energy")};
    for (int i = 0; i < energyTexts.size(); ++i) {
        energyReadouts.append(addReadout(energies, energyTexts.at(i), page));
        energyReadouts.last().value->setObjectName(QStringLiteral("energyReadout%1").arg(i));
    }
    layout->addLayout(energies);

    dynamicWlsSaveGroup = new QWidget(page);
    dynamicWlsSaveGroup->setObjectName(QStringLiteral("dynamicWlsSaveGroup"));
    auto *save = new QHBoxLayout(dynamicWlsSaveGroup);
    save->setContentsMargins(0, 0, 0, 0);
    save->addWidget(makeLabel(tr("Dynamic Wavelength Switching"), "label", dynamicWlsSaveGroup));
    save->addStretch();
    auto *saveButton = new Button(tr("set AOM\nenergy level"), dynamicWlsSaveGroup);
    saveButton->setObjectName(QStringLiteral("dynamicWlsSaveButton"));
    saveButton->setSize(Button::LongSmall);
    saveButton->setColor(Button::DarkGrey);
    save->addWidget(saveButton);
    layout->addWidget(dynamicWlsSaveGroup);
    connect(saveButton, &QAbstractButton::clicked, this, &LumetraView::dynamicWLS_SaveButtonClicked);

    powerSlider = new ComboSlider(25, page);
    powerSlider->setObjectName(QStringLiteral("powerSlider"));
    auto *powerScale = new ComboSliderScale(tr("IR Energy control"), powerSlider);
    powerScale->addUnit(new ComboSliderUnit(tr("µJ"), 0, 60000, 2, powerScale));
    powerScale->addUnit(new ComboSliderUnit(tr("%"), 0, 100, 2, powerScale));
    powerSlider->addScale(powerScale);
    layout->addWidget(powerSlider);
    connect(powerSlider, &ComboSlider::unitIndexChanged, this, &LumetraView::powerIndexChanged);
    connect(powerSlider, &ComboSlider::unitIndexChanged, this, &LumetraView::newPowerIndex);
    connect(powerSlider, &ComboSlider::valueChanged, this, &LumetraView::newPowerValue);

    auto *repRateGrid = new QGridLayout();
    repRateGrid->setColumnStretch(2, 1);
    outputRepRateReadout = addReadout(repRateGrid, tr("Output repetition rate"), page);
    outputRepRateReadout.value->setObjectName(QStringLiteral("outputRepRateReadout"));
    layout->addLayout(repRateGrid);

    repRateSlider = new ComboSlider(25, page);
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
    connect(repRateSlider, &ComboSlider::scaleIndexChanged, this, &LumetraView::setRepRateScaleIndex);
    connect(repRateSlider, &ComboSlider::scaleIndexChanged, this, &LumetraView::repRateScaleIndexChanged);
    connect(repRateSlider, &ComboSlider::valueChanged, this, &LumetraView::newRepRateSliderValue);

    divisionSlider = new ComboSlider(25, page);
    divisionSlider->setObjectName(QStringLiteral("divisionSlider"));
    auto *divisionScale = new ComboSliderScale(tr("Division factor control"), divisionSlider);
    auto *divisionUnit = new ComboSliderUnit(QString(), 1, 100000, 0, divisionScale);
    divisionUnit->setScaleType(ScaleSlider::Logarithmic);
    divisionScale->addUnit(divisionUnit);
    divisionSlider->addScale(divisionScale);
    layout->addWidget(divisionSlider);
    connect(divisionSlider, &ComboSlider::valueChanged, this, &LumetraView::divisionChanged);

    return page;
}

QWidget *LumetraView::buildViewPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("viewPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    layout->addWidget(makeLabel(tr("View"), "heading", page));
    systemInfoCheck = new QCheckBox(tr("System info"), page);
    systemInfoCheck->setObjectName(QStringLiteral("systemInfoCheck"));
    systemInfoCheck->setProperty("flat", true);
    layout->addWidget(systemInfoCheck);
    connect(systemInfoCheck, &QCheckBox::toggled, this, &LumetraView::setSystemInfoView);
    connect(systemInfoCheck, &QCheckBox::toggled, this, &LumetraView::systemInfoViewChanged);
    return page;
}

QWidget *LumetraView::buildTemperaturePage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("temperaturePage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    layout->addWidget(makeLabel(tr("Temperatures"), "heading", page));

    auto *flow = new FlowLayout(-1, -1, -1);
    flow->setContentsMargins(25, 0, 25, 0);
    for (int i = 1; i <= 10; ++i) {
        auto *cell = new QWidget(page);
        auto *row = new QHBoxLayout(cell);
        row->setContentsMargins(0, 0, 10, 0);
        Field field;
        field.label = makeLabel(tr("Temp. %1:").arg(i), "label", cell);
        field.label->setMinimumWidth(90);
        field.edit = new LineEdit(cell);
        field.edit->setObjectName(QStringLiteral("temperature%1").arg(i));
        field.edit->setReadOnly(true);
        field.edit->setDarkBackground();
        field.edit->setProperty("type", "label");
        field.edit->setAlignment(Qt::AlignCenter);
        field.edit->setFixedWidth(90);
        field.edit->setText(QStringLiteral("???"));
        row->addWidget(field.label);
        row->addWidget(field.edit);
        flow->addWidget(cell);
        temperatureFields.append(field);
    }
    layout->addLayout(flow);
    return page;
}

QWidget *LumetraView::buildSystemDetailsPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("systemDetailsPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    layout->addWidget(makeLabel(tr("System"), "heading", page));

    auto *system = new QGridLayout();
    system->setColumnStretch(2, 1);
    hardwareField = addField(system, tr("Hardware:"), page);
    firmwareField = addField(system, tr("Firmware:"), page);
    applicationNameField = addField(system, tr("Application Name:"), page);
    compiledOnField = addField(system, tr("Compiled On:"), page);
    serialNumberField = addField(system, tr("Serial Number:"), page);
    deviceOnTimeField = addField(system, tr("Device On Time:"), page);
    emissionTimeField = addField(system, tr("Emission Time:"), page);
    deviceOnTimeField.edit->setObjectName(QStringLiteral("deviceOnTime"));
    emissionTimeField.edit->setObjectName(QStringLiteral("emissionTime"));
    serialNumberField.edit->setObjectName(QStringLiteral("serialNumberField"));
    firmwareField.edit->setObjectName(QStringLiteral("firmwareField"));
    hardwareField.edit->setObjectName(QStringLiteral("hardwareField"));
    applicationNameField.edit->setObjectName(QStringLiteral("applicationNameField"));
    layout->addLayout(system);

    auto addGroup = [this, page, layout](const QString &title) {
        QVBoxLayout *box = nullptr;
        QWidget *group = makeGroup(title, page, &box);
        auto *grid = new QGridLayout();
        grid->setColumnStretch(2, 1);
        box->addLayout(grid);
        layout->addWidget(group);
        return std::make_pair(group, grid);
    };
    auto ldd = addGroup(tr("LDD Device"));
    lddHardwareField = addField(ldd.second, tr("Hardware:"), ldd.first);
    lddSoftwareField = addField(ldd.second, tr("Software:"), ldd.first);
    lddRevisionField = addField(ldd.second, tr("Revision:"), ldd.first);
    auto tec = addGroup(tr("TEC Device"));
    tecHardwareField = addField(tec.second, tr("Hardware:"), tec.first);
    tecSoftwareField = addField(tec.second, tr("Software:"), tec.first);
    tecRevisionField = addField(tec.second, tr("Revision:"), tec.first);
    auto timing = addGroup(tr("Timing Board"));
    timingSerialField = addField(timing.second, tr("Serial:"), timing.first);
    timingMcuField = addField(timing.second, tr("MCU:"), timing.first);
    timingFpgaField = addField(timing.second, tr("FPGA:"), timing.first);
    auto hg = addGroup(tr("xHG Board"));
    hgBoardGroup = hg.first;
    hgBoardGroup->setObjectName(QStringLiteral("hgBoardGroup"));
    hgAddressField = addField(hg.second, tr("Module address:"), hg.first);
    hgTypeField = addField(hg.second, tr("Module type:"), hg.first);
    hgFirmwareField = addField(hg.second, tr("Firmware version:"), hg.first);
    hgBootloaderField = addField(hg.second, tr("Bootloader version:"), hg.first);
    hgSerialField = addField(hg.second, tr("Module serial number:"), hg.first);
    hgPcbSerialField = addField(hg.second, tr("PCB Serial number:"), hg.first);
    hgRuntimeField = addField(hg.second, tr("Run Time:"), hg.first);
    hgTypeField.edit->setObjectName(QStringLiteral("hgTypeField"));

    auto *settings = makeLabel(tr("Settings"), "label-header", page);
    settings->setContentsMargins(0, 10, 0, 0);
    layout->addWidget(settings);
    return page;
}

QWidget *LumetraView::buildSystemSettingsPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("systemSettingsPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    layout->addWidget(makeLabel(tr("Digital Gate Logic"), "heading", page));

    auto *grid = new QGridLayout();
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(5, 1);
    gateFirstButton = new QRadioButton(page);
    gateFirstButton->setObjectName(QStringLiteral("gateFirstButton"));
    gateSecondButton = new QRadioButton(page);
    gateSecondButton->setObjectName(QStringLiteral("gateSecondButton"));
    const QString open = tr("AOM open");
    const QString closed = tr("AOM closed");
    const QList<std::pair<QRadioButton *, QStringList>> rows{
        {gateFirstButton, {tr("0V:"), open, tr("3.3V:"), closed}},
        {gateSecondButton, {tr("0V:"), closed, tr("3.3V:"), open}}};
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(rows.at(row).first, row, 0);
        for (int column = 0; column < rows.at(row).second.size(); ++column) {
            grid->addWidget(makeLabel(rows.at(row).second.at(column), "label", page), row, column + 1);
        }
    }
    layout->addLayout(grid);

    digitalGateGroup = new QButtonGroup(page);
    digitalGateGroup->setExclusive(true);
    digitalGateGroup->addButton(gateFirstButton);
    digitalGateGroup->addButton(gateSecondButton);
    connect(digitalGateGroup, QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), this,
            &LumetraView::newDigitalGateSelected);
    return page;
}

QWidget *LumetraView::buildHGPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("hgPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    layout->setSpacing(4);

    QVBoxLayout *box = nullptr;
    dynamicFeatureGroup = makeGroup(QString(), page, &box);
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
            &LumetraView::newDynamicWavelengthFeatureChanged);
    layout->addWidget(dynamicFeatureGroup);

    QWidget *powerGroup = makeGroup(tr("Output power"), page, &box);
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

    QWidget *humidityGroup = makeGroup(QString(), page, &box);
    auto *humidity = new QGridLayout();
    humidity->setColumnStretch(2, 1);
    humidityReadout = addReadout(humidity, tr("Humidity"), humidityGroup);
    humidityReadout.value->setObjectName(QStringLiteral("humidityReadout"));
    box->addLayout(humidity);
    layout->addWidget(humidityGroup);

    QWidget *ovenGroup = makeGroup(tr("Oven"), page, &box);
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
    connect(ovenModeCombo, &ComboBox::currentIndexChanged, this, &LumetraView::ovenModeComboChanged);
    oven1ActualReadout = addReadout(oven, tr("Measured SHG oven temperature"), ovenGroup);
    oven1ActualReadout.value->setObjectName(QStringLiteral("oven1Actual"));
    oven2ActualReadout = addReadout(oven, tr("Measured THG oven temperature"), ovenGroup);
    oven2ActualReadout.value->setObjectName(QStringLiteral("oven2Actual"));
    box->addLayout(oven);
    auto makeOvenSlider = [ovenGroup](const QString &title, const QString &name) {
        auto *slider = new ComboSlider(25, ovenGroup);
        slider->setObjectName(name);
        auto *scale = new ComboSliderScale(title, slider);
        scale->addUnit(new ComboSliderUnit(QString(), 1, 100, 1, scale));
        slider->addScale(scale);
        return slider;
    };
    oven1Slider = makeOvenSlider(tr("SHG Oven temperature setpoint"), QStringLiteral("oven1Slider"));
    oven2Slider = makeOvenSlider(tr("THG Oven temperature setpoint"), QStringLiteral("oven2Slider"));
    box->addWidget(oven1Slider);
    box->addWidget(oven2Slider);
    connect(oven1Slider, &ComboSlider::valueChanged, this, &LumetraView::oven1SetpointChanged);
    connect(oven2Slider, &ComboSlider::valueChanged, this, &LumetraView::oven2SetpointChanged);
    layout->addWidget(ovenGroup);

    crystalGroup = makeGroup(tr("THG crystal spot selection"), page, &box);
    crystalGroup->setObjectName(QStringLiteral("crystalGroup"));
    auto *crystal = new QGridLayout();
    crystal->setColumnStretch(2, 1);
    crystalRunHoursReadout = addReadout(crystal, tr("Current spot run hours"), crystalGroup);
    crystalRunHoursReadout.value->setObjectName(QStringLiteral("crystalRunHours"));
    auto *showAll = new Button(tr("Show all\nspots"), crystalGroup);
    showAll->setObjectName(QStringLiteral("showAllSpotsButton"));
    showAll->setSize(Button::Small);
    showAll->setColor(Button::DarkGrey);
    crystal->addWidget(showAll, 0, 3);
    connect(showAll, &QAbstractButton::clicked, this, &LumetraView::showAllSpotsButtonClicked);
    box->addLayout(crystal);
    crystalSlider = new ComboSlider(25, crystalGroup);
    crystalSlider->setObjectName(QStringLiteral("crystalSlider"));
    auto *spotScale = new ComboSliderScale(tr("Current crystal spot"), crystalSlider);
    crystalUnit = new ComboSliderUnit(QString(), 1, 100, 0, spotScale);
    crystalUnit->setScaleType(ScaleSlider::StepList);
    spotScale->addUnit(crystalUnit);
    crystalSlider->addScale(spotScale);
    box->addWidget(crystalSlider);
    connect(crystalSlider, &ComboSlider::valueChanged, this, &LumetraView::crystalSpotSliderChanged);
    connect(crystalSlider, &ComboSlider::valueChanged, this, &LumetraView::newCrystalSpotSelected);
    layout->addWidget(crystalGroup);

    return page;
}

// ---------------------------------------------------------------------------------------------------------
// Operating mode, wavelengths

void LumetraView::setOperatingMode(int index)
{
    operatingModeCombo->setCurrentIndex(index);
    newOperationMode(index);
}

void LumetraView::newOperationMode(int index)
{
    if (index == 1) {
        powerSlider->setVisible(false);
    } else if (index == 0 || index == 2) {
        powerSlider->setVisible(true);
    }
    applyEnergySetpoint();
}

void LumetraView::setWavelengthSelectorCombo(int index)
{
    wavelengthSelectorCombo->setCurrentIndex(index);
    // A cancelled change must return to what the laser reports, not to what the operator tried last.
    previousWavelengthIndex = wavelengthSelectorCombo->currentIndex();
}

void LumetraView::setWavelengthSelectorComboItemVisibility(int index, bool visible)
{
    wavelengthSelectorCombo->setItemVisibility(index, visible);
}

void LumetraView::setWavelengthSelectorComboVisibility(bool visible)
{
    wavelengthSelectorGroup->setVisible(visible);
}

void LumetraView::setWavelengthSelector(int index)
{
    statusStrip->setWavelength(index);
}

void LumetraView::setWavelengthSelectorEnabled(bool enabled)
{
    statusStrip->setWavelengthAllowed(enabled);
}

void LumetraView::enableWavelengths(bool enable_343, bool enable_515, bool enable_1030)
{
    statusStrip->enableWavelengths(enable_343, enable_515, enable_1030);
}

void LumetraView::newWavelengthSelected(int index)
{
    if (dynamicWavelengthSwitching) {
        emit wavelengthSelectorComboChanged(index);
        previousWavelengthIndex = index;
        return;
    }
    dialogOpen = true;
    const WavelengthAnswer answer = confirmWavelengthChange(index);
    if (answer == WavelengthAnswer::ViewGone) {
        return;
    }
    if (answer == WavelengthAnswer::Cancelled) {
        wavelengthSelectorCombo->setCurrentIndex(previousWavelengthIndex);
    } else {
        previousWavelengthIndex = index;
    }
    dialogOpen = false;
}

// The dialogs run their own event loop, in which the port may close and the whole panel be deleted
// (the main window removes it). So the dialog lives on the heap under a guard, and the view checks that
// it still exists before it touches itself again.
LumetraView::WavelengthAnswer LumetraView::confirmWavelengthChange(int index)
{
    QPointer<LumetraView> alive(this);
    QPointer<Dialog> dialog = new Dialog(this);
    dialog->setObjectName(QStringLiteral("wavelengthDialog"));
    dialog->setWindowTitle(tr("Wavelength selector"));
    auto *header = makeLabel(tr("** Warning **"), "label-header", dialog);
    header->setAlignment(Qt::AlignCenter);
    auto *text = makeLabel(tr("The AOM will be disabled, click OK to continue."), "label", dialog);
    text->setAlignment(Qt::AlignCenter);
    auto *okButton = new Button(tr("OK"), dialog);
    okButton->setObjectName(QStringLiteral("okButton"));
    auto *cancelButton = new Button(tr("Cancel"), dialog);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (Button *button : {okButton, cancelButton}) {
        button->setSize(Button::Small);
        button->setColor(Button::DarkGrey);
    }
    connect(okButton, &QAbstractButton::clicked, dialog, &QDialog::accept);
    connect(cancelButton, &QAbstractButton::clicked, dialog, &QDialog::reject);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(25, 25, 25, 25);
    layout->setSpacing(15);
    layout->addWidget(header);
    layout->addWidget(text);
    layout->addLayout(buttons);

    const int result = dialog->exec();
    if (!alive) {
        return WavelengthAnswer::ViewGone;
    }
    if (!dialog || result != QDialog::Accepted) {
        qCDebug(lcView) << "wavelength change to" << index << "cancelled";
        delete dialog;
        return WavelengthAnswer::Cancelled;
    }
    emit wavelengthSelectorComboChanged(index);
    if (!alive) {
        return WavelengthAnswer::ViewGone;
    }
    if (!dialog) {
        return WavelengthAnswer::Accepted;
    }
    header->setText(tr("** Attention **"));
    text->setText(tr("Open the %1 shutter and close the %2 shutter.\nClick OK to continue.")
                      .arg(harmonicName(index), harmonicName(previousWavelengthIndex)));
    cancelButton->hide();
    dialog->exec();
    if (!alive) {
        return WavelengthAnswer::ViewGone;
    }
    delete dialog;
    return WavelengthAnswer::Accepted;
}

// ---------------------------------------------------------------------------------------------------------
// Energy and power

void LumetraView::applyEnergySetpoint()
{
    if (powerSlider->unitIndex() == 1) {
        powerSlider->setUnitRange(0, 1, powerRangeMinPercent, powerRangeMaxPercent);
        powerSlider->setValue(powerSetpointPercent);
    } else {
        powerSlider->setUnitRange(0, 0, powerRangeMin_uJ, powerRangeMax_uJ);
        powerSlider->setValue(powerSetpoint_uJ);
    }
}

void LumetraView::newPowerValue(double value)
{
    if (powerSlider->unitIndex() == 0) {
        powerSetpoint_uJ = value;
        emit power_uJ_Changed(value);
    } else if (powerSlider->unitIndex() == 1) {
        powerSetpointPercent = value;
        emit powerPercentChanged(value);
    }
}

void LumetraView::newPowerIndex(int index)
{
    Q_UNUSED(index)
    applyEnergySetpoint();
}

void LumetraView::setPowerMeasuredIR_uJ(double value)
{
    energyReadouts.at(0).value->setText(LumetraFormat::number(value, 2, tr(" µJ"), true));
}

void LumetraView::setPowerMeasuredGreen_uJ(double value)
{
    energyReadouts.at(1).value->setText(LumetraFormat::number(value, 2, tr(" µJ"), true));
}

void LumetraView::setPowerMeasuredUV_uJ(double value)
{
    energyReadouts.at(2).value->setText(LumetraFormat::number(value, 2, tr(" µJ"), true));
}

void LumetraView::setPowerMeasuredDUV_uJ(double value)
{
    energyReadouts.at(3).value->setText(LumetraFormat::number(value, 2, tr(" µJ"), true));
}

void LumetraView::setPowerMeasuredIR_uJVisibility(bool visible)
{
    energyReadouts.at(0).setVisible(visible);
}

void LumetraView::setPowerMeasuredGreen_uJVisibility(bool visible)
{
    energyReadouts.at(1).setVisible(visible);
}

void LumetraView::setPowerMeasuredUV_uJVisibility(bool visible)
{
    energyReadouts.at(2).setVisible(visible);
}

void LumetraView::setPowerMeasuredDUV_uJVisibility(bool visible)
{
    energyReadouts.at(3).setVisible(visible);
}

void LumetraView::setPowerSetpoint_uJ(double value)
{
    powerSetpoint_uJ = value;
    if (powerSlider->unitIndex() == 0) {
        powerSlider->setValue(value);
    }
}

void LumetraView::setPowerSetpoint_Percent(double value)
{
    powerSetpointPercent = value;
    if (powerSlider->unitIndex() == 1) {
        powerSlider->setValue(value);
    }
}

void LumetraView::setPowerSetpointIndex(int index)
{
    powerSlider->setCurrentUnitIndex(index);
    // The unit alone would leave the other unit's number in the field.
    applyEnergySetpoint();
}

void LumetraView::setPowerSetpointIndexVisibility(int index, bool visible)
{
    powerSlider->setUnitVisibility(index, visible);
}

void LumetraView::setPowerRange_uJ(double min, double max)
{
    // The limits are derived from reciprocals on the laser's side and may arrive in either order.
    if (min > max) {
        std::swap(min, max);
    }
    powerRangeMin_uJ = min;
    powerRangeMax_uJ = max;
    powerSlider->setUnitRange(0, 0, min, max);
}

void LumetraView::setPowerRangePercent(double min, double max)
{
    if (min > max) {
        std::swap(min, max);
    }
    powerRangeMinPercent = min;
    powerRangeMaxPercent = max;
    powerSlider->setUnitRange(0, 1, min, max);
}

void LumetraView::setPowerSliderVisibility(bool visible)
{
    powerSlider->setVisible(visible);
}

// ---------------------------------------------------------------------------------------------------------
// Repetition rate and division

void LumetraView::setOutputRepRate(double value)
{
    outputRepRateReadout.value->setText(LumetraFormat::number(value, 3, tr(" kHz"), true));
}

void LumetraView::setOutputRepRateVisibility(bool visible)
{
    outputRepRateReadout.setVisible(visible);
}

void LumetraView::setRepRateSliderVisibility(bool visible)
{
    repRateSlider->setVisible(visible);
}

void LumetraView::setDivisionSliderVisibility(bool visible)
{
    divisionSlider->setVisible(visible);
}

void LumetraView::newRepRateSliderValue(double value)
{
    const int scale = repRateSlider->scaleIndex();
    if (scale == 0) {
        repRateValues[0] = value;
        emit repRateChanged(value);
    } else if (scale == 1) {
        repRateValues[1] = value;
        emit repRateDividerChanged(value);
    }
}

void LumetraView::setRepRate(double value)
{
    repRateValues[0] = value;
    if (repRateSlider->scaleIndex() == 0) {
        repRateSlider->setValue(value);
    }
}

void LumetraView::setRepRateDivider(double value)
{
    repRateValues[1] = value;
    if (repRateSlider->scaleIndex() == 1) {
        repRateSlider->setValue(value);
    }
}

void LumetraView::setRepRateSteps(QList<double> steps)
{
    QList<double> list = ascendingFiniteSteps(steps);
    repRateUnit->setStepList(list);
    if (!list.isEmpty()) {
        repRateUnit->setRange(list.first(), list.last());
    }
    if (repRateSlider->scaleIndex() == 0) {
        repRateSlider->updateSlider();
        repRateSlider->setValue(repRateValues[0]);
    }
}

void LumetraView::setRepRateDividerSteps(QList<double> steps)
{
    QList<double> list = ascendingFiniteSteps(steps);
    repRateDividerUnit->setStepList(list);
    if (!list.isEmpty()) {
        repRateDividerUnit->setRange(list.first(), list.last());
    }
    if (repRateSlider->scaleIndex() == 1) {
        repRateSlider->updateSlider();
        repRateSlider->setValue(repRateValues[1]);
    }
}

void LumetraView::setRepRateSliderDisabled(bool disabled)
{
    repRateSlider->setEnabled(!disabled);
}

void LumetraView::setDivisionSliderDisabled(bool disabled)
{
    divisionSlider->setEnabled(!disabled);
}

void LumetraView::setRepRateScaleIndex(int index)
{
    if (index < 0 || index > 1) {
        return;
    }
    repRateSlider->setCurrentScaleIndex(index);
    repRateSlider->setValue(repRateValues[index]);
}

void LumetraView::setDivision(double value)
{
    divisionSlider->setValue(value);
}

void LumetraView::setDivisionRange(double min, double max)
{
    if (min > max) {
        std::swap(min, max);
    }
    // The scale is logarithmic: a limit of zero or below has no place on it.
    if (min <= 0.0) {
        min = 1.0;
    }
    if (max < min) {
        max = min;
    }
    divisionSlider->setUnitRange(0, 0, min, max);
}

void LumetraView::setSystemInfoView(bool view)
{
    statusStrip->setSystemInfoVisible(view);
    systemInfoCheck->setChecked(view);
}

// ---------------------------------------------------------------------------------------------------------
// Indicators

void LumetraView::setPowerOnIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::PowerOn, on);
}

void LumetraView::setErrorIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::Error, on);
}

void LumetraView::setOvenFaultIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::OvenFault, on);
}

void LumetraView::setHumidityFaultIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::HumidityFault, on);
}

void LumetraView::setErrorcodeHGIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::HGError, on);
}

void LumetraView::setWarningIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::Warning, on);
}

void LumetraView::setDeviceSetupIndicator(bool on)
{
    statusStrip->setLamp(LumetraStatusStrip::DeviceSetup, on);
}

void LumetraView::setOvenFaultIndicatorVisibility(bool visible)
{
    statusStrip->setLampVisible(LumetraStatusStrip::OvenFault, visible);
}

void LumetraView::setHumidityFaultIndicatorVisibility(bool visible)
{
    statusStrip->setLampVisible(LumetraStatusStrip::HumidityFault, visible);
}

void LumetraView::setErrorcodeHGIndicatorVisible(bool visible)
{
    statusStrip->setLampVisible(LumetraStatusStrip::HGError, visible);
}

void LumetraView::setErrorcodeHGMessage(QString message)
{
    statusStrip->setHGErrorMessage(message);
}

// ---------------------------------------------------------------------------------------------------------
// Harmonic generator: powers, ovens, humidity

void LumetraView::setOutputPowerIRMeasuredW(double value)
{
    outputPowerReadouts.at(0).value->setText(LumetraFormat::number(value, 3, tr("W"), false));
}

void LumetraView::setOutputPowerGreenMeasuredW(double value)
{
    outputPowerReadouts.at(1).value->setText(LumetraFormat::number(value, 3, tr("W"), false));
}

void LumetraView::setOutputPowerUVMeasuredW(double value)
{
    outputPowerReadouts.at(2).value->setText(LumetraFormat::number(value, 3, tr("W"), false));
}

void LumetraView::setOutputPowerDUVMeasuredW(double value)
{
    outputPowerReadouts.at(3).value->setText(LumetraFormat::number(value, 3, tr("W"), false));
}

void LumetraView::setOutputPowerIRMeasuredWVisibility(bool visible)
{
    outputPowerReadouts.at(0).setVisible(visible);
}

void LumetraView::setOutputPowerGreenMeasuredWVisibility(bool visible)
{
    outputPowerReadouts.at(1).setVisible(visible);
}

void LumetraView::setOutputPowerUVMeasuredWVisibility(bool visible)
{
    outputPowerReadouts.at(2).setVisible(visible);
}

void LumetraView::setOutputPowerDUVMeasuredWVisibility(bool visible)
{
    outputPowerReadouts.at(3).setVisible(visible);
}

void LumetraView::setOvenMode(int index)
{
    ovenModeCombo->setCurrentIndex(index);
}

void LumetraView::setOvenModeVisibility(bool visible)
{
    ovenModeLabel->setVisible(visible);
    ovenModeCombo->setVisible(visible);
}

void LumetraView::setOvenModeReadOnly(bool readOnly)
{
    ovenModeCombo->setEnabled(!readOnly);
}

void LumetraView::setOven1TempSetpoint(double value)
{
    oven1Slider->setValue(value);
}

void LumetraView::setOven1TempSetpointRange(double min, double max)
{
    if (min > max) {
        std::swap(min, max);
    }
    oven1Slider->setUnitRange(0, 0, min, max);
}

void LumetraView::setOven1TempSetpointVisibility(bool visible)
{
    oven1Slider->setVisible(visible);
}

void LumetraView::setOven2TempSetpoint(double value)
{
    oven2Slider->setValue(value);
}

void LumetraView::setOven2TempSetpointRange(double min, double max)
{
    if (min > max) {
        std::swap(min, max);
    }
    oven2Slider->setUnitRange(0, 0, min, max);
}

void LumetraView::setOven2TempSetpointVisibility(bool visible)
{
    oven2Slider->setVisible(visible);
}

void LumetraView::setOven1TempActual(double value)
{
    oven1ActualReadout.value->setText(LumetraFormat::number(value, 1, tr("°C"), false));
}

void LumetraView::setOven2TempActual(double value)
{
    oven2ActualReadout.value->setText(LumetraFormat::number(value, 1, tr("°C"), false));
}

void LumetraView::setOven1TempActualVisibility(bool visible)
{
    oven1ActualReadout.setVisible(visible);
}

void LumetraView::setOven2TempActualVisibility(bool visible)
{
    oven2ActualReadout.setVisible(visible);
}

void LumetraView::setHumidityMonitor(int value)
{
    humidityReadout.value->setText(QString::number(value) + tr("%"));
}

void LumetraView::setHumidityMonitorVisibility(bool visible)
{
    humidityReadout.setVisible(visible);
}

// ---------------------------------------------------------------------------------------------------------
// Crystal spot

void LumetraView::setCrystalPosition(int spot)
{
    crystalSlider->setValue(spot);
    currentCrystalSpot = LumetraFormat::roundHalfUp(crystalSlider->value());
    emit closeCrystalSpotWarningWindow();
}

void LumetraView::setCrystalPositionRange(int min, int max)
{
    QList<double> spots;
    if (min <= max) {
        const qint64 count = qint64(max) - qint64(min) + 1;
        if (count > maxCrystalSpots) {
            qCWarning(lcView) << "crystal spot range" << min << max << "ignored";
            return;
        }
        for (qint64 spot = min; spot <= max; ++spot) {
            spots.append(double(spot));
        }
    }
    crystalUnit->setStepList(spots);
    if (!spots.isEmpty()) {
        crystalUnit->setRange(spots.first(), spots.last());
    }
    crystalSlider->updateSlider();
    crystalSlider->setValue(currentCrystalSpot);
}

void LumetraView::setCrystalPositionReadOnly(bool readOnly)
{
    crystalSlider->setEnabled(!readOnly);
}

void LumetraView::setCrystalPositionVisibility(bool visible)
{
    crystalGroup->setVisible(visible);
}

void LumetraView::setCrystalCurRuntime(quint64 seconds)
{
    crystalCurRuntime = seconds;
    updateCrystalRuntimeText();
}

void LumetraView::setCrystalMaxRuntime(quint64 seconds)
{
    crystalMaxRuntime = seconds;
    updateCrystalRuntimeText();
}

void LumetraView::updateCrystalRuntimeText()
{
    crystalRunHoursReadout.value->setText(tr("%1 hours of %2")
                                              .arg(LumetraFormat::wholeHours(crystalCurRuntime))
                                              .arg(LumetraFormat::wholeHours(crystalMaxRuntime)));
}

void LumetraView::setCrystalAllRuntimes(QMap<int, quint64> runtimes)
{
    crystalAllRuntimes = runtimes;
}

void LumetraView::newCrystalSpotSelected(double value)
{
    const int spot = LumetraFormat::roundHalfUp(value);
    const qint64 distance = qAbs(qint64(spot) - qint64(currentCrystalSpot));
    if (!spotChangeDialog || distance == 0) {
        return;
    }
    spotChangeDialog->showMove(int(qMin<qint64>(distance * 10, 24 * 3600)));
}

void LumetraView::showAllSpotsButtonClicked()
{
    auto *table = new LumetraRuntimeTable(crystalAllRuntimes, crystalMaxRuntime, this);
    table->setObjectName(QStringLiteral("runtimeTable"));
    table->setAttribute(Qt::WA_DeleteOnClose);
    table->open();
}

// ---------------------------------------------------------------------------------------------------------
// Digital gate, dynamic wavelength switching

void LumetraView::setDigitalGate(int index)
{
    if (index == 0) {
        gateFirstButton->setChecked(true);
    } else if (index == 1) {
        gateSecondButton->setChecked(true);
    } else {
        // An exclusive group keeps one button checked; an unknown state must show neither.
        digitalGateGroup->setExclusive(false);
        gateFirstButton->setChecked(false);
        gateSecondButton->setChecked(false);
        digitalGateGroup->setExclusive(true);
    }
    updateDigitalGateTexts();
}

void LumetraView::setDigitalGateVisible(bool visible)
{
    setSettingsPageAccess(SystemSettingsPage, visible);
}

void LumetraView::newDigitalGateSelected(QAbstractButton *button)
{
    if (button == gateFirstButton) {
        emit digitalGateModeChanged(0);
    } else if (button == gateSecondButton) {
        emit digitalGateModeChanged(1);
    }
    updateDigitalGateTexts();
}

void LumetraView::updateDigitalGateTexts()
{
    if (gateFirstButton->isChecked()) {
        statusStrip->setDigitalGate(LumetraStatusStrip::GateOpenAtLow);
    } else if (gateSecondButton->isChecked()) {
        statusStrip->setDigitalGate(LumetraStatusStrip::GateClosedAtLow);
    } else {
        statusStrip->setDigitalGate(LumetraStatusStrip::GateUnknown);
    }
}

void LumetraView::setDynamicWavelengthFeature(int index)
{
    if (index == 0) {
        dynamicDisableButton->setChecked(true);
        statusStrip->setDynamicSwitching(false);
        dynamicWavelengthSwitching = false;
    } else if (index == 1) {
        dynamicEnableButton->setChecked(true);
        statusStrip->setDynamicSwitching(true);
        dynamicWavelengthSwitching = true;
    }
}

void LumetraView::setDynamicWavelengthFeatureVisibility(bool visible)
{
    dynamicFeatureGroup->setVisible(visible);
    // Without the feature the save button on the control page has nothing to save to.
    dynamicWlsSaveGroup->setVisible(visible);
}

void LumetraView::newDynamicWavelengthFeatureChanged(QAbstractButton *button)
{
    if (button == dynamicDisableButton) {
        dynamicWavelengthSwitching = false;
        emit dynamicWavelengthFeature(0);
    } else if (button == dynamicEnableButton) {
        dynamicWavelengthSwitching = true;
        emit dynamicWavelengthFeature(1);
    }
}

void LumetraView::dynamicWLS_SaveButtonClicked()
{
    emit dynamicWLS_SaveSetpoint(wavelengthSelectorCombo->currentIndex(), powerSetpoint_uJ);
}

void LumetraView::setAomEnergy(int wavelength, double value)
{
    aomEnergy_uJ[wavelength] = value;
    statusStrip->setAomEnergy(wavelength, value);
}

void LumetraView::setDynamicWLS_IR_uJ(double value)
{
    setAomEnergy(0, value);
}

void LumetraView::setDynamicWLS_Green_uJ(double value)
{
    setAomEnergy(1, value);
}

void LumetraView::setDynamicWLS_UV_uJ(double value)
{
    setAomEnergy(2, value);
}

void LumetraView::setDynamicWLS_DUV_uJ(double value)
{
    setAomEnergy(3, value);
}

void LumetraView::setDynamicWLS_IR_Percent(double value)
{
    statusStrip->setAomPercent(0, value);
}

void LumetraView::setDynamicWLS_Green_Percent(double value)
{
    statusStrip->setAomPercent(1, value);
}

void LumetraView::setDynamicWLS_UV_Percent(double value)
{
    statusStrip->setAomPercent(2, value);
}

void LumetraView::setDynamicWLS_DUV_Percent(double value)
{
    statusStrip->setAomPercent(3, value);
}

void LumetraView::setDynamicWLS_IR_Visibility(bool visible)
{
    statusStrip->setAomVisible(0, visible);
}

void LumetraView::setDynamicWLS_Green_Visibility(bool visible)
{
    statusStrip->setAomVisible(1, visible);
}

void LumetraView::setDynamicWLS_UV_Visibility(bool visible)
{
    statusStrip->setAomVisible(2, visible);
}

void LumetraView::setDynamicWLS_DUV_Visibility(bool visible)
{
    statusStrip->setAomVisible(3, visible);
}

// ---------------------------------------------------------------------------------------------------------
// Temperatures

void LumetraView::setTemperatureRowVisible(int row, bool visible)
{
    // The flow layout wraps cells, so the whole cell goes rather than its two halves.
    temperatureFields.at(row).label->parentWidget()->setVisible(visible);
}

void LumetraView::setTemperatureText(int row, const QString &text)
{
    temperatureFields.at(row).edit->setText(text);
}

void LumetraView::setTemperatureVisibility1(bool visible)
{
    setTemperatureRowVisible(0, visible);
}
void LumetraView::setTemperatureVisibility2(bool visible)
{
    setTemperatureRowVisible(1, visible);
}
void LumetraView::setTemperatureVisibility3(bool visible)
{
    setTemperatureRowVisible(2, visible);
}
void LumetraView::setTemperatureVisibility4(bool visible)
{
    setTemperatureRowVisible(3, visible);
}
void LumetraView::setTemperatureVisibility5(bool visible)
{
    setTemperatureRowVisible(4, visible);
}
void LumetraView::setTemperatureVisibility6(bool visible)
{
    setTemperatureRowVisible(5, visible);
}
void LumetraView::setTemperatureVisibility7(bool visible)
{
    setTemperatureRowVisible(6, visible);
}
void LumetraView::setTemperatureVisibility8(bool visible)
{
    setTemperatureRowVisible(7, visible);
}
void LumetraView::setTemperatureVisibility9(bool visible)
{
    setTemperatureRowVisible(8, visible);
}
void LumetraView::setTemperatureVisibility10(bool visible)
{
    setTemperatureRowVisible(9, visible);
}
void LumetraView::setTemperatureActual1(QString text)
{
    setTemperatureText(0, text);
}
void LumetraView::setTemperatureActual2(QString text)
{
    setTemperatureText(1, text);
}
void LumetraView::setTemperatureActual3(QString text)
{
    setTemperatureText(2, text);
}
void LumetraView::setTemperatureActual4(QString text)
{
    setTemperatureText(3, text);
}
void LumetraView::setTemperatureActual5(QString text)
{
    setTemperatureText(4, text);
}
void LumetraView::setTemperatureActual6(QString text)
{
    setTemperatureText(5, text);
}
void LumetraView::setTemperatureActual7(QString text)
{
    setTemperatureText(6, text);
}
void LumetraView::setTemperatureActual8(QString text)
{
    setTemperatureText(7, text);
}
void LumetraView::setTemperatureActual9(QString text)
{
    setTemperatureText(8, text);
}
void LumetraView::setTemperatureActual10(QString text)
{
    setTemperatureText(9, text);
}

// ---------------------------------------------------------------------------------------------------------
// Identification and system details

void LumetraView::setLumetraType(QString type)
{
    setTinyHeader(type + QStringLiteral("\n"));
}

void LumetraView::setHardwareVersion(QString text)
{
    hardwareField.edit->setText(text);
}
void LumetraView::setApplicationName(QString text)
{
    applicationNameField.edit->setText(text);
}
void LumetraView::setCompilationDateTime(QString text)
{
    compiledOnField.edit->setText(text);
}
void LumetraView::setLDDDeviceHardware(QString text)
{
    lddHardwareField.edit->setText(text);
}
void LumetraView::setLDDDeviceSoftware(QString text)
{
    lddSoftwareField.edit->setText(text);
}
void LumetraView::setLDDDeviceRevision(QString text)
{
    lddRevisionField.edit->setText(text);
}
void LumetraView::setTECDeviceHardware(QString text)
{
    tecHardwareField.edit->setText(text);
}
void LumetraView::setTECDeviceSoftware(QString text)
{
    tecSoftwareField.edit->setText(text);
}
void LumetraView::setTECDeviceRevision(QString text)
{
    tecRevisionField.edit->setText(text);
}
void LumetraView::setTimingBoardSerial(QString text)
{
    timingSerialField.edit->setText(text);
}
void LumetraView::setTimingBoardMCU(QString text)
{
    timingMcuField.edit->setText(text);
}
void LumetraView::setTimingBoardFPGA(QString text)
{
    timingFpgaField.edit->setText(text);
}
void LumetraView::setHGModuleAddress(QString text)
{
    hgAddressField.edit->setText(text);
}
void LumetraView::setHGModuleType(QString text)
{
    hgTypeField.edit->setText(text);
}
void LumetraView::setHGModuleFirwareVersion(QString text)
{
    hgFirmwareField.edit->setText(text);
}
void LumetraView::setHGModuleBootloaderVersion(QString text)
{
    hgBootloaderField.edit->setText(text);
}
void LumetraView::setHGModuleSerialNumber(QString text)
{
    hgSerialField.edit->setText(text);
}
void LumetraView::setHGModulePCBSerialNumber(QString text)
{
    hgPcbSerialField.edit->setText(text);
}
void LumetraView::setHGModuleRuntime(QString text)
{
    hgRuntimeField.edit->setText(text);
}

void LumetraView::setFirmwareVersion(QString text)
{
    firmwareField.edit->setText(text);
    statusStrip->setFirmwareVersion(text);
}

void LumetraView::setSerialNumber(QString text)
{
    serialNumberField.edit->setText(text);
    statusStrip->setSerialNumber(text);
}

void LumetraView::setDeviceOnHours(QString hours)
{
    deviceOnHours = hours;
    updateDeviceTimes();
}

void LumetraView::setDeviceOnMinutes(QString minutes)
{
    deviceOnMinutes = minutes;
    updateDeviceTimes();
}

void LumetraView::setDeviceEmissionHours(QString hours)
{
    deviceEmissionHours = hours;
    updateDeviceTimes();
}

void LumetraView::setDeviceEmissionMinutes(QString minutes)
{
    deviceEmissionMinutes = minutes;
    updateDeviceTimes();
}

void LumetraView::updateDeviceTimes()
{
    // Half a time ("5 hours  minutes") would be misread; the field keeps "???" until both parts are known.
    const QString unknown = QStringLiteral("???");
    auto format = [&unknown](const QString &hours, const QString &minutes) {
        if (hours.isEmpty() || minutes.isEmpty()) {
            return unknown;
        }
        return tr("%1 hours %2 minutes").arg(hours, minutes);
    };
    deviceOnTimeField.edit->setText(format(deviceOnHours, deviceOnMinutes));
    emissionTimeField.edit->setText(format(deviceEmissionHours, deviceEmissionMinutes));
}

void LumetraView::setHGModuleInfoVisibility(bool visible)
{
    hgBoardGroup->setVisible(visible);
}

void LumetraView::setHGSettingsPageVisibility(bool visible)
{
    setSettingsPageAccess(HGPage, visible);
}

void LumetraView::setHGModuleWarning(QString message)
{
    if (isDialogOpen()) {
        qCDebug(lcView) << "HG warning not shown while a dialog is open:" << message;
        return;
    }
    // Shown without a nested event loop: the warning arrives in the middle of decoding the laser's reply,
    // and the decoder must not be re-entered by further replies while the operator reads it.
    auto *dialog = new Dialog(this);
    dialog->setObjectName(QStringLiteral("hgWarningDialog"));
    dialog->setWindowTitle(tr("Harmonic Generator"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto *header = makeLabel(tr("** Warning **"), "label-header", dialog);
    header->setAlignment(Qt::AlignCenter);
    auto *text = makeLabel(message, "label", dialog);
    text->setAlignment(Qt::AlignCenter);
    auto *okButton = new Button(tr("OK"), dialog);
    okButton->setSize(Button::Small);
    okButton->setColor(Button::DarkGrey);
    connect(okButton, &QAbstractButton::clicked, dialog, &QDialog::accept);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(25, 25, 25, 25);
    layout->setSpacing(15);
    layout->addWidget(header);
    layout->addWidget(text);
    layout->addLayout(buttons);
    hgWarningDialog = dialog;
    dialog->open();
}
