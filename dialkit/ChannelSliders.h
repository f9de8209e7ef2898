#pragma once

#include "dialkit/DialkitExport.h"

#include <QWidget>

class Button;
class ComboSlider;
class QLabel;
class QPushButton;

// One channel edited with two combo sliders: power in percent and centre wavelength in
// nanometres, with an "ON" button and a close button. It answers only to its own channel number.
class DIALKIT_EXPORT ChannelSliders : public QWidget
{
    Q_OBJECT
public:
    explicit ChannelSliders(int channel, QWidget *parent = nullptr);

    int channel() const { return m_channel; }
    void setCrystal(int crystal) { m_crystal = crystal; }
    int crystal() const { return m_crystal; }
    void setProfile(int profile) { m_profile = profile; }
    int profile() const { return m_profile; }

    ComboSlider *powerSlider() const { return m_powerSlider; }
    ComboSlider *wavelengthSlider() const { return m_wavelengthSlider; }
    Button *onButton() const { return m_onButton; }
    QPushButton *closeButton() const { return m_closeButton; }
    QString title() const;

public slots:
    void setChannel(int channel, double wavelength, int power);
    void enableChannel(int channel, bool enabled);
    void emitEnabledChanged(bool enabled);
    void emitChannelChanged(double value);
    void setWavelengthRange(double min, double max);
    void setPowerRange(double min, double max);

signals:
    void closeClicked(int channel, bool enable);
    void enableChanged(int channel, bool enabled);
    void channelChanged(int channel, double wavelength, int power);

private slots:
    void closeClicked();

private:
    int m_channel;
    int m_crystal = 0;
    int m_profile = 0;
    QLabel *m_title;
    QPushButton *m_closeButton;
    Button *m_onButton;
    ComboSlider *m_powerSlider;
    ComboSlider *m_wavelengthSlider;
};
