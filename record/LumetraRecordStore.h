#pragma once

#include "device/LumetraEventText.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

Q_DECLARE_LOGGING_CATEGORY(lcLumetraRecordStore)

// One reading at one time. quantity is an index into LumetraRecordQuantities; t is UTC in ms.
struct RecordSample
{
    qint64 t = 0;
    int quantity = 0;
    double value = 0.0;
};

// One line of the event history. Raised alarms carry a key; a later clear or acknowledgement of the
// same key fills in the raised row's cleared and acknowledged fields.
struct RecordEvent
{
    enum Kind
    {
        Connection = 0,
        State = 1,
        Command = 2,
        AlarmRaised = 3,
        AlarmCleared = 4,
        AlarmAcknowledged = 5,
        Recorder = 6
    };
    enum Severity
    {
        Info = 0,
        Warning = 1,
        Error = 2
    };

    qint64 id = 0;
    qint64 t = 0;
    int kind = Connection;
    int severity = Info;
    QString alarmKey;
    // The English sentence; textKey is what it is translated from when shown (LumetraEventText), empty
    // in recordings made before keys were kept.
    QString text;
    QString textKey;
    QString source;
    qint64 clearedAt = 0;
    QString acknowledgedBy;
    qint64 acknowledgedAt = 0;
};

// A reduced stretch of one quantity: the lowest and highest value inside one pixel column, at the
// times they were first seen in it.
struct ReducedPoint
{
    qint64 t = 0;
    double min = 0.0;
    double max = 0.0;
};

// The recording of one laser in one SQLite file. Samples are stored as they come; a per-minute
// minimum/maximum table is kept alongside so that a week draws from ten thousand rows per quantity
// instead of six hundred thousand.
//
// A file is written only when it is one of ours: new, empty, or a database with our tables. Anything
// else under a recording's name (another program's database, a link, a device) is moved aside untouched
// like a damaged file, and a file deleted or moved away while it is being written is noticed before the
// next write and begun anew. What the store did on its own is kept as notices for the operator.
class LumetraRecordStore
{
    Q_DECLARE_TR_FUNCTIONS(LumetraRecordStore)

public:
    explicit LumetraRecordStore(const QString &connectionName);
    ~LumetraRecordStore();
    LumetraRecordStore(const LumetraRecordStore &) = delete;
    LumetraRecordStore &operator=(const LumetraRecordStore &) = delete;

    enum class OpenResult
    {
        Opened,
        MovedAside, // the file was damaged: it now has a ".damaged-<time>" name and a new one was begun
        Failed
    };
    // readOnly: for readers beside a running recorder (the command-line export); nothing is changed
    // and a damaged file is left where it is.
    OpenResult open(const QString &fileName, QString *error, bool readOnly = false);
    // For the recorder: opens the file fileForLaser() finds for this laser, and marks it as that laser's
    // so that the laser finds it again whatever else is in the folder.
    OpenResult openForLaser(const QString &folder, const QString &serialNumber, QString *error);
    // For a file found damaged while in use: closes it, moves it aside and begins a new one.
    OpenResult moveAsideAndReopen(QString *error);
    void close();
    bool isOpen() const { return m_open; }
    QString fileName() const { return m_fileName; }
    // Where the damaged (or not our) file went at the last MovedAside.
    QString movedAsideTo() const { return m_movedAsideTo; }
    // What the store did on its own since the last call that the operator must be told (a file moved
    // aside, a vanished file begun anew), oldest first, translated.
    QList<LumetraEventText> takeNotices();

    // One transaction. On failure nothing of the batch is kept; damaged is set when the file itself
    // is unreadable, so that the caller can begin a new one. A file no longer at its name is first
    // closed and begun anew under that name (a notice says so).
    bool write(const QVector<RecordSample> &samples, const QVector<RecordEvent> &events, QString *error,
               bool *damaged = nullptr);
    // Deletes at most maxRows of the oldest rows before `before` from each table; the number deleted.
    int prune(qint64 before, int maxRows);

    // Samples of one quantity in [from, to], with the last one before `from` in front so that a value
    // that has not changed since is known.
    QVector<RecordSample> samples(int quantity, qint64 from, qint64 to) const;
    // min/max per column of (to - from) / columns ms; from the minute table when a column is a minute
    // or longer.
    QVector<ReducedPoint> reduced(int quantity, qint64 from, qint64 to, int columns) const;
    // Quantities with at least one sample in [from, to].
    QVector<int> quantitiesWithData(qint64 from, qint64 to) const;
    // Newest first; alarmsOnly keeps raised alarms.
    QVector<RecordEvent> events(qint64 from, qint64 to, bool alarmsOnly, int limit = 5000) const;
    // Raised and not yet cleared, oldest first.
    QVector<RecordEvent> activeAlarms() const;

    // The folder the per-laser files live in, and the file of one laser in a folder. A serial number of
    // letters, digits, '-', '.' and '_' names its file as it is; any other gets a hash of itself
    // appended, so that two that differ only in what is not safe in a file name keep apart, unless the
    // file of the plain name is already that laser's (recordings made before hashes were appended).
    static QString defaultFolder();
    static QString fileForLaser(const QString &folder, const QString &serialNumber);
    // The name a laser is recorded and shown under: its serial number, or a stand-in that says it has
    // no usable one (empty, blank, or with a NUL the file name and the history cannot carry).
    static QString laserName(const QString &serialNumber);
    // The names of the files in a folder (a laser's serial number when it is safe as a file name).
    static QStringList lasersIn(const QString &folder);

    static constexpr qint64 minuteMs = 60 * 1000;

private:
    // What sits under a recording's name before it is opened for writing.
    enum class Kind
    {
        New,
        Ours,
        NotOurs,
        Damaged,
        Unreadable
    };
    // What is at fileName, looked at without following links or changing anything.
    static Kind inspect(const QString &fileName, const QString &connectionName, QString *error);
    OpenResult openAt(const QString &fileName, QString *error, bool readOnly);
    OpenResult moveAside(Kind kind, QString *error);
    bool stillInPlace() const;
    bool beginAnew(QString *error);
    void rememberIdentity();
    bool exec(const QString &sql, QString *error = nullptr);
    bool createSchema(QString *error);
    bool mapQuantities(QString *error);
    static bool isDamage(int nativeCode);
    OpenResult openFile(QString *error);

    QString m_connectionName;
    QString m_fileName;
    QString m_movedAsideTo;
    // The laser the file is marked as, for files opened by openForLaser().
    QString m_laserSerial;
    QList<LumetraEventText> m_notices;
    bool m_open = false;
    bool m_readOnly = false;
    // The event table has the text_key column (a file opened to read may be older).
    bool m_textKeys = false;
    // Device and inode of the open file, to notice it being deleted or replaced.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    // Database id of each quantity of the table, by table index.
    QVector<int> m_dbId;
};
