#include "record/LumetraRecordStore.h"

#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecordSchema.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#endif

Q_LOGGING_CATEGORY(lcLumetraRecordStore, "lumetra.record.store")

namespace {

const char *const fileSuffix = ".sqlite";
const char *const standInName = "unknown-serial";
// File names end at 255 bytes; a name stays well inside that whatever the laser answers.
constexpr int longestName = 100;
constexpr int hashDigits = 8;

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

// Safe in a file name on every system the program runs on.
bool isSafe(QChar c)
{
    return (c.unicode() < 128 && c.isLetterOrNumber()) || c == '-' || c == '.' || c == '_';
}

QString shortHash(const QString &text, int digits)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(digits));
}

// The name every file had before names carried a hash of an unsafe serial number: what is not safe
// becomes '_', and an overlong one keeps its start and a hash of the whole.
QString plainName(const QString &serial)
{
    QString name;
    for (const QChar c : serial)
        name += isSafe(c) ? c : QChar('_');
    if (name.isEmpty() || name.startsWith('.'))
        name.prepend(QStringLiteral("laser"));
    if (name.size() > longestName)
        name = name.left(longestName - 17) + QLatin1Char('-') + shortHash(serial, 16);
    return name;
}

// Unique per call, for the short looks into files that static functions take.
QString peekConnection()
{
    static QAtomicInt counter;
    return QStringLiteral("lumetra-record-peek-%1").arg(counter.fetchAndAddRelaxed(1));
}

struct FileStatus
{
    bool exists = false;
    bool regular = false;
    qint64 size = 0;
    quint64 device = 0;
    quint64 inode = 0;
    QString error;
};

// What is at a path itself, never what a link there points to.
FileStatus statusOf(const QString &path)
{
    FileStatus status;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno != ENOENT)
            status.error = QString::fromLocal8Bit(std::strerror(errno));
        return status;
    }
    status.exists = true;
    status.regular = S_ISREG(st.st_mode);
    status.size = st.st_size;
    status.device = quint64(st.st_dev);
    status.inode = quint64(st.st_ino);
#else
    const QFileInfo info(path);
    status.exists = info.exists() || info.isSymLink();
    status.regular = info.isFile() && !info.isSymLink();
    status.size = info.size();
#endif
    return status;
}

// Renames the entry itself: a link moves as a link. QFile::rename would copy a file it cannot rename,
// and copying a link to a device would never end.
bool renameEntry(const QString &from, const QString &to)
{
#ifdef Q_OS_UNIX
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    return QFile::rename(from, to);
#endif
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

QString LumetraRecordStore::laserName(const QString &serialNumber)
{
    const QString serial = serialNumber.trimmed();
    const int nul = serial.indexOf(QChar(0));
    if (nul < 0)
        return serial.isEmpty() ? QString::fromLatin1(standInName) : serial;
    // Text after a NUL is lost in many places on its way to the operator; the hash keeps two such
    // lasers apart.
    QString before = serial.left(nul).trimmed();
    if (before.isEmpty())
        before = QString::fromLatin1(standInName);
    return before + QLatin1Char('-') + shortHash(serial, hashDigits);
}

QString LumetraRecordStore::fileForLaser(const QString &folder, const QString &serialNumber)
{
    const QString serial = serialNumber.trimmed();
    const QString plain = plainName(serial);
    const QDir dir(folder);
    const bool allSafe =
        !serial.isEmpty() && !serial.startsWith('.') && std::all_of(serial.cbegin(), serial.cend(), isSafe);
    if (allSafe)
        return dir.filePath(plain + QLatin1String(fileSuffix));
    const QString hashed = dir.filePath(plain.left(longestName - hashDigits - 1) + QLatin1Char('-') +
                                        shortHash(serial, hashDigits) + QLatin1String(fileSuffix));
    if (statusOf(hashed).exists)
        return hashed;
    // A recording of the plain name is this laser's when it says so, or when it is unmarked and not
    // that of the laser whose serial number is the plain name itself (which said so when identified).
    const QString legacy = dir.filePath(plain + QLatin1String(fileSuffix));
    const FileStatus status = statusOf(legacy);
    if (!status.exists || !status.regular)
        return hashed;
    bool ours = status.size == 0;
    if (!ours) {
        const QString connection = peekConnection();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(legacy);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000;QSQLITE_OPEN_READONLY"));
            if (db.open()) {
                QSqlQuery query(db);
                if (query.exec(
                        QStringLiteral("SELECT value FROM meta WHERE key = 'serial' AND value != ''")) &&
                    query.next()) {
                    ours = query.value(0).toString() == serial;
                } else {
                    query.prepare(QStringLiteral(
                        "SELECT 1 FROM event WHERE kind = 0 AND instr(text, ' ' || ?) > 0 LIMIT 1"));
                    query.addBindValue(plain);
                    ours = query.exec() && !query.next();
                }
            }
        }
        QSqlDatabase::removeDatabase(connection);
    }
    return ours ? legacy : hashed;
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

QList<LumetraEventText> LumetraRecordStore::takeNotices()
{
    QList<LumetraEventText> notices;
    notices.swap(m_notices);
    return notices;
}

LumetraRecordStore::OpenResult LumetraRecordStore::open(const QString &fileName, QString *error,
                                                        bool readOnly)
{
    m_laserSerial.clear();
    return openAt(fileName, error, readOnly);
}

LumetraRecordStore::OpenResult LumetraRecordStore::openForLaser(const QString &folder,
                                                                const QString &serialNumber, QString *error)
{
    const QString fileName = fileForLaser(folder, serialNumber);
    m_laserSerial = serialNumber.trimmed();
    return openAt(fileName, error, false);
}

LumetraRecordStore::OpenResult LumetraRecordStore::openAt(const QString &fileName, QString *error,
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
        // A file no writer has opened since its units changed is brought up to date before it is read;
        // where that cannot be done it is read as it is.
        QString readError;
        if (!LumetraRecordSchema::migrateFile(fileName, &readError))
            qCWarning(lcLumetraRecordStore).noquote() << fileName << readError;
        readError.clear();
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
    // Looked at before SQLite opens it: SQLite follows links, and opening another program's database
    // for writing may already change it.
    QString why;
    const Kind kind = inspect(fileName, m_connectionName + QStringLiteral("-check"), &why);
    if (kind == Kind::Unreadable) {
        if (error)
            *error = why;
        return OpenResult::Failed;
    }
    if (kind == Kind::NotOurs || kind == Kind::Damaged) {
        qCWarning(lcLumetraRecordStore)
            << (kind == Kind::Damaged ? "damaged recording" : "not a recording") << fileName << why;
        return moveAside(kind, error);
    }
    QString firstError;
    const OpenResult result = openFile(&firstError);
    if (result == OpenResult::Opened)
        rememberIdentity();
    if (result != OpenResult::MovedAside) {
        if (error)
            *error = firstError;
        return result;
    }
    qCWarning(lcLumetraRecordStore) << "damaged recording" << fileName << firstError;
    return moveAside(Kind::Damaged, error);
}

LumetraRecordStore::Kind LumetraRecordStore::inspect(const QString &fileName, const QString &connectionName,
                                                     QString *error)
{
    const FileStatus status = statusOf(fileName);
    if (!status.error.isEmpty()) {
        *error = status.error;
        return Kind::Unreadable;
    }
    if (!status.exists)
        return Kind::New;
    if (!status.regular) {
        *error = QStringLiteral("a link or special file");
        return Kind::NotOurs;
    }
    if (status.size == 0)
        return Kind::New;
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return Kind::Unreadable;
        }
        if (file.read(16) != QByteArray("SQLite format 3", 16)) {
            *error = QStringLiteral("not a database");
            return Kind::Damaged;
        }
    }
    Kind kind = Kind::Ours;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(fileName);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000;QSQLITE_OPEN_READONLY"));
        QSqlError failure;
        if (!db.open()) {
            failure = db.lastError();
        } else {
            QSqlQuery query(db);
            QStringList tables;
            if (query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                          "name NOT LIKE 'sqlite%'"))) {
                while (query.next())
                    tables << query.value(0).toString();
            } else {
                failure = query.lastError();
            }
            QString format;
            if (!failure.isValid() && tables.contains(QStringLiteral("meta")) &&
                query.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'format'")) && query.next())
                format = query.value(0).toString();
            // Recordings made before the marker are known by their tables.
            for (const QString &table : qAsConst(tables)) {
                if (failure.isValid() || kind != Kind::Ours ||
                    format == QLatin1String(LumetraRecordSchema::formatMarker()))
                    break;
                QStringList columns;
                QString quoted = table;
                quoted.replace('"', QLatin1String("\"\""));
                if (query.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted))) {
                    while (query.next())
                        columns << query.value(1).toString();
                }
                if (!LumetraRecordSchema::isOurTable(table, columns))
                    kind = Kind::NotOurs;
            }
            if (!format.isEmpty() && format != QLatin1String(LumetraRecordSchema::formatMarker()))
                kind = Kind::NotOurs;
            if (kind == Kind::NotOurs)
                *error = QStringLiteral("a database of another kind");
        }
        if (failure.isValid()) {
            *error = describe(failure);
            kind = isDamage(nativeCode(failure)) ? Kind::Damaged : Kind::Unreadable;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return kind;
}

LumetraRecordStore::OpenResult LumetraRecordStore::moveAsideAndReopen(QString *error)
{
    return moveAside(Kind::Damaged, error);
}

LumetraRecordStore::OpenResult LumetraRecordStore::moveAside(Kind kind, QString *error)
{
    // Kept for whoever wants to rescue it, under a name that says what it is.
    const QString fileName = m_fileName;
    close();
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString aside = fileName + QStringLiteral(".damaged-") + stamp;
    m_movedAsideTo = aside;
    for (int n = 2; statusOf(m_movedAsideTo).exists; ++n)
        m_movedAsideTo = aside + QLatin1Char('-') + QString::number(n);
    if (!renameEntry(fileName, m_movedAsideTo)) {
        if (error)
            *error = QStringLiteral("damaged file %1 cannot be moved aside").arg(fileName);
        m_movedAsideTo.clear();
        return OpenResult::Failed;
    }
    // Its journal goes with it: left under the name, SQLite would read it into the new file.
    for (const char *companion : {"-wal", "-shm", "-journal"}) {
        if (statusOf(fileName + QLatin1String(companion)).exists)
            renameEntry(fileName + QLatin1String(companion), m_movedAsideTo + QLatin1String(companion));
    }
    qCWarning(lcLumetraRecordStore) << "moved aside to" << m_movedAsideTo;
    // Kept as keyed texts: the history tells them in the language of whoever reads it.
    m_notices
        << LumetraEventText(
               "LumetraRecordStore",
               kind == Kind::Damaged
                   ? QT_TR_NOOP("The recording %1 was damaged. It was moved to %2 and a new one begun.")
                   : QT_TR_NOOP(
                         "%1 is not a recording of this program. It was moved to %2 and a new one begun."))
               .arg(fileName)
               .arg(m_movedAsideTo);
    if (openFile(error) != OpenResult::Opened) {
        close();
        return OpenResult::Failed;
    }
    rememberIdentity();
    return OpenResult::MovedAside;
}

bool LumetraRecordStore::beginAnew(QString *error)
{
    // Whatever the file still holds goes where the file went, so that a moved recording is whole and no
    // journal of it is left under the name to be read into the new one.
    const QString fileName = m_fileName;
    qCWarning(lcLumetraRecordStore) << "recording no longer at" << fileName;
    exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    close();
    const FileStatus wal = statusOf(fileName + QStringLiteral("-wal"));
    if (!wal.exists || (wal.regular && wal.size == 0)) {
        QFile::remove(fileName + QStringLiteral("-wal"));
        QFile::remove(fileName + QStringLiteral("-shm"));
    }
    m_notices
        << LumetraEventText(
               "LumetraRecordStore",
               QT_TR_NOOP(
                   "The recording %1 was deleted or moved away while in use. A new one was begun under the "
                   "same name."))
               .arg(fileName);
    return openAt(fileName, error, false) != OpenResult::Failed;
}

void LumetraRecordStore::rememberIdentity()
{
    const FileStatus status = statusOf(m_fileName);
    m_device = status.device;
    m_inode = status.inode;
}

bool LumetraRecordStore::stillInPlace() const
{
    const FileStatus status = statusOf(m_fileName);
#ifdef Q_OS_UNIX
    return status.exists && status.regular && status.device == m_device && status.inode == m_inode;
#else
    return status.exists;
#endif
}

// Opened, Failed, or MovedAside meaning "damaged, not yet moved".
LumetraRecordStore::OpenResult LumetraRecordStore::openFile(QString *error)
{
    QString failure;
    bool damaged = false;
    {
        // Every handle on the connection ends with this scope: close() can then remove it.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(m_fileName);
        db.setConnectOptions(m_readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000;QSQLITE_OPEN_READONLY")
                                        : QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        if (!db.open()) {
            failure = describe(db.lastError());
            damaged = isDamage(nativeCode(db.lastError()));
        } else {
            m_open = true;
            // WAL: a reader never waits for the writer and a killed program loses only the uncommitted
            // batch.
            QSqlQuery journal(db);
            QString step;
            const bool read = journal.exec(m_readOnly ? QStringLiteral("SELECT count(*) FROM sqlite_master")
                                                      : QStringLiteral("PRAGMA journal_mode=WAL"));
            journal.finish(); // a statement still running would hold up the schema's transaction
            m_textKeys = read && LumetraRecordSchema::hasTextKeys(db);
            const bool ok = read && (m_readOnly ? mapQuantities(&step)
                                                : exec(QStringLiteral("PRAGMA synchronous=NORMAL"), &step) &&
                                                      createSchema(&step) && mapQuantities(&step));
            if (ok)
                return OpenResult::Opened;
            const QSqlError last = journal.lastError().isValid() ? journal.lastError() : db.lastError();
            failure = step.isEmpty() ? describe(last) : step;
            damaged = isDamage(nativeCode(last)) || failure.contains(QLatin1String("malformed")) ||
                      failure.contains(QLatin1String("not a database"));
        }
    }
    close();
    if (error)
        *error = failure;
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
    m_device = m_inode = 0;
}

bool LumetraRecordStore::isDamage(int code)
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
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!LumetraRecordSchema::create(db, m_laserSerial, error))
        return false;
    m_textKeys = true;
    return true;
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
    if (!m_readOnly && !stillInPlace() && !beginAnew(error))
        return false;
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
            event.prepare(QStringLiteral("INSERT INTO event(t, kind, severity, alarm_key, text, source, "
                                         "text_key) VALUES(?, ?, ?, ?, ?, ?, ?)")) &&
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
            event.bindValue(6, e.textKey.isEmpty() ? QVariant(QVariant::String) : QVariant(e.textKey));
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
    e.textKey = query.value(10).toString();
    return e;
}

// A file read as it was left has no keys when it was recorded before they were kept.
QString eventColumns(bool textKeys)
{
    return QStringLiteral(
               "SELECT id, t, kind, severity, alarm_key, text, source, cleared_at, ack_by, ack_at, "
               "%1 FROM event ")
        .arg(textKeys ? QStringLiteral("text_key") : QStringLiteral("NULL"));
}

} // namespace

QVector<RecordEvent> LumetraRecordStore::events(qint64 from, qint64 to, bool alarmsOnly, int limit) const
{
    QVector<RecordEvent> result;
    if (!m_open)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    query.prepare(eventColumns(m_textKeys) +
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
    if (query.exec(eventColumns(m_textKeys) +
                   QLatin1String("WHERE kind = 3 AND cleared_at IS NULL ORDER BY t, id"))) {
        while (query.next())
            result << eventFrom(query);
    }
    return result;
}
