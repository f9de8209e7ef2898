#include "app/view/LumetraProgressTicker.h"

#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcProgressTicker, "lumetra.view.ticker")

LumetraProgressTicker::LumetraProgressTicker(QWidget *parent)
    : QProgressBar(parent), tickTimer(new QTimer(this))
{
    setProperty("flat", true);
    setRange(0, 1);
    setValue(0);
    setTextVisible(false);
    tickTimer->setInterval(1000);
    tickTimer->setSingleShot(false);
    connect(tickTimer, &QTimer::timeout, this, &LumetraProgressTicker::slotTickHandler);
}

bool LumetraProgressTicker::isTicking() const
{
    return tickTimer->isActive();
}

void LumetraProgressTicker::startTicker(int seconds)
{
    // A move of zero seconds would leave a bar that never fills and a window that never closes by itself.
    if (seconds < 1) {
        seconds = 1;
    }
    setRange(0, seconds);
    setValue(1);
    qCDebug(lcProgressTicker) << "ticking for" << seconds << "s";
    if (value() >= maximum()) {
        tickTimer->stop();
        emit sigTimeElapsed();
        return;
    }
    tickTimer->start();
}

void LumetraProgressTicker::stopTicker()
{
    tickTimer->stop();
}

void LumetraProgressTicker::slotTickHandler()
{
    const int next = value() + 1;
    if (next > maximum()) {
        return;
    }
    setValue(next);
    if (next == maximum()) {
        tickTimer->stop();
        emit sigTimeElapsed();
    }
}
