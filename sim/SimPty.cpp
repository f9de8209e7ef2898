#include "sim/SimPty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSimPty, "lumetra.sim.pty")

SimPty::SimPty(const QString &linkDirectory, const QString &linkName, QObject *parent)
    : SimPort(parent), directory(linkDirectory), name(linkName)
{
}

SimPty::~SimPty()
{
    hangUp();
    // The lock goes with the simulator: unlocking removes its file.
}

QString SimPty::defaultLinkDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/LUMETRA-QZ/ports");
}

QString SimPty::linkPath() const
{
    return QDir(directory).absoluteFilePath(name);
}

bool SimPty::open(QString *error)
{
    if (isOpen())
        return true;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        *error = tr("cannot open a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Raw like a serial adapter: no echo, no line editing, no newline translation by the terminal itself.
    termios settings{};
    if (::tcgetattr(slave, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B38400);
        ::cfsetospeed(&settings, B38400);
        ::tcsetattr(slave, TCSANOW, &settings);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    device = QString::fromLocal8Bit(::ptsname(master));
    masterFd = master;
    // Keeping our own handle on the device means a client closing it does not hang the terminal up.
    slaveFd = slave;
    if (!publish(error)) {
        hangUp();
        return false;
    }
    notifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SimPty::onReadable);
    qCDebug(lcSimPty) << "terminal" << device << "published as" << linkPath();
    return true;
}

bool SimPty::claimName(QString *error)
{
    if (ownership)
        return true;
    auto lock = std::make_unique<QLockFile>(linkPath() + QStringLiteral(".lock"));
    // Held for as long as we run, however long that is: only a dead owner makes the lock stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host;
            QString application;
            lock->getLockInfo(&pid, &host, &application);
            *error = tr("%1 is already published by another simulator (process %2); choose another --name")
                         .arg(linkPath())
                         .arg(pid);
        } else {
            *error = tr("cannot lock %1.lock").arg(linkPath());
        }
        return false;
    }
    ownership = std::move(lock);
    return true;
}

bool SimPty::publish(QString *error)
{
    if (!QDir().mkpath(directory)) {
        *error = tr("cannot create the ports folder %1").arg(directory);
        return false;
    }
    if (!claimName(error))
        return false;
    const QString link = linkPath();
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        // The name is ours now: a link under it was left by a simulator that is gone, even when the
        // terminal it leads to exists (its number may have been given to another program).
        QFile::remove(link);
    } else if (existing.exists()) {
        *error = tr("%1 exists and is not a port link").arg(link);
        return false;
    }
    if (!QFile::link(device, link)) {
        *error = tr("cannot publish %1 as %2").arg(device, link);
        return false;
    }
    return true;
}

void SimPty::withdraw()
{
    const QFileInfo link(linkPath());
    // Only our own link goes: another simulator may have taken the name after a hang-up.
    if (link.isSymLink() && link.symLinkTarget() == device)
        QFile::remove(linkPath());
}

void SimPty::hangUp()
{
    if (!isOpen())
        return;
    delete notifier;
    withdraw();
    ::close(masterFd);
    if (slaveFd >= 0)
        ::close(slaveFd);
    masterFd = slaveFd = -1;
    qCDebug(lcSimPty) << "terminal" << device << "hung up";
}

void SimPty::onReadable()
{
    QByteArray received;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(masterFd, buffer, sizeof buffer);
        if (count > 0) {
            received.append(buffer, int(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // Not expected while we hold the device open ourselves; stop polling a dead terminal.
            qCWarning(lcSimPty) << "terminal read failed:" << std::strerror(errno);
            if (notifier)
                notifier->setEnabled(false);
        }
        break;
    }
    if (!received.isEmpty())
        emit bytesReceived(received);
}

qint64 SimPty::write(const QByteArray &bytes)
{
    if (!isOpen())
        return -1;
    const ssize_t count = ::write(masterFd, bytes.constData(), size_t(bytes.size()));
    if (count < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
    return count;
}
