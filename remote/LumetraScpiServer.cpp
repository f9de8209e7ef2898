#include "remote/LumetraScpiServer.h"

#include "remote/LumetraScpiSession.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

Q_LOGGING_CATEGORY(lcLumetraScpiServer, "lumetra.remote.server")

LumetraScpiServer::LumetraScpiServer(LumetraScpiInstrument *instrument, QObject *parent)
    : QObject(parent), m_instrument(instrument), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &LumetraScpiServer::onNewConnection);
}

LumetraScpiServer::~LumetraScpiServer()
{
    close();
}

bool LumetraScpiServer::listen(const QHostAddress &address, quint16 port, QString *error)
{
    close();
    if (m_server->listen(address, port)) {
        qCInfo(lcLumetraScpiServer).noquote() << "listening on" << this->address();
        return true;
    }
    if (error)
        *error = m_server->errorString();
    return false;
}

void LumetraScpiServer::close()
{
    m_server->close();
    const QList<QPointer<QTcpSocket>> clients = m_clients;
    for (const QPointer<QTcpSocket> &socket : clients) {
        if (socket)
            closeClient(socket, tr("the remote interface was turned off"));
    }
}

bool LumetraScpiServer::isListening() const
{
    return m_server->isListening();
}

QString LumetraScpiServer::address() const
{
    if (!m_server->isListening())
        return QString();
    const QHostAddress host = m_server->serverAddress();
    const QString name = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(host.toString())
                             : host.toString();
    return QStringLiteral("%1:%2").arg(name).arg(m_server->serverPort());
}

QStringList LumetraScpiServer::clients() const
{
    QStringList peers;
    for (const QPointer<QTcpSocket> &socket : m_clients) {
        if (socket)
            peers << peerOf(socket);
    }
    return peers;
}

bool LumetraScpiServer::parseListenAddress(const QString &text, QHostAddress *address, quint16 *port)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\[[^\\]]+\\]|[^:\\[\\]]+):)?(\\d{1,5})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    bool ok = false;
    const uint number = match.captured(2).toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return false;
    QString host = match.captured(1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    QHostAddress parsed(host.isEmpty() ? QStringLiteral("127.0.0.1") : host);
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        parsed = QHostAddress(QHostAddress::LocalHost);
    if (parsed.isNull())
        return false;
    *address = parsed;
    *port = quint16(number);
    return true;
}

QString LumetraScpiServer::peerOf(const QTcpSocket *socket)
{
    const QHostAddress host = socket->peerAddress();
    const QString name = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(host.toString())
                             : host.toString();
    return QStringLiteral("%1:%2").arg(name).arg(socket->peerPort());
}

void LumetraScpiServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_clients.removeAll(nullptr);
        if (m_clients.size() >= MaxClients) {
            // Told in the client's own terms before it goes, so that a script's log says why.
            socket->write(QStringLiteral("-200,\"Execution error;too many clients, at most %1\"\n")
                              .arg(MaxClients)
                              .toLatin1());
            emit sigMessage(
                tr("Remote client %1 refused: already %2 clients").arg(peerOf(socket)).arg(MaxClients));
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // A peer that never closes its side must not keep the socket.
            QTimer::singleShot(2000, socket, &QObject::deleteLater);
            continue;
        }
        // The socket keeps no more than a turn's reading; the rest waits in the kernel, where the
        // peer's window closes on it.
        socket->setReadBufferSize(ReadChunk);
        auto *session = new LumetraScpiSession(m_instrument, socket);
        session->setClient(peerOf(socket));
        connect(session, &LumetraScpiSession::sigReply, socket, [this, socket](const QByteArray &line) {
            if (socket->bytesToWrite() + line.size() > MaxUnreadBytes) {
                closeClient(socket, tr("it does not read its answers"));
                return;
            }
            socket->write(line);
        });
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, session] { onReadyRead(socket, session); });
        const QString peer = peerOf(socket);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, peer] {
            if (!m_clients.removeAll(socket))
                return;
            emit sigMessage(tr("Remote client %1 disconnected").arg(peer));
            emit sigClientsChanged(clients());
            socket->deleteLater();
        });
        m_clients << socket;
        emit sigMessage(tr("Remote client %1 connected").arg(peer));
        emit sigClientsChanged(clients());
    }
}

void LumetraScpiServer::onReadyRead(QTcpSocket *socket, LumetraScpiSession *session)
{
    if (!m_clients.contains(socket))
        return;
    session->receive(socket->read(ReadChunk));
    // More waits: read it on a later turn, after the panel and the other clients had theirs.
    if (socket->bytesAvailable() > 0 && socket->state() == QAbstractSocket::ConnectedState)
        QTimer::singleShot(0, socket, [this, socket, session] { onReadyRead(socket, session); });
}

void LumetraScpiServer::closeClient(QTcpSocket *socket, const QString &reason)
{
    if (!m_clients.removeAll(socket))
        return;
    const QString peer = peerOf(socket);
    qCInfo(lcLumetraScpiServer).noquote() << "closing" << peer << reason;
    emit sigMessage(tr("Remote client %1 closed: %2").arg(peer, reason));
    emit sigClientsChanged(clients());
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
