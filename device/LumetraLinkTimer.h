#pragma once

#include <QObject>

class LumetraLinkClock;
class QTimer;

// A single-shot timer of the link, due at a time on the link's clock. On the system clock a precise
// real timer waits for it; a clock moved by hand fires it when it passes that time, so that everything
// above the link can run on simulated time.
class LumetraLinkTimer : public QObject
{
    Q_OBJECT
public:
    explicit LumetraLinkTimer(LumetraLinkClock &clock, QObject *parent = nullptr);
    ~LumetraLinkTimer() override;

    void startAt(qint64 atMs);
    void stop();
    bool isActive() const { return active; }
    qint64 dueAt() const { return due; }

public slots:
    // Called by a clock moved by hand, on this timer's thread, once its time has come.
    void fire();

signals:
    void timeout();

private:
    LumetraLinkClock &clock;
    QTimer *realTimer = nullptr;
    qint64 due = 0;
    bool active = false;
};
