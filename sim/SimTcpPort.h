#pragma once

#include "sim/SimPort.h"

#include <QPointer>

class QTcpServer;
class QTcpSocket;

// The laser behind a serial device server in raw TCP mode: a listening port on the loopback address
// that takes one connection at a time, its bytes being the serial line's. A hang-up drops the
// connection and stops listening, as a server that lost power would; open() listens again on the
// same port.
class SimTcpPort : public SimPort
{
    Q_OBJECT
public:
    // Port 0 takes a free port, kept through hang-ups.
    explicit SimTcpPort(quint16 port, QObject *parent = nullptr);
    ~SimTcpPort() override;

    bool open(QString *error) override;
    void hangUp() override;
    bool isOpen() const override;
    QString linkPath() const override;
    QString devicePath() const override;
    qint64 write(const QByteArray &bytes) override;

private:
    void onNewConnection();
    void onReadyRead();

    quint16 port;
    QTcpServer *server;
    QPointer<QTcpSocket> client;
};
