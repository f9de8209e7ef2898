#pragma once

#include "device/LumetraEventText.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <limits>

class LumetraLinkClock;

// Everything the serial link decides, without a port, a timer or a thread: line assembly, the echo
// check, the handshake, resend and give-up, and the scheduler of monitored queries and settings
// commands. Bytes come in through receive(), bytes to send leave through sigWrite(), and time is
// read from the clock it is given; whoever owns the transport calls turn() every 10 ms and
// commandTimeout() when commandDeadline() has come. Nothing here waits or sleeps, so a test can play
// hours of traffic in milliseconds with exact times.
class LumetraLinkEngine : public QObject
{
    Q_OBJECT
public:
    enum LinkState
    {
        stInit = 0,
        stPortClosed = 1,
        stWaitAfterOpen = 2,
        stSendConnectCmd = 3,
        stWaitReadyCmd = 4,
        stRunning = 5,
        stClosePort = 6
    };
    Q_ENUM(LinkState)

    static constexpr int MainLoopIntervalMs = 10;
    static constexpr int PartialLineTimeoutMs = 60;
    static constexpr int CommandTimeoutMs = 2000;
    static constexpr int QuietAfterOpenMs = 2000;
    static constexpr int HandshakeQuietMs = 16;
    static constexpr int SchedulerQuietMs = 15;
    static constexpr int ReadyChecks = 10;
    // A device that streams bytes without line ends (wrong baud rate, wrong device) must not grow
    // the receive buffer without bound: longer lines are discarded up to their terminator.
    static constexpr int MaxLineLength = 4096;
    // The laser's own line buffer is not documented, and nothing we send comes near it: the longest
    // command of the command table is about 30 characters. What bounds a command from our side is
    // that its echo must come back whole and in time. At 38400 baud a command and its echo need
    // 2 x 10 bits a byte, so 3840 bytes would already use up the 2000 ms the echo may take, before
    // the laser has answered anything; and the controller we model in the simulator keeps 1024
    // characters of a line and throws longer lines away unechoed. 1024 characters before the line
    // feed is therefore the most that can ever complete, and takes about 0.53 s out and back.
    static constexpr int MaxCommandLength = 1024;
    // Identical error texts closer together than this are reported once.
    static constexpr int ErrorRepeatWindowMs = 1000;
    // A settings command that has waited longer than this since it was queued is dropped and
    // reported, never written: an operator who set an energy or pressed Standby seconds ago has moved
    // on, and a laser that changes its state long after it was told to surprises whoever stands at it.
    // Longer than a resend and give-up (4 s) plus a re-identification, so that a short silence of the
    // laser costs no command.
    static constexpr int StaleCommandMs = 10000;
    static constexpr qint64 Never = std::numeric_limits<qint64>::max();

    explicit LumetraLinkEngine(const LumetraLinkClock &clock, QObject *parent = nullptr);

    LinkState state() const { return linkState; }
    bool isConnected() const { return linkState == stRunning; }

    // The transport reports the port's life: opened() after a successful open and configuration,
    // closed() once the port is gone. Both reset what belongs to one connection.
    void opened();
    void closed();

    // One main-loop turn. In stPortClosed it does nothing: opening a port is the transport's business.
    void turn();
    // The earliest time at which a turn can do anything, given that nothing is received and no slot
    // is called before; Never when only such an input can change anything. Turns before it are idle,
    // so an owner may skip them without changing what goes on the wire.
    qint64 nextTurnAt() const;

    // When the command in flight times out; Never when none is in flight.
    qint64 commandDeadline() const;
    // Resends the command in flight once, then gives it up.
    void commandTimeout();

    // Bytes read from the port (also an empty read: a read notification counts as activity).
    void receive(const QByteArray &bytes);
    // Hands on the partial line being assembled, as if it had ended.
    void flushPartialLine();
    bool partialLinePending() const;

    // Command queues. Commands that the wire cannot carry as one line the laser accepts are refused
    // with a status message and never sent.
    void addMonitorCommand(const QString &command);
    void delMonitorCommand(const QString &command);
    void clrAllMonitorCommands();
    void appendSettingsCommand(const QString &command, bool delayed);
    void discardQueuedCommands();

    // Emits the text as a status message unless the same text went out less than a second ago.
    void reportError(const QString &text);

    // The wire form of a command (Latin-1, ending in one line feed), or an empty array with the
    // reason in refusal when it cannot be sent.
    static QByteArray encodeCommand(const QString &command, QString *refusal);

signals:
    // Bytes to write to the port, one whole command.
    void sigWrite(QByteArray bytes);
    // A received line, terminator included; partial when it was handed on without its terminator.
    void sigLine(QByteArray line, bool partial);
    void sigStatusMessage(QString message);
    void sigConnectedStatus(bool connected);
    // A settings command that will never reach the laser, without its line feed, and why, for whoever
    // records what the operator asked for. The status message has already said so. `reasonKey` is
    // the reason as a LumetraEventText key, for a history read later in another language.
    void sigCommandDropped(QString command, QString reason, QString reasonKey);

private:
    struct QueuedCommand
    {
        QByteArray bytes;
        qint64 queuedAt;
    };

    void stepInit();
    void stepWaitAfterOpen();
    void stepSendConnectCmd();
    void stepWaitReadyCmd();
    void stepRunning();

    bool canSendHandshakeQuery() const;
    bool rxTimerActive() const;
    qint64 quietTime() const;
    qint64 schedulerTurnAt() const;
    qint64 staleAt() const;
    bool isStale(qint64 queuedAt) const;
    void dropStaleCommands(QList<QueuedCommand> &queue);
    void reportDropped(const QByteArray &command, const LumetraEventText &reason);
    LumetraEventText silenceReason(qint64 queuedAt) const;
    void sendCommand(const QByteArray &command);
    void sendQueued(const QueuedCommand &command);
    void writeCommand();
    void handleLine(const QByteArray &line, bool partial);
    void echoCheck(const QByteArray &line);
    QByteArray acceptCommand(const QString &command);

    const LumetraLinkClock &clock;
    LinkState linkState = stInit;

    QByteArray rxBuffer;
    bool discardingLine = false;
    // The partial-line wait runs from this time while rxActive is set.
    qint64 rxStartedAt = 0;
    bool rxActive = false;

    QByteArray pendingCommand;
    // Set when the command in flight came from the settings queues: only those age.
    bool pendingQueued = false;
    qint64 pendingQueuedAt = 0;
    // The resend was not written because the command had grown stale meanwhile.
    bool resendWithheld = false;
    int retriesLeft = 0;
    qint64 commandSentAt = 0;
    qint64 lastActivity = 0;

    bool expectIdentLine = false;
    bool systemIdentified = false;
    bool expectStatusLine = false;
    bool deviceReady = false;
    int readyChecksLeft = ReadyChecks;

    QList<QByteArray> monitorCommands;
    // In the order they were queued, so the first is always the oldest.
    QList<QueuedCommand> settingsCommands;
    QList<QueuedCommand> delayedCommands;
    int monitorIndex = 0;
    bool monitorRoundDone = false;

    QString lastErrorText;
    qint64 lastErrorAt = 0;
    bool errorReported = false;
};
