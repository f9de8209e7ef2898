#include "device/LumetraPipeTransport.h"

#include <QSerialPort>

LumetraPipeTransport::LumetraPipeTransport(QObject *parent) : LumetraTransport(parent) {}

void LumetraPipeTransport::join(LumetraPipeTransport *a, LumetraPipeTransport *b)
{
    a->m_peer = b;
    b->m_peer = a;
    // Queued even on one thread: as on a real line, an answer never arrives inside the write that
    // asked for it.
    connect(a, &LumetraPipeTransport::sigSent, b, &LumetraPipeTransport::onReceived, Qt::QueuedConnection);
    connect(b, &LumetraPipeTransport::sigSent, a, &LumetraPipeTransport::onReceived, Qt::QueuedConnection);
    connect(a, &LumetraPipeTransport::sigHungUp, b, &LumetraPipeTransport::onPeerHungUp,
            Qt::QueuedConnection);
    connect(b, &LumetraPipeTransport::sigHungUp, a, &LumetraPipeTransport::onPeerHungUp,
            Qt::QueuedConnection);
}

int LumetraPipeTransport::openError() const
{
    return QSerialPort::DeviceNotFoundError;
}

bool LumetraPipeTransport::open(const QString &portName)
{
    m_portName = portName;
    if (!m_peer) {
        m_errorString = tr("%1 has no other end.").arg(portName);
        return false;
    }
    m_buffer.clear();
    m_open = true;
    return true;
}

void LumetraPipeTransport::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_buffer.clear();
    emit sigHungUp();
}

void LumetraPipeTransport::write(const QByteArray &bytes)
{
    if (m_open && !bytes.isEmpty())
        emit sigSent(bytes);
}

QByteArray LumetraPipeTransport::read(qint64 maxSize)
{
    const QByteArray bytes = m_buffer.left(int(qMin<qint64>(maxSize, m_buffer.size())));
    m_buffer.remove(0, bytes.size());
    return bytes;
}

void LumetraPipeTransport::onReceived(const QByteArray &bytes)
{
    // Bytes sent before this end opened, or after it closed, fall on the floor as on a real line.
    if (!m_open)
        return;
    m_buffer += bytes;
    emit readyRead();
}

void LumetraPipeTransport::onPeerHungUp()
{
    if (!m_open)
        return;
    m_open = false;
    emit lost(tr("The other end of %1 hung up.").arg(m_portName));
}
