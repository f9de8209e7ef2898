#pragma once

#include "device/LumetraTransport.h"

#include <QAbstractSocket>
#include <QPointer>

class QTcpSocket;
class QTimer;

// A raw TCP connection to a serial device server ("socket://HOST:PORT"), which passes the bytes on
// to the laser's serial line. The line's settings are the server's; the link's timing is the same
// as on a local port.
class LumetraTcpTransport : public LumetraTransport
{
    Q_OBJECT
public:
    // How long an open waits for the connection; a host that does not answer by then is reported
    // unreachable and tried again by the reconnection. The link's thread goes on meanwhile.
    static constexpr int ConnectTimeoutMs = 3000;

    explicit LumetraTcpTransport(QObject *parent = nullptr);
    ~LumetraTcpTransport() override;

    bool open(const QString &portName) override;
    bool isOpening() const override { return m_connectTimer != nullptr; }
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
    void onConnected();
    void failConnecting(QAbstractSocket::SocketError error);
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);

    QPointer<QTcpSocket> m_socket;
    QTimer *m_connectTimer = nullptr;
    int m_openError = 0;
    QString m_portName;
    QString m_host;
    quint16 m_port = 0;
    QString m_errorString;
    bool m_lostReported = false;
};
