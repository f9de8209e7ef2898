#pragma once

#include "app/device/LumetraTransport.h"

#include <QAbstractSocket>
#include <QPointer>

class QTcpSocket;

// A raw TCP connection to a serial device server ("socket://HOST:PORT"), which passes the bytes on
// to the laser's serial line. The line's settings are the server's; the link's timing is the same
// as on a local port.
class LumetraTcpTransport : public LumetraTransport
{
    Q_OBJECT
public:
    // How long an open waits for the connection. The link's thread waits with it, so it is short;
    // a host that does not answer by then is reported unreachable and tried again by the reconnection.
    static constexpr int ConnectTimeoutMs = 3000;

    explicit LumetraTcpTransport(QObject *parent = nullptr);
    ~LumetraTcpTransport() override;

    bool open(const QString &portName) override;
    void close() override;
    QString portName() const override { return m_portName; }
    QString errorString() const override { return m_errorString; }
    int openError() const override;

    void write(const QByteArray &bytes) override;
    QByteArray read(qint64 maxSize) override;
    qint64 bytesAvailable() const override;
    void setReadBufferSize(qint64 size) override;
    bool closesWhenSilent() const override { return true; }

private:
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);

    QPointer<QTcpSocket> m_socket;
    QString m_portName;
    QString m_host;
    quint16 m_port = 0;
    QString m_errorString;
    bool m_lostReported = false;
};
