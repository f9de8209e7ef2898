#include "PtyLaser.h"

#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyLaser::PtyLaser(QObject *parent) : QObject(parent)
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        qFatal("openpty failed: %s", strerror(errno));
    m_slaveName = QString::fromLocal8Bit(name);
    termios tio;
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slave, TCSANOW, &tio);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLaser::onReadable);
    m_responder = [this](const QByteArray &command) {
        return defaultReply(command);
    };
}

PtyLaser::~PtyLaser()
{
    hangUp();
    if (m_slave >= 0)
        ::close(m_slave);
}

QList<QByteArray> PtyLaser::defaultReply(const QByteArray &command) const
{
    QList<QByteArray> reply{command};
    if (command == "ly_system_info\n")
        reply << "Lumetra-10 test unit\n";
    else if (command == "ly_lqz2_dev_status?\n")
        reply << "ly_lqz2_dev_status " + QByteArray::number(statusValue) + "\n";
    return reply;
}

void PtyLaser::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        else
            QThread::msleep(1);
    }
}

qint64 PtyLaser::writeNow(const QByteArray &bytes)
{
    return m_master < 0 ? -1 : qint64(::write(m_master, bytes.constData(), size_t(bytes.size())));
}

void PtyLaser::hangUp()
{
    if (m_master < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_master);
    m_master = -1;
}

void PtyLaser::releaseSlave()
{
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
}

void PtyLaser::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        m_pending.append(buffer, int(n));
    }
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray command = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
        commands << command;
        emit commandReceived(command);
        if (!m_responder)
            continue;
        const QList<QByteArray> reply = m_responder(command);
        QByteArray bytes;
        for (const QByteArray &line : reply) {
            written << line;
            bytes += line;
        }
        write(bytes);
    }
}
