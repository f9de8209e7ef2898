#include "remote/LumetraScpiHeader.h"
#include "remote/LumetraScpiSession.h"

#include <QTest>

namespace {

// A laser as a session sees it: a few nodes of each kind, values at hand, writes noted.
class FakeLaser : public LumetraScpiInstrument
{
public:
    FakeLaser()
    {
        using N = Node;
        m_nodes = {
            {"MEASure:HUMidity", "hg.humidity", N::Read, "%", {}},
            {"MEASure:TEMPerature1", "temp.actual_1", N::Read, "°C", {}},
            {"[SOURce:]ENERgy", "laser.energy_setpoint", N::ReadWrite, "µJ", {}},
            {"OUTPut[:STATe]", "output", N::Action, {}, {}},
        };
    }
    QString identity() const override { return "LUMETRA,QZ-10,4711,2.1"; }
    const QVector<Node> &nodes() const override { return m_nodes; }
    Result read(const Node &node) override
    {
        if (!linkUp)
            return {LumetraScpiError::DataStale, "the laser does not answer"};
        return {0, values.value(node.key), false};
    }
    bool limits(const Node &node, double *min, double *max) const override
    {
        if (node.access != Node::ReadWrite)
            return false;
        *min = 0.5;
        *max = 40;
        return true;
    }
    Result write(const Node &node, double value, Settled settled) override
    {
        writes << QStringLiteral("%1=%2").arg(node.key).arg(value);
        waiting << settled;
        return {0, {}, true};
    }
    bool writesAllowed() const override { return allowed; }

    QVector<Node> m_nodes;
    QHash<QString, QString> values{
        {"hg.humidity", "61"}, {"temp.actual_1", "21.5"}, {"laser.energy_setpoint", "5"}};
    QStringList writes;
    QList<Settled> waiting;
    bool allowed = true;
    bool linkUp = true;
};

// The lines the session answers with, without their line feeds; kept with the session.
const QStringList &answers(LumetraScpiSession &session)
{
    auto *read = new QStringList;
    QObject::connect(&session, &QObject::destroyed, [read] { delete read; });
    QObject::connect(&session, &LumetraScpiSession::sigReply, [read](const QByteArray &line) {
        *read << QString::fromLatin1(line.endsWith('\n') ? line.chopped(1) : line + "(no line feed)");
    });
    return *read;
}

} // namespace

class tst_LumetraScpiSession : public QObject
{
    Q_OBJECT

private slots:
    void headerForms_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("matches");
        QTest::newRow("short") << "MEASure:HUMidity"
                               << "MEAS:HUM" << true;
        QTest::newRow("long") << "MEASure:HUMidity"
                              << "MEASURE:HUMIDITY" << true;
        QTest::newRow("neither form") << "MEASure:HUMidity"
                                      << "MEASU:HUM" << false;
        QTest::newRow("optional left out") << "[SOURce:]ENERgy"
                                           << "ENER" << true;
        QTest::newRow("optional written") << "[SOURce:]ENERgy"
                                          << "SOUR:ENER" << true;
        QTest::newRow("optional at the end") << "SYSTem:ERRor[:NEXT]"
                                             << "SYST:ERR:NEXT" << true;
        QTest::newRow("number on both forms") << "MEASure:TEMPerature1"
                                              << "MEAS:TEMP1" << true;
        QTest::newRow("other number") << "MEASure:TEMPerature1"
                                      << "MEAS:TEMP10" << false;
        QTest::newRow("node too many") << "MEASure:HUMidity"
                                       << "MEAS:HUM:HUM" << false;
    }
    void headerForms()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, written);
        QFETCH(bool, matches);
        QCOMPARE(LumetraScpiHeader(pattern).matches(written.split(':')), matches);
    }

    // A whole conversation: the lines a script sends, what it reads back, and what reaches the laser.
    void conversation_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<QStringList>("writes");
        const QString none = "0,\"No error\"";
        QTest::newRow("identity") << QStringList{"*IDN?"} << true << QStringList{"LUMETRA,QZ-10,4711,2.1"}
                                  << QStringList{};
        QTest::newRow("any case, short or long")
            << QStringList{"meas:hum?", "MEASURE:HUMIDITY?", "Meas:Temp1?"} << true
            << QStringList{"61", "61", "21.5"} << QStringList{};
        QTest::newRow("queries of one line answered in one")
            << QStringList{"MEAS:HUM?;TEMP1?;:ENER?"} << true << QStringList{"61;21.5;5"} << QStringList{};
        QTest::newRow("write, with and without the optional node")
            << QStringList{"ENER 12.5", "SOUR:ENER 1e1", "SYST:ERR?"} << true << QStringList{none}
            << QStringList{"laser.energy_setpoint=12.5", "laser.energy_setpoint=10"};
        QTest::newRow("limits") << QStringList{"ENER? MIN;ENER? MAX", "ENER MAX"} << true
                                << QStringList{"0.5;40"} << QStringList{"laser.energy_setpoint=40"};
        QTest::newRow("out of range: nothing sent")
            << QStringList{"ENER 99", "SYST:ERR?", "SYST:ERR?"} << true
            << QStringList{"-222,\"Data out of range;ENER 99 outside 0.5 to 40\"", none} << QStringList{};
        QTest::newRow("not allowed: nothing sent") << QStringList{"ENER 5", "OUTP ON", "SYST:ERR:COUN?"}
                                                   << false << QStringList{"2"} << QStringList{};
        QTest::newRow("queries while not allowed")
            << QStringList{"ENER?"} << false << QStringList{"5"} << QStringList{};
        QTest::newRow("actions") << QStringList{"OUTP ON", "OUTP:STAT OFF", "OUTP 2", "SYST:ERR?"} << true
                                 << QStringList{"-224,\"Illegal parameter value;OUTP 2\""}
                                 << QStringList{"output=1", "output=0"};
        QTest::newRow("a reading is no set-point")
            << QStringList{"MEAS:HUM 50", "SYST:ERR?"} << true
            << QStringList{"-113,\"Undefined header;MEAS:HUM is a query\""} << QStringList{};
        QTest::newRow("not a number")
            << QStringList{"ENER five", "ENER 5,6", "ENER", "SYST:ERR?;ERR?;ERR?"} << true
            << QStringList{"-104,\"Data type error;ENER five\";"
                           "-108,\"Parameter not allowed;ENER 5,6\";"
                           "-109,\"Missing parameter;ENER\""}
            << QStringList{};
        QTest::newRow("unknown header") << QStringList{"LASER:FIRE", "*TRG", "SYST:ERR?;ERR?"} << true
                                        << QStringList{"-113,\"Undefined header;LASER:FIRE\";"
                                                       "-113,\"Undefined header;*TRG\""}
                                        << QStringList{};
        QTest::newRow("no reset on a script's word")
            << QStringList{"*RST", "SYST:ERR?"} << true
            << QStringList{"-200,\"Execution error;*RST is not carried out on a laser\""} << QStringList{};
        QTest::newRow("event status")
            << QStringList{"ENER 99", "*ESR?", "*ESR?"} << true << QStringList{"16", "0"} << QStringList{};
        QTest::newRow("clear") << QStringList{"ENER 99", "*CLS", "SYST:ERR:COUN?;*ESR?"} << true
                               << QStringList{"0;0"} << QStringList{};
        QTest::newRow("a quoted semicolon is no separator")
            << QStringList{"MEAS:HUM? \";\"", "SYST:ERR?"} << true
            << QStringList{"-108,\"Parameter not allowed;MEAS:HUM? \"\";\"\"\""} << QStringList{};
    }
    void conversation()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, allowed);
        QFETCH(QStringList, replies);
        QFETCH(QStringList, writes);
        FakeLaser laser;
        laser.allowed = allowed;
        LumetraScpiSession session(&laser);
        const QStringList &read = answers(session);
        for (const QString &line : lines)
            session.receive(line.toLatin1() + "\r\n");
        QCOMPARE(read, replies);
        QCOMPARE(laser.writes, writes);
    }

    // What a careless or hostile client sends costs it an error, never the session.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("overlong line") << QByteArray(10 * 1024 * 1024, 'A') + "\n"
                                       << "-363,\"Input buffer overrun;line longer than 4096 bytes\"";
        QTest::newRow("binary") << QByteArray("MEAS:\x00\xff\x1bHUM?\n", 13)
                                << "-101,\"Invalid character;a byte that is no character\"";
        QTest::newRow("broken header") << QByteArray("MEAS:HUM!?\n") << "-102,\"Syntax error;MEAS:HUM!?\"";
    }
    void badInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        FakeLaser laser;
        LumetraScpiSession session(&laser);
        const QStringList &read = answers(session);
        // In pieces, as a socket hands them on.
        for (int at = 0; at < bytes.size(); at += 65536)
            session.receive(bytes.mid(at, 65536));
        session.receive("*IDN?\nSYST:ERR?\nSYST:ERR?\n");
        QCOMPARE(read, (QStringList{"LUMETRA,QZ-10,4711,2.1", error, "0,\"No error\""}));
    }

    void manyLinesInOnePiece()
    {
        FakeLaser laser;
        LumetraScpiSession session(&laser);
        const QStringList &read = answers(session);
        session.receive(QByteArray("MEAS:HUM?\n").repeated(1000));
        QCOMPARE(read.size(), 1000);
        QCOMPARE(session.queuedErrors(), 0);
    }

    void queueOverflowKeepsTheOldest()
    {
        FakeLaser laser;
        LumetraScpiSession session(&laser);
        for (int i = 0; i < 20; ++i)
            session.receive("ENER 99\n");
        QCOMPARE(session.queuedErrors(), LumetraScpiSession::MaxErrors);
        const QStringList &read = answers(session);
        for (int i = 0; i < LumetraScpiSession::MaxErrors; ++i)
            session.receive("SYST:ERR?\n");
        QVERIFY(read.first().startsWith("-222,"));
        QCOMPARE(read.last(), "-350,\"Queue overflow\"");
    }

    // *OPC? answers once the laser has reported every write before it; a refusal in the laser's own
    // words goes into the queue, and the lines sent meanwhile are answered after it, in order.
    void operationComplete_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("replies");
        QTest::newRow("reported") << QString() << QStringList{"1", "5", "0,\"No error\"", "1"};
        QTest::newRow("refused by the laser")
            << "Invalid energy, range 0.5-40"
            << QStringList{"1", "5", "-200,\"Execution error;Invalid energy, range 0.5-40\"", "17"};
    }
    void operationComplete()
    {
        QFETCH(QString, failure);
        QFETCH(QStringList, replies);
        FakeLaser laser;
        LumetraScpiSession session(&laser);
        const QStringList &read = answers(session);
        session.receive("ENER 7;*OPC;*OPC?\nENER?\nSYST:ERR?\n*ESR?\n");
        QCOMPARE(read, QStringList{});
        QCOMPARE(session.pendingWrites(), 1);
        QCOMPARE(laser.waiting.size(), 1);
        laser.waiting.takeFirst()(failure);
        QCOMPARE(read, replies);
    }

    void queryWhileTheLinkIsDown()
    {
        FakeLaser laser;
        laser.linkUp = false;
        LumetraScpiSession session(&laser);
        const QStringList &read = answers(session);
        session.receive("MEAS:HUM?\nSYST:ERR?\n");
        QCOMPARE(read, (QStringList{"9.91E37", "-230,\"Data corrupt or stale;the laser does not answer\""}));
    }
};

QTEST_GUILESS_MAIN(tst_LumetraScpiSession)
#include "tst_LumetraScpiSession.moc"
