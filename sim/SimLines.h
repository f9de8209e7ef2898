#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Answer lines as they go on the wire: Latin-1, each ending in a line feed.
using SimLines = QList<QByteArray>;

inline QByteArray simLine(const QString &text)
{
    return text.toLatin1() + '\n';
}
