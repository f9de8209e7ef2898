#include "dialkit/SignalGraph.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QPolygon>
#include <QtMath>

// One line per plotted point is far too much for everyday runs: debug output of this class is
// off unless enabled with QT_LOGGING_RULES="dialkit.signalgraph.debug=true".
Q_LOGGING_CATEGORY(lcSignalGraph, "dialkit.signalgraph", QtInfoMsg)

namespace {
constexpr int LabelColumnWidth = 41;
constexpr int AxisX = 45;
constexpr int FirstPlotX = 46;
constexpr int DemoSampleCount = 314;
const QColor TextColor(0xFF444444);
const QColor LineColor(0xFF87212E);
} // namespace

SignalGraph::SignalGraph(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(200);
    setMinimumWidth(120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    QVector<short> demo;
    demo.reserve(DemoSampleCount);
    for (int i = 0; i < DemoSampleCount; ++i)
        demo.append(static_cast<short>(qRound(qSin(i / 10.0) * 10000.0)));
    insertData(demo, 0, demo.size());
}

bool SignalGraph::hasData() const
{
    return !m_samples.isEmpty();
}

void SignalGraph::clearData()
{
    // clear() on a QVector would free its storage; resizing keeps the capacity for the next signal.
    m_samples.resize(0);
    m_minimum = 0;
    m_maximum = 0;
    update();
}

void SignalGraph::insertData(QVector<short> samples, unsigned int position, int count)
{
    if (samples.isEmpty() || position > static_cast<unsigned int>(m_samples.size()) || count < 1 ||
        samples.size() > count)
        return;

    if (m_samples.isEmpty()) {
        m_minimum = samples.first();
        m_maximum = samples.first();
    }
    int at = static_cast<int>(position);
    for (short value : qAsConst(samples)) {
        m_samples.insert(at++, value);
        m_minimum = qMin(m_minimum, value);
        m_maximum = qMax(m_maximum, value);
    }
    update();
}

double SignalGraph::valueToY(double value, int stripHeight) const
{
    const double usable = stripHeight - 3;
    const double span = double(m_maximum) - double(m_minimum);
    if (span <= 0.0) {
        // A constant signal has no spread to scale: it runs along the middle of the strip.
        Q_UNUSED(value)
        return stripHeight / 2.0;
    }
    const double midLine = qRound(usable * m_maximum / span) + 1;
    const double yDensity = span / usable;
    return midLine + 1 - value / yDensity;
}

void SignalGraph::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();

    QFont font(QStringLiteral("Calibri"));
    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(QPen(TextColor, 1));

    painter.drawText(QRect(0, 2, LabelColumnWidth, 14), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(m_maximum));
    painter.drawText(QRect(0, h - 16, LabelColumnWidth, 14), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(m_minimum));
    painter.drawLine(AxisX, 0, AxisX, h - 2);

    const double midLine = valueToY(0.0, h) - 1;
    qCDebug(lcSignalGraph) << "MID LINE:" << midLine;
    if (m_maximum >= 0 && m_minimum <= 0)
        painter.drawLine(AxisX, qRound(midLine), w, qRound(midLine));

    const int plotWidth = w - 47;
    if (m_samples.size() < 2 || plotWidth < 1)
        return;

    const double xDensity = double(m_samples.size()) / plotWidth;
    const double yDensity = (double(m_maximum) - double(m_minimum)) / (h - 3);
    qCDebug(lcSignalGraph) << "X DENSITY:" << xDensity;
    qCDebug(lcSignalGraph) << "Y DENSITY:" << yDensity;

    QPolygon points(m_samples.size());
    for (int i = 0; i < m_samples.size(); ++i) {
        const QPoint point(FirstPlotX + qRound(i / xDensity), qRound(valueToY(m_samples.at(i), h)));
        points[i] = point;
        qCDebug(lcSignalGraph) << point;
    }
    painter.setPen(QPen(LineColor, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawPolyline(points);
}
