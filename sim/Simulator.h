#pragma once

#include "sim/SimOptions.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class SimFaults;
class SimLaser;
class SimPort;
class SimTranscript;
class SimWire;

// One simulated laser on one virtual port (a pseudo-terminal, or a TCP port with --tcp): cuts the received
// bytes into command lines, answers each after the turnaround delay with its echo and the laser's lines, lets
// the model's time run, and applies the faults and port events asked for on the control channel.
class Simulator : public QObject
{
    Q_OBJECT
public:
    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    // On a port the caller made (a test's in-process line), which the simulator takes over.
    Simulator(const SimOptions &options, SimPort *port, QObject *parent = nullptr);

    // Reads the time in milliseconds from the given source instead of a wall clock, so that a test
    // moves the laser's time with the program's. Set before start().
    void setTimeSource(std::function<qint64()> nowMs) { timeSource = std::move(nowMs); }
    // Lets the laser's time catch up with the time source now.
    void catchUp() { onClockTick(); }

    bool start(QString *error);
    void shutdown();

    QString portPath() const;
    SimLaser *laser() const { return model; }
    SimFaults *faults() const { return faultState; }
    SimTranscript *transcript() const { return log; }

    // Closes the port as an unplugged adapter would; it comes back after the given seconds (never when
    // negative).
    void hangUp(double seconds);
    bool isHungUp() const;
    // Brings the port back now, as after the seconds of a hang-up.
    void comeBack();
    void sendGarbage(int length);
    void sendUnterminated(int length);
    QString describe() const;

signals:
    void portLost();
    void portRestored(const QString &path);

private:
    struct PendingCommand
    {
        QByteArray line; // without its terminator
        qint64 dueMs;
    };

    void onBytesReceived(const QByteArray &bytes);
    void answerDueCommands();
    void onClockTick();
    void onSpontaneousLine(const QByteArray &line);
    void transmit(const QByteArray &bytes);
    void scheduleAnswers();
    qint64 nowMs() const { return timeSource ? timeSource() : clock.elapsed(); }

    SimOptions options;
    SimPort *port;
    SimWire *wire;
    SimLaser *model;
    SimFaults *faultState;
    SimTranscript *log;
    QTimer *answerTimer;
    QTimer *clockTimer;
    QTimer *comebackTimer;
    QElapsedTimer clock;
    std::function<qint64()> timeSource;
    qint64 lastTickMs = 0;
    QByteArray inputLine;
    bool inputOverflow = false;
    bool lastByteWasCr = false;
    QList<PendingCommand> pendingCommands;
};
