#include "ShellTestMain.h"
#include "app/ConnectionBanner.h"
#include "app/ConnectionStatusBar.h"
#include "app/PortOpenAdvice.h"
#include "device/LumetraPortHolder.h"
#include "device/LumetraReconnector.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
const QString port = QStringLiteral("/nonexistent/lumetra-port");
const QString clockPattern = QStringLiteral("\\d\\d:\\d\\d:\\d\\d");

// What the link reports, step by step, as the reconnector receives it.
void drive(LumetraReconnector &r, const QString &step)
{
    if (step == QLatin1String("open")) {
        r.slotOpenRequested(port);
        r.slotCommunicationOpened(port);
    } else if (step == QLatin1String("query")) {
        r.slotBytesTransmitted(port, "ly_system_info\n");
    } else if (step == QLatin1String("identity")) {
        r.slotLineReceived("ly_system_info\n");
        r.slotLineReceived("Lumetra-10 Hardware:1.2 Firmware:V5.1.4\n");
        r.slotLineReceived("Serial number: LQZ10-2611-0042\n");
    } else if (step == QLatin1String("ready")) {
        r.slotConnectedStatus(true);
    } else if (step == QLatin1String("silent")) {
        r.slotConnectedStatus(false);
    } else if (step == QLatin1String("close")) {
        r.slotCloseRequested();
        r.slotCommunicationClosed(port);
    } else if (step == QLatin1String("choose other")) {
        r.slotOpenRequested(QStringLiteral("/nonexistent/other-port"));
    } else if (step == QLatin1String("unplug")) {
        r.slotCommunicationClosed(port);
    } else if (step == QLatin1String("back")) {
        r.slotCommunicationOpened(port);
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}
} // namespace

// The status bar's account of the link, from the link's own reports, and the banner's buttons.
class TestConnectionStatus : public QObject
{
    Q_OBJECT

private slots:
    void statusBarStates_data();
    void statusBarStates();
    void lastReportHeld_data();
    void lastReportHeld();
    void noLaserAnswers();
    void bannerButtons();
    void deviceTextIsPlain();
    void openAdvice_data();
    void openAdvice();
    void heldPortNamesItsHolder();
};

void TestConnectionStatus::statusBarStates_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("identityText");
    QTest::addColumn<QString>("statePattern");
    QTest::addColumn<int>("logLines");

    const QString identity = QStringLiteral("Lumetra-10, S/N LQZ10-2611-0042");
    QTest::newRow("nothing open") << QStringList{} << "No port"
                                  << ""
                                  << "^Closed$" << 0;
    QTest::newRow("quiet wait") << QStringList{"open"} << port << ""
                                << "^Connecting: waiting 2 s$" << 1;
    QTest::newRow("handshake") << QStringList{"open", "query"} << port << ""
                               << "^Connecting: handshake$" << 2;
    QTest::newRow("identified, not ready")
        << QStringList{"open", "query", "identity"} << port << identity << "^Connecting: handshake$" << 2;
    QTest::newRow("connected") << QStringList{"open", "query", "identity", "ready"} << port << identity
                               << "^Connected$" << 3;
    QTest::newRow("no answer")
        << QStringList{"open", "query", "identity", "ready", "silent"} << port << identity
        << QStringLiteral("^Unavailable since %1 \\(no answer since %1\\)$").arg(clockPattern) << 4;
    QTest::newRow("answers again") << QStringList{"open", "query", "identity", "ready", "silent", "ready"}
                                   << port << identity << "^Connected$" << 5;
    QTest::newRow("port lost") << QStringList{"open", "query", "identity", "ready", "unplug"} << port
                               << identity
                               << QStringLiteral("^Lost at %1, waiting for the port$").arg(clockPattern) << 4;
    // Until the other port opens, nothing is being waited for any more.
    QTest::newRow("other port chosen while lost")
        << QStringList{"open", "query", "identity", "ready", "unplug", "choose other"} << "No port"
        << ""
        << "^Closed$" << 5;
    QTest::newRow("operator close") << QStringList{"open", "query", "identity", "ready", "close"} << "No port"
                                    << ""
                                    << "^Closed$" << 4;
}

void TestConnectionStatus::statusBarStates()
{
    QFETCH(QStringList, steps);
    LumetraReconnector reconnector;
    ConnectionStatusBar bar;
    bar.follow(&reconnector);
    QSignalSpy log(&reconnector, &LumetraReconnector::logLine);
    for (const QString &step : qAsConst(steps))
        drive(reconnector, step);

    QTEST(bar.portText(), "portText");
    QTEST(bar.identityText(), "identityText");
    QFETCH(QString, statePattern);
    QVERIFY2(QRegularExpression(statePattern).match(bar.stateText()).hasMatch(), qPrintable(bar.stateText()));
    QTEST(log.count(), "logLines");
}

// While the link is down the bar tells the laser's last report as the past, and that emission may go
// on if it was emitting, until the laser answers again or the operator closes the port.
void TestConnectionStatus::lastReportHeld_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("reportPattern");
    QTest::addColumn<bool>("emission");

    const QStringList up{"open", "query", "identity", "ready"};
    const QString emitting = QStringLiteral("^Last report %1: laser on, output enabled$").arg(clockPattern);
    QTest::newRow("silence while emitting") << up + QStringList{"emitting", "silent"} << emitting << true;
    QTest::newRow("hang-up while emitting") << up + QStringList{"emitting", "unplug"} << emitting << true;
    QTest::newRow("port back, handshake under way")
        << up + QStringList{"emitting", "unplug", "back", "query"} << emitting << true;
    QTest::newRow("answers again") << up + QStringList{"emitting", "silent", "ready"} << "" << false;
    QTest::newRow("operator closes") << up + QStringList{"emitting", "silent", "close"} << "" << false;
}

void TestConnectionStatus::lastReportHeld()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, reportPattern);
    QFETCH(bool, emission);
    LumetraReconnector reconnector;
    ConnectionStatusBar bar;
    bar.follow(&reconnector);
    for (const QString &step : qAsConst(steps)) {
        if (step == QLatin1String("emitting"))
            bar.setReportedStatus(0x81);
        else
            drive(reconnector, step);
    }

    if (reportPattern.isEmpty())
        QVERIFY2(bar.lastReportText().isEmpty(), qPrintable(bar.lastReportText()));
    else
        QVERIFY2(QRegularExpression(reportPattern).match(bar.lastReportText()).hasMatch(),
                 qPrintable(bar.lastReportText()));
    QCOMPARE(bar.emissionText(), emission ? QStringLiteral("Emission may continue") : QString());
    const auto *shown = bar.findChild<QLabel *>(QStringLiteral("connectionEmission"));
    QVERIFY(shown);
    QCOMPARE(shown->isVisibleTo(&bar), emission);
}

// The handshake's retries go on; after ten seconds of them the bar and the log say that no laser answers.
void TestConnectionStatus::noLaserAnswers()
{
    LumetraReconnector reconnector;
    ConnectionStatusBar bar;
    QDateTime now = QDateTime::currentDateTime();
    bar.setClock([&now] { return now; });
    bar.follow(&reconnector);
    QSignalSpy said(&bar, &ConnectionStatusBar::noLaserAnswers);
    drive(reconnector, QStringLiteral("open"));
    drive(reconnector, QStringLiteral("query"));
    now = reconnector.since().addMSecs(9999);
    bar.refresh();
    QCOMPARE(bar.stateText(), QStringLiteral("Connecting: handshake"));
    QVERIFY(bar.findChild<QTimer *>()->isActive());

    now = reconnector.since().addSecs(10);
    bar.refresh();
    bar.refresh();
    const QString expected = QStringLiteral("No laser answers on ") + port;
    QCOMPARE(bar.stateText(), expected);
    QCOMPARE(said.count(), 1);
    QCOMPARE(said.first().first().toString(), expected);

    drive(reconnector, QStringLiteral("identity"));
    drive(reconnector, QStringLiteral("ready"));
    QCOMPARE(bar.stateText(), QStringLiteral("Connected"));
}

void TestConnectionStatus::bannerButtons()
{
    QWidget area;
    area.resize(800, 400);
    ConnectionBanner banner(&area);
    area.show();
    QSignalSpy cancelled(&banner, &ConnectionBanner::cancelled);
    auto *button = banner.findChild<QPushButton *>();
    QVERIFY(button);

    banner.showNotice(QStringLiteral("Another laser answered."));
    QVERIFY(banner.isVisible());
    QCOMPARE(banner.buttonText(), QStringLiteral("Close"));
    button->click();
    QVERIFY(!banner.isVisible());
    QCOMPARE(cancelled.count(), 0);

    banner.showWait(QStringLiteral("Connection lost."));
    QCOMPARE(banner.text(), QStringLiteral("Connection lost."));
    QCOMPARE(banner.buttonText(), QStringLiteral("Cancel"));
    // The banner spans its parent, also after the parent grows.
    area.resize(1000, 400);
    QTRY_COMPARE(banner.width(), 1000 - 2 * banner.x());
    button->click();
    QVERIFY(!banner.isVisible());
    QCOMPARE(cancelled.count(), 1);
}

// Denied access cannot be produced for real here (tests may run as the superuser), so the cause is given;
// the end-to-end test opens a port that is really held elsewhere.
// A laser's identity and a port's name are shown as written. As markup, an <img> would make the GUI
// thread load any file (one of /dev/zero froze it); a tall picture tells the two apart by height.
void TestConnectionStatus::deviceTextIsPlain()
{
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("tall.png"));
    QImage image(40, 1000, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(picture));
    const QString markup = QStringLiteral("<img src=\"%1\"><font size=7>X</font>").arg(picture);

    QWidget area;
    area.resize(800, 400);
    ConnectionBanner banner(&area);
    ConnectionStatusBar bar(&area);
    area.show();
    LumetraReconnector reconnector;
    bar.follow(&reconnector);
    const QString markedPort = folder.filePath(QStringLiteral("<b>port</b>"));
    reconnector.slotOpenRequested(markedPort);
    reconnector.slotCommunicationOpened(markedPort);
    reconnector.slotBytesTransmitted(markedPort, "ly_system_info\n");
    reconnector.slotLineReceived("ly_system_info\n");
    reconnector.slotLineReceived("Lumetra-10 Hardware:1.2 Firmware:V5.1.4\n");
    reconnector.slotLineReceived(QStringLiteral("Serial number: %1\n").arg(markup).toLatin1());
    banner.showNotice(markup);

    QCOMPARE(bar.identityText(), QStringLiteral("Lumetra-10, S/N ") + markup);
    QCOMPARE(bar.portText(), markedPort);
    const auto labels = area.findChildren<QLabel *>();
    QVERIFY(labels.size() >= 4);
    for (const QLabel *label : labels) {
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY2(label->sizeHint().height() < 500, qPrintable(label->text()));
    }

    // Nor does the laser set the window's width: a long answer is shortened, and kept whole as a tooltip.
    const QString serial(3000, QLatin1Char('9'));
    reconnector.slotLineReceived(QStringLiteral("Serial number: %1\n").arg(serial).toLatin1());
    QCOMPARE(bar.identityText(), QStringLiteral("Lumetra-10, S/N ") + serial);
    QVERIFY2(bar.sizeHint().width() < 1600, qPrintable(QString::number(bar.sizeHint().width())));
    auto *identity = bar.findChild<QLabel *>(QStringLiteral("connectionIdentity"));
    QVERIFY(identity && identity->toolTip().contains(serial));
}

void TestConnectionStatus::openAdvice_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("access");
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QString>("expected");
    const int permission = int(QSerialPort::PermissionError);
    QTest::newRow("gone") << int(QSerialPort::DeviceNotFoundError) << int(PortOpenAdvice::Access::Unknown)
                          << QString() << "does not exist any more";
    QTest::newRow("not allowed") << permission << int(PortOpenAdvice::Access::Denied) << QString()
                                 << "\"dialout\"";
    QTest::newRow("not allowed, udev rule")
        << permission << int(PortOpenAdvice::Access::Denied) << QString() << "70-lumetra-qz-serial.rules";
    QTest::newRow("held elsewhere") << permission << int(PortOpenAdvice::Access::Allowed) << QString()
                                    << "held by another program";
    QTest::newRow("held by the device server")
        << permission << int(PortOpenAdvice::Access::Allowed) << "LumetraQZ (process 4711)"
        << "in use by LumetraQZ (process 4711)";
    QTest::newRow("nothing to add") << int(QSerialPort::ReadError) << int(PortOpenAdvice::Access::Unknown)
                                    << QString() << "";
}

void TestConnectionStatus::openAdvice()
{
    QFETCH(int, error);
    QFETCH(int, access);
    QFETCH(QString, holder);
    QFETCH(QString, expected);
    const QString advice = PortOpenAdvice::explain(port, error, PortOpenAdvice::Access(access), holder);
    if (expected.isEmpty())
        QVERIFY(advice.isEmpty());
    else
        QVERIFY2(advice.contains(expected) && advice.contains(port), qPrintable(advice));
    if (access == int(PortOpenAdvice::Access::Denied))
        QVERIFY2(advice.contains(QLatin1String("log")), qPrintable(advice));
}

// A port held by another program (the device server, another panel) is refused with the serial library's
// "permission error"; the operator learns from its lock file who holds it.
void TestConnectionStatus::heldPortNamesItsHolder()
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    QSerialPort holder(slave);
    QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
    QSerialPort second(slave);
    QVERIFY(!second.open(QIODevice::ReadWrite));
    QCOMPARE(second.error(), QSerialPort::PermissionError);
    const QString named = QStringLiteral("(process %1)").arg(QCoreApplication::applicationPid());
    const QString advice = PortOpenAdvice::explain(slave, second.error());
    QVERIFY2(advice.contains(named) && advice.contains(slave), qPrintable(advice));
    holder.close();
    ::close(master);
    QVERIFY(LumetraPortHolder::of(slave).isEmpty());
}

SHELL_TEST_MAIN(TestConnectionStatus)
#include "tst_connectionstatus.moc"
