#pragma once

#include "app/record/LumetraRecordStore.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcLumetraRecorder)

class LumetraAlarmMonitor;
class LumetraResponseDecoder;
class LumetraSerialHandler;
class QTimer;

// Keeps every plottable reading and every event of the connected laser in that laser's file. A
// reading is kept when it changes, and again every heartbeat while it does not, so that a flat line
// is known to be flat rather than unrecorded. Writes go out in one transaction a second; while the
// file cannot be written the newest readings wait in memory, within a bound, and the recorder tries
// again. Needs no window.
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

    void setRetentionDays(int days);
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
    bool hasProblem() const { return m_problem; }
    int pendingSamples() const { return m_samples.size(); }
    qint64 droppedSamples() const { return m_dropped; }
    qint64 now() const { return m_clock(); }
    // Decoder quantities of the table no decoder signal feeds; empty when the table and the taps agree.
    QStringList untappedQuantities() const;

    static constexpr int defaultRetentionDays = 90;

public slots:
    void record(int quantity, double value);
    void recordEvent(RecordEvent event);
    void recordCommand(const QString &text, const QString &source);
    // A command typed in the serial monitor; the controller's copy of it is not recorded again.
    void recordManualCommand(const QByteArray &command);
    // A command the controller queues: the panel's, unless the serial monitor's copy or a query.
    void recordControllerCommand(const QString &command);
    void acknowledge(const QString &alarmKey, const QString &user);
    void slotSerialNumber(const QString &serial);
    void slotPortOpened(const QString &port);
    void slotPortClosed(const QString &port);
    void slotConnectedStatus(bool connected);
    void flush();

signals:
    // Said once when recording stops working, and once when it works again.
    void sigProblem(QString message);
    void sigRecovered(QString message);
    // Something the operator must know that is not a lasting problem (a damaged file replaced).
    void sigNotice(QString message);
    void sigWritten();
    void sigLaserChanged(QString serial);

private:
    template <typename T>
    void tap(LumetraResponseDecoder *decoder, void (LumetraResponseDecoder::*signal)(T), const char *key,
             double scale = 1.0);
    void heartbeat(qint64 t);
    void enforceBound();
    bool ensureOpen(qint64 t);
    void reportProblem(const QString &message);
    void announce(const QString &message);
    void prune(qint64 t);

    QString m_folder;
    LumetraRecordStore m_store;
    LumetraAlarmMonitor *m_alarms = nullptr;
    QTimer *m_flushTimer = nullptr;
    std::function<qint64()> m_clock;

    QString m_serial;
    bool m_connected = false;
    QString m_port;
    QVector<RecordSample> m_samples;
    QVector<RecordEvent> m_events;
    QVector<bool> m_tapped;

    // Last value and when it was last kept, by quantity; lastKept < 0 when there is none.
    QVector<double> m_lastValue;
    QVector<qint64> m_lastKept;
    int m_onHours = 0, m_onMinutes = 0, m_emissionHours = 0, m_emissionMinutes = 0;
    QStringList m_manualEcho;

    int m_retentionDays = defaultRetentionDays;
    qint64 m_heartbeatMs = 60 * 1000;
    qint64 m_retryMs = 10 * 1000;
    int m_memoryBound = 500000;
    qint64 m_retryAt = 0;
    qint64 m_nextPruneAt = 0;
    qint64 m_dropped = 0;
    bool m_problem = false;
    bool m_droppedSaid = false;
};
