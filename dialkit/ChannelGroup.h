#pragma once

#include "dialkit/DialkitExport.h"

#include <QList>
#include <QWidget>

class Channel;

// Eight channel editors in a grid of two rows of four, addressed by channel 0 to 7.
class DIALKIT_EXPORT ChannelGroup : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ChannelCount = 8;

    explicit ChannelGroup(QWidget *parent = nullptr);

    // Channels outside 0 to 7 read as disabled, zero wavelength and zero power.
    bool channelEnabled(int channel) const;
    double channelWavelength(int channel) const;
    int channelPower(int channel) const;
    Channel *channel(int channel) const;

public slots:
    void setChannel(int channel, double channelWavelength, int channelPower);
    void enableChannel(int channel, bool enable);
    void setChannelChecked(int channel, bool checked);
    void setChannelPower(int channel, int channelPower);
    void setChannelWavelength(int channel, double channelWavelength);

signals:
    void enableChanged(int channel, bool channelEnabled);
    void setClicked(int channel, bool ckecked);
    void channelChanged(int channel, double channelWavelength, int channelPower);

private:
    QList<Channel *> m_channels;
};
