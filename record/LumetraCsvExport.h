#pragma once

#include "record/LumetraRecordStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QIODevice;
class QTextStream;

// What the command line asks to export.
struct LumetraExportRequest
{
    QString file; // CSV file to write
    QString from; // ISO 8601; a time without zone is UTC
    QString to;
    QString laser;          // serial number
    QStringList quantities; // keys; empty for every quantity with data in the span
    QString folder;         // recordings folder; empty for LumetraRecordStore::defaultFolder()
};

// Recordings to CSV (RFC 4180: CRLF line ends, fields quoted when they hold a comma, a quote or a line
// break). Times are ISO 8601 in UTC with milliseconds; one row per time at which any exported quantity
// was recorded, the cell empty where that quantity was not.
class LumetraCsvExport
{
    Q_DECLARE_TR_FUNCTIONS(LumetraCsvExport)

public:
    static bool writeSamples(const LumetraRecordStore &store, const QVector<int> &quantities, qint64 from,
                             qint64 to, QIODevice *out, QString *error);
    static bool writeEvents(const QVector<RecordEvent> &events, QIODevice *out, QString *error);

    using Writer = std::function<bool(QIODevice *out, QString *error)>;
    // Why `file` must not be written, empty when it may be: an export never lands on a recording. Refused
    // are the `recording` itself under any name (links included), any file in one of `folders` or the
    // default recordings folder, and any SQLite database.
    static QString refusal(const QString &file, const QString &recording, const QStringList &folders);
    // Writes `file` through `write`, whole or not at all, unless refusal() objects. error gets the reason:
    // the refusal, or the system's own text for the write that failed.
    static bool save(const QString &file, const QString &recording, const QStringList &folders,
                     const Writer &write, QString *error);

    // The command-line export: 0 written, 1 failed, 2 a request that makes no sense. Messages go to errors.
    static int run(const LumetraExportRequest &request, QTextStream &errors);

    static QString quote(const QString &field);
    static QString isoTime(qint64 msUtc);
    // "yyyy-MM-ddTHH:mm[:ss[.zzz]]" with a blank allowed for the T and an optional "Z" or offset from UTC;
    // nothing else may follow. A time without a zone is read as `withoutZone` says. Invalid when unreadable;
    // inGap is set when it is a local time skipped by the change to daylight-saving time.
    static QDateTime parseTime(const QString &text, Qt::TimeSpec withoutZone = Qt::UTC,
                               bool *inGap = nullptr);
    static QString number(double value);
    static QString kindText(int kind);
    static QString severityText(int severity);
};
