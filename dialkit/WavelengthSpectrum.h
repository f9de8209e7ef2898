#pragma once

#include "dialkit/DialkitExport.h"

#include <QLabel>
#include <QRgb>

class QPainter;

// A rainbow band of the visible spectrum, shaded towards ultraviolet and infrared at its ends,
// over a wavelength axis in nanometres and a power axis in percent.
class DIALKIT_EXPORT WavelengthSpectrum : public QLabel
{
    Q_OBJECT
public:
    explicit WavelengthSpectrum(int margin, QWidget *parent = nullptr);

    // Ranges with a minimum not below the maximum are ignored: the axes need a span to divide by.
    virtual void setPowerRange(int minPower, int maxPower);
    int minPower() const { return m_minPower; }
    int maxPower() const { return m_maxPower; }
    virtual void setWavelengthRange(int minWavelength, int maxWavelength);
    int minWavelength() const { return m_minWavelength; }
    int maxWavelength() const { return m_maxWavelength; }

    // The coloured band proper, inside the margin and the axis label areas, for the current size.
    QRect spectrumRect() const;
    int spectrumMargin() const { return m_margin; }

    static QRgb generateRgbColor(int wavelength);

    // Pixel column of a wavelength on the band and the wavelength painted in a pixel column.
    int wavelengthToColumn(double wavelength) const;
    int columnToWavelength(int column) const;

    int calculateHorizontalGridLineDistance() const;
    int calculateVerticalGridLineDistance(int spectrumWidth) const;

protected:
    void paintEvent(QPaintEvent *event) override;

    void drawWavelengths(QPainter &painter);
    void drawWavelengthLabels(QPainter &painter);
    void drawPowerLabels(QPainter &painter);

    QFont labelFont() const;
    int labelAreaHeight() const { return m_labelAreaHeight; }
    int labelAreaWidth() const { return m_labelAreaWidth; }

private:
    void updateLabelArea();

    int m_margin;
    QRect m_outerRect;
    QRect m_spectrumRect;
    int m_fontHeight = 0;
    int m_labelAreaHeight = 0;
    int m_labelAreaWidth = 0;
    int m_minPower = 0;
    int m_maxPower = 100;
    int m_minWavelength = 300;
    int m_maxWavelength = 950;
};
