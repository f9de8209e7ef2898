#include "app/view/LumetraRemoteControl.h"

#include "dialkit/Button.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"

#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcRemoteControl, "lumetra.view.remote")

namespace {
constexpr int flashPeriodMs = 500;

IndicatorButton *makeStateButton(const QString &text, Indicator::Color onColor, QWidget *parent)
{
    auto *button = new IndicatorButton(text, IndicatorButton::Left, parent);
    button->setColors(onColor, Indicator::Grey);
    button->setButtonColor(Button::DarkGrey);
    return button;
}
} // namespace

LumetraRemoteControl::LumetraRemoteControl(QWidget *parent)
    : QWidget(parent), outEnableButton(makeStateButton(tr("Output\nenable"), Indicator::Red, this)),
      laserOnButton(makeStateButton(tr("Laser On"), Indicator::Red, this)),
      standbyButton(makeStateButton(tr("Standby"), Indicator::Orange, this)),
      listenButton(makeStateButton(tr("Listen"), Indicator::Green, this))
{
    auto *column = new QVBoxLayout();
    column->setContentsMargins(0, 0, 0, 0);
    // Close together: with the fault lamps above them they set the panel's least height, and so whether
    // the window fits a 768-pixel screen.
    column->setSpacing(3);
    column->addWidget(outEnableButton);
    column->addWidget(laserOnButton);
    column->addWidget(standbyButton);
    column->addWidget(listenButton);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(column);
    row->addStretch();

    relayClick(outEnableButton, &outEnableShown, &LumetraRemoteControl::outEnableChanged);
    relayClick(laserOnButton, &laserOnShown, &LumetraRemoteControl::laserOnChanged);
    relayClick(standbyButton, &standbyShown, &LumetraRemoteControl::standbyChanged);
    relayClick(listenButton, &listenShown, &LumetraRemoteControl::listenChanged);
}

// A click flips the button's own flag although the lamp waits for the laser. Were the flag left flipped,
// a request the laser refuses (and so never reports back) would turn the next click into the opposite
// request: "Output enable" would ask for the output to be disabled. The flag is therefore put back to
// what the lamp shows, and every click asks for the opposite of that.
void LumetraRemoteControl::relayClick(IndicatorButton *button, const bool *shown,
                                      void (LumetraRemoteControl::*relay)(bool))
{
    connect(button, &IndicatorButton::toggled, this, [this, button, shown, relay]() {
        button->setActive(*shown);
        emit(this->*relay)(!*shown);
    });
}

void LumetraRemoteControl::enableOutEnable(bool enable)
{
    outEnableButton->setEnabled(enable);
}

void LumetraRemoteControl::enableLaserOn(bool enable)
{
    laserOnButton->setEnabled(enable);
}

void LumetraRemoteControl::enableStandby(bool enable)
{
    standbyButton->setEnabled(enable);
}

void LumetraRemoteControl::enableListen(bool enable)
{
    listenButton->setEnabled(enable);
}

void LumetraRemoteControl::setOutEnable(bool on)
{
    outEnableShown = on;
    qCDebug(lcRemoteControl) << "output enabled" << on;
    outEnableButton->setActive(on);
    outEnableButton->setButtonText(on ? tr("Output\ndisable") : tr("Output\nenable"));
}

void LumetraRemoteControl::setOutEnableFlashing(bool on)
{
    outEnableButton->setBlink(on, flashPeriodMs, Indicator::Red);
}

void LumetraRemoteControl::setOutEnableVisible(bool visible)
{
    outEnableButton->setVisible(visible);
}

void LumetraRemoteControl::setLaserOn(bool on)
{
    laserOnShown = on;
    laserOnButton->setActive(on);
}

void LumetraRemoteControl::setLaserOnFlashing(bool on)
{
    laserOnButton->setBlink(on, flashPeriodMs, Indicator::Red);
}

void LumetraRemoteControl::setStandby(bool on)
{
    standbyShown = on;
    standbyButton->setActive(on);
}

void LumetraRemoteControl::setStandbyFlashing(bool on)
{
    standbyButton->setBlink(on, flashPeriodMs, Indicator::Orange);
}

void LumetraRemoteControl::setListen(bool on)
{
    listenShown = on;
    listenButton->setActive(on);
}
