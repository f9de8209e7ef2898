#include "device/LumetraOperatorState.h"
#include "device/LumetraResponseDecoder.h"

#include <QtTest>

using Kind = LumetraOperatorState::Kind;
using Link = LumetraReconnector::State;

namespace {
const QString port = QStringLiteral("/dev/ttyUSB0");
const QDateTime now(QDate(2026, 3, 4), QTime(14, 5, 0));
const QDateTime reportTime(QDate(2026, 3, 4), QTime(14, 2, 11));
} // namespace

// The laser's state in words, from the link and its last report: above all, a link that is down never
// tells the last report as the present, and a laser last seen emitting is said to be possibly emitting.
class TestLumetraOperatorState : public QObject
{
    Q_OBJECT

private slots:
    void evaluate_data();
    void evaluate();
};

void TestLumetraOperatorState::evaluate_data()
{
    QTest::addColumn<Link>("link");
    QTest::addColumn<int>("linkAgeMs");
    QTest::addColumn<int>("statusByte");
    QTest::addColumn<int>("systemState");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("lastReport");
    QTest::addColumn<bool>("emissionMayContinue");

    const QString emitting = QStringLiteral("Last report 14:02:11: laser on, output enabled");
    // Live: the report is the present, so there is no "last report".
    QTest::newRow("laser on, output disabled") << Link::Connected << 0 << 0x41 << 0 << Kind::LaserOn
                                               << "Connected to /dev/ttyUSB0: laser on, output disabled"
                                               << "" << false;
    QTest::newRow("emitting") << Link::Connected << 0 << 0x81 << int(SystemStateEnabled) << Kind::Emitting
                              << "Connected to /dev/ttyUSB0: laser on, output enabled"
                              << "" << false;
    QTest::newRow("emitting with a warning") << Link::Connected << 0 << 0x85 << 0 << Kind::Warning
                                             << "Connected to /dev/ttyUSB0: laser on, output enabled, warning"
                                             << "" << false;
    QTest::newRow("error") << Link::Connected << 0 << 0x23 << 0 << Kind::Fault
                           << "Connected to /dev/ttyUSB0: standby, error"
                           << "" << false;

    // Down: the last report with its time, and whether emission may go on.
    QTest::newRow("silent while emitting")
        << Link::Unavailable << 0 << 0x81 << int(SystemStateEnabled) << Kind::Silent
        << "The laser on /dev/ttyUSB0 does not answer" << emitting << true;
    QTest::newRow("port lost while emitting")
        << Link::Lost << 0 << 0x81 << 0 << Kind::Lost << "/dev/ttyUSB0 is lost" << emitting << true;
    QTest::newRow("lost while turning the output on")
        << Link::Lost << 0 << 0x31 << int(SystemStateStandbyToEnabled) << Kind::Lost << "/dev/ttyUSB0 is lost"
        << "Last report 14:02:11: changing from standby to laser on, output enabled" << true;
    // A transition line is history once the status byte no longer reports a change.
    QTest::newRow("lost in standby after emission")
        << Link::Lost << 0 << 0x21 << int(SystemStateEnabled) << Kind::Lost << "/dev/ttyUSB0 is lost"
        << "Last report 14:02:11: standby" << false;
    QTest::newRow("lost, only a transition line heard")
        << Link::Lost << 0 << -1 << int(SystemStateEnabled) << Kind::Lost << "/dev/ttyUSB0 is lost"
        << emitting << true;
    // The operator closed: nothing of the laser is told any more.
    QTest::newRow("closed after emission") << Link::Closed << 0 << 0x81 << 0 << Kind::Closed << "No port open"
                                           << "" << false;

    // The handshake: no laser answers only after a while, and a report held from before stays.
    QTest::newRow("handshake begun") << Link::Handshake << 9000 << -1 << 0 << Kind::Connecting
                                     << "Connecting to /dev/ttyUSB0"
                                     << "" << false;
    QTest::newRow("handshake unanswered")
        << Link::Handshake << 10000 << -1 << 0 << Kind::NoAnswer << "No laser answers on /dev/ttyUSB0"
        << "" << false;
    QTest::newRow("reconnection unanswered") << Link::Handshake << 60000 << 0x81 << 0 << Kind::NoAnswer
                                             << "No laser answers on /dev/ttyUSB0" << emitting << true;
}

void TestLumetraOperatorState::evaluate()
{
    QFETCH(Link, link);
    QFETCH(int, linkAgeMs);
    QFETCH(int, statusByte);
    QFETCH(int, systemState);
    QFETCH(QString, lastReport);
    QFETCH(bool, emissionMayContinue);

    LumetraOperatorState::Report report;
    report.statusByte = statusByte;
    report.systemState = systemState;
    report.time = reportTime;
    const LumetraOperatorState s =
        LumetraOperatorState::evaluate(link, port, now.addMSecs(-linkAgeMs), report, now);
    QTEST(s.kind(), "kind");
    QTEST(s.reason(), "reason");
    QCOMPARE(s.lastReportText(), lastReport);
    QCOMPARE(s.emissionText(), emissionMayContinue ? QStringLiteral("Emission may continue") : QString());
    QCOMPARE(s.isLive(), link == Link::Connected);
}

QTEST_GUILESS_MAIN(TestLumetraOperatorState)
#include "tst_LumetraOperatorState.moc"
