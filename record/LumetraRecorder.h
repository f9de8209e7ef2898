#pragma once

#include "device/LumetraEventText.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraWriteAudit.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecordStore.h"
#include "record/LumetraSampleKeeper.h"

#include <QHash>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcLumetraRecorder)

class LumetraAlarmMonitor;
class LumetraLaserModel;
class LumetraResponseDecoder;
class LumetraSerialHandler;
class QTimer;

// Keeps every plottable reading and every event of the connected laser in that laser's file. Which
// readings are history is LumetraSampleKeeper's decision; a value is kept again each heartbeat only
// while the link is up, and a closed or lost link ends every series on its last reading.
// Writes go out in one transaction a second; while a file cannot be written the newest readings wait
// in memory, within a bound, marked with the laser they came from, and the recorder tries again.
// Needs no window.
class LumetraRecorder : public QObject
{
    Q_OBJECT
public:
    // folder: where the per-laser files are kept (LumetraRecordStore::defaultFolder() in the program).
    explicit LumetraRecorder(const QString &folder, QObject *parent = nullptr);
    ~LumetraRecorder() override;

    // Readings, state changes and alarms of this decoder.
    void attachDecoder(LumetraResponseDecoder *decoder);
    // Port opened, identified, lost and closed.
    void attachLink(LumetraSerialHandler *link);
    // The link's events and its lines, read by a decoder of the recorder's own: the recording then
    // depends on no controller or window and sees exactly what the laser sent.
    void attachLinkAndDecode(LumetraSerialHandler *link);
    // The watch over the same link, which knows why a port closed (the operator, a lost device, another
    // laser where the lost one was expected). Attach it to the link before the recorder, so that it has
    // judged a close before the recorder hears of it.
    void followConnection(LumetraReconnector *watch);
    // Who changed the laser: with an audit, each write is one row with its source, old and new value and
    // outcome, in place of the command rows the recorder keeps without one.
    void followAudit(LumetraWriteAudit *audit);

    // A whole number of days from 1 to maxRetentionDays, as a number or as text. Anything else is
    // refused: said in the log and by sigNotice, and the days kept so far hold. False when refused.
    bool setRetentionDays(const QVariant &days);
    int retentionDays() const { return m_retentionDays; }
    void setHeartbeatMs(qint64 ms) { m_heartbeatMs = ms; }
    void setRetryMs(qint64 ms) { m_retryMs = ms; }
    // Readings kept in memory while the file cannot be written; the oldest go first.
    void setMemoryBound(int samples) { m_memoryBound = samples; }
    // Time source in UTC ms; tests move time by hand.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    // 0 stops the flush timer (tests call flush() themselves).
    void setFlushIntervalMs(int ms);

    QString folder() const { return m_folder; }
    QString laserSerial() const { return m_serial; }
    // Open while a laser is identified and its file writable; the docks read through it.
    const LumetraRecordStore &store() const { return m_store; }
    LumetraAlarmMonitor *alarms() const { return m_alarms; }
    // What the recorder stores: every change of a quantity it holds is a sample.
    LumetraLaserModel *model() const { return m_model; }
    bool hasProblem() const { return !m_troubled.isEmpty(); }
    int pendingSamples() const;
    qint64 droppedSamples() const;
    qint64 now() const { return m_clock(); }
    // Who reports on the laser of the link: the laser, and the harmonic module it said is fitted.
    LumetraRecordQuantities::Reporters reporters() const { return m_reporters; }
    // The laser's own readings in the table (not the controller's, keyed "ctl.") that the model's
    // decoder feed leaves empty; empty when the table and the feed agree.
    QStringList untappedQuantities() const;

    static constexpr int defaultRetentionDays = 90;
    static constexpr int maxRetentionDays = 36500;
    // The days a retention setting stands for, or 0 with the reason in *refusal when it stands for
    // none: only a whole number of days from 1 to maxRetentionDays is one.
    static int retentionDaysFrom(const QVariant &value, QString *refusal);

public slots:
    // A line from the laser: it answered at this time.
    void slotLineReceived();
    void record(int quantity, double value);
    void recordEvent(RecordEvent event);
    void recordCommand(const QString &text, const QString &source);
    // A write whose outcome the audit knows, at the time it was given.
    void recordWrite(const LumetraWriteAudit::Write &write);
    // A command typed in the serial monitor; the controller's copy of it is not recorded again. Typed
    // while the link has no port open, it is recorded as not sent and the operator is told (sigNotice).
    void recordManualCommand(const QByteArray &command);
    // A command the controller queues: the panel's, unless the serial monitor's copy or a query.
    void recordControllerCommand(const QString &command);
    // A command the link gave up without sending: the history must not read as if the laser got it.
    // `reasonKey` is the reason as a LumetraEventText key; without one the reason is kept as it is.
    void recordDroppedCommand(const QString &command, const QString &reason,
                              const QString &reasonKey = QString());
    void acknowledge(const QString &alarmKey, const QString &user);
    void slotSerialNumber(const QString &serial);
    void slotPortOpened(const QString &port);
    void slotPortClosed(const QString &port);
    void slotConnectedStatus(bool connected);
    void flush();

signals:
    // Said once when a laser's file stops taking its recording, and once when it has taken what waited.
    void sigProblem(QString message);
    void sigRecovered(QString message);
    // Something the operator must know that is not a lasting problem (a damaged file replaced).
    void sigNotice(QString message);
    void sigWritten();
    void sigLaserChanged(QString serial);
    void sigReportersChanged();

private:
    // What waits for one laser's file, in the order it came. serial is empty while the laser on the
    // link is not yet identified; only the newest batch can be so.
    struct Pending
    {
        QString serial;
        QVector<RecordSample> samples;
        QVector<RecordEvent> events;
        bool isEmpty() const { return samples.isEmpty() && events.isEmpty(); }
    };

    void recordChanges(const QSet<int> &ids);
    void enforceBound();
    void endLink();
    void followModule();
    void setReporters(LumetraRecordQuantities::Reporters reporters);
    void recordLastReport(LumetraReconnector::State link);
    void recordConnection(int severity, const LumetraEventText &text, const QString &port);
    void recordOtherLaser(const QString &port);
    // A text of this class, kept with its key so that it is read in the language in use.
    static LumetraEventText says(const char *source);
    void identify(const QString &serial);
    Pending &batchOf(const QString &serial);
    void compact();
    bool writePending(const QString &serial, qint64 t);
    bool ensureOpen(LumetraRecordStore &store, const QString &serial, qint64 t);
    void reportProblem(const QString &serial, const QString &message);
    void announceNotices(LumetraRecordStore &store, const QString &serial);
    void announce(const QString &serial, const LumetraEventText &text);
    void prune(qint64 t);

    QString m_folder;
    LumetraRecordStore m_store;
    LumetraAlarmMonitor *m_alarms = nullptr;
    LumetraLaserModel *m_model = nullptr;
    QTimer *m_flushTimer = nullptr;
    std::function<qint64()> m_clock;

    QString m_serial;
    bool m_connected = false;
    // The laser on the link said its serial number since the link last ended.
    bool m_identified = false;
    qint64 m_lastReadingAt = 0;
    // The laser identified on the port now open; empty before it says its serial number.
    QString m_linkLaser;
    QString m_port;
    QPointer<LumetraReconnector> m_watch;
    QPointer<LumetraWriteAudit> m_audit;
    // Attached to a link, which says when a port is open; without one, commands are taken as sent.
    bool m_linked = false;
    // Oldest first, never empty; the newest takes what comes in.
    QVector<Pending> m_pending;
    LumetraRecordQuantities::Reporters m_reporters = LumetraRecordQuantities::Laser;

    LumetraSampleKeeper m_keeper;
    QStringList m_manualEcho;

    int m_retentionDays = defaultRetentionDays;
    // The link's own events bound every series; the heartbeat only bounds what a crash could leave
    // unsaid. Once noise is not kept, a beat a minute of every flat value would be most of a night's file.
    qint64 m_heartbeatMs = 10 * 60 * 1000;
    qint64 m_retryMs = 10 * 1000;
    int m_memoryBound = 500000;
    // By serial number: when its file is tried again, and readings dropped since it last took its data.
    QHash<QString, qint64> m_retryAt;
    QHash<QString, qint64> m_dropped;
    // Lasers whose file's failure was reported and whose data has not been written since.
    QSet<QString> m_troubled;
    qint64 m_nextPruneAt = 0;
    bool m_droppedSaid = false;
};
