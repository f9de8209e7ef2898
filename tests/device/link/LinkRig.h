#pragma once

#include "device/LumetraLinkClock.h"
#include "device/LumetraLinkEngine.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

// A clock that moves only when told.
class ManualClock : public LumetraLinkClock
{
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 0;
};

// Drives a link engine as the handler does, on simulated time: a main-loop turn on every 10 ms grid
// point, the command time-out the moment it is due, and a laser whose answer to each written command
// arrives a few milliseconds later in one piece. Everything the engine says is logged with its time,
// so a test compares the whole conversation at once.
class LinkRig : public QObject
{
public:
    using Responder = std::function<QList<QByteArray>(const QByteArray &command)>;

    explicit LinkRig(QObject *parent = nullptr);

    // Opens the port at the current time (the first turn has already run at time 0).
    void open() { engine.opened(); }
    // Moves the time on by the given milliseconds, one at a time.
    void run(qint64 ms);
    // Runs until the predicate holds, for at most maxMs; true when it held.
    bool runUntil(const std::function<bool()> &done, qint64 maxMs);
    // Bytes that arrive from the laser now.
    void receive(const QByteArray &bytes) { engine.receive(bytes); }

    // Echo plus the handshake answers, as a ready laser gives them.
    QList<QByteArray> defaultReply(const QByteArray &command) const;

    ManualClock clock;
    LumetraLinkEngine engine;
    // When set, a turn runs only once the engine's nextTurnAt() has come, as the handler schedules it.
    bool skipIdleTurns = false;
    // Milliseconds between a write and the laser's answer.
    int turnaroundMs = 2;
    // The laser's answers; a null responder answers nothing.
    Responder responder;
    int statusValue = 8;

    // "<ms> TX <bytes>", "<ms> RX <line>", "<ms> RX_ <partial line>", "<ms> connected <0|1>",
    // "<ms> status <text>", "<ms> dropped <command>: <reason>", with \r and \n written out.
    QStringList log;
    QList<QByteArray> written;
    QList<QByteArray> lines;
    QList<bool> connectedStates;
    QStringList messages;
    int turns = 0;

private:
    struct Arrival
    {
        qint64 at;
        QByteArray bytes;
    };
    void note(const QString &what, const QByteArray &bytes = {});
    void tick();

    QList<Arrival> arrivals;
};

QList<QByteArray> byteLines(std::initializer_list<const char *> texts);
