#pragma once

#include <QHostAddress>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QStringList>

class LumetraScpiInstrument;
class LumetraScpiSession;
class QTcpServer;
class QTcpSocket;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraScpiServer)

// The instrument interface on a TCP port, a line-based conversation per client as scripts expect of
// an instrument on a raw socket. Whatever clients do, the program keeps answering: their number, the
// input kept of each and the answers they leave unread are bounded, and a client over a bound is told
// why and closed.
class LumetraScpiServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxClients = 4;
    // Answers a client has not read; a client that never reads is closed before it costs more.
    static constexpr qint64 MaxUnreadBytes = 1 << 20;
    // Read from a socket per turn, so that a flood of one client cannot starve the others or the panel.
    static constexpr qint64 ReadChunk = 64 * 1024;
    static constexpr quint16 DefaultPort = 5025;

    explicit LumetraScpiServer(LumetraScpiInstrument *instrument, QObject *parent = nullptr);
    ~LumetraScpiServer() override;

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    void close();
    bool isListening() const;
    // "127.0.0.1:5025", or empty while closed.
    QString address() const;
    // The clients now connected, "host:port" each.
    QStringList clients() const;

    // Parses "[ADDRESS:]PORT" as --remote takes it; the address is loopback when left out.
    static bool parseListenAddress(const QString &text, QHostAddress *address, quint16 *port);

signals:
    void sigClientsChanged(QStringList clients);
    // For the log and the status bar: a client came, went or was closed, and why.
    void sigMessage(QString text);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket, LumetraScpiSession *session);
    void closeClient(QTcpSocket *socket, const QString &reason);
    static QString peerOf(const QTcpSocket *socket);

    LumetraScpiInstrument *m_instrument;
    QTcpServer *m_server;
    QList<QPointer<QTcpSocket>> m_clients;
};
