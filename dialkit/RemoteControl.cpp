#include "dialkit/RemoteControl.h"

#include <QVBoxLayout>

RemoteControl::RemoteControl(QWidget *parent) : QWidget(parent)
{
    m_button = new IndicatorButton(tr("Emission\nON / OFF"), IndicatorButton::Left, this);
    m_button->setColors(Indicator::Red, Indicator::Grey);
    m_button->setButtonColor(Button::DarkGrey);
    connect(m_button, &IndicatorButton::toggled, this, &RemoteControl::emissionChanged);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(m_button);
}

void RemoteControl::setEmission(bool on)
{
    m_button->setActive(on);
}
