#pragma once

#include "device/LumetraLinkClock.h"

#include <QHash>
#include <QMutex>

#include <atomic>

// A clock that moves only when told, for tests of everything above the link: moving it fires the link's
// timers that fall due, in the order of their times, each on its own thread, and waits for each. The
// link may run on a worker thread while the test moves the clock.
class LumetraManualClock : public LumetraLinkClock
{
public:
    qint64 nowMs() const override { return now.load(); }
    bool wakesTimers() const override { return true; }
    void arm(LumetraLinkTimer *timer, qint64 atMs) override;
    void disarm(LumetraLinkTimer *timer) override;

    // Moves the time on by the given milliseconds.
    void advance(qint64 ms);
    // When the next armed timer falls due; LumetraLinkEngine::Never if none is armed.
    qint64 nextDueAt() const;

private:
    std::atomic<qint64> now{0};
    mutable QMutex mutex;
    QHash<LumetraLinkTimer *, qint64> armed;
};
