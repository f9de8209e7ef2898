#include "dialkit/ChannelGroup.h"

#include "dialkit/Channel.h"

#include <QGridLayout>

ChannelGroup::ChannelGroup(QWidget *parent) : QWidget(parent)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(15);
    for (int i = 0; i < ChannelCount; ++i) {
        auto *editor = new Channel(i, this);
        grid->addWidget(editor, i / 4, i % 4);
        connect(editor, &Channel::enableChanged, this, &ChannelGroup::enableChanged);
        connect(editor, &Channel::setClicked, this, &ChannelGroup::setClicked);
        connect(editor, &Channel::channelChanged, this, &ChannelGroup::channelChanged);
        m_channels.append(editor);
    }
}

Channel *ChannelGroup::channel(int channel) const
{
    return channel >= 0 && channel < m_channels.size() ? m_channels.at(channel) : nullptr;
}

bool ChannelGroup::channelEnabled(int channel) const
{
    const Channel *editor = this->channel(channel);
    return editor && editor->enabled();
}

double ChannelGroup::channelWavelength(int channel) const
{
    const Channel *editor = this->channel(channel);
    return editor ? editor->wavelength() : 0.0;
}

int ChannelGroup::channelPower(int channel) const
{
    const Channel *editor = this->channel(channel);
    return editor ? editor->power() : 0;
}

void ChannelGroup::setChannel(int channel, double channelWavelength, int channelPower)
{
    if (Channel *editor = this->channel(channel))
        editor->setChannel(channelWavelength, channelPower);
}

void ChannelGroup::enableChannel(int channel, bool enable)
{
    if (Channel *editor = this->channel(channel))
        editor->enableChannel(enable);
}

void ChannelGroup::setChannelChecked(int channel, bool checked)
{
    if (Channel *editor = this->channel(channel))
        editor->setChannelChecked(checked);
}

void ChannelGroup::setChannelPower(int channel, int channelPower)
{
    if (Channel *editor = this->channel(channel))
        editor->setChannelPower(channelPower);
}

void ChannelGroup::setChannelWavelength(int channel, double channelWavelength)
{
    if (Channel *editor = this->channel(channel))
        editor->setChannelWavelength(channelWavelength);
}
