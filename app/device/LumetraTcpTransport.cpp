#include "app/device/LumetraTcpTransport.h"

#include <QLoggingCategory>
#include <QSerialPort>
#include <QTcpSocket>

Q_LOGGING_CATEGORY(lcTcpTransport, "lumetra.device.tcptransport")

LumetraTcpTransport::LumetraTcpTransport(QObject *parent) : LumetraTransport(parent) {}

LumetraTcpTransport::~LumetraTcpTransport()
{
    close();
}

int LumetraTcpTransport::openError() const
{
    // None of the serial port's explanations (permissions, a missing device node) fits a network
    // port; the error text says it all.
    return QSerialPort::UnknownError;
}

bool LumetraTcpTransport::open(const QString &portName)
{
    close();
    m_portName = portName;
    m_lostReported = false;
    if (!parseNetworkPort(portName, &m_host, &m_port)) {
        m_errorString = tr("%1 is not a network port; write it as socket://HOST:PORT.").arg(portName);
        return false;
    }
    auto *socket = new QTcpSocket(this);
    socket->connectToHost(m_host, m_port);
    if (!socket->waitForConnected(ConnectTimeoutMs)) {
        switch (socket->error()) {
        case QAbstractSocket::ConnectionRefusedError:
            m_errorString =
                tr("%1 refused the connection: nothing listens on port %2.").arg(m_host).arg(m_port);
            break;
        case QAbstractSocket::HostNotFoundError:
            m_errorString = tr("The host %1 is not known.").arg(m_host);
            break;
        case QAbstractSocket::SocketTimeoutError:
            m_errorString = tr("The host %1 did not answer within %2 s: it is unreachable or switched off.")
                                .arg(m_host)
                                .arg(ConnectTimeoutMs / 1000);
            break;
        default:
            m_errorString = tr("The host %1 cannot be reached: %2").arg(m_host, socket->errorString());
            break;
        }
        qCDebug(lcTcpTransport) << "connect to" << portName << "failed:" << socket->errorString();
        socket->abort();
        delete socket;
        return false;
    }
    // Commands are single short lines that must leave at once; keep-alive lets the kernel notice a
    // path that died while the laser was quiet anyway.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket = socket;
    connect(socket, &QTcpSocket::readyRead, this, &LumetraTransport::readyRead);
    connect(socket, &QTcpSocket::disconnected, this, &LumetraTcpTransport::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &LumetraTcpTransport::onError);
    return true;
}

void LumetraTcpTransport::close()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void LumetraTcpTransport::write(const QByteArray &bytes)
{
    if (!m_socket)
        return;
    m_socket->write(bytes);
    m_socket->flush();
}

QByteArray LumetraTcpTransport::read(qint64 maxSize)
{
    return m_socket ? m_socket->read(maxSize) : QByteArray();
}

qint64 LumetraTcpTransport::bytesAvailable() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

void LumetraTcpTransport::setReadBufferSize(qint64 size)
{
    if (m_socket)
        m_socket->setReadBufferSize(size);
}

void LumetraTcpTransport::onDisconnected()
{
    if (m_lostReported)
        return;
    m_lostReported = true;
    emit lost(tr("The connection to %1 was closed by the other side.").arg(m_portName));
}

void LumetraTcpTransport::onError(QAbstractSocket::SocketError error)
{
    if (m_lostReported)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        onDisconnected();
        return;
    }
    const QString text = tr("The connection to %1 failed: %2").arg(m_portName, m_socket->errorString());
    // Any error on an established connection other than a refused write leaves no stream to use.
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_lostReported = true;
        emit lost(text);
        return;
    }
    emit errorOccurred(text, true);
}
