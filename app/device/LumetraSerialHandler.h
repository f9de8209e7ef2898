#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <QStringList>

class QTimer;

// The serial link to the laser. Lives on its own worker thread and is reached only through queued
// signals: it opens the port, identifies the laser by a two-query handshake, keeps one command in
// flight at a time (completed by the laser's echo, resent once after 2000 ms, then given up), cuts
// the received bytes into lines and cycles the monitored queries with settings commands slipped in.
class LumetraSerialHandler : public QObject
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

    // A device that streams bytes without line ends (wrong baud rate, wrong device) must not grow
    // the receive buffer without bound: longer lines are discarded up to their terminator.
    static constexpr int MaxLineLength = 4096;
    // Identical port errors closer together than this are reported once.
    static constexpr int ErrorRepeatWindowMs = 1000;

    explicit LumetraSerialHandler(QObject *parent = nullptr);
    ~LumetraSerialHandler() override;

    static QString errorText(QSerialPort::SerialPortError error);

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
    void sigCommunicationOpened(QString SerialportName);
    void sigCommunicationClosed(QString SerialportName);
    // The open failed; `error` is a QSerialPort::SerialPortError, for callers that explain the cause.
    void sigOpenFailed(QString SerialportName, int error);
    void sigBytesReceived(QString portname, QByteArray bytes);
    void sigBytesTransmitted(QString portname, QByteArray bytes);

private slots:
    void slotMainLoop();
    void slotReadyRead();
    void slotReadyReadEnded();
    void slotCommandTimeout();
    void slotErrorOccurred(QSerialPort::SerialPortError error);

private:
    void stepInit();
    void stepPortClosed();
    void stepWaitAfterOpen();
    void stepSendConnectCmd();
    void stepWaitReadyCmd();
    void stepRunning();

    void openPort();
    void closeSequence();
    void sendCommand(const QString &command);
    void writeCommand(const QString &command);
    void handleLine(const QByteArray &line);
    void echoCheck(const QByteArray &line);
    void reportError(const QString &text);

    bool canSendHandshakeQuery() const;
    qint64 quietTime() const;
    QString trafficLabel(const QString &separator) const;
    static QString withLineFeed(const QString &command);

    int linkState = stInit;
    bool openRequested = false;
    QString requestedPortName;
    bool closeRequested = false;

    QPointer<QSerialPort> port;
    QByteArray rxBuffer;
    bool discardingLine = false;
    QTimer *rxTimer = nullptr;
    QTimer *commandTimer = nullptr;
    QString pendingCommand;
    int retriesLeft = 0;
    QElapsedTimer lastActivity;

    bool expectIdentLine = false;
    bool systemIdentified = false;
    bool expectStatusLine = false;
    bool deviceReady = false;
    int readyChecksLeft = 10;

    QStringList monitorCommands;
    QStringList settingsCommands;
    QStringList delayedCommands;
    int monitorIndex = 0;
    bool monitorRoundDone = false;

    // Error storm guard: the last reported error text, when it was reported, and read errors
    // seen since the last byte arrived (a hung-up peer reports them endlessly without data).
    QString lastErrorText;
    QElapsedTimer lastErrorTime;
    int readErrorsWithoutData = 0;
};
