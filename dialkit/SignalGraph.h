#pragma once

#include "dialkit/DialkitExport.h"

#include <QVector>
#include <QWidget>

// Plots signed 16-bit samples as a line over a fixed-height strip, with the smallest and largest
// sample written at the left and a zero line. A new graph shows a demonstration sine until cleared.
class DIALKIT_EXPORT SignalGraph : public QWidget
{
    Q_OBJECT
public:
    explicit SignalGraph(QWidget *parent = nullptr);

    bool hasData() const;
    void clearData();
    void insertData(QVector<short> data, unsigned int position, int count);

    // Read access for owners that want to show or export what is plotted.
    const QVector<short> &samples() const { return m_samples; }
    short minimumSample() const { return m_minimum; }
    short maximumSample() const { return m_maximum; }

    // Vertical pixel position of a sample value in a strip of the given height; the zero line
    // is the position of 0, which lies outside the strip when every sample has the same sign.
    double valueToY(double value, int stripHeight) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<short> m_samples;
    short m_minimum = 0;
    short m_maximum = 0;
};
