#pragma once

#include <QString>

// The name the CSV export dialogs offer: which laser, what and which span, in the user's documents
// folder, so that an operator who just presses Save gets a file that says what it holds.
class LumetraCsvFileName
{
public:
    // what: a short word for the content ("trends", "events"); times in UTC ms, shown as local time.
    static QString suggest(const QString &laser, const QString &what, qint64 fromMs, qint64 toMs);
    static QString suggestIn(const QString &folder, const QString &laser, const QString &what, qint64 fromMs,
                             qint64 toMs);
};
