#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// Where the link engine reads the time. The program uses the monotonic clock below; tests and the
// fuzzer move a clock of their own by hand, so that every wait of the link is exact and instant.
class LumetraLinkClock
{
public:
    virtual ~LumetraLinkClock() = default;
    // Milliseconds on a scale that never goes back; only differences mean anything.
    virtual qint64 nowMs() const = 0;
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
