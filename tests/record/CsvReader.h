#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Reads RFC 4180 text back into rows of fields; a quoted field may hold commas, quotes and line breaks.
// Kept independent of the writer so that a test compares the writer with the format, not with itself.
QList<QStringList> readCsv(const QByteArray &text);
