#include "app/view/LumetraView.h"

#include "app/view/LumetraSpotChangeDialog.h"
#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/Indicator.h"
#include "dialkit/MessageDialog.h"

#include <QAbstractScrollArea>
#include <QBoxLayout>
#include <QEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QPolygon>
#include <QTimer>

Q_LOGGING_CATEGORY(lcView, "lumetra.view")

namespace {
// Several poll cycles: one missed repeat (a busy link) must not count as the warning clearing.
constexpr int hgWarningHoldMs = 5000;
// Under the state buttons, at the foot of the panel.
constexpr int remoteBottomMargin = 4;

// A lamp of a panel greyed out under its overlay, in the colour the laser last gave it, still and
// without blinking: the overlay over it says that it is the past.
void paintHeldLamp(Indicator *lamp)
{
    QPainter painter(lamp);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = QColor::fromRgba(lamp->color());
    painter.setPen(colour);
    painter.setBrush(colour);
    const int w = lamp->width();
    const int h = lamp->height();
    switch (lamp->form()) {
    case Indicator::TriangleUp:
        painter.drawPolygon(QPolygon({QPoint(0, h), QPoint(w / 2, 0), QPoint(w, h)}));
        break;
    case Indicator::TriangleDown:
        painter.drawPolygon(QPolygon({QPoint(0, 0), QPoint(w, 0), QPoint(w / 2, h)}));
        break;
    case Indicator::Circle:
        const int side = ((w - 2) / 2) * 2;
        painter.drawEllipse(1, 1, side, side);
        break;
    }
}
} // namespace

LumetraView::LumetraView(QWidget *parent, StyleSheetTiming timing) : MainView(parent, timing)
{
    setObjectName(QStringLiteral("LumetraView"));
    setTinyHeader(tr("Lumetra QZ\n"));

    // The strip sits in the frame's right panel, outside the page stack, so it stays in view on every page.
    statusStrip = new LumetraStatusStrip(this);
    QWidget *spare = sparePanel();
    auto *spareLayout = qobject_cast<QBoxLayout *>(spare->layout());
    if (!spareLayout) {
        spareLayout = new QVBoxLayout(spare);
        spareLayout->setContentsMargins(0, 0, 0, 0);
    }
    spareLayout->addWidget(statusStrip);
    // The right panel's contents sit in a scroll area, which keeps their changes of size to itself; the
    // panel's least height depends on them (see minimumSizeHint()).
    sparePanel()->parentWidget()->installEventFilter(this);

    controlPage = new LumetraControlPage(this);
    viewPage = new LumetraViewPage(this);
    temperaturePage = new LumetraTemperaturePage(this);
    detailsPage = new LumetraSystemDetailsPage(this);
    settingsPage = new LumetraSystemSettingsPage(this);
    hgPage = new LumetraHGPage(this);
    addControlPage(tr("Control"), controlPage);
    addControlPage(tr("View"), viewPage);
    addControlPage(tr("Temperature Details"), temperaturePage);
    addControlPage(tr("System Details"), detailsPage);
    addControlPage(tr("System settings"), settingsPage);
    addControlPage(tr("Harmonic Generator"), hgPage);
    connectPages();

    hgWarningHold = new QTimer(this);
    hgWarningHold->setObjectName(QStringLiteral("hgWarningHold"));
    hgWarningHold->setSingleShot(true);
    hgWarningHold->setInterval(hgWarningHoldMs);
    connect(hgWarningHold, &QTimer::timeout, this, &LumetraView::hgWarningCleared);

    setSystemInfoView(true);
    setControlPage(ControlPage);
    newOperationMode(0);
    applyStyleSheet();
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

void LumetraView::connectPages()
{
    connect(statusStrip, &LumetraStatusStrip::wavelengthChanged, this, &LumetraView::wavelengthChanged);

    connect(controlPage, &LumetraControlPage::operatingModeChanged, this, &LumetraView::operatingModeChanged);
    connect(controlPage, &LumetraControlPage::harmonicPicked, this, &LumetraView::newWavelengthSelected);
    // After the page's own connections, so that a unit change is reported before the new unit's value is
    // put into the field.
    ComboSlider *power = controlPage->powerControl();
    connect(power, &ComboSlider::valueChanged, this, &LumetraView::newPowerValue);
    connect(power, &ComboSlider::unitIndexChanged, this, &LumetraView::newPowerIndex);
    connect(controlPage->repRateControl(), &ComboSlider::valueChanged, this,
            &LumetraView::newRepRateSliderValue);
    connect(controlPage, &LumetraControlPage::power_uJ_Changed, this, &LumetraView::power_uJ_Changed);
    connect(controlPage, &LumetraControlPage::powerPercentChanged, this, &LumetraView::powerPercentChanged);
    connect(controlPage, &LumetraControlPage::powerIndexChanged, this, &LumetraView::powerIndexChanged);
    connect(controlPage, &LumetraControlPage::repRateChanged, this, &LumetraView::repRateChanged);
    connect(controlPage, &LumetraControlPage::repRateDividerChanged, this,
            &LumetraView::repRateDividerChanged);
    connect(controlPage, &LumetraControlPage::repRateScaleIndexChanged, this,
            &LumetraView::repRateScaleIndexChanged);
    connect(controlPage, &LumetraControlPage::divisionChanged, this, &LumetraView::divisionChanged);
    connect(controlPage, &LumetraControlPage::saveAomEnergyClicked, this,
            &LumetraView::dynamicWLS_SaveButtonClicked);

    connect(viewPage, &LumetraViewPage::systemInfoToggled, this, &LumetraView::setSystemInfoView);
    connect(viewPage, &LumetraViewPage::systemInfoToggled, this, &LumetraView::systemInfoViewChanged);

    connect(settingsPage, &LumetraSystemSettingsPage::gateLogicClicked, this,
            &LumetraView::newDigitalGateSelected);

    connect(hgPage, &LumetraHGPage::dynamicFeatureClicked, this,
            &LumetraView::newDynamicWavelengthFeatureChanged);
    connect(hgPage, &LumetraHGPage::ovenModeChanged, this, &LumetraView::ovenModeComboChanged);
    connect(hgPage, &LumetraHGPage::oven1SetpointChanged, this, &LumetraView::oven1SetpointChanged);
    connect(hgPage, &LumetraHGPage::oven2SetpointChanged, this, &LumetraView::oven2SetpointChanged);
    LumetraCrystalSpotGroup *crystal = hgPage->crystalSpot();
    connect(crystal->spotControl(), &ComboSlider::valueChanged, this, &LumetraView::newCrystalSpotSelected);
    connect(crystal->showAllSpotsButton(), &QAbstractButton::clicked, this,
            &LumetraView::showAllSpotsButtonClicked);
    connect(crystal, &LumetraCrystalSpotGroup::spotPicked, this, &LumetraView::crystalSpotSliderChanged);
    connect(this, &LumetraView::closeCrystalSpotWarningWindow, crystal,
            &LumetraCrystalSpotGroup::closeMoveWindow);
}

// Greyed out while the laser does not answer, the panel keeps what the laser reported last. A disabled
// lamp paints itself grey, the colour of "off"; so the lamps are painted here in their last colour,
// and a silent laser that was emitting never looks switched off.
void LumetraView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        const QList<Indicator *> lamps = findChildren<Indicator *>();
        for (Indicator *lamp : lamps)
            lamp->installEventFilter(this);
    }
    MainView::changeEvent(event);
}

// The right panel scrolls as a whole when it is too low for its contents, and the state buttons and fault
// lamps would scroll away with it. The panel therefore asks for the height they need; what the status
// strip has below its lamps scrolls within the strip instead.
QSize LumetraView::minimumSizeHint() const
{
    QSize least = MainView::minimumSizeHint();
    const QWidget *rightContents = sparePanel()->parentWidget();
    const auto *rightPanel =
        qobject_cast<const QAbstractScrollArea *>(rightContents->parentWidget()->parentWidget());
    // Room for the first row of what the strip has below its lamps, too: the window keeps it free, so that
    // row is in sight with its scroll bar; a panel squeezed lower all the same loses it before the buttons.
    const int stripRow = qMax(0, statusStrip->lowerFirstRowHeight() - statusStrip->lowerLeastHeight());
    if (rightPanel)
        least.setHeight(qMax(least.height(), rightContents->minimumSizeHint().height() +
                                                 2 * rightPanel->frameWidth() + stripRow));
    return least;
}

void LumetraView::setRemoteControlWidget(QWidget *widget)
{
    MainView::setRemoteControlWidget(widget);
    if (QLayout *area = remoteControlArea()->layout()) {
        QMargins margins = area->contentsMargins();
        margins.setBottom(remoteBottomMargin);
        area->setContentsMargins(margins);
    }
}

bool LumetraView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        auto *lamp = qobject_cast<Indicator *>(watched);
        if (lamp && !lamp->isEnabled()) {
            paintHeldLamp(lamp);
            return true;
        }
    }
    if (event->type() == QEvent::LayoutRequest && watched == sparePanel()->parentWidget())
        updateGeometry();
    return MainView::eventFilter(watched, event);
}

bool LumetraView::isDialogOpen() const
{
    return dialogOpen || (hgWarningDialog && hgWarningDialog->isVisible()) ||
           hgPage->crystalSpot()->isDialogOpen();
}

// ---------------------------------------------------------------------------------------------------------
// Harmonic wavelength

void LumetraView::setWavelengthSelectorCombo(int index)
{
    controlPage->setHarmonic(index);
    // A cancelled change must return to what the laser reports, not to what the operator tried last.
    previousWavelengthIndex = controlPage->harmonic();
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
        controlPage->setHarmonic(previousWavelengthIndex);
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
    QPointer<MessageDialog> dialog =
        new MessageDialog(tr("Wavelength selector"), tr("** Warning **"),
                          tr("The AOM will be disabled, click OK to continue."), this);
    dialog->setObjectName(QStringLiteral("wavelengthDialog"));
    dialog->addButton(tr("OK"), QDialog::Accepted)->setObjectName(QStringLiteral("okButton"));
    Button *cancelButton = dialog->addButton(tr("Cancel"), QDialog::Rejected);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));

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
    dialog->setHeader(tr("** Attention **"));
    dialog->setMessage(
        tr("Open the %1 shutter and close the %2 shutter.\nClick OK to continue.")
            .arg(LumetraPageKit::harmonicName(index), LumetraPageKit::harmonicName(previousWavelengthIndex)));
    cancelButton->hide();
    dialog->exec();
    if (!alive) {
        return WavelengthAnswer::ViewGone;
    }
    delete dialog;
    return WavelengthAnswer::Accepted;
}

// ---------------------------------------------------------------------------------------------------------
// Settings shared between pages and the strip

void LumetraView::setSystemInfoView(bool view)
{
    statusStrip->setSystemInfoVisible(view);
    viewPage->setSystemInfoChecked(view);
}

void LumetraView::setCrystalPosition(int spot)
{
    hgPage->crystalSpot()->setPosition(spot);
    emit closeCrystalSpotWarningWindow();
}

void LumetraView::setDigitalGate(int index)
{
    settingsPage->setGateLogic(index);
    updateDigitalGateTexts();
}

void LumetraView::newDigitalGateSelected(int index)
{
    emit digitalGateModeChanged(index);
    updateDigitalGateTexts();
}

void LumetraView::updateDigitalGateTexts()
{
    switch (settingsPage->gateLogic()) {
    case LumetraSystemSettingsPage::GateOpenAtLow:
        statusStrip->setDigitalGate(LumetraStatusStrip::GateOpenAtLow);
        break;
    case LumetraSystemSettingsPage::GateClosedAtLow:
        statusStrip->setDigitalGate(LumetraStatusStrip::GateClosedAtLow);
        break;
    case LumetraSystemSettingsPage::GateUnknown:
        statusStrip->setDigitalGate(LumetraStatusStrip::GateUnknown);
        break;
    }
}

void LumetraView::setDynamicWavelengthFeature(int index)
{
    if (index != 0 && index != 1) {
        return;
    }
    hgPage->setDynamicFeature(index);
    statusStrip->setDynamicSwitching(index == 1);
    dynamicWavelengthSwitching = index == 1;
}

void LumetraView::setDynamicWavelengthFeatureVisibility(bool visible)
{
    hgPage->setDynamicFeatureVisible(visible);
    // Without the feature the save button on the control page has nothing to save to.
    controlPage->setDynamicSaveVisible(visible);
}

void LumetraView::newDynamicWavelengthFeatureChanged(int index)
{
    dynamicWavelengthSwitching = index == 1;
    emit dynamicWavelengthFeature(index);
}

void LumetraView::dynamicWLS_SaveButtonClicked()
{
    emit dynamicWLS_SaveSetpoint(controlPage->harmonic(), controlPage->powerSetpoint_uJ());
}

// ---------------------------------------------------------------------------------------------------------
// Identification

void LumetraView::setLumetraType(QString type)
{
    setTinyHeader(type + QStringLiteral("\n"));
}

void LumetraView::setFirmwareVersion(QString text)
{
    detailsPage->setDetail(LumetraSystemDetailsPage::Detail::Firmware, text);
    statusStrip->setFirmwareVersion(text);
}

void LumetraView::setSerialNumber(QString text)
{
    detailsPage->setDetail(LumetraSystemDetailsPage::Detail::SerialNumber, text);
    statusStrip->setSerialNumber(text);
}

void LumetraView::setHGModuleWarning(QString message)
{
    if (message != activeHGWarning) {
        activeHGWarning = message;
        hgWarningShown = false;
    }
    hgWarningHold->start();
    statusStrip->setHGWarning(message);
    // The window comes once while the warning stays active: brought back after every "OK" it would keep
    // the operator from the state buttons that make the laser safe. The strip keeps showing it meanwhile.
    if (hgWarningShown) {
        return;
    }
    if (isDialogOpen()) {
        qCDebug(lcView) << "HG warning not shown while a dialog is open:" << message;
        return;
    }
    // Shown without a nested event loop: the warning arrives in the middle of decoding the laser's reply,
    // and the decoder must not be re-entered by further replies while the operator reads it.
    auto *dialog = new MessageDialog(tr("Harmonic Generator"), tr("** Warning **"), message, this);
    dialog->setObjectName(QStringLiteral("hgWarningDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->addButton(tr("OK"), QDialog::Accepted);
    hgWarningDialog = dialog;
    hgWarningShown = true;
    dialog->open();
}

void LumetraView::hgWarningCleared()
{
    qCDebug(lcView) << "HG warning cleared:" << activeHGWarning;
    activeHGWarning.clear();
    hgWarningShown = false;
    statusStrip->setHGWarning(QString());
}
