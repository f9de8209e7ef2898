#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class LumetraResponseDecoder;
class LumetraSerialHandler;
class QTimer;

// Follows one serial link from the operator's open to the close and tells what state it is in. When
// the port goes away without the operator asking for it (an unplugged adapter), it watches for the
// same port to come back, drops the commands queued meanwhile, reopens it and lets the normal
// handshake run; the link is kept only if the same laser (system type and serial number) answers. A USB
// adapter that comes back under another device name is known by its USB serial number and ids.
// Needs no widgets, so that a program without a window can follow the same rule.
class LumetraReconnector : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Closed,      // no port open, nothing expected
        Waiting,     // port open, the quiet wait before the handshake
        Handshake,   // identification and ready queries on the wire
        Connected,   // the laser answers
        Unavailable, // port open, but the laser stopped echoing
        Lost,        // the port went away; watching for it to come back
        OtherLaser   // the port came back with another laser behind it; left closed
    };
    Q_ENUM(State)

    static constexpr int DefaultWatchIntervalMs = 1000;
    // A network port cannot be looked for, only connected to, and each failed attempt is a line in
    // the log: the attempts after a loss are spaced out, doubling up to this many watch intervals.
    static constexpr int MaxNetworkRetryTicks = 16;

    // A serial port as the system lists it, with the identity of the USB adapter behind it, if any.
    struct PortEntry
    {
        QString location; // the device file
        QString serialNumber;
        quint16 vendorId = 0;
        quint16 productId = 0;
    };
    using PortLister = std::function<QList<PortEntry>()>;

    explicit LumetraReconnector(QObject *parent = nullptr);
    ~LumetraReconnector() override;

    // Connects the link's signals to this object and this object's requests to the link (queued
    // when the link lives on another thread).
    void attach(LumetraSerialHandler *link);

    State state() const { return m_state; }
    // The port as the operator named it; kept while lost, so it can be reopened by that name.
    QString portName() const { return m_portName; }
    QString systemType() const { return m_systemType; }
    QString serialNumber() const { return m_serialNumber; }
    // When the current state began.
    QDateTime since() const { return m_since; }
    // When the last line came from the laser; invalid if none came on this connection.
    QDateTime lastLineTime() const
    {
        return m_lastLineMs ? QDateTime::fromMSecsSinceEpoch(m_lastLineMs) : QDateTime();
    }
    // Identity found on the port that came back, when it was another laser.
    QString foundSystemType() const { return m_foundType; }
    QString foundSerialNumber() const { return m_foundSerial; }
    // The laser that was there before the port was lost.
    QString expectedSystemType() const { return m_expectedType; }
    QString expectedSerialNumber() const { return m_expectedSerial; }

    void setWatchInterval(int ms);
    // Replaces the system's list of serial ports; for tests.
    void setPortLister(PortLister lister) { m_listPorts = std::move(lister); }
    static QList<PortEntry> systemPorts();
    // Whether the named port is present now: a path is looked up in the file system, a plain name
    // among the ports the system lists. A network port (socket://HOST:PORT) counts as present: only
    // a connection attempt can tell.
    static bool portExists(const QString &portName);
    static QString stateName(State state);

public slots:
    // The operator's own requests, as they go to the link: a close asked for is never a loss, and a
    // port chosen anew accepts whatever laser answers there. Asking for the lost port while it is
    // still missing does not end the watch for it.
    void slotOpenRequested(QString portName);
    void slotCloseRequested();
    // Gives up waiting for a lost port.
    void cancel();

    void slotCommunicationOpened(QString portName);
    void slotCommunicationClosed(QString portName);
    void slotOpenFailed(QString portName, int error);
    void slotLineReceived(QByteArray line);
    void slotConnectedStatus(bool connected);
    void slotBytesTransmitted(QString label, QByteArray bytes);

signals:
    // Requests of this object's own: the reopen after a loss, and the close when another laser answers.
    void sigOpenCommunication(QString portName);
    void sigCloseCommunication();
    void sigDiscardQueuedCommands();

    void stateChanged(LumetraReconnector::State state);
    void identityChanged(QString systemType, QString serialNumber);
    // One line for the application log per change of state.
    void logLine(QString line);

private slots:
    void watchTick();
    void identifiedType(QString systemType);
    void identifiedSerial(QString serialNumber);

private:
    void setState(State state, const QString &logText);
    void startDecoder();
    bool checkIdentity(bool complete);
    // Whether the port is there: as portExists(), or listed by the port lister.
    bool isPresent(const QString &portName) const;
    void rememberAdapter();
    QString adapterLocation() const;
    static QString clock(const QDateTime &time);

    State m_state = State::Closed;
    QString m_portName;
    QDateTime m_since;
    // Milliseconds since the epoch, 0 for none: taken for every line, where a local QDateTime
    // would look up the time zone each time.
    qint64 m_lastLineMs = 0;

    QString m_systemType;
    QString m_serialNumber;
    // The laser that was connected before the loss; empty unless reconnecting.
    QString m_expectedType;
    QString m_expectedSerial;
    QString m_foundType;
    QString m_foundSerial;

    bool m_operatorClosing = false;
    bool m_rejecting = false;
    bool m_reopening = false;
    bool m_openPending = false;
    // The operator asked for the lost port while it was watched for; a failure returns to the watch.
    bool m_operatorRetry = false;

    // The USB adapter of the open port; empty serial number when it is none, or tells no serial number.
    PortEntry m_adapter;
    PortLister m_listPorts = &LumetraReconnector::systemPorts;

    QTimer *m_watch = nullptr;
    // Watch ticks to let pass before the next attempt on a lost network port, and the next spacing.
    int m_ticksToNextAttempt = 0;
    int m_retrySpacing = 1;
    QPointer<LumetraSerialHandler> m_link;
    QMetaObject::Connection m_transmitted;
    LumetraResponseDecoder *m_decoder = nullptr;
};
