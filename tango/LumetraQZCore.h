#pragma once

#include "tango/LumetraQZSnapshot.h"

#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class LumetraController;
class LumetraLaserModel;
class LumetraReconnector;
class LumetraSerialHandler;
class LumetraWriteAudit;
class QTimer;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraQZCore)

// The program's device core (link on its worker thread, decoder, controller) for one Tango device.
// It lives on its own event-loop thread. Tango's request threads reach it only through the
// thread-safe members: they read the last published snapshot and queue writes and commands, which the
// controller then turns into lines exactly as it does for the control panel.
class LumetraQZCore : public QObject
{
    Q_OBJECT
public:
    enum class Command
    {
        Standby,
        Listen,
        LaserOn,
        OutputEnable,
        OutputDisable,
        Reconnect
    };

    struct Settings
    {
        QString portPath;
        // How often a lost port is looked for again.
        int reconnectPeriodMs = 1000;
    };

    struct Change
    {
        std::shared_ptr<const LumetraQZSnapshot> snapshot;
        // The attributes whose value changed.
        std::vector<int> changed;
        bool stateChanged = false;
        bool rangesChanged = false;
        // Nothing changed: the periodic call on which values that stayed the same are due to an
        // archiver again.
        bool heartbeat = false;
    };
    // Called on the core's thread after every published change and on every heartbeat.
    using ChangeSink = std::function<void(const Change &change)>;

    enum class LogLevel
    {
        Info,
        Warning,
        Error
    };
    // What the core has to say about the link and the laser's refusals, for the server's log. Called on
    // the core's thread.
    using LogSink = std::function<void(LogLevel level, const std::string &text)>;

    // How often the sink hears a heartbeat: a value that stays the same is archived again within the
    // archive period plus this.
    static constexpr int HeartbeatMs = 5000;

    // Starts the threads and opens the port. The sinks are fixed for the core's life.
    static LumetraQZCore *start(const Settings &settings, ChangeSink sink, LogSink log);
    // Stops the link and both threads; the core is gone afterwards. Call from any other thread.
    void stop();

    // Thread-safe.
    std::shared_ptr<const LumetraQZSnapshot> snapshot() const;
    void write(LumetraQZAttributes::Id id, double value);
    void command(Command command);
    void sendRaw(const QByteArray &line);

    ~LumetraQZCore() override;

private:
    LumetraQZCore(const Settings &settings, ChangeSink sink, LogSink log);

    void setUp();
    void tearDown();
    void connectFeeds();
    void connectLink();

    void takeValue(int id);
    void takeRanges();
    void schedulePublish();
    void publish();
    void evaluateState();

    void onClosed();
    void onConnected(bool connected);
    void onStatusMessage(const QString &message);
    void onOpenFailed(const QString &port, int error);
    void onLine(const QByteArray &line);
    void onCommandDropped(const QString &command, const QString &reason);
    void setNotice(const QString &notice);
    void note(LogLevel level, const QString &text);
    void followAudit();
    void heartbeat();
    void markStale();
    void markCurrentChanged();
    void openPort();

    Settings m_settings;
    ChangeSink m_sink;
    LogSink m_log;
    QThread m_coreThread;
    QThread m_linkThread;

    QPointer<LumetraSerialHandler> m_handler;
    LumetraController *m_controller = nullptr;
    // The laser as the core knows it: every attribute's value, validity and range comes from here.
    LumetraLaserModel *m_model = nullptr;
    LumetraWriteAudit *m_audit = nullptr;
    // The program's rule for a port that goes away and returns: only the same laser takes over.
    LumetraReconnector *m_reconnector = nullptr;
    QTimer *m_publishTimer = nullptr;
    QTimer *m_heartbeatTimer = nullptr;
    // A port that is not there at start-up is tried again until it has been opened once.
    QTimer *m_firstOpenRetry = nullptr;

    LumetraQZSnapshot m_work;
    std::shared_ptr<const LumetraQZSnapshot> m_published;
    std::vector<int> m_changed;
    bool m_rangesChanged = false;

    bool m_openedOnce = false;
    // The laser answered at the last evaluation; a change either way re-marks every reading.
    bool m_wasLive = false;
    // Why the last open failed, while the port stays closed.
    QString m_openFailure;
    // What a client did that the laser refused or never got; told until the next client request.
    QString m_notice;
    // The last client request, named as the client gave it, for a refusal that answers it.
    QString m_lastRequest;
    QString m_lastMessage;
    // The state the laser last settled in, told while it changes to the next.
    LumetraQZSnapshot::State m_settledState = LumetraQZSnapshot::State::Off;
    QString m_settledWhat;
    QString m_reconnectorLine;
};
