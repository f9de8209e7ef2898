#pragma once

#include "app/record/LumetraRecordStore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

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
public:
    static bool writeSamples(const LumetraRecordStore &store, const QVector<int> &quantities, qint64 from,
                             qint64 to, QIODevice *out, QString *error);
    static bool writeEvents(const QVector<RecordEvent> &events, QIODevice *out, QString *error);

    // The command-line export: 0 written, 1 failed, 2 a request that makes no sense. Messages go to errors.
    static int run(const LumetraExportRequest &request, QTextStream &errors);

    static QString quote(const QString &field);
    static QString isoTime(qint64 msUtc);
    // An invalid QDateTime when the text is no ISO 8601 date or time.
    static QDateTime parseTime(const QString &text);
    static QString number(double value);
    static QString kindText(int kind);
    static QString severityText(int severity);
};
