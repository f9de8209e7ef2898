#include "device/LumetraManualClock.h"

#include "device/LumetraLinkTimer.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

#include <limits>

void LumetraManualClock::arm(LumetraLinkTimer *timer, qint64 atMs)
{
    QMutexLocker lock(&mutex);
    armed.insert(timer, atMs);
}

void LumetraManualClock::disarm(LumetraLinkTimer *timer)
{
    QMutexLocker lock(&mutex);
    armed.remove(timer);
}

qint64 LumetraManualClock::nextDueAt() const
{
    QMutexLocker lock(&mutex);
    qint64 next = std::numeric_limits<qint64>::max();
    for (auto it = armed.cbegin(); it != armed.cend(); ++it)
        next = qMin(next, it.value());
    return next;
}

void LumetraManualClock::advance(qint64 ms)
{
    const qint64 target = now.load() + ms;
    for (;;) {
        LumetraLinkTimer *timer = nullptr;
        {
            QMutexLocker lock(&mutex);
            qint64 earliest = target + 1;
            for (auto it = armed.cbegin(); it != armed.cend(); ++it) {
                if (it.value() < earliest) {
                    earliest = it.value();
                    timer = it.key();
                }
            }
            if (!timer)
                break;
            armed.remove(timer);
            now.store(qMax(now.load(), earliest));
        }
        // A timer on another thread runs there; waiting for it keeps the order of events the same as
        // on one thread, whatever the threads' pace.
        const bool here = timer->thread() == QThread::currentThread();
        QMetaObject::invokeMethod(timer, &LumetraLinkTimer::fire,
                                  here ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
    }
    now.store(target);
}
