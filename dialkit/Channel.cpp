#include "dialkit/Channel.h"

#include "dialkit/Button.h"
#include "dialkit/LineEditNumber.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {
// A power is a share of the full output; nothing outside it reaches the owner.
constexpr int MinPower = 0;
constexpr int MaxPower = 100;
} // namespace

Channel::Channel(int number, QWidget *parent) : QWidget(parent)
{
    m_numberButton = new Button(QString::number(number + 1), this);
    m_numberButton->setSize(Button::Fat);
    m_numberButton->setCheckable(true);
    m_numberButton->setColor(Button::DarkGrey);
    m_numberButton->setCheckedColor(Button::Green);
    m_numberButton->setToolTip(tr("Enable channel %1").arg(number + 1));

    m_setButton = new Button(tr("Set"), this);
    m_setButton->setSize(Button::Small);
    m_setButton->setSize(30, 30);
    m_setButton->setCheckable(true);
    m_setButton->setColor(Button::DarkGrey);

    m_powerField = createField(1.0);
    m_wavelengthField = createField(0.1);

    auto *percent = new QLabel(tr("%"), this);
    percent->setProperty("type", "text");
    auto *nanometres = new QLabel(tr("nm"), this);
    nanometres->setProperty("type", "text");

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 5, 0);
    grid->addWidget(m_numberButton, 0, 0);
    grid->addWidget(m_powerField, 0, 1);
    grid->addWidget(percent, 0, 2);
    grid->addWidget(m_setButton, 1, 0);
    grid->addWidget(m_wavelengthField, 1, 1);
    grid->addWidget(nanometres, 1, 2);

    connect(m_numberButton, &QAbstractButton::clicked, this, &Channel::emitEnableChanged);
    connect(m_setButton, &QAbstractButton::clicked, this, &Channel::emitSetClicked);
    for (LineEditNumber *field : {m_powerField, m_wavelengthField}) {
        connect(field, &LineEditNumber::numberSaved, this, &Channel::emitChannelChanged);
        connect(field, &LineEditNumber::arrowPressed, field, &LineEditNumber::nudge);
    }

    setChannel(0.0, 0);
}

LineEditNumber *Channel::createField(double nudgeStep)
{
    auto *field = new LineEditNumber(this);
    field->setProperty("flat", true);
    field->setProperty("type", "text");
    field->allowNudge(nudgeStep);
    field->enableTimeout(true);
    field->setMaximumWidth(70);
    return field;
}

void Channel::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

int Channel::number() const
{
    return m_numberButton->text().toInt() - 1;
}

bool Channel::enabled() const
{
    return m_numberButton->isChecked();
}

double Channel::wavelength() const
{
    return m_wavelengthField->number();
}

int Channel::power() const
{
    return qRound(m_powerField->number());
}

void Channel::enableChannel(bool enable)
{
    m_numberButton->setChecked(enable);
}

void Channel::setChannelChecked(bool checked)
{
    m_setButton->setChecked(checked);
}

void Channel::setChannel(double wavelength, int power)
{
    setChannelWavelength(wavelength);
    setChannelPower(power);
}

void Channel::setChannelPower(int power)
{
    m_powerField->setNumber(power, 0);
}

void Channel::setChannelWavelength(double wavelength)
{
    m_wavelengthField->setNumber(wavelength, 1);
}

void Channel::emitEnableChanged(bool enabled)
{
    emit enableChanged(number(), enabled);
}

void Channel::emitChannelChanged()
{
    // Entries are kept to what a channel can take, and the fields show what was actually sent.
    const int power = qBound(MinPower, qRound(m_powerField->number()), MaxPower);
    const double wavelength = qMax(0.0, m_wavelengthField->number());
    if (power != m_powerField->number())
        m_powerField->setNumber(power, 0);
    if (wavelength != m_wavelengthField->number())
        m_wavelengthField->setNumber(wavelength, 1);
    emit channelChanged(number(), wavelength, power);
}

void Channel::emitSetClicked(bool checked)
{
    emit setClicked(number(), checked);
}
