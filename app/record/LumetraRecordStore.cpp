#include "app/record/LumetraRecordStore.h"

#include "app/record/LumetraRecordQuantities.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <limits>

Q_LOGGING_CATEGORY(lcLumetraRecordStore, "lumetra.record.store")

namespace {

const char *const fileSuffix = ".sqlite";

// SQLite's primary result codes for a file that is not (or no longer) a database.
constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

int nativeCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

QString describe(const QSqlError &error)
{
    return error.text().trimmed();
}

} // namespace

LumetraRecordStore::LumetraRecordStore(const QString &connectionName) : m_connectionName(connectionName) {}

LumetraRecordStore::~LumetraRecordStore()
{
    close();
}

QString LumetraRecordStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recordings");
}

QString LumetraRecordStore::fileForLaser(const QString &folder, const QString &serialNumber)
{
    // The serial number names the file: anything that is not safe in a file name on every system the
    // program runs on becomes '_', and an empty one still names a file.
    QString name;
    for (const QChar c : serialNumber.trimmed()) {
        const bool safe = (c.unicode() < 128 && c.isLetterOrNumber()) || c == '-' || c == '.' || c == '_';
        name += safe ? c : QChar('_');
    }
    if (name.isEmpty() || name.startsWith('.'))
        name.prepend(QStringLiteral("laser"));
    // File names end at 255 bytes, and a laser (or anything on the port) can answer with a longer serial
    // number. Its start stays readable; a hash of the whole keeps two such lasers apart.
    const int longestName = 100;
    if (name.size() > longestName) {
        const QByteArray hash =
            QCryptographicHash::hash(serialNumber.trimmed().toUtf8(), QCryptographicHash::Sha1).toHex();
        name = name.left(longestName - 17) + QLatin1Char('-') + QLatin1String(hash.left(16));
    }
    return QDir(folder).filePath(name + QLatin1String(fileSuffix));
}

QStringList LumetraRecordStore::lasersIn(const QString &folder)
{
    QStringList serials;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*") + fileSuffix}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        serials << file.left(file.size() - int(qstrlen(fileSuffix)));
    return serials;
}

LumetraRecordStore::OpenResult LumetraRecordStore::open(const QString &fileName, QString *error,
                                                        bool readOnly)
{
    close();
    m_fileName = fileName;
    m_movedAsideTo.clear();
    m_readOnly = readOnly;
    if (readOnly) {
        if (!QFileInfo::exists(fileName)) {
            if (error)
                *error = QStringLiteral("%1 does not exist").arg(fileName);
            return OpenResult::Failed;
        }
        QString readError;
        if (openFile(&readError) == OpenResult::Opened)
            return OpenResult::Opened;
        if (error)
            *error = readError;
        return OpenResult::Failed;
    }
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create folder %1").arg(folder);
        return OpenResult::Failed;
    }
    QString firstError;
    const OpenResult result = openFile(&firstError);
    if (result != OpenResult::MovedAside) {
        if (error)
            *error = firstError;
        return result;
    }
    qCWarning(lcLumetraRecordStore) << "damaged recording" << fileName << firstError;
    return moveAsideAndReopen(error);
}

LumetraRecordStore::OpenResult LumetraRecordStore::moveAsideAndReopen(QString *error)
{
    // Kept for whoever wants to rescue it, under a name that says what it is.
    const QString fileName = m_fileName;
    close();
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    m_movedAsideTo = fileName + QStringLiteral(".damaged-") + stamp;
    if (!QFile::rename(fileName, m_movedAsideTo)) {
        if (error)
            *error = QStringLiteral("damaged file %1 cannot be moved aside").arg(fileName);
        m_movedAsideTo.clear();
        return OpenResult::Failed;
    }
    for (const char *companion : {"-wal", "-shm"})
        QFile::remove(fileName + QLatin1String(companion));
    qCWarning(lcLumetraRecordStore) << "damaged recording moved to" << m_movedAsideTo;
    if (openFile(error) != OpenResult::Opened) {
        close();
        return OpenResult::Failed;
    }
    return OpenResult::MovedAside;
}

// Opened, Failed, or MovedAside meaning "damaged, not yet moved".
LumetraRecordStore::OpenResult LumetraRecordStore::openFile(QString *error)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(m_fileName);
        db.setConnectOptions(m_readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000;QSQLITE_OPEN_READONLY")
                                        : QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        if (!db.open()) {
            *error = describe(db.lastError());
            const bool damaged = isDamage(nativeCode(db.lastError()));
            db = QSqlDatabase();
            close();
            return damaged ? OpenResult::MovedAside : OpenResult::Failed;
        }
    }
    m_open = true;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    // WAL: a reader never waits for the writer and a killed program loses only the uncommitted batch.
    QSqlQuery journal(db);
    const bool ok = m_readOnly ? journal.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) &&
                                     mapQuantities(error)
                               : journal.exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
                                     exec(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
                                     createSchema(error) && mapQuantities(error);
    if (ok)
        return OpenResult::Opened;
    const QSqlError last = journal.lastError().isValid() ? journal.lastError() : db.lastError();
    if (error && error->isEmpty())
        *error = describe(last);
    const bool damaged = isDamage(nativeCode(last)) ||
                         (error && error->contains(QLatin1String("malformed"))) ||
                         (error && error->contains(QLatin1String("not a database")));
    close();
    return damaged ? OpenResult::MovedAside : OpenResult::Failed;
}

void LumetraRecordStore::close()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_open = false;
    m_dbId.clear();
}

bool LumetraRecordStore::isDamage(int code) const
{
    return code == sqliteCorrupt || code == sqliteNotADatabase;
}

bool LumetraRecordStore::exec(const QString &sql, QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (query.exec(sql))
        return true;
    if (error)
        *error = describe(query.lastError());
    return false;
}

bool LumetraRecordStore::createSchema(QString *error)
{
    const char *const statements[] = {
        "CREATE TABLE IF NOT EXISTS quantity(id INTEGER PRIMARY KEY, key TEXT UNIQUE NOT NULL)",
        // Keyed by quantity and time and nothing else: the key is the only index, which halves the file
        // against a row table with an index beside it. Two readings of one quantity in the same
        // millisecond keep the later.
        "CREATE TABLE IF NOT EXISTS sample(q INTEGER NOT NULL, t INTEGER NOT NULL, v REAL, PRIMARY KEY(q, t))"
        " WITHOUT ROWID",
        "CREATE TABLE IF NOT EXISTS minute(q INTEGER NOT NULL, m INTEGER NOT NULL, vmin REAL, vmax REAL,"
        " tmin INTEGER, PRIMARY KEY(q, m)) WITHOUT ROWID",
        "CREATE TABLE IF NOT EXISTS event(id INTEGER PRIMARY KEY, t INTEGER NOT NULL, kind INTEGER NOT NULL,"
        " severity INTEGER NOT NULL, alarm_key TEXT, text TEXT, source TEXT, cleared_at INTEGER,"
        " ack_by TEXT, ack_at INTEGER)",
        "CREATE INDEX IF NOT EXISTS event_t ON event(t)",
        "CREATE INDEX IF NOT EXISTS event_open ON event(alarm_key) WHERE kind = 3 AND cleared_at IS NULL",
    };
    for (const char *sql : statements) {
        if (!exec(QString::fromLatin1(sql), error))
            return false;
    }
    // Alarms still open in the file were open when the program last ended; whether they still hold is
    // known only from the laser, which raises them again. They end with the last thing recorded.
    return exec(QStringLiteral("UPDATE event SET cleared_at = (SELECT max(t) FROM event) "
                               "WHERE kind = 3 AND cleared_at IS NULL"),
                error);
}

bool LumetraRecordStore::mapQuantities(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT OR IGNORE INTO quantity(key) VALUES(?)"));
    QSqlQuery select(db);
    select.prepare(QStringLiteral("SELECT id FROM quantity WHERE key = ?"));
    m_dbId.fill(-1, LumetraRecordQuantities::count());
    for (int i = 0; i < LumetraRecordQuantities::count(); ++i) {
        const QString key = QString::fromLatin1(LumetraRecordQuantities::at(i).key);
        insert.addBindValue(key);
        select.addBindValue(key);
        if (m_readOnly) {
            // A key the file has never seen has no rows in it either.
            if (select.exec() && select.next())
                m_dbId[i] = select.value(0).toInt();
            continue;
        }
        if (!insert.exec() || !select.exec() || !select.next()) {
            if (error)
                *error = describe(insert.lastError().isValid() ? insert.lastError() : select.lastError());
            return false;
        }
        m_dbId[i] = select.value(0).toInt();
    }
    return true;
}

bool LumetraRecordStore::write(const QVector<RecordSample> &samples, const QVector<RecordEvent> &events,
                               QString *error, bool *damaged)
{
    if (damaged)
        *damaged = false;
    if (!m_open) {
        if (error)
            *error = QStringLiteral("no recording file is open");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlError failure;
    if (!db.transaction()) {
        failure = db.lastError();
    } else {
        QSqlQuery sample(db);
        QSqlQuery minute(db);
        QSqlQuery event(db);
        QSqlQuery clear(db);
        QSqlQuery ack(db);
        bool ok =
            sample.prepare(QStringLiteral("INSERT OR REPLACE INTO sample(t, q, v) VALUES(?, ?, ?)")) &&
            minute.prepare(
                QStringLiteral("INSERT INTO minute(q, m, vmin, vmax, tmin) VALUES(?, ?, ?, ?, ?) "
                               "ON CONFLICT(q, m) DO UPDATE SET vmin = min(vmin, excluded.vmin), "
                               "vmax = max(vmax, excluded.vmax), tmin = min(tmin, excluded.tmin)")) &&
            event.prepare(QStringLiteral("INSERT INTO event(t, kind, severity, alarm_key, text, source) "
                                         "VALUES(?, ?, ?, ?, ?, ?)")) &&
            clear.prepare(QStringLiteral("UPDATE event SET cleared_at = ? WHERE kind = 3 AND "
                                         "alarm_key = ? AND cleared_at IS NULL")) &&
            ack.prepare(QStringLiteral("UPDATE event SET ack_by = ?, ack_at = ? WHERE kind = 3 AND "
                                       "alarm_key = ? AND ack_by IS NULL"));
        QSqlQuery *failed = ok ? nullptr : &sample;
        for (int i = 0; ok && i < samples.size(); ++i) {
            const RecordSample &s = samples[i];
            const int q = m_dbId.value(s.quantity, -1);
            if (q < 0)
                continue;
            sample.bindValue(0, s.t);
            sample.bindValue(1, q);
            sample.bindValue(2, s.value);
            minute.bindValue(0, q);
            minute.bindValue(1, s.t / minuteMs);
            minute.bindValue(2, s.value);
            minute.bindValue(3, s.value);
            minute.bindValue(4, s.t);
            if (!sample.exec())
                failed = &sample;
            else if (!minute.exec())
                failed = &minute;
            ok = failed == nullptr;
        }
        for (int i = 0; ok && i < events.size(); ++i) {
            const RecordEvent &e = events[i];
            event.bindValue(0, e.t);
            event.bindValue(1, e.kind);
            event.bindValue(2, e.severity);
            event.bindValue(3, e.alarmKey.isEmpty() ? QVariant(QVariant::String) : QVariant(e.alarmKey));
            event.bindValue(4, e.text);
            event.bindValue(5, e.source);
            if (!event.exec()) {
                failed = &event;
            } else if (e.kind == RecordEvent::AlarmCleared) {
                clear.bindValue(0, e.t);
                clear.bindValue(1, e.alarmKey);
                if (!clear.exec())
                    failed = &clear;
            } else if (e.kind == RecordEvent::AlarmAcknowledged) {
                ack.bindValue(0, e.source);
                ack.bindValue(1, e.t);
                ack.bindValue(2, e.alarmKey);
                if (!ack.exec())
                    failed = &ack;
            }
            ok = failed == nullptr;
        }
        if (ok && db.commit())
            return true;
        failure = failed ? failed->lastError() : db.lastError();
        db.rollback();
    }
    if (error)
        *error = describe(failure);
    if (damaged)
        *damaged = isDamage(nativeCode(failure));
    return false;
}

int LumetraRecordStore::prune(qint64 before, int maxRows)
{
    if (!m_open)
        return 0;
    // One quantity at a time along the key, so that each step reads only what it deletes and never
    // holds the file for long.
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    int deleted = 0;
    QSqlQuery sample(db);
    sample.prepare(QStringLiteral("DELETE FROM sample WHERE q = ? AND t IN "
                                  "(SELECT t FROM sample WHERE q = ? AND t < ? ORDER BY t LIMIT ?)"));
    QSqlQuery minute(db);
    minute.prepare(QStringLiteral("DELETE FROM minute WHERE q = ? AND m IN "
                                  "(SELECT m FROM minute WHERE q = ? AND m < ? ORDER BY m LIMIT ?)"));
    for (int q : qAsConst(m_dbId)) {
        if (q < 0 || deleted >= maxRows)
            continue;
        for (const qint64 value : {qint64(q), qint64(q), before, qint64(maxRows - deleted)})
            sample.addBindValue(value);
        if (sample.exec())
            deleted += sample.numRowsAffected();
        for (const qint64 value : {qint64(q), qint64(q), before / minuteMs, qint64(maxRows)})
            minute.addBindValue(value);
        if (minute.exec())
            deleted += minute.numRowsAffected();
    }
    QSqlQuery event(db);
    // Alarms that still hold are kept however old they are.
    event.prepare(QStringLiteral("DELETE FROM event WHERE id IN (SELECT id FROM event WHERE t < ? AND "
                                 "NOT (kind = 3 AND cleared_at IS NULL) ORDER BY id LIMIT ?)"));
    event.addBindValue(before);
    event.addBindValue(maxRows);
    if (event.exec())
        deleted += event.numRowsAffected();
    return deleted;
}

QVector<RecordSample> LumetraRecordStore::samples(int quantity, qint64 from, qint64 to) const
{
    QVector<RecordSample> result;
    const int q = m_dbId.value(quantity, -1);
    if (!m_open || q < 0)
        return result;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Qt's positional binding counts every placeholder: each value is bound where it is used.
    query.prepare(QStringLiteral(
        "SELECT t, v FROM (SELECT t, v FROM sample WHERE q = ? AND t < ? "
        "ORDER BY t DESC LIMIT 1) UNION ALL "
        "SELECT * FROM (SELECT t, v FROM sample WHERE q = ? AND t BETWEEN ? AND ? ORDER BY t)"));
    for (const qint64 value : {qint64(q), from, qint64(q), from, to})
        query.addBindValue(value);
    if (!query.exec()) {
        qCWarning(lcLumetraRecordStore) << "reading samples:" << query.lastError().text();
        return result;
    }
    while (query.next())
        result.push_back({query.value(0).toLongLong(), quantity, query.value(1).toDouble()});
    return result;
}

QVector<ReducedPoint> LumetraRecordStore::reduced(int quantity, qint64 from, qint64 to, int columns) const
{
    QVector<ReducedPoint> result;
    const int q = m_dbId.value(quantity, -1);
    if (!m_open || q < 0 || to <= from || columns <= 0)
        return result;
    const qint64 column = std::max<qint64>(1, (to - from) / columns);
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);

    // The value held when the span begins, so that a line that has not changed since is drawn.
    QSqlQuery before(db);
    before.prepare(QStringLiteral("SELECT v FROM sample WHERE q = ? AND t < ? ORDER BY t DESC LIMIT 1"));
    before.addBindValue(q);
    before.addBindValue(from);
    if (before.exec() && before.next()) {
        const double v = before.value(0).toDouble();
        result.push_back({from, v, v});
    }

    // Rows come in index order, so columns are folded here as they pass: SQLite would sort them to
    // group them.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (column >= minuteMs) {
        query.prepare(QStringLiteral(
            "SELECT tmin, vmin, vmax FROM minute WHERE q = ? AND m BETWEEN ? AND ? ORDER BY m"));
        for (const qint64 value : {qint64(q), from / minuteMs, to / minuteMs})
            query.addBindValue(value);
    } else {
        query.prepare(
            QStringLiteral("SELECT t, v, v FROM sample WHERE q = ? AND t BETWEEN ? AND ? ORDER BY t"));
        for (const qint64 value : {qint64(q), from, to})
            query.addBindValue(value);
    }
    if (!query.exec()) {
        qCWarning(lcLumetraRecordStore) << "reducing samples:" << query.lastError().text();
        return result;
    }
    qint64 currentColumn = std::numeric_limits<qint64>::min();
    while (query.next()) {
        const qint64 t = query.value(0).toLongLong();
        const double low = query.value(1).toDouble();
        const double high = query.value(2).toDouble();
        const qint64 c = (t - from) / column;
        if (c != currentColumn || result.isEmpty()) {
            result.push_back({t, low, high});
            currentColumn = c;
        } else {
            ReducedPoint &p = result.last();
            p.min = std::min(p.min, low);
            p.max = std::max(p.max, high);
        }
    }
    return result;
}

QVector<int> LumetraRecordStore::quantitiesWithData(qint64 from, qint64 to) const
{
    QVector<int> result;
    if (!m_open)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("SELECT 1 FROM sample WHERE q = ? AND t BETWEEN ? AND ? LIMIT 1"));
    for (int i = 0; i < m_dbId.size(); ++i) {
        query.bindValue(0, m_dbId[i]);
        query.bindValue(1, from);
        query.bindValue(2, to);
        if (query.exec() && query.next())
            result << i;
    }
    return result;
}

namespace {

RecordEvent eventFrom(const QSqlQuery &query)
{
    RecordEvent e;
    e.id = query.value(0).toLongLong();
    e.t = query.value(1).toLongLong();
    e.kind = query.value(2).toInt();
    e.severity = query.value(3).toInt();
    e.alarmKey = query.value(4).toString();
    e.text = query.value(5).toString();
    e.source = query.value(6).toString();
    e.clearedAt = query.value(7).toLongLong();
    e.acknowledgedBy = query.value(8).toString();
    e.acknowledgedAt = query.value(9).toLongLong();
    return e;
}

const char *const eventColumns = "SELECT id, t, kind, severity, alarm_key, text, source, cleared_at, ack_by, "
                                 "ack_at FROM event ";

} // namespace

QVector<RecordEvent> LumetraRecordStore::events(qint64 from, qint64 to, bool alarmsOnly, int limit) const
{
    QVector<RecordEvent> result;
    if (!m_open)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    query.prepare(QLatin1String(eventColumns) +
                  QLatin1String(alarmsOnly
                                    ? "WHERE t BETWEEN ? AND ? AND kind = 3 ORDER BY t DESC, id DESC LIMIT ?"
                                    : "WHERE t BETWEEN ? AND ? ORDER BY t DESC, id DESC LIMIT ?"));
    query.addBindValue(from);
    query.addBindValue(to);
    query.addBindValue(limit);
    if (query.exec()) {
        while (query.next())
            result << eventFrom(query);
    }
    return result;
}

QVector<RecordEvent> LumetraRecordStore::activeAlarms() const
{
    QVector<RecordEvent> result;
    if (!m_open)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    if (query.exec(QLatin1String(eventColumns) +
                   QLatin1String("WHERE kind = 3 AND cleared_at IS NULL ORDER BY t, id"))) {
        while (query.next())
            result << eventFrom(query);
    }
    return result;
}
