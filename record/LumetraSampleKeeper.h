#pragma once

#include "record/LumetraRecordStore.h"

#include <QVector>

// Decides which readings of one link are history. A reading is kept when it moved by its quantity's
// deadband since the value last kept (noise is not history); before such a move on an analog reading
// the reading just before it is kept too, so that the line drawn between samples bends where the value
// moved and not where it was last kept. A value that does not move is kept again each heartbeat, with
// the newest reading, so that a flat line is known to be flat rather than unrecorded.
class LumetraSampleKeeper
{
public:
    LumetraSampleKeeper();

    // A reading at time t; what is to be kept is appended to kept.
    void offer(int quantity, qint64 t, double value, QVector<RecordSample> &kept);
    // Every value last kept at least `period` ago, kept again at t.
    void beat(qint64 t, qint64 period, QVector<RecordSample> &kept);
    // Ends every series on its newest reading; the next reading of each is kept whatever it is.
    void endSeries(QVector<RecordSample> &kept);

    bool hasKept(int quantity) const { return m_lastKept.value(quantity, -1) >= 0; }
    double lastKept(int quantity) const { return m_lastValue.value(quantity); }
    // The reading moved far enough from the one kept to be kept in turn.
    static bool moved(int quantity, double from, double to);

private:
    void keep(int quantity, qint64 t, double value, QVector<RecordSample> &kept);

    // Last value and when it was last kept, by quantity; lastKept < 0 when there is none.
    QVector<double> m_lastValue;
    QVector<qint64> m_lastKept;
    // The newest reading and its time, kept or not.
    QVector<double> m_latest;
    QVector<qint64> m_latestAt;
};
