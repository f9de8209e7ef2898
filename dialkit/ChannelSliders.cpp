#include "dialkit/ChannelSliders.h"

#include "dialkit/Button.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
ComboSlider *createSlider(QWidget *parent, const QString &title, const QString &unitText, double min,
                          double max, int precision)
{
    auto *slider = new ComboSlider(0, parent);
    slider->setDarkBackground(false);
    auto *scale = new ComboSliderScale(title);
    scale->addUnit(new ComboSliderUnit(unitText, min, max, precision));
    slider->addScale(scale);
    return slider;
}
} // namespace

ChannelSliders::ChannelSliders(int channel, QWidget *parent) : QWidget(parent), m_channel(channel)
{
    m_title = new QLabel(tr("Channel ") + QString::number(channel + 1), this);
    m_title->setProperty("type", "title");

    m_closeButton = new QPushButton(this);
    m_closeButton->setProperty("style", "close");
    m_closeButton->setToolTip(tr("Close"));

    m_onButton = new Button(tr("ON"), this);
    m_onButton->setSize(Button::Small);
    m_onButton->setSize(30, 30);
    m_onButton->setCheckable(true);
    m_onButton->setColor(Button::DarkGrey);
    m_onButton->setCheckedColor(Button::Green);

    m_powerSlider = createSlider(this, tr("Channel power"), tr("%"), 0, 100, 0);
    m_wavelengthSlider = createSlider(this, tr("Center wavelength"), tr("nm"), 400, 750, 1);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_title, 0, 0);
    grid->addWidget(m_onButton, 0, 1, Qt::AlignVCenter);
    grid->addWidget(m_closeButton, 0, 2, Qt::AlignTop);
    grid->addWidget(m_powerSlider, 1, 0, 1, 3);
    grid->addWidget(m_wavelengthSlider, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    connect(m_closeButton, &QPushButton::clicked, this, qOverload<>(&ChannelSliders::closeClicked));
    connect(m_onButton, &QAbstractButton::clicked, this, &ChannelSliders::emitEnabledChanged);
    connect(m_powerSlider, &ComboSlider::valueChanged, this, &ChannelSliders::emitChannelChanged);
    connect(m_wavelengthSlider, &ComboSlider::valueChanged, this, &ChannelSliders::emitChannelChanged);
}

QString ChannelSliders::title() const
{
    return m_title->text();
}

void ChannelSliders::closeClicked()
{
    emit closeClicked(m_channel, false);
}

void ChannelSliders::emitEnabledChanged(bool enabled)
{
    emit enableChanged(m_channel, enabled);
}

void ChannelSliders::emitChannelChanged(double)
{
    emit channelChanged(m_channel, m_wavelengthSlider->value(), qRound(m_powerSlider->value()));
}

void ChannelSliders::setWavelengthRange(double min, double max)
{
    m_wavelengthSlider->setUnitRange(0, 0, min, max);
    m_wavelengthSlider->updateSlider();
}

void ChannelSliders::setPowerRange(double min, double max)
{
    m_powerSlider->setUnitRange(0, 0, min, max);
    m_powerSlider->updateSlider();
}

void ChannelSliders::setChannel(int channel, double wavelength, int power)
{
    if (channel != m_channel)
        return;
    m_wavelengthSlider->setValue(wavelength);
    m_powerSlider->setValue(power);
}

void ChannelSliders::enableChannel(int channel, bool enabled)
{
    if (channel != m_channel)
        return;
    m_onButton->setChecked(enabled);
}
