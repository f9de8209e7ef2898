#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/WavelengthSpectrum.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QVector>

// The spectrum with up to eight numbered channel markers. Dragging a marker sets that channel's
// wavelength (horizontally) and power (vertically); an optional curve, such as a measured or
// allowed power per nanometre, is drawn over the band when made visible.
class DIALKIT_EXPORT WavelengthSelector : public WavelengthSpectrum
{
    Q_OBJECT
public:
    static constexpr int ChannelCount = 8;

    explicit WavelengthSelector(int margin, QWidget *parent = nullptr);

    void setPowerRange(int minPower, int maxPower) override;
    void setWavelengthRange(int minWavelength, int maxWavelength) override;

    // Read access for owners and for hit-testing from outside (null/zero for channels past 7).
    bool channelEnabled(int channel) const;
    double channelWavelength(int channel) const;
    double channelPower(int channel) const;
    QPointF markerCenter(int channel) const;
    QRect markerRect(int channel) const;
    int grabbedChannel() const { return m_grabbedChannel; }

    int curveStartWavelength() const { return m_curveStartWavelength; }
    QList<int> curveData() const { return m_curveData; }
    bool isCurveVisible() const { return m_curveVisible; }
    bool isOverdriveVisible() const { return m_overdriveVisible; }

public slots:
    void setChannel(int channel, double wavelength, int power);
    void setChannelPower(int channel, int power);
    void setChannelWavelength(int channel, double wavelength);
    void enableChannel(int channel, bool enable);
    void setCurveData(int startWavelength, QList<int> dataList);
    void setCurveVisibility(bool visible);
    void setOverdriveVisibility(bool visible);

signals:
    void channelChanged(int channel, double wavelength, int power);
    void channelSaved(int channel, double wavelength, int power);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct ChannelData
    {
        QRect marker;
        double power = 0.0;
        double wavelength = 0.0;
        bool enabled = false;
    };

    static bool validChannel(int channel) { return channel >= 0 && channel < ChannelCount; }
    double clampWavelength(double wavelength) const;
    double clampPower(double power) const;
    void clampChannels();
    void drawCurve(QPainter &painter);
    void drawOverdriveNotice(QPainter &painter);
    void drawMarkers(QPainter &painter);

    QVector<ChannelData> m_channels;
    int m_minPower = 0;
    int m_maxPower = 100;
    int m_minWavelength = 300;
    int m_maxWavelength = 950;
    int m_grabbedChannel = -1;
    QPointF m_grabOffset;
    int m_curveStartWavelength = 0;
    QList<int> m_curveData;
    bool m_curveVisible = false;
    bool m_overdriveVisible = false;
};
