#include "app/record/LumetraCsvExport.h"

#include "app/record/LumetraRecordQuantities.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

#include <limits>

namespace {

const char *const lineEnd = "\r\n";

QByteArray row(const QStringList &fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << LumetraCsvExport::quote(field);
    return quoted.join(',').toUtf8() + lineEnd;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("LumetraCsvExport", text);
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

QDateTime LumetraCsvExport::parseTime(const QString &text)
{
    QDateTime t = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!t.isValid())
        return t;
    if (t.timeSpec() == Qt::LocalTime)
        t.setTimeSpec(Qt::UTC);
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
    if (out->write(row(header)) < 0) {
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
        if (out->write(row(fields)) < 0) {
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
    bool ok = out->write(row({tr("Time (UTC)"), tr("Kind"), tr("Severity"), tr("Text"), tr("Source"),
                              tr("Cleared (UTC)"), tr("Acknowledged by"), tr("Acknowledged (UTC)")})) >= 0;
    for (int i = 0; ok && i < events.size(); ++i) {
        const RecordEvent &e = events[i];
        ok = out->write(row({isoTime(e.t), kindText(e.kind), severityText(e.severity), e.text, e.source,
                             e.clearedAt ? isoTime(e.clearedAt) : QString(), e.acknowledgedBy,
                             e.acknowledgedAt ? isoTime(e.acknowledgedAt) : QString()})) >= 0;
    }
    if (!ok && error)
        *error = out->errorString();
    return ok;
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
    QSaveFile out(request.file);
    if (!out.open(QIODevice::WriteOnly)) {
        errors << tr("Cannot write %1: %2").arg(request.file, out.errorString()) << '\n';
        return 1;
    }
    if (!writeSamples(store, quantities, from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch(), &out, &error) ||
        !out.commit()) {
        errors << tr("Cannot write %1: %2").arg(request.file, error.isEmpty() ? out.errorString() : error)
               << '\n';
        return 1;
    }
    return 0;
}
