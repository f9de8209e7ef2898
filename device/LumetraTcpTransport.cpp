#include "device/LumetraTcpTransport.h"

#include <QLoggingCategory>
#include <QTcpSocket>
#include <QTimer>

Q_LOGGING_CATEGORY(lcTcpTransport, "lumetra.device.tcptransport")

LumetraTcpTransport::LumetraTcpTransport(QObject *parent) : LumetraTransport(parent) {}

LumetraTcpTransport::~LumetraTcpTransport()
{
    close();
}

int LumetraTcpTransport::openError() const
{
    return m_openError;
}

bool LumetraTcpTransport::open(const QString &portName)
{
    close();
    m_portName = portName;
    m_lostReported = false;
    m_openError = NetworkErrorBase + QAbstractSocket::UnknownSocketError;
    if (!parseNetworkPort(portName, &m_host, &m_port)) {
        m_errorString = tr("%1 is not a network port; write it as socket://HOST:PORT.").arg(portName);
        return false;
    }
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &LumetraTcpTransport::onConnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &LumetraTcpTransport::onError);
    m_connectTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this,
            [this] { failConnecting(QAbstractSocket::SocketTimeoutError); });
    m_connectTimer->start(ConnectTimeoutMs);
    m_socket->connectToHost(m_host, m_port);
    // A connection may also be made, or fail (an address the network cannot route to), inside
    // connectToHost(), before anyone listens for the outcome: then the open is a quick one.
    return m_socket != nullptr;
}

void LumetraTcpTransport::onConnected()
{
    delete m_connectTimer;
    m_connectTimer = nullptr;
    // Commands are single short lines that must leave at once; keep-alive lets the kernel notice a
    // path that died while the laser was quiet anyway.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &LumetraTransport::readyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &LumetraTcpTransport::onDisconnected);
    emit openFinished(true);
}

void LumetraTcpTransport::failConnecting(QAbstractSocket::SocketError error)
{
    m_openError = NetworkErrorBase + error;
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        m_errorString = tr("%1 refused the connection: nothing listens on port %2.").arg(m_host).arg(m_port);
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
        m_errorString = tr("The host %1 cannot be reached: %2").arg(m_host, m_socket->errorString());
        break;
    }
    qCDebug(lcTcpTransport) << "connect to" << m_portName << "failed:" << m_socket->errorString();
    close();
    emit openFinished(false);
}

void LumetraTcpTransport::close()
{
    delete m_connectTimer;
    m_connectTimer = nullptr;
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
    if (m_connectTimer) {
        failConnecting(error);
        return;
    }
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
