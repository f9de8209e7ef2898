#include "sim/SimFaults.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSimFaults, "lumetra.sim.faults")

SimFaults::SimFaults(quint32 seed, QObject *parent) : QObject(parent), random(seed) {}

void SimFaults::setSilence(double seconds)
{
    if (seconds < 0)
        silentUntil = QDeadlineTimer(QDeadlineTimer::Forever);
    else
        silentUntil = QDeadlineTimer(qint64(seconds * 1000.0));
    qCDebug(lcSimFaults) << "silence" << seconds;
}

bool SimFaults::isSilent() const
{
    return !silentUntil.hasExpired();
}

bool SimFaults::draw(double fraction)
{
    if (fraction <= 0)
        return false;
    if (fraction >= 1)
        return true;
    return random.generateDouble() < fraction;
}

QByteArray SimFaults::garbageLine(int length)
{
    QByteArray bytes;
    bytes.reserve(length + 1);
    for (int i = 0; i < length; ++i) {
        char byte = char(random.bounded(256));
        if (byte == '\n' || byte == '\r')
            byte = '\0';
        bytes += byte;
    }
    if (length > 0)
        bytes[0] = '\0'; // every burst carries at least one NUL
    return bytes + '\n';
}

QByteArray SimFaults::unterminatedLine(int length)
{
    QByteArray bytes;
    bytes.reserve(length);
    for (int i = 0; i < length; ++i)
        bytes += char('A' + random.bounded(26));
    return bytes;
}

QString SimFaults::describe() const
{
    QString silence = QStringLiteral("off");
    if (silentUntil.isForever())
        silence = QStringLiteral("for good");
    else if (isSilent())
        silence = QStringLiteral("%1 s left").arg(silentUntil.remainingTime() / 1000.0, 0, 'f', 1);
    return QStringLiteral("faults: silence %1, drop-echo %2, cr-echo %3, garbage %4")
        .arg(silence)
        .arg(dropEcho)
        .arg(crEcho)
        .arg(garbage);
}
