#include "dialkit/WavelengthSelector.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

namespace {
constexpr int MarkerSize = 20;
const QColor MarkerOutline(0xFF555555);
const QColor CurveColor(0xFF333333);
} // namespace

WavelengthSelector::WavelengthSelector(int margin, QWidget *parent)
    : WavelengthSpectrum(margin, parent), m_channels(ChannelCount)
{
    m_minPower = minPower();
    m_maxPower = maxPower();
    m_minWavelength = minWavelength();
    m_maxWavelength = maxWavelength();
}

void WavelengthSelector::setPowerRange(int minPower, int maxPower)
{
    if (minPower >= maxPower)
        return;
    m_minPower = minPower;
    m_maxPower = maxPower;
    WavelengthSpectrum::setPowerRange(minPower, maxPower);
    clampChannels();
}

void WavelengthSelector::setWavelengthRange(int minWavelength, int maxWavelength)
{
    if (minWavelength >= maxWavelength)
        return;
    m_minWavelength = minWavelength;
    m_maxWavelength = maxWavelength;
    WavelengthSpectrum::setWavelengthRange(minWavelength, maxWavelength);
    clampChannels();
}

bool WavelengthSelector::channelEnabled(int channel) const
{
    return validChannel(channel) && m_channels.at(channel).enabled;
}

double WavelengthSelector::channelWavelength(int channel) const
{
    return validChannel(channel) ? m_channels.at(channel).wavelength : 0.0;
}

double WavelengthSelector::channelPower(int channel) const
{
    return validChannel(channel) ? m_channels.at(channel).power : 0.0;
}

double WavelengthSelector::clampWavelength(double wavelength) const
{
    return qBound(double(m_minWavelength), wavelength, double(m_maxWavelength));
}

double WavelengthSelector::clampPower(double power) const
{
    return qBound(double(m_minPower), power, double(m_maxPower));
}

void WavelengthSelector::clampChannels()
{
    // Markers must stay on the band when its ranges shrink.
    for (ChannelData &channel : m_channels) {
        channel.wavelength = clampWavelength(channel.wavelength);
        channel.power = clampPower(channel.power);
    }
    update();
}

QPointF WavelengthSelector::markerCenter(int channel) const
{
    if (!validChannel(channel))
        return QPointF();
    const QRect spectrum = spectrumRect();
    const ChannelData &entry = m_channels.at(channel);
    const double x = spectrum.left() + (entry.wavelength - m_minWavelength) * spectrum.width() /
                                           double(m_maxWavelength - m_minWavelength);
    const double y =
        spectrum.bottom() - (entry.power - m_minPower) * spectrum.height() / double(m_maxPower - m_minPower);
    return QPointF(x, y);
}

QRect WavelengthSelector::markerRect(int channel) const
{
    if (!validChannel(channel))
        return QRect();
    const QPointF center = markerCenter(channel);
    return QRect(qRound(center.x()) - MarkerSize / 2, qRound(center.y()) - MarkerSize / 2, MarkerSize,
                 MarkerSize);
}

void WavelengthSelector::setChannel(int channel, double wavelength, int power)
{
    if (!validChannel(channel))
        return;
    m_channels[channel].wavelength = clampWavelength(wavelength);
    m_channels[channel].power = clampPower(power);
    update();
}

void WavelengthSelector::setChannelPower(int channel, int power)
{
    if (!validChannel(channel))
        return;
    m_channels[channel].power = clampPower(power);
    update();
}

void WavelengthSelector::setChannelWavelength(int channel, double wavelength)
{
    if (!validChannel(channel))
        return;
    m_channels[channel].wavelength = clampWavelength(wavelength);
    update();
}

void WavelengthSelector::enableChannel(int channel, bool enable)
{
    if (!validChannel(channel))
        return;
    ChannelData &entry = m_channels[channel];
    entry.wavelength = clampWavelength(entry.wavelength);
    entry.power = clampPower(entry.power);
    entry.enabled = enable;
    // A marker that disappears under the pointer cannot be dragged on.
    if (!enable && m_grabbedChannel == channel)
        m_grabbedChannel = -1;
    update();
}

void WavelengthSelector::setCurveData(int startWavelength, QList<int> dataList)
{
    m_curveStartWavelength = startWavelength;
    m_curveData = dataList;
    update();
}

void WavelengthSelector::setCurveVisibility(bool visible)
{
    m_curveVisible = visible;
    update();
}

void WavelengthSelector::setOverdriveVisibility(bool visible)
{
    m_overdriveVisible = visible;
    update();
}

void WavelengthSelector::paintEvent(QPaintEvent *event)
{
    WavelengthSpectrum::paintEvent(event);
    const QRect spectrum = spectrumRect();
    if (spectrum.width() < 2 || spectrum.height() < 2)
        return;

    QPainter painter(this);
    painter.setFont(labelFont());
    if (m_curveVisible)
        drawCurve(painter);
    if (m_overdriveVisible)
        drawOverdriveNotice(painter);
    drawMarkers(painter);
}

void WavelengthSelector::drawCurve(QPainter &painter)
{
    // One point per nanometre, the value read on the power axis; parts outside the band are cut.
    if (m_curveData.size() < 1)
        return;
    const QRect spectrum = spectrumRect();
    const double wavelengthScale = spectrum.width() / double(m_maxWavelength - m_minWavelength);
    const double powerScale = spectrum.height() / double(m_maxPower - m_minPower);
    QPolygonF points;
    points.reserve(m_curveData.size());
    for (int i = 0; i < m_curveData.size(); ++i) {
        const double x = spectrum.left() + (m_curveStartWavelength + i - m_minWavelength) * wavelengthScale;
        const double y = spectrum.bottom() - (m_curveData.at(i) - m_minPower) * powerScale;
        points.append(QPointF(x, y));
    }
    painter.save();
    painter.setClipRect(spectrum);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(CurveColor, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (points.size() == 1)
        painter.drawPoint(points.first());
    else
        painter.drawPolyline(points);
    painter.restore();
}

void WavelengthSelector::drawOverdriveNotice(QPainter &painter)
{
    const QRect spectrum = spectrumRect();
    const QString text = tr("RF Power, Overdrive setting.") + QStringLiteral("\n\r") +
                         tr("(Full power from RF driver. Please consult manual before use)");
    const QFontMetrics metrics(painter.font());
    const QRect textBounds = metrics.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignCenter, text);
    const int boxWidth = textBounds.width() + 21;
    const int boxHeight = 2 * metrics.height() + 12;
    const QRect box(spectrum.left() + (spectrum.width() - boxWidth) / 2, spectrum.top() + 5, boxWidth,
                    boxHeight);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(MarkerOutline, 1));
    painter.setBrush(QColor(255, 255, 255, 100));
    painter.drawRoundedRect(box, 5, 5);
    painter.setPen(QColor(0xFF444444));
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

void WavelengthSelector::drawMarkers(QPainter &painter)
{
    const QRect spectrum = spectrumRect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < ChannelCount; ++i) {
        ChannelData &entry = m_channels[i];
        if (!entry.enabled)
            continue;
        entry.marker = markerRect(i);
        const QPointF center = markerCenter(i);
        painter.setPen(QPen(MarkerOutline, 3));
        if (entry.marker.bottom() < spectrum.bottom())
            painter.drawLine(QPointF(center.x(), entry.marker.bottom() + 1),
                             QPointF(center.x(), spectrum.bottom()));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(entry.marker, 5, 5);
        painter.setPen(QColor(0xFF444444));
        painter.drawText(entry.marker, Qt::AlignCenter, QString::number(i + 1));
    }
    painter.restore();
}

void WavelengthSelector::mousePressEvent(QMouseEvent *event)
{
    m_grabbedChannel = -1;
    if (event->button() == Qt::LeftButton) {
        for (int i = 0; i < ChannelCount; ++i) {
            if (!m_channels.at(i).enabled)
                continue;
            // Hit-test against the marker as it stands now, which may not have been painted yet.
            if (markerRect(i).contains(event->pos())) {
                m_grabbedChannel = i;
                m_grabOffset = QPointF(event->pos()) - markerCenter(i);
                break;
            }
        }
    }
    WavelengthSpectrum::mousePressEvent(event);
}

void WavelengthSelector::mouseMoveEvent(QMouseEvent *event)
{
    if (m_grabbedChannel >= 0 && rect().contains(event->pos())) {
        const QRect spectrum = spectrumRect();
        const QPointF center = QPointF(event->pos()) - m_grabOffset;
        const double wavelength = m_minWavelength + (center.x() - spectrum.left()) *
                                                        (m_maxWavelength - m_minWavelength) /
                                                        double(spectrum.width());
        const double power = m_minPower + (spectrum.bottom() - center.y()) * (m_maxPower - m_minPower) /
                                              double(spectrum.height());
        ChannelData &entry = m_channels[m_grabbedChannel];
        entry.wavelength = clampWavelength(wavelength);
        entry.power = clampPower(power);
        emit channelChanged(m_grabbedChannel, entry.wavelength, qRound(entry.power));
        update();
    }
    WavelengthSpectrum::mouseMoveEvent(event);
}

void WavelengthSelector::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_grabbedChannel >= 0) {
        const int channel = m_grabbedChannel;
        m_grabbedChannel = -1;
        const ChannelData &entry = m_channels.at(channel);
        emit channelSaved(channel, entry.wavelength, qRound(entry.power));
    }
    WavelengthSpectrum::mouseReleaseEvent(event);
}
