#include "sim/SimTcpPort.h"

#include <QHostAddress>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>

Q_LOGGING_CATEGORY(lcSimTcpPort, "lumetra.sim.tcp")

SimTcpPort::SimTcpPort(quint16 tcpPort, QObject *parent)
    : SimPort(parent), port(tcpPort), server(new QTcpServer(this))
{
    // Connections beyond the first are turned away at once, so none waits in the backlog.
    server->setMaxPendingConnections(1);
    connect(server, &QTcpServer::newConnection, this, &SimTcpPort::onNewConnection);
}

SimTcpPort::~SimTcpPort()
{
    hangUp();
}

bool SimTcpPort::open(QString *error)
{
    if (server->isListening())
        return true;
    // Loopback only: the simulator is no laser to offer on a network.
    if (!server->listen(QHostAddress::LocalHost, port)) {
        *error = tr("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(server->errorString());
        return false;
    }
    port = server->serverPort();
    qCDebug(lcSimTcpPort) << "listening on" << linkPath();
    return true;
}

void SimTcpPort::hangUp()
{
    if (client) {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
        client = nullptr;
    }
    server->close();
}

bool SimTcpPort::isOpen() const
{
    return server->isListening();
}

QString SimTcpPort::linkPath() const
{
    return QStringLiteral("socket://127.0.0.1:%1").arg(port);
}

QString SimTcpPort::devicePath() const
{
    return client
               ? QStringLiteral("client %1:%2").arg(client->peerAddress().toString()).arg(client->peerPort())
               : QStringLiteral("no client");
}

void SimTcpPort::onNewConnection()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        // A device server's serial line has one user; a second one is refused while the first stays.
        if (client && client->state() == QAbstractSocket::ConnectedState) {
            qCDebug(lcSimTcpPort) << "second client turned away";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (client)
            client->deleteLater();
        client = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &SimTcpPort::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        qCDebug(lcSimTcpPort) << "client connected" << devicePath();
    }
}

void SimTcpPort::onReadyRead()
{
    if (!client)
        return;
    const QByteArray bytes = client->readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(bytes);
}

qint64 SimTcpPort::write(const QByteArray &bytes)
{
    if (!isOpen())
        return -1;
    // With nobody connected the bytes go where a serial line's go with nothing plugged in.
    if (!client || client->state() != QAbstractSocket::ConnectedState)
        return bytes.size();
    return client->write(bytes);
}
