#include "device/LumetraLinkTimer.h"

#include "device/LumetraLinkClock.h"

#include <QTimer>

#include <limits>

LumetraLinkTimer::LumetraLinkTimer(LumetraLinkClock &linkClock, QObject *parent)
    : QObject(parent), clock(linkClock)
{
    if (clock.wakesTimers())
        return;
    // Coarse timers may fire a few percent late, and every late turn would slow the poll cycle.
    realTimer = new QTimer(this);
    realTimer->setSingleShot(true);
    realTimer->setTimerType(Qt::PreciseTimer);
    connect(realTimer, &QTimer::timeout, this, &LumetraLinkTimer::fire);
}

LumetraLinkTimer::~LumetraLinkTimer()
{
    if (!realTimer)
        clock.disarm(this);
}

void LumetraLinkTimer::startAt(qint64 atMs)
{
    due = atMs;
    active = true;
    if (realTimer) {
        const qint64 wait = qBound<qint64>(0, atMs - clock.nowMs(), std::numeric_limits<int>::max());
        realTimer->start(int(wait));
    } else {
        clock.arm(this, atMs);
    }
}

void LumetraLinkTimer::stop()
{
    active = false;
    if (realTimer)
        realTimer->stop();
    else
        clock.disarm(this);
}

void LumetraLinkTimer::fire()
{
    // A clock moved on another thread decided to fire before this timer was started again for later.
    if (!active || (!realTimer && clock.nowMs() < due))
        return;
    active = false;
    emit timeout();
}
