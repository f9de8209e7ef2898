#pragma once

#include "dialkit/DialkitExport.h"

#include <QWidget>

class Button;
class LineEditNumber;

// One compact channel editor: a numbered enable button and a set button beside a power field
// (percent) and a wavelength field (nanometres). Numbers are 0-based in signals, shown 1-based.
class DIALKIT_EXPORT Channel : public QWidget
{
    Q_OBJECT
public:
    explicit Channel(int number, QWidget *parent = nullptr);

    bool enabled() const;
    double wavelength() const;
    int power() const;

    Button *numberButton() const { return m_numberButton; }
    Button *setButton() const { return m_setButton; }
    LineEditNumber *powerField() const { return m_powerField; }
    LineEditNumber *wavelengthField() const { return m_wavelengthField; }

public slots:
    void enableChannel(bool enable);
    void setChannelChecked(bool checked);
    void setChannel(double wavelength, int power);
    void setChannelPower(int power);
    void setChannelWavelength(double wavelength);
    void emitEnableChanged(bool enabled);
    void emitChannelChanged();
    void emitSetClicked(bool checked);

signals:
    void enableChanged(int number, bool enabled);
    void setClicked(int number, bool checked);
    void channelChanged(int number, double wavelength, int power);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int number() const;
    LineEditNumber *createField(double nudgeStep);

    Button *m_numberButton;
    Button *m_setButton;
    LineEditNumber *m_powerField;
    LineEditNumber *m_wavelengthField;
};
