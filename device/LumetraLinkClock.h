#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

class LumetraLinkTimer;

// Where the link reads the time and what wakes its timers. The program uses the monotonic clock below;
// tests and the fuzzer move a clock of their own by hand, so that every wait of the link is exact and
// instant.
class LumetraLinkClock
{
public:
    virtual ~LumetraLinkClock() = default;
    // Milliseconds on a scale that never goes back; only differences mean anything.
    virtual qint64 nowMs() const = 0;
    // A clock that moves by itself leaves the link's timers to real timers. One moved by hand wakes
    // them itself as it passes their time: it is told of each start and stop.
    virtual bool wakesTimers() const { return false; }
    virtual void arm(LumetraLinkTimer *timer, qint64 atMs)
    {
        Q_UNUSED(timer)
        Q_UNUSED(atMs)
    }
    virtual void disarm(LumetraLinkTimer *timer) { Q_UNUSED(timer) }
};

// The monotonic system clock, counted from the moment the object was made.
class LumetraSteadyClock : public LumetraLinkClock
{
public:
    LumetraSteadyClock() { timer.start(); }
    qint64 nowMs() const override { return timer.elapsed(); }

private:
    QElapsedTimer timer;
};
