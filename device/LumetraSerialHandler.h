#pragma once

#include "device/LumetraLinkClock.h"
#include "device/LumetraLinkEngine.h"
#include "device/LumetraTransport.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>

#include <memory>

class LumetraLineReceipt;
class LumetraLinkTimer;

// The serial link to the laser. Lives on its own worker thread and is reached only through queued
// signals. It owns the port's transport (a serial port, or a network port named socket://HOST:PORT)
// and the timers; what goes on the wire and when (line assembly, echo check, handshake, resend,
// scheduling) is decided by its LumetraLinkEngine, the same on every transport.
class LumetraSerialHandler : public QObject
{
    Q_OBJECT
public:
    using LinkState = LumetraLinkEngine::LinkState;

    static constexpr int MaxLineLength = LumetraLinkEngine::MaxLineLength;
    static constexpr int MaxCommandLength = LumetraLinkEngine::MaxCommandLength;
    // Received lines handed to the receiving thread and not yet handled there. A device or adapter
    // can deliver lines far faster than the window can show them; beyond this many the link stops
    // reading (the port and the kernel keep the bytes) until the receiver has caught up. The laser
    // itself sends about a hundred lines a second, so only a flood ever reaches it.
    static constexpr int MaxLinesInFlight = 2000;
    // Lines handed out before the link asks the receiving thread to confirm them. Asking costs the
    // worker a wake-up for the answer, so at the laser's pace it asks about once a second.
    static constexpr int LinesPerReceipt = 64;
    // Bytes taken from the port at a time, so that the bound above is checked every few hundred lines.
    static constexpr int ReadPieceSize = 1024;
    // What the port object buffers beyond that before it leaves the bytes to the kernel.
    static constexpr int ReadBufferSize = 64 * 1024;

    explicit LumetraSerialHandler(QObject *parent = nullptr);
    // On the given clock, which must outlive the link: its waits and timers follow that clock, so
    // that tests run the link and everything above it on simulated time.
    explicit LumetraSerialHandler(LumetraLinkClock &clock, QObject *parent = nullptr);
    ~LumetraSerialHandler() override;

    // Tests stand in for the laser's port and the clock of every link made from now on by the first
    // constructor, including the one a window makes for itself. Empty arguments restore the program's.
    static void setTestDefaults(LumetraTransport::Factory factory, LumetraLinkClock *clock);

    // Replaces the choice of transport by port name; for tests. Set before the first open.
    void setTransportFactory(LumetraTransport::Factory factory) { transportFactory = std::move(factory); }

    static QString errorText(QSerialPort::SerialPortError error);
    // "<port><separator>ss-zzz" at the given time, in local time with the given offset from UTC.
    static QString trafficLabel(const QString &portName, QChar separator, qint64 msecsSinceEpoch,
                                int utcOffsetSeconds);

public slots:
    void slotOpenCommunication(QString SerialportName);
    void slotCloseCommunication();

    void slotAddMonitorCommand(QString command);
    void slotDelMonitorCommand(QString command);
    void slotClrAllMonitorCommands();
    void slotAppendSettingsCommand(QString command, bool delayed);
    void slotAppendSettingsCommand(QString command);
    // After the port was lost, commands the operator gave meanwhile must not go out by surprise
    // once the laser is back: they are dropped, and the log says which.
    void slotDiscardQueuedCommands();

signals:
    void sigLineReceived(QByteArray lineData);
    void sigStatusMessage(QString message);
    void sigConnectedStatus(bool connected);
    // A settings command that will never reach the laser, and why; the status message says so too.
    void sigCommandDropped(QString command, QString reason, QString reasonKey);
    void sigCommunicationOpened(QString SerialportName);
    void sigCommunicationClosed(QString SerialportName);
    // The open failed; `error` is a QSerialPort::SerialPortError, for callers that explain the cause.
    void sigOpenFailed(QString SerialportName, int error);
    void sigBytesReceived(QString portname, QByteArray bytes);
    void sigBytesTransmitted(QString portname, QByteArray bytes);
    // Total of lines handed out so far; answered by the receiving thread once it has handled them.
    void sigLinesDelivered(quint64 count);

private slots:
    void slotMainLoop();
    void slotReadyRead();
    void slotReadyReadEnded();
    void slotCommandTimeout();
    void slotTransportError(QString text, bool failing);
    void slotTransportLost(QString text);
    void slotLinesConsumed(quint64 count);
    void slotOpenFinished(bool opened);

private:
    void setUp();
    void stepPortClosed();
    void openPort();
    void finishOpen(LumetraTransport *newPort);
    void failOpen(LumetraTransport *newPort);
    void closeSequence();
    void readAvailable();
    void writeBytes(const QByteArray &bytes);
    void deliverLine(const QByteArray &line, bool partial);
    void askForReceipt();
    void scheduleTurn();
    void syncCommandTimer();
    QString trafficLabel(QChar separator) const;
    bool readPaused() const { return linesDelivered - linesConsumed >= quint64(MaxLinesInFlight); }

    std::unique_ptr<LumetraSteadyClock> ownClock;
    LumetraLinkClock &clock;
    LumetraLinkEngine *engine = nullptr;

    bool openRequested = false;
    QString requestedPortName;
    bool closeRequested = false;
    LumetraTransport::Factory transportFactory = &LumetraTransport::create;
    QPointer<LumetraTransport> port;
    // A transport still opening (a network connection being made); the link goes on meanwhile.
    QPointer<LumetraTransport> openingPort;
    QString openingPortName;

    // The main loop turns on a 10 ms grid counted from its first turn, so that waits measured in
    // turns do not stretch by the time each turn takes; turns the engine calls idle are skipped.
    LumetraLinkTimer *loopTimer = nullptr;
    qint64 loopOrigin = 0;
    qint64 lastTurnAt = 0;
    qint64 scheduledTurnAt = 0;
    LumetraLinkTimer *commandTimer = nullptr;
    qint64 armedDeadline = 0;

    QPointer<LumetraLineReceipt> receipt;
    quint64 linesDelivered = 0;
    quint64 linesConsumed = 0;
    bool receiptPending = false;
    // Only the offset's seconds within a minute show in a label; they are fixed for a run.
    int utcOffsetSeconds = 0;
};
