#include "device/LumetraPortHolder.h"

#include <QFile>
#include <QFileInfo>

// The lock is named after the port as the serial library names it: the name under /dev, or the whole
// path with its slashes made underscores, in the first of the usual lock folders it could write.
QString LumetraPortHolder::of(const QString &port)
{
    QString name = port.startsWith(QLatin1String("/dev/")) ? port.mid(5) : port;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const char *folders[] = {"/run/lock",       "/var/lock", "/etc/locks", "/var/spool/locks",
                             "/var/spool/uucp", "/tmp",      "/var/tmp"};
    for (const char *folder : folders) {
        QFile lock(QLatin1String(folder) + QLatin1String("/LCK..") + name);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        bool ok = false;
        const qint64 pid = lock.readLine().trimmed().toLongLong(&ok);
        if (!ok || pid <= 0)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        QString program =
            comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
        if (program.isEmpty()) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
            if (cmdline.open(QIODevice::ReadOnly))
                program =
                    QFileInfo(QString::fromLocal8Bit(cmdline.readAll().split('\0').value(0))).fileName();
        }
        if (program.isEmpty())
            program = tr("a program that has ended");
        return tr("%1 (process %2)").arg(program).arg(pid);
    }
    return QString();
}
