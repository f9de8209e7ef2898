#pragma once

#include <QWidget>

class ChannelGroup;
class ChannelSliders;
class Display;
class SignalGraph;
class WavelengthSelector;

// Gallery page for the range, spectrum, channel, display and graph widgets. The spectrum, the
// channel editors and the display are wired together the way an instrument panel would use them.
class GalleryPageMore : public QWidget
{
    Q_OBJECT
public:
    explicit GalleryPageMore(QWidget *parent = nullptr);

private:
    QWidget *createRangeAndSpectrum();
    QWidget *createChannels();
    QWidget *createSmallWidgets();
    QWidget *createGraph();
    void showChannelOnDisplay(int channel, double wavelength, int power);

    WavelengthSelector *m_selector = nullptr;
    ChannelGroup *m_group = nullptr;
    ChannelSliders *m_sliders = nullptr;
    Display *m_display = nullptr;
    SignalGraph *m_graph = nullptr;
};
