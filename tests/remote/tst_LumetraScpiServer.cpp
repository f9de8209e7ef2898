#include "remote/LumetraScpiInstrument.h"
#include "remote/LumetraScpiServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <vector>

namespace {

class Idn : public LumetraScpiInstrument
{
public:
    QString identity() const override { return QStringLiteral("LUMETRA,QZ-10,4711,2.1"); }
    const QVector<Node> &nodes() const override { return m_nodes; }
    Result read(const Node &) override { return {}; }
    bool limits(const Node &, double *, double *) const override { return false; }
    Result write(const Node &, double, Settled) override { return {}; }
    bool writesAllowed() const override { return false; }
    QVector<Node> m_nodes;
};

std::unique_ptr<QTcpSocket> connectTo(const LumetraScpiServer &server)
{
    auto socket = std::make_unique<QTcpSocket>();
    const QStringList hostPort = server.address().split(':');
    socket->connectToHost(hostPort.at(0), hostPort.at(1).toUShort());
    return socket->waitForConnected(5000) ? std::move(socket) : nullptr;
}

// Server and clients share this thread: waiting runs its event loop rather than blocking it.
QByteArray nextLine(QTcpSocket &socket)
{
    QElapsedTimer waited;
    waited.start();
    while (!socket.canReadLine() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return socket.canReadLine() ? socket.readLine() : QByteArray("(no answer)");
}

QByteArray askIdentity(QTcpSocket &socket)
{
    socket.write("*IDN?\n");
    return nextLine(socket);
}

} // namespace

// The server on a real loopback port: what clients see, and that none of them can take it down.
class tst_LumetraScpiServer : public QObject
{
    Q_OBJECT

private slots:
    void listenAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::newRow("port only: loopback") << "5025"
                                             << "127.0.0.1" << 5025;
        QTest::newRow("address and port") << "0.0.0.0:6000"
                                          << "0.0.0.0" << 6000;
        QTest::newRow("IPv6") << "[::1]:5025"
                              << "::1" << 5025;
        QTest::newRow("localhost") << "localhost:5025"
                                   << "127.0.0.1" << 5025;
        QTest::newRow("port 0") << "0"
                                << "" << 0;
        QTest::newRow("port too big") << "70000"
                                      << "" << 0;
        QTest::newRow("host name") << "lab-pc:5025"
                                   << "" << 0;
        QTest::newRow("empty") << ""
                               << "" << 0;
    }
    void listenAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(int, port);
        QHostAddress parsed;
        quint16 number = 0;
        QCOMPARE(LumetraScpiServer::parseListenAddress(text, &parsed, &number), port != 0);
        if (port != 0) {
            QCOMPARE(parsed.toString(), address);
            QCOMPARE(int(number), port);
        }
    }

    void clientsComeAndGo()
    {
        Idn laser;
        LumetraScpiServer server(&laser);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0, nullptr));
        QSignalSpy changes(&server, &LumetraScpiServer::sigClientsChanged);
        auto client = connectTo(server);
        QVERIFY(client);
        QCOMPARE(askIdentity(*client), QByteArray("LUMETRA,QZ-10,4711,2.1\n"));
        QCOMPARE(server.clients().size(), 1);
        QVERIFY(server.clients().first().startsWith("127.0.0.1:"));
        client->disconnectFromHost();
        QTRY_VERIFY(server.clients().isEmpty());
        QCOMPARE(changes.size(), 2);
    }

    // One client too many is told why it is turned away; those already there go on.
    void tooManyClients()
    {
        Idn laser;
        LumetraScpiServer server(&laser);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0, nullptr));
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < LumetraScpiServer::MaxClients; ++i) {
            clients.push_back(connectTo(server));
            QVERIFY(clients.back());
            QCOMPARE(askIdentity(*clients.back()), QByteArray("LUMETRA,QZ-10,4711,2.1\n"));
        }
        auto extra = connectTo(server);
        QVERIFY(extra);
        QCOMPARE(nextLine(*extra), QByteArray("-200,\"Execution error;too many clients, at most 4\"\n"));
        QTRY_COMPARE(extra->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(askIdentity(*clients.front()), QByteArray("LUMETRA,QZ-10,4711,2.1\n"));
    }

    // A 10 MB line costs its sender an error, not the connection; a client that never reads its
    // answers is closed with the reason before it costs the program more memory, and another client
    // is answered throughout.
    void clientsThatMisbehave()
    {
        Idn laser;
        LumetraScpiServer server(&laser);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0, nullptr));
        QSignalSpy messages(&server, &LumetraScpiServer::sigMessage);
        auto flooder = connectTo(server);
        auto deaf = connectTo(server);
        auto good = connectTo(server);
        QVERIFY(flooder && deaf && good);

        flooder->write(QByteArray(10 * 1024 * 1024, 'A') + "\nSYST:ERR?\n");
        QCOMPARE(nextLine(*flooder),
                 QByteArray("-363,\"Input buffer overrun;line longer than 4096 bytes\"\n"));

        deaf->setReadBufferSize(4096);
        deaf->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        const QByteArray queries = QByteArray("*IDN?\n").repeated(20000);
        for (int i = 0; i < 50 && deaf->state() == QAbstractSocket::ConnectedState; ++i) {
            deaf->write(queries);
            QCOMPARE(askIdentity(*good), QByteArray("LUMETRA,QZ-10,4711,2.1\n"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            !server.clients().contains(QStringLiteral("127.0.0.1:%1").arg(deaf->localPort())), 30000);
        QVERIFY(messages.size() > 0);
        QVERIFY2(messages.last().first().toString().endsWith("it does not read its answers"),
                 qPrintable(messages.last().first().toString()));
        QCOMPARE(askIdentity(*good), QByteArray("LUMETRA,QZ-10,4711,2.1\n"));
    }
};

QTEST_GUILESS_MAIN(tst_LumetraScpiServer)
#include "tst_LumetraScpiServer.moc"
