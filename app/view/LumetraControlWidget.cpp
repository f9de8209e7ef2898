#include "app/view/LumetraControlWidget.h"

#include "app/view/LumetraRemoteControl.h"
#include "app/view/LumetraView.h"
#include "framekit/GUIWidget.h"
#include "framekit/MainControlPanel.h"

#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QMetaMethod>
#include <QPointer>

#include <algorithm>
#include <iterator>

Q_LOGGING_CATEGORY(lcControlWidget, "lumetra.view.controlwidget")

namespace {

// Controller signals the view has no slot for, on purpose.
const char *const unpairedSignals[] = {
    // To the serial link
    "sigAddMonitorCommand(QString)",
    "sigDelMonitorCommand(QString)",
    "sigClrAllMonitorCommands()",
    "sigAppendSettingsCommand(QString)",
    "sigCommandDropped(QString,QString,QString)",
    // To the audit of writes
    "sigWriteQueued(int,double,QString,bool)",
    // To the remote-control buttons, wired by hand below because their slots are named otherwise
    "setOutEnableOn(bool)",
    "setOutEnableOnFlash(bool)",
    "setOutEnableOnVisible(bool)",
    "setLaserOn(bool)",
    "setLaserOnFlash(bool)",
    "setStandby(bool)",
    "setStandbyFlash(bool)",
    "setListen(bool)",
    "enableOutEnable(bool)",
    "enableLaserOn(bool)",
    "enableStandby(bool)",
    "enableListen(bool)",
    // Reported, shown nowhere
    "setShutterIndicator(bool)",
    // Greys out the whole widget, not a view control
    "controlEnabledChanged(bool)",
};

bool isUnpaired(const QByteArray &signature)
{
    return std::find_if(std::begin(unpairedSignals), std::end(unpairedSignals),
                        [&](const char *entry) { return signature == entry; }) != std::end(unpairedSignals);
}

// The controller's temperature visibility signals are spelt "Visibilty"; the view's slots are not.
QByteArray viewSlotFor(QByteArray signalSignature)
{
    return signalSignature.replace("Visibilty", "Visibility");
}

} // namespace

LumetraController::ControlBuilder LumetraControlWidget::builder(MainControlPanel *panel)
{
    QPointer<MainControlPanel> guarded(panel);
    return
        [guarded](LumetraController *controller, const LumetraController::ControlSetup &setup) -> QObject * {
            return build(controller, guarded.data(), setup);
        };
}

GUIWidget *LumetraControlWidget::build(LumetraController *controller, MainControlPanel *panel,
                                       const LumetraController::ControlSetup &setup)
{
    // No parent: the control panel takes the widget into its main pane below.
    auto *widget = new GUIWidget();
    widget->setEnabled(setup.connected);
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto *view = new LumetraView();
    auto *remote = new LumetraRemoteControl();
    view->setRemoteControlWidget(remote);
    layout->addWidget(view);

    view->setDivisionRange(LumetraController::DivisionFactorMin, LumetraController::DivisionFactorMax);
    view->setPowerSetpointIndexVisibility(0, true);
    view->setPowerSetpointIndexVisibility(1, true);
    view->setPowerSetpointIndex(setup.powerSetIndex);
    view->setRepRateScaleIndex(setup.repRateScaleIndex);

    connectSetters(controller, view);
    QObject::connect(controller, &LumetraController::controlEnabledChanged, widget, &QWidget::setEnabled);

    using C = LumetraController;
    using V = LumetraView;
    QObject::connect(view, &V::operatingModeChanged, controller, &C::slotOperatingModeChanged);
    QObject::connect(view, &V::dynamicWavelengthFeature, controller, &C::dynamicWavelengthFeatureChanged);
    QObject::connect(view, &V::wavelengthSelectorComboChanged, controller,
                     &C::wavelengthSelectorComboChanged);
    QObject::connect(view, &V::power_uJ_Changed, controller, &C::power_uJ_Changed);
    QObject::connect(view, &V::powerPercentChanged, controller, &C::powerPercentChanged);
    QObject::connect(view, &V::powerIndexChanged, controller, &C::powerIndexChanged);
    QObject::connect(view, &V::repRateChanged, controller, &C::repRateChanged);
    QObject::connect(view, &V::repRateDividerChanged, controller, &C::repRateDividerChanged);
    QObject::connect(view, &V::repRateScaleIndexChanged, controller, &C::repRateScaleIndexChanged);
    QObject::connect(view, &V::systemInfoViewChanged, controller, &C::systemInfoViewChanged);
    QObject::connect(view, &V::divisionChanged, controller, &C::divisionChanged);
    QObject::connect(view, &V::wavelengthChanged, controller, &C::wavelengthChanged);
    QObject::connect(view, &V::ovenModeComboChanged, controller, &C::ovenModeComboChanged);
    QObject::connect(view, &V::oven1SetpointChanged, controller, &C::oven1SetpointChanged);
    QObject::connect(view, &V::oven2SetpointChanged, controller, &C::oven2SetpointChanged);
    QObject::connect(view, &V::crystalSpotSliderChanged, controller, &C::crystalSpotSliderChanged);
    QObject::connect(view, &V::digitalGateModeChanged, controller, &C::digitalGateModeChanged);
    QObject::connect(view, &V::dynamicWLS_SaveSetpoint, controller, &C::dynamicWLS_SaveSetpoint);

    using R = LumetraRemoteControl;
    QObject::connect(remote, &R::outEnableChanged, controller, &C::outEnableChanged);
    QObject::connect(remote, &R::laserOnChanged, controller, &C::laserOnChanged);
    QObject::connect(remote, &R::standbyChanged, controller, &C::standbyChanged);
    QObject::connect(remote, &R::listenChanged, controller, &C::listenChanged);
    QObject::connect(controller, &C::setOutEnableOn, remote, &R::setOutEnable);
    QObject::connect(controller, &C::setOutEnableOnFlash, remote, &R::setOutEnableFlashing);
    QObject::connect(controller, &C::setOutEnableOnVisible, remote, &R::setOutEnableVisible);
    QObject::connect(controller, &C::setLaserOn, remote, &R::setLaserOn);
    QObject::connect(controller, &C::setLaserOnFlash, remote, &R::setLaserOnFlashing);
    QObject::connect(controller, &C::setStandby, remote, &R::setStandby);
    QObject::connect(controller, &C::setStandbyFlash, remote, &R::setStandbyFlashing);
    QObject::connect(controller, &C::setListen, remote, &R::setListen);
    QObject::connect(controller, &C::enableOutEnable, remote, &R::enableOutEnable);
    QObject::connect(controller, &C::enableLaserOn, remote, &R::enableLaserOn);
    QObject::connect(controller, &C::enableStandby, remote, &R::enableStandby);
    QObject::connect(controller, &C::enableListen, remote, &R::enableListen);

    if (panel) {
        panel->showMainControl(widget, true);
    } else {
        // Nothing holds the widget without a control panel; it goes with the controller.
        QObject::connect(controller, &QObject::destroyed, widget, &QObject::deleteLater);
    }
    return widget;
}

QStringList LumetraControlWidget::pairingMismatches(const QMetaObject &controller, const QMetaObject &view)
{
    QStringList problems;
    QList<QByteArray> signalSignatures;
    for (int i = controller.methodOffset(); i < controller.methodCount(); ++i) {
        const QMetaMethod signal = controller.method(i);
        if (signal.methodType() != QMetaMethod::Signal)
            continue;
        const QByteArray signature = signal.methodSignature();
        signalSignatures << signature;
        const bool viewHasSlot = view.indexOfSlot(viewSlotFor(signature).constData()) >= 0;
        if (isUnpaired(signature) && viewHasSlot)
            problems << QStringLiteral("%1 is left out, but the view has a slot for it")
                            .arg(QString::fromLatin1(signature));
        else if (!isUnpaired(signature) && !viewHasSlot)
            problems << QStringLiteral("%1 has no view slot of the same signature and is not left out")
                            .arg(QString::fromLatin1(signature));
    }
    for (const char *entry : unpairedSignals) {
        if (!signalSignatures.contains(entry))
            problems << QStringLiteral("%1 is left out, but the controller has no such signal")
                            .arg(QString::fromLatin1(entry));
    }
    return problems;
}

int LumetraControlWidget::connectSetters(LumetraController *controller, LumetraView *view)
{
    const QMetaObject *mine = controller->metaObject();
    const QMetaObject *theirs = view->metaObject();
    const QStringList problems = pairingMismatches(*mine, *theirs);
    for (const QString &problem : problems)
        qCWarning(lcControlWidget).noquote() << problem;
    Q_ASSERT_X(problems.isEmpty(), "LumetraControlWidget::connectSetters",
               "the controller's signals and the view's slots do not pair; see the warnings above");

    int made = 0;
    for (int i = mine->methodOffset(); i < mine->methodCount(); ++i) {
        const QMetaMethod signal = mine->method(i);
        if (signal.methodType() != QMetaMethod::Signal || isUnpaired(signal.methodSignature()))
            continue;
        const int slot = theirs->indexOfSlot(viewSlotFor(signal.methodSignature()).constData());
        if (slot >= 0 && QObject::connect(controller, signal, view, theirs->method(slot)))
            ++made;
    }
    return made;
}
