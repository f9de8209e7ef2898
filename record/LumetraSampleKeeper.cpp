#include "record/LumetraSampleKeeper.h"

#include "record/LumetraRecordQuantities.h"

#include <cmath>
#include <utility>

LumetraSampleKeeper::LumetraSampleKeeper()
{
    const int count = LumetraRecordQuantities::count();
    m_lastValue.fill(0.0, count);
    m_lastKept.fill(-1, count);
    m_latest.fill(0.0, count);
    m_latestAt.fill(-1, count);
}

bool LumetraSampleKeeper::moved(int quantity, double from, double to)
{
    const double deadband = LumetraRecordQuantities::deadband(quantity);
    if (deadband <= 0)
        return from != to;
    // A hair below the band: 30.8 - 30.7 in binary is a little less than the 0.1 it is on the display.
    return std::fabs(to - from) >= deadband * (1 - 1e-9);
}

void LumetraSampleKeeper::keep(int quantity, qint64 t, double value, QVector<RecordSample> &kept)
{
    kept.push_back({t, quantity, value});
    m_lastValue[quantity] = value;
    m_lastKept[quantity] = t;
}

void LumetraSampleKeeper::offer(int quantity, qint64 t, double value, QVector<RecordSample> &kept)
{
    if (quantity < 0 || quantity >= m_lastValue.size() || !std::isfinite(value))
        return;
    const double before = std::exchange(m_latest[quantity], value);
    const qint64 beforeAt = std::exchange(m_latestAt[quantity], t);
    const qint64 keptAt = m_lastKept[quantity];
    if (keptAt >= 0 && !moved(quantity, m_lastValue[quantity], value))
        return;
    if (keptAt >= 0 && beforeAt > keptAt && beforeAt < t &&
        LumetraRecordQuantities::kind(quantity) == LumetraRecordQuantities::Kind::Analog)
        keep(quantity, beforeAt, before, kept);
    keep(quantity, t, value, kept);
}

void LumetraSampleKeeper::beat(qint64 t, qint64 period, QVector<RecordSample> &kept)
{
    // The newest reading, which may have wandered inside its band since the value last kept.
    for (int q = 0; q < m_lastKept.size(); ++q) {
        if (m_lastKept[q] >= 0 && t - m_lastKept[q] >= period)
            keep(q, t, m_latest[q], kept);
    }
}

void LumetraSampleKeeper::endSeries(QVector<RecordSample> &kept)
{
    // A series ends on what the laser last said, not on the last value that left its band.
    for (int q = 0; q < m_lastKept.size(); ++q) {
        if (m_lastKept[q] >= 0 && m_latestAt[q] > m_lastKept[q] && m_latest[q] != m_lastValue[q])
            keep(q, m_latestAt[q], m_latest[q], kept);
    }
    m_lastKept.fill(-1);
}
