#include "app/view/LumetraStatusStrip.h"

#include "app/view/LumetraFormat.h"
#include "dialkit/ComboBox.h"
#include "dialkit/Indicator.h"
#include "dialkit/ScrollArea.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>
#include <QVariant>

Q_LOGGING_CATEGORY(lcStatusStrip, "lumetra.view.statusstrip")

namespace {
struct LampRow
{
    const char *text;
    const char *objectName;
    Indicator::Color onColor;
};

// The status lamps, top to bottom, with the colour each shows when on (grey when off).
const LampRow lampTable[LumetraStatusStrip::LampCount] = {
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "Power On"), "powerOnLamp", Indicator::Green},
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "Error"), "errorLamp", Indicator::Red},
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "Warning"), "warningLamp", Indicator::Orange},
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "Device Setup"), "deviceSetupLamp", Indicator::Orange},
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "Oven fault"), "ovenFaultLamp", Indicator::Red},
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "Humidity fault"), "humidityFaultLamp", Indicator::Red},
    {QT_TRANSLATE_NOOP("LumetraStatusStrip", "SHG/THG fault"), "hgErrorLamp", Indicator::Red},
};

constexpr int stripMargin = 25;
constexpr int lampSpacing = 8;
} // namespace

LumetraStatusStrip::LumetraStatusStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statusStrip"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The lamps never scroll: on a low screen a humidity or oven alarm must not hide below the fold,
    // leaving only the Warning lamp in view. Everything under them may scroll.
    auto *lampGrid = new QGridLayout();
    lampGrid->setContentsMargins(stripMargin, 2, stripMargin, 0);
    lampGrid->setHorizontalSpacing(lampSpacing);
    lampGrid->setVerticalSpacing(0);
    lampGrid->setColumnStretch(1, 1);
    for (int i = 0; i < LampCount; ++i) {
        lamps[i] = addLamp(lampGrid, i, tr(lampTable[i].text), &lampLabels[i]);
        lamps[i]->setObjectName(QLatin1String(lampTable[i].objectName));
    }
    outer->addLayout(lampGrid);

    auto *scroll = new ScrollArea(true, this);
    scroll->setObjectName(QStringLiteral("statusStripScroll"));
    scroll->setWidgetProperty("widget-color", "red");
    // Asks for the height of its contents but needs none, so that on a low screen the lamps above and
    // the state buttons below keep theirs; where it has less, its scroll bar shows.
    scroll->setMinimumHeight(1);
    lower = scroll;
    // The frame's handle is the panel's own red and would not show against it.
    scroll->setStyleSheet(
        QStringLiteral("QScrollBar::handle:vertical { background-color: rgba(255, 255, 255, 150); "
                       "min-height: 16px; }"
                       "QScrollBar::handle:vertical:hover { background-color: #ED6E00; }"));
    auto *strip = new QVBoxLayout();
    // The gap sets the rows below apart from the fault lamps.
    strip->setContentsMargins(stripMargin, 6, stripMargin, 10);
    strip->setSpacing(8);
    scroll->setLayout(strip);
    outer->addWidget(scroll, 1);

    // Under the lamp column's text, as if they were rows of the lamp grid.
    auto *messages = new QGridLayout();
    messages->setHorizontalSpacing(lampSpacing);
    messages->setVerticalSpacing(0);
    messages->setColumnMinimumWidth(0, lamps[0]->width());
    messages->setColumnStretch(1, 1);
    hgErrorMessage = makeLabel(QString(), "panel-text", this);
    hgErrorMessage->setObjectName(QStringLiteral("hgErrorMessage"));
    hgErrorMessage->setWordWrap(true);
    // Empty, it would still take a line at the top of the scrolled part, the line a low screen can show.
    hgErrorMessage->hide();
    messages->addWidget(hgErrorMessage, 0, 1);
    hgWarningBanner = makeLabel(QString(), "panel-label", this);
    hgWarningBanner->setObjectName(QStringLiteral("hgWarningBanner"));
    hgWarningBanner->setWordWrap(true);
    hgWarningBanner->hide();
    messages->addWidget(hgWarningBanner, 1, 0, 1, 2);
    strip->addLayout(messages);

    dynamicRow = new QWidget(this);
    auto *dynamic = new QGridLayout(dynamicRow);
    dynamic->setContentsMargins(0, 0, 0, 0);
    dynamic->setHorizontalSpacing(lampSpacing);
    dynamic->setVerticalSpacing(0);
    dynamicWlsLamp = addLamp(dynamic, 0, tr("Dynamic Wl. Switching"), nullptr);
    dynamicWlsLamp->setObjectName(QStringLiteral("dynamicWlsLamp"));
    dynamic->setColumnStretch(1, 1);
    strip->addWidget(dynamicRow);
    const QStringList aomNames{tr("IR AOM"), tr("Green AOM"), tr("UV AOM"), tr("DUV AOM")};
    auto *aomGrid = new QGridLayout();
    aomGrid->setContentsMargins(28, 0, 0, 0);
    aomGrid->setHorizontalSpacing(10);
    aomGrid->setVerticalSpacing(0);
    for (int i = 0; i < aomNames.size(); ++i) {
        AomReadout aom;
        aom.label = makeLabel(aomNames.at(i), "panel-text", this);
        aom.percent = makeLabel(QStringLiteral("??%"), "panel-text", this);
        aom.percent->setObjectName(QStringLiteral("aomPercent%1").arg(i));
        aom.percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        aom.energy = makeLabel(QStringLiteral("???"), "panel-text", this);
        aom.energy->setObjectName(QStringLiteral("aomEnergy%1").arg(i));
        aom.energy->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        aomGrid->addWidget(aom.label, i, 0);
        aomGrid->addWidget(aom.percent, i, 1);
        aomGrid->addWidget(aom.energy, i, 2);
        aomReadouts.append(aom);
    }
    aomGrid->setColumnStretch(3, 1);
    strip->addLayout(aomGrid);

    wavelengthRow = new QWidget(this);
    wavelengthRow->setObjectName(QStringLiteral("wavelengthRow"));
    auto *wavelength = new QHBoxLayout(wavelengthRow);
    wavelength->setContentsMargins(0, 0, 0, 0);
    wavelength->addWidget(makeLabel(tr("Wavelength:"), "panel-label", wavelengthRow));
    wavelengthCombo = new ComboBox(wavelengthRow);
    wavelengthCombo->setObjectName(QStringLiteral("wavelengthCombo"));
    wavelengthCombo->setProperty("type", "panel-label");
    wavelengthCombo->addItems({tr("1030 nm"), tr("515 nm"), tr("343 nm")});
    wavelength->addWidget(wavelengthCombo);
    wavelength->addStretch();
    strip->addWidget(wavelengthRow);
    connect(wavelengthCombo, &ComboBox::currentIndexChanged, this, &LumetraStatusStrip::wavelengthChanged);

    systemInfoGroup = new QWidget(this);
    systemInfoGroup->setObjectName(QStringLiteral("systemInfoGroup"));
    auto *info = new QGridLayout(systemInfoGroup);
    info->setContentsMargins(0, 0, 0, 0);
    info->setVerticalSpacing(0);
    info->addWidget(makeLabel(tr("System info"), "panel-label", systemInfoGroup), 0, 0, 1, 2);
    serialNumberInfo = addTextRow(info, 1, tr("Serial number:"), QStringLiteral("???"),
                                  QStringLiteral("serialNumberInfo"), systemInfoGroup);
    firmwareVersionInfo = addTextRow(info, 2, tr("Firmware version:"), QStringLiteral("???"),
                                     QStringLiteral("firmwareVersionInfo"), systemInfoGroup);
    info->setColumnStretch(1, 1);
    strip->addWidget(systemInfoGroup);

    auto *gate = new QGridLayout();
    gate->setVerticalSpacing(0);
    gate->addWidget(makeLabel(tr("Digital Gate Logic"), "panel-label", this), 0, 0, 1, 2);
    gateLowText = addTextRow(gate, 1, tr("0V:"), tr("AOM Open"), QStringLiteral("gateLowText"), this);
    gateHighText = addTextRow(gate, 2, tr("3.3V:"), tr("AOM Closed"), QStringLiteral("gateHighText"), this);
    gate->setColumnStretch(1, 1);
    strip->addLayout(gate);
    // On a tall screen the spare room goes below the strip, not between its rows.
    strip->addStretch(1);
}

int LumetraStatusStrip::lowerFirstRowHeight() const
{
    const QMargins margins = lower->widget()->layout()->contentsMargins();
    return dynamicRow->sizeHint().height() + margins.top() + 2 * lower->frameWidth();
}

int LumetraStatusStrip::lowerLeastHeight() const
{
    return lower->minimumHeight();
}

QLabel *LumetraStatusStrip::makeLabel(const QString &text, const char *type, QWidget *parent)
{
    // Plain text: the serial number and firmware version come from the laser and are shown as written.
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setProperty("type", type);
    return label;
}

QLabel *LumetraStatusStrip::addTextRow(QGridLayout *grid, int row, const QString &caption,
                                       const QString &text, const QString &objectName, QWidget *parent)
{
    grid->addWidget(makeLabel(caption, "panel-text", parent), row, 0);
    QLabel *value = makeLabel(text, "panel-text", parent);
    value->setObjectName(objectName);
    grid->addWidget(value, row, 1);
    return value;
}

Indicator *LumetraStatusStrip::addLamp(QGridLayout *grid, int row, const QString &text, QLabel **labelOut)
{
    auto *lamp = new Indicator(this);
    lamp->setColor(Indicator::Grey);
    auto *label = makeLabel(text, "panel-label", this);
    grid->addWidget(lamp, row, 0, Qt::AlignCenter);
    grid->addWidget(label, row, 1);
    if (labelOut) {
        *labelOut = label;
    }
    return lamp;
}

void LumetraStatusStrip::setLamp(Lamp lamp, bool on)
{
    if (lamp < 0 || lamp >= LampCount) {
        return;
    }
    lamps[lamp]->setColor(on ? lampTable[lamp].onColor : Indicator::Grey);
}

void LumetraStatusStrip::setLampVisible(Lamp lamp, bool visible)
{
    if (lamp < 0 || lamp >= LampCount) {
        return;
    }
    lamps[lamp]->setVisible(visible);
    lampLabels[lamp]->setVisible(visible);
    if (lamp == HGError) {
        hgLampShown = visible;
        hgErrorMessage->setVisible(visible && !hgErrorMessage->text().isEmpty());
    }
}

void LumetraStatusStrip::setHGErrorMessage(const QString &message)
{
    hgErrorMessage->setText(message);
    hgErrorMessage->setVisible(hgLampShown && !message.isEmpty());
}

void LumetraStatusStrip::setHGWarning(const QString &message)
{
    hgWarningBanner->setText(message.isEmpty() ? QString() : tr("Warning: %1").arg(message));
    hgWarningBanner->setVisible(!message.isEmpty());
}

void LumetraStatusStrip::setDynamicSwitching(bool on)
{
    dynamicWlsLamp->setColor(on ? Indicator::Green : Indicator::Grey);
}

void LumetraStatusStrip::setAomPercent(LumetraHarmonic harmonic, double percent)
{
    aomReadouts.at(harmonicIndex(harmonic)).percent->setText(LumetraFormat::aomPercent(percent));
}

void LumetraStatusStrip::setAomEnergy(LumetraHarmonic harmonic, double energy_uJ)
{
    aomReadouts.at(harmonicIndex(harmonic))
        .energy->setText(LumetraFormat::number(energy_uJ, 2, tr("µJ"), false));
}

void LumetraStatusStrip::setAomVisible(LumetraHarmonic harmonic, bool visible)
{
    const AomReadout &aom = aomReadouts.at(harmonicIndex(harmonic));
    aom.label->setVisible(visible);
    aom.percent->setVisible(visible);
    aom.energy->setVisible(visible);
}

void LumetraStatusStrip::setWavelength(int index)
{
    wavelengthCombo->setCurrentIndex(index);
}

void LumetraStatusStrip::setWavelengthAllowed(bool allowed)
{
    wavelengthAllowed = allowed;
    updateWavelengthCombo();
}

void LumetraStatusStrip::enableWavelengths(bool enable_343, bool enable_515, bool enable_1030)
{
    wavelengthCombo->setItemVisibility(0, enable_1030);
    wavelengthCombo->setItemVisibility(1, enable_515);
    wavelengthCombo->setItemVisibility(2, enable_343);
    shownWavelengths = int(enable_343) + int(enable_515) + int(enable_1030);
    qCDebug(lcStatusStrip) << "wavelengths shown:" << shownWavelengths;
    updateWavelengthCombo();
}

void LumetraStatusStrip::updateWavelengthCombo()
{
    wavelengthRow->setVisible(shownWavelengths >= 1);
    wavelengthCombo->setEnabled(shownWavelengths >= 2 && wavelengthAllowed);
}

void LumetraStatusStrip::setSystemInfoVisible(bool visible)
{
    systemInfoGroup->setVisible(visible);
}

void LumetraStatusStrip::setSerialNumber(const QString &serial)
{
    serialNumberInfo->setText(serial);
}

void LumetraStatusStrip::setFirmwareVersion(const QString &version)
{
    firmwareVersionInfo->setText(version);
}

void LumetraStatusStrip::setDigitalGate(GateLogic logic)
{
    switch (logic) {
    case GateOpenAtLow:
        gateLowText->setText(tr("AOM Open"));
        gateHighText->setText(tr("AOM Closed"));
        break;
    case GateClosedAtLow:
        gateLowText->setText(tr("AOM Closed"));
        gateHighText->setText(tr("AOM Open"));
        break;
    default:
        gateLowText->setText(QStringLiteral("    "));
        gateHighText->setText(QStringLiteral("    "));
        break;
    }
}
