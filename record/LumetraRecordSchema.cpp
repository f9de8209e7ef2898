#include "record/LumetraRecordSchema.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char *const textKeyColumn = "text_key";

// What changed between the units of older files and today's: the stored value times the factor.
struct UnitChange
{
    const char *key;
    double factor;
};
const UnitChange unitChanges[] = {
    {"laser.energy_setpoint", 1e-3}, // nJ to µJ
    {"laser.measured_energy", 1e-3}, // nJ to µJ
    {"hg.shg_power", 1e-3},          // mW to W
    {"hg.thg_power", 1e-3},          // mW to W
};

// Columns of every table a recording has, by table.
const QHash<QString, QStringList> &ourTables()
{
    static const QHash<QString, QStringList> tables = {
        {QStringLiteral("quantity"), {QStringLiteral("id"), QStringLiteral("key")}},
        {QStringLiteral("sample"), {QStringLiteral("q"), QStringLiteral("t"), QStringLiteral("v")}},
        {QStringLiteral("minute"),
         {QStringLiteral("q"), QStringLiteral("m"), QStringLiteral("vmin"), QStringLiteral("vmax"),
          QStringLiteral("tmin")}},
        {QStringLiteral("event"),
         {QStringLiteral("id"), QStringLiteral("t"), QStringLiteral("kind"), QStringLiteral("severity"),
          QStringLiteral("alarm_key"), QStringLiteral("text"), QStringLiteral("source"),
          QStringLiteral("cleared_at"), QStringLiteral("ack_by"), QStringLiteral("ack_at"),
          QLatin1String(textKeyColumn)}},
        {QStringLiteral("meta"), {QStringLiteral("key"), QStringLiteral("value")}},
    };
    return tables;
}

bool exec(QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text().trimmed();
    return false;
}

QStringList columnsOf(QSqlDatabase &db, const QString &table)
{
    QStringList columns;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
        while (query.next())
            columns << query.value(1).toString();
    }
    return columns;
}

} // namespace

const char *LumetraRecordSchema::formatMarker()
{
    return "lumetra-recording";
}

bool LumetraRecordSchema::isOurTable(const QString &table, QStringList columns)
{
    QStringList expected = ourTables().value(table);
    if (expected.isEmpty())
        return false;
    // In any order: the first recordings had the sample table's time before its quantity.
    expected.sort();
    columns.sort();
    if (columns == expected)
        return true;
    // Events recorded before their texts kept a key.
    expected.removeOne(QLatin1String(textKeyColumn));
    return table == QLatin1String("event") && columns == expected;
}

bool LumetraRecordSchema::hasTextKeys(QSqlDatabase db)
{
    return columnsOf(db, QStringLiteral("event")).contains(QLatin1String(textKeyColumn));
}

bool LumetraRecordSchema::create(QSqlDatabase db, const QString &laserSerial, QString *error)
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
        " ack_by TEXT, ack_at INTEGER, text_key TEXT)",
        "CREATE INDEX IF NOT EXISTS event_t ON event(t)",
        "CREATE INDEX IF NOT EXISTS event_open ON event(alarm_key) WHERE kind = 3 AND cleared_at IS NULL",
        // What the file is, and which laser it belongs to.
        "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT)",
    };
    // All or nothing: a file with only some of our tables would not be known as ours.
    if (!exec(db, QStringLiteral("BEGIN"), error))
        return false;
    bool ok = true;
    for (const char *sql : statements)
        ok = ok && exec(db, QString::fromLatin1(sql), error);
    // The older recording keeps its rows as they are; only events from now on have keys.
    if (ok && !hasTextKeys(db))
        ok =
            exec(db, QStringLiteral("ALTER TABLE event ADD COLUMN %1 TEXT").arg(QLatin1String(textKeyColumn)),
                 error);
    ok = ok && migrateUnits(db, error);
    if (ok) {
        QSqlQuery mark(db);
        mark.prepare(QStringLiteral("INSERT OR IGNORE INTO meta(key, value) VALUES('format', ?)"));
        mark.addBindValue(QLatin1String(formatMarker()));
        ok = mark.exec();
        // A file begun without a laser is taken by the first laser that opens it.
        if (ok && !laserSerial.isEmpty()) {
            mark.prepare(QStringLiteral("INSERT OR IGNORE INTO meta(key, value) VALUES('serial', ?)"));
            mark.addBindValue(laserSerial);
            ok = mark.exec();
        }
        if (!ok && error)
            *error = mark.lastError().text().trimmed();
    }
    if (!ok || !exec(db, QStringLiteral("COMMIT"), error)) {
        exec(db, QStringLiteral("ROLLBACK"), nullptr);
        return false;
    }
    // Alarms still open in the file were open when the program last ended; whether they still hold is
    // known only from the laser, which raises them again. They end with the last thing recorded.
    return exec(db,
                QStringLiteral("UPDATE event SET cleared_at = (SELECT max(t) FROM event) "
                               "WHERE kind = 3 AND cleared_at IS NULL"),
                error);
}

int LumetraRecordSchema::storedUnits(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'units'")) && query.next())
        return query.value(0).toInt();
    return 1;
}

bool LumetraRecordSchema::migrateUnits(QSqlDatabase db, QString *error)
{
    if (storedUnits(db) >= unitsVersion)
        return true;
    // A file begun now has no samples: it is only marked.
    QSqlQuery convert(db);
    for (const UnitChange &change : unitChanges) {
        const QString quantity = QStringLiteral("(SELECT id FROM quantity WHERE key = '%1')").arg(change.key);
        const QString factor = QString::number(change.factor, 'g', 17);
        if (!convert.exec(
                QStringLiteral("UPDATE sample SET v = v * %1 WHERE q = %2").arg(factor, quantity)) ||
            !convert.exec(QStringLiteral("UPDATE minute SET vmin = vmin * %1, vmax = vmax * %1 WHERE q = %2")
                              .arg(factor, quantity))) {
            if (error)
                *error = convert.lastError().text().trimmed();
            return false;
        }
    }
    QSqlQuery mark(db);
    mark.prepare(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) VALUES('units', ?)"));
    mark.addBindValue(QString::number(unitsVersion));
    if (!mark.exec()) {
        if (error)
            *error = mark.lastError().text().trimmed();
        return false;
    }
    return true;
}

bool LumetraRecordSchema::migrateFile(const QString &fileName, QString *error)
{
    const QString connection = QStringLiteral("lumetra-record-migration-%1").arg(qHash(fileName), 0, 16);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(fileName);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        // Only a recording of ours with samples in it has anything to convert; anything else is left
        // for the reader to judge as it would have.
        const bool ours = QFileInfo(fileName).isWritable() && db.open() &&
                          db.tables().contains(QStringLiteral("meta")) &&
                          db.tables().contains(QStringLiteral("sample")) &&
                          db.tables().contains(QStringLiteral("quantity"));
        if (ours && storedUnits(db) < unitsVersion) {
            ok = exec(db, QStringLiteral("BEGIN"), error) && migrateUnits(db, error) &&
                 exec(db, QStringLiteral("COMMIT"), error);
            if (!ok)
                exec(db, QStringLiteral("ROLLBACK"), nullptr);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}
