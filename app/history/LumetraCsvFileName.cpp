#include "app/history/LumetraCsvFileName.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

QString LumetraCsvFileName::suggest(const QString &laser, const QString &what, qint64 fromMs, qint64 toMs)
{
    return suggestIn(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), laser, what, fromMs,
                     toMs);
}

QString LumetraCsvFileName::suggestIn(const QString &folder, const QString &laser, const QString &what,
                                      qint64 fromMs, qint64 toMs)
{
    // A serial number may hold characters that split or hide a file name ('/', a leading dot).
    QString name;
    for (const QChar c : laser.trimmed().left(64))
        name +=
            (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) ? c : QLatin1Char('_');
    if (name.isEmpty())
        name = QStringLiteral("laser");
    const auto stamp = [](qint64 ms) {
        return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd_HHmm"));
    };
    name += QLatin1Char('_') + what;
    if (fromMs > 0 && toMs >= fromMs)
        name += QLatin1Char('_') + stamp(fromMs) + QStringLiteral("_to_") + stamp(toMs);
    return QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(name + QStringLiteral(".csv"));
}
