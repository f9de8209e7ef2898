#include "app/view/LumetraFormat.h"

#include "dialkit/Dialkit.h"

#include <QCoreApplication>

#include <cmath>
#include <limits>

QString LumetraFormat::number(double value, int decimals, const QString &unit, bool limitLength)
{
    const QString unknown = QStringLiteral("???");
    if (!std::isfinite(value)) {
        return unknown + unit;
    }
    QString text = Dialkit::formatFixed(value, decimals);
    if (limitLength && text.length() > maxNumberLength) {
        text = unknown;
    }
    return text + unit;
}

QString LumetraFormat::aomPercent(double value)
{
    if (!std::isfinite(value)) {
        return QStringLiteral("??%");
    }
    return Dialkit::formatFixed(value, 0) + QStringLiteral("%");
}

quint64 LumetraFormat::wholeHours(quint64 seconds)
{
    return seconds / 3600;
}

QString LumetraFormat::hoursMinutes(quint64 seconds)
{
    return QCoreApplication::translate("LumetraView", "%1 hours %2 minutes")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60);
}

int LumetraFormat::roundHalfUp(double value)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    const double rounded = std::floor(value + 0.5);
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(rounded);
}
