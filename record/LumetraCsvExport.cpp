#include "record/LumetraCsvExport.h"

#include "device/LumetraEventText.h"
#include "record/LumetraRecordQuantities.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

#include <limits>

#include <sys/stat.h>

namespace {

const char *const lineEnd = "\r\n";

// A file as the system knows it, whatever names lead to it.
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &other) const { return device == other.device && inode == other.inode; }
};

bool identify(const QString &path, FileId *id)
{
    struct stat status;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    *id = {status.st_dev, status.st_ino};
    return true;
}

// Where a write to `file` lands: links are followed to the file they name, dangling ones too.
QString destination(const QString &file)
{
    QFileInfo info(file);
    for (int hop = 0; hop < 40 && info.isSymLink(); ++hop)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

// Why writing to `out` failed. A write cut short (the disk filled part way through it) carries no reason
// of its own, only "Unknown error"; what it left unwritten, tried once more, meets the cause.
QString failure(QFileDevice *out, const QString &reason)
{
    return !out->flush() || reason.isEmpty() ? out->errorString() : reason;
}

// A device, pipe or terminal is written as it is: it cannot be replaced by a finished copy, and an
// attempt to would put a plain file where the device was.
QString writeStream(const QString &target, const LumetraCsvExport::Writer &write)
{
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    QString reason;
    if (!write(&out, &reason) || !out.flush())
        return failure(&out, reason);
    return QString();
}

QString writeWhole(const QString &target, const LumetraCsvExport::Writer &write)
{
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    QString reason;
    // commit() forgets why a write failed, and it commits a file whose buffered tail could not be
    // written: the tail is flushed here.
    if (!write(&out, &reason) || !out.flush()) {
        reason = failure(&out, reason);
        out.cancelWriting();
        return reason;
    }
    return out.commit() ? QString() : out.errorString();
}

QByteArray row(const QStringList &fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << LumetraCsvExport::quote(field);
    return quoted.join(',').toUtf8() + lineEnd;
}

// A write that stopped short lost the rest of the row: a failure as much as one that wrote nothing.
bool put(QIODevice *out, const QByteArray &bytes)
{
    return out->write(bytes) == bytes.size();
}

} // namespace

QString LumetraCsvExport::quote(const QString &field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString doubled = field;
    doubled.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString LumetraCsvExport::isoTime(qint64 msUtc)
{
    return QDateTime::fromMSecsSinceEpoch(msUtc, Qt::UTC).toString(Qt::ISODateWithMs);
}

QDateTime LumetraCsvExport::parseTime(const QString &text, Qt::TimeSpec withoutZone, bool *inGap)
{
    if (inGap)
        *inGap = false;
    // Qt's own ISO reader skips what follows a time, the zone included; a time read wrongly is worse
    // than one refused.
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})[T ]([0-9]{2}):([0-9]{2})"
                       "(?::([0-9]{2})(?:[.,]([0-9]{1,3}))?)?(Z|([+-])([0-9]{2})(?::?([0-9]{2}))?)?$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return QDateTime();
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                     (m.captured(7) + QLatin1String("00")).left(3).toInt());
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    const QString zone = m.captured(8);
    if (zone == QLatin1String("Z"))
        return QDateTime(date, time, Qt::UTC);
    if (!zone.isEmpty()) {
        const int hours = m.captured(10).toInt();
        const int minutes = m.captured(11).toInt();
        if (hours > 23 || minutes > 59)
            return QDateTime();
        const int offset = (hours * 60 + minutes) * 60;
        return QDateTime(date, time, Qt::OffsetFromUTC,
                         m.captured(9) == QLatin1String("-") ? -offset : offset);
    }
    const QDateTime t(date, time, withoutZone);
    if (inGap)
        *inGap = !t.isValid();
    return t;
}

QString LumetraCsvExport::number(double value)
{
    // The shortest text that reads back as the same double, in the C locale whatever the desktop's.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

bool LumetraCsvExport::writeSamples(const LumetraRecordStore &store, const QVector<int> &quantities,
                                    qint64 from, qint64 to, QIODevice *out, QString *error)
{
    QStringList header{tr("Time (UTC)")};
    QVector<QVector<RecordSample>> columns;
    for (int q : quantities) {
        header << LumetraRecordQuantities::labelWithUnit(q);
        QVector<RecordSample> samples = store.samples(q, from, to);
        // The value held before the span is context for a plot, not a reading of the span.
        if (!samples.isEmpty() && samples.first().t < from)
            samples.removeFirst();
        columns << samples;
    }
    if (!put(out, row(header))) {
        if (error)
            *error = out->errorString();
        return false;
    }
    // Merge the columns by time: one row per distinct time.
    QVector<int> next(columns.size(), 0);
    QStringList fields;
    for (;;) {
        qint64 t = std::numeric_limits<qint64>::max();
        for (int c = 0; c < columns.size(); ++c) {
            if (next[c] < columns[c].size())
                t = std::min(t, columns[c][next[c]].t);
        }
        if (t == std::numeric_limits<qint64>::max())
            break;
        fields.clear();
        fields << isoTime(t);
        for (int c = 0; c < columns.size(); ++c) {
            if (next[c] < columns[c].size() && columns[c][next[c]].t == t)
                fields << number(columns[c][next[c]++].value);
            else
                fields << QString();
        }
        if (!put(out, row(fields))) {
            if (error)
                *error = out->errorString();
            return false;
        }
    }
    return true;
}

QString LumetraCsvExport::kindText(int kind)
{
    static const char *const texts[] = {
        QT_TRANSLATE_NOOP("LumetraCsvExport", "Connection"),
        QT_TRANSLATE_NOOP("LumetraCsvExport", "State"),
        QT_TRANSLATE_NOOP("LumetraCsvExport", "Command"),
        QT_TRANSLATE_NOOP("LumetraCsvExport", "Alarm"),
        QT_TRANSLATE_NOOP("LumetraCsvExport", "Cleared"),
        QT_TRANSLATE_NOOP("LumetraCsvExport", "Acknowledged"),
        QT_TRANSLATE_NOOP("LumetraCsvExport", "Recorder"),
    };
    static_assert(std::size(texts) == RecordEvent::Recorder + 1, "one text per event kind");
    return kind >= 0 && kind < int(std::size(texts)) ? tr(texts[kind]) : QString::number(kind);
}

QString LumetraCsvExport::severityText(int severity)
{
    switch (severity) {
    case RecordEvent::Error:
        return tr("Error");
    case RecordEvent::Warning:
        return tr("Warning");
    default:
        return tr("Info");
    }
}

bool LumetraCsvExport::writeEvents(const QVector<RecordEvent> &events, QIODevice *out, QString *error)
{
    bool ok = put(out, row({tr("Time (UTC)"), tr("Kind"), tr("Severity"), tr("Text"), tr("Source"),
                            tr("Cleared (UTC)"), tr("Acknowledged by"), tr("Acknowledged (UTC)")}));
    for (int i = 0; ok && i < events.size(); ++i) {
        const RecordEvent &e = events[i];
        ok = put(out,
                 row({isoTime(e.t), kindText(e.kind), severityText(e.severity), LumetraEventText::shown(e),
                      e.source, e.clearedAt ? isoTime(e.clearedAt) : QString(), e.acknowledgedBy,
                      e.acknowledgedAt ? isoTime(e.acknowledgedAt) : QString()}));
    }
    if (!ok && error)
        *error = out->errorString();
    return ok;
}

QString LumetraCsvExport::refusal(const QString &file, const QString &recording, const QStringList &folders)
{
    const QString target = destination(file);
    FileId targetId;
    FileId recordingId;
    const bool exists = identify(target, &targetId);
    if (exists && identify(recording, &recordingId) && targetId == recordingId)
        return tr("it is the recording being exported");
    FileId folderOfTarget;
    if (identify(QFileInfo(target).absolutePath(), &folderOfTarget)) {
        for (const QString &folder : folders + QStringList{LumetraRecordStore::defaultFolder()}) {
            FileId folderId;
            if (identify(folder, &folderId) && folderId == folderOfTarget)
                return tr("it is in the recordings folder %1, which is kept for recordings").arg(folder);
        }
    }
    if (exists && QFileInfo(target).isFile()) {
        QFile existing(target);
        static const QByteArray sqliteHeader("SQLite format 3\0", 16);
        if (existing.open(QIODevice::ReadOnly) && existing.read(sqliteHeader.size()) == sqliteHeader)
            return tr("it is an SQLite database, perhaps a recording, which an export never replaces");
    }
    return QString();
}

bool LumetraCsvExport::save(const QString &file, const QString &recording, const QStringList &folders,
                            const Writer &write, QString *error)
{
    QString reason = refusal(file, recording, folders);
    if (reason.isEmpty()) {
        const QString target = destination(file);
        const QFileInfo info(target);
        reason = info.exists() && !info.isFile() && !info.isDir() ? writeStream(target, write)
                                                                  : writeWhole(target, write);
    }
    if (error)
        *error = reason;
    return reason.isEmpty();
}

int LumetraCsvExport::run(const LumetraExportRequest &request, QTextStream &errors)
{
    const QDateTime from = parseTime(request.from);
    const QDateTime to = parseTime(request.to);
    if (request.file.isEmpty() || request.laser.trimmed().isEmpty()) {
        errors << tr("--export-csv needs a file and --laser SERIAL.") << '\n';
        return 2;
    }
    if (!from.isValid() || !to.isValid() || to <= from) {
        errors << tr("--from and --to need ISO 8601 times (for example 2026-01-31T22:00:00Z), --to after "
                     "--from.")
               << '\n';
        return 2;
    }
    const QString folder = request.folder.isEmpty() ? LumetraRecordStore::defaultFolder() : request.folder;
    const QString dbFile = LumetraRecordStore::fileForLaser(folder, request.laser);
    const QString refused = refusal(request.file, dbFile, {folder});
    if (!refused.isEmpty()) {
        errors << tr("Cannot write %1: %2").arg(request.file, refused) << '\n';
        return 2;
    }
    if (!QFileInfo::exists(dbFile)) {
        const QStringList known = LumetraRecordStore::lasersIn(folder);
        errors << tr("No recording of laser %1 in %2.").arg(request.laser, folder) << '\n';
        if (!known.isEmpty())
            errors << tr("Recorded lasers: %1").arg(known.join(QLatin1String(", "))) << '\n';
        return 1;
    }
    LumetraRecordStore store(QStringLiteral("lumetra-csv-export"));
    QString error;
    if (store.open(dbFile, &error, true) != LumetraRecordStore::OpenResult::Opened) {
        errors << tr("Cannot read %1: %2").arg(dbFile, error) << '\n';
        return 1;
    }
    QVector<int> quantities;
    if (request.quantities.isEmpty()) {
        quantities = store.quantitiesWithData(from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch());
    } else {
        for (const QString &key : request.quantities) {
            const int q = LumetraRecordQuantities::indexOf(key);
            if (q < 0) {
                errors << tr("Unknown quantity %1.").arg(key) << '\n';
                return 2;
            }
            quantities << q;
        }
    }
    const auto write = [&](QIODevice *out, QString *writeError) {
        return writeSamples(store, quantities, from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch(), out,
                            writeError);
    };
    if (!save(request.file, dbFile, {folder}, write, &error)) {
        errors << tr("Cannot write %1: %2").arg(request.file, error) << '\n';
        return 1;
    }
    return 0;
}
