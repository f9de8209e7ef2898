#include "ShellTestMain.h"
#include "app/ConnectionBanner.h"
#include "app/ConnectionStatusBar.h"
#include "app/MainWindow.h"
#include "app/PortOpenAdvice.h"
#include "app/SerialMonitor.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraTransport.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"
#include "framekit/CenterTabWidget.h"
#include "framekit/GUIOverlay.h"
#include "framekit/GUIWidget.h"
#include "framekit/_AppLog.h"
#include "record/LumetraRecorder.h"
#include "tests/device/reconnect/InProcessLaser.h"
#include "tests/device/reconnect/SimProcess.h"

#include <QAbstractSocket>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPort>
#include <QStatusBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTextDocument>

#include <atomic>
#include <memory>

using State = LumetraReconnector::State;

namespace {
constexpr int stepTimeoutMs = 20000;
const QString identQuery = QStringLiteral("ly_system_info\\n");

QStringList connectMenuEntries(MainWindow &window)
{
    const QList<QAction *> bar = window.menuBar()->actions();
    for (QAction *entry : bar) {
        QMenu *menu = entry->menu();
        if (!menu ||
            (menu->title() != QLatin1String("&Connect") && menu->title() != QLatin1String("&Disconnect")))
            continue;
        // Shown as the menu bar shows it, so that the rebuild on opening runs.
        menu->popup(QPoint(0, 0));
        QStringList texts;
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions)
            if (!action->isSeparator())
                texts << action->text();
        menu->hide();
        return texts;
    }
    return {};
}
} // namespace

// The whole window against the simulated laser: the port vanishes and returns, another laser answers,
// the operator closes, the laser falls silent, and ports that cannot be opened. Where the port must be
// a real device (held by another program, or gone), the laser is a process on a pseudo-terminal in
// real time; elsewhere it runs in this process with the link on the test's clock, and where the Connect
// menu looks for the port in the file system, a file stands for it while it is there.
class TestReconnect : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;
    std::unique_ptr<SimProcess> laser;
    // The link's time and the in-process laser's; it outlives every window.
    LumetraManualClock clock;
    std::unique_ptr<InProcessLaser> simLaser;
    // A laser that was behind the in-process port before simLaser; kept until the test ends, as the
    // link may still hold its end.
    std::unique_ptr<InProcessLaser> retiredLaser;
    std::unique_ptr<MainWindow> window;
    // The window's link once it has opened the in-process port, and the end its next open takes.
    std::atomic<QObject *> link{nullptr};
    std::atomic<LumetraPipeTransport *> spareEnd{nullptr};
    // The system's serial ports as the window's watch sees them: the in-process port while it is there.
    QList<LumetraReconnector::PortEntry> listed;
    qint64 comebackAt = -1;

    void settle() { settleWithLink(link.load()); }
    // An end ready for the link's next open of the in-process port, while the port is there.
    void keepSpareEnd()
    {
        if (!spareEnd.load() && simLaser->simPort->isOpen())
            spareEnd = simLaser->simPort->plugIn();
    }
    // Moves the time on a main-loop turn at a time, the watch looking every second, until `done` holds;
    // for at most `ms`.
    void runUntil(const std::function<bool()> &done, qint64 ms)
    {
        settle();
        const qint64 step = LumetraLinkEngine::MainLoopIntervalMs;
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += step) {
            clock.advance(step);
            if (comebackAt >= 0 && clock.nowMs() >= comebackAt) {
                comebackAt = -1;
                simLaser->comeBack();
                listed = {{simLaser->port, QString(), 0, 0}};
            }
            keepSpareEnd();
            simLaser->simulator->catchUp();
            settle();
            if (clock.nowMs() % LumetraReconnector::DefaultWatchIntervalMs == 0)
                QMetaObject::invokeMethod(watch(), "watchTick");
        }
    }
    void runFor(qint64 ms)
    {
        runUntil([] { return false; }, ms);
    }
    // The in-process port goes away; it comes back after the given milliseconds, never when negative.
    void hangUpInProcess(qint64 comebackMs)
    {
        simLaser->hangUp();
        listed.clear();
        delete spareEnd.exchange(nullptr);
        comebackAt = comebackMs < 0 ? -1 : clock.nowMs() + comebackMs;
    }
    // Starts a laser behind the in-process port; by the file at `publishedPath` as its name, if given.
    void startInProcess(const QStringList &options, const QString &publishedPath)
    {
        simLaser.reset(new InProcessLaser);
        if (!publishedPath.isEmpty())
            simLaser->publishAt(publishedPath);
        QVERIFY(simLaser->start(options, &clock));
        listed = {{simLaser->port, QString(), 0, 0}};
        keepSpareEnd();
    }
    // A window whose link opens the in-process port, on the test's clock.
    void openInProcessWindow()
    {
        LumetraSerialHandler::setTestDefaults(
            [this](const QString &name, QObject *parent) -> LumetraTransport * {
                link = parent;
                LumetraPipeTransport *end = name == simLaser->port ? spareEnd.exchange(nullptr) : nullptr;
                if (!end)
                    return new LumetraPipeTransport(parent);
                end->moveToThread(parent->thread());
                end->setParent(parent);
                return end;
            },
            &clock);
        // The window it replaces, and that one's link, go first.
        window.reset();
        link = nullptr;
        openWindow();
        LumetraSerialHandler::setTestDefaults({}, nullptr);
        // Its looks come from runUntil(), on the test's clock.
        watch()->setWatchInterval(std::numeric_limits<int>::max());
        watch()->setPortLister([this] { return listed; });
    }
    // The window's link is known to the test only once it has opened the port, on its own thread at a
    // turn on the test's clock. Until that turn is due, runUntil() could not wait for that thread and
    // would run the clock past the open.
    void waitForOpenTurn()
    {
        QTRY_VERIFY_WITH_TIMEOUT(clock.nextDueAt() != LumetraLinkEngine::Never, stepTimeoutMs);
    }
    void connectInProcess(const QString &publishedPath = QString())
    {
        startInProcess({}, publishedPath);
        openInProcessWindow();
        emit window->sigOpenCommunication(simLaser->port);
        waitForOpenTurn();
        SIM_TRY_COMPARE(watch()->state(), State::Connected, stepTimeoutMs);
        SIM_TRY_COMPARE(tabCount(), 2, stepTimeoutMs);
    }

    // A file that stands for the in-process port while it is there, one for each test.
    QString publishedPort() const
    {
        return folder.filePath(QStringLiteral("%1-port").arg(QLatin1String(QTest::currentTestFunction())));
    }
    QString transcriptPath(const QString &name) const
    {
        return folder.filePath(
            QStringLiteral("%1-%2.log").arg(QLatin1String(QTest::currentTestFunction()), name));
    }
    LumetraReconnector *watch() const { return window->connectionWatch(); }
    int tabCount() const
    {
        auto *center = qobject_cast<CenterTabWidget *>(window->centralWidget());
        return center ? center->getTabWidget()->count() : -1;
    }
    void startLaser(const QStringList &options = {})
    {
        laser.reset(new SimProcess(QStringLiteral(LUMETRA_SIM_PATH), folder.path(), transcriptPath("laser")));
        QVERIFY(laser->start(options));
    }
    void openWindow()
    {
        window.reset(new MainWindow);
        window->resize(1366, 768);
        window->show();
    }
    static QString logText() { return _AppLog::instance()->getLogDocument()->toPlainText(); }
    // The laser switched on with its output enabled, as the window has heard it.
    void makeLaserEmit()
    {
        simLaser->control("set state on");
        simLaser->control("set output 1");
        SIM_TRY_COMPARE(window->connectionStatusBar()->operatorState().kind(),
                        LumetraOperatorState::Kind::Emitting, stepTimeoutMs);
    }
    // While the link is down, the banner and the status bar keep the last report and its warning.
    void checkLastReportHeld()
    {
        const QRegularExpression report(
            QStringLiteral("^Last report \\d\\d:\\d\\d:\\d\\d: laser on, output enabled$"));
        ConnectionBanner *banner = window->connectionBanner();
        ConnectionStatusBar *bar = window->connectionStatusBar();
        QVERIFY(banner->isVisible());
        QVERIFY2(report.match(banner->lastReportText()).hasMatch(), qPrintable(banner->lastReportText()));
        QVERIFY2(report.match(bar->lastReportText()).hasMatch(), qPrintable(bar->lastReportText()));
        QCOMPARE(banner->warningText(), QStringLiteral("Emission may continue"));
        QCOMPARE(bar->emissionText(), QStringLiteral("Emission may continue"));
    }

private slots:
    void cleanup()
    {
        window.reset();
        link = nullptr;
        delete spareEnd.exchange(nullptr);
        comebackAt = -1;
        simLaser.reset();
        retiredLaser.reset();
        laser.reset();
    }

    void sameLaserComesBack()
    {
        connectInProcess();
        makeLaserEmit();
        hangUpInProcess(2000);
        SIM_TRY_COMPARE(watch()->state(), State::Lost, stepTimeoutMs);
        ConnectionBanner *banner = window->connectionBanner();
        checkLastReportHeld();
        const QRegularExpression lost(
            QStringLiteral("^Connection to %1 lost at \\d\\d:\\d\\d:\\d\\d — reconnecting "
                           "when it returns\\.$")
                .arg(QRegularExpression::escape(simLaser->port)));
        QVERIFY2(lost.match(banner->text()).hasMatch(), qPrintable(banner->text()));
        QCOMPARE(banner->buttonText(), QStringLiteral("Cancel"));
        QVERIFY(window->connectionStatusBar()->stateText().startsWith(QLatin1String("Lost at ")));
        QCOMPARE(tabCount(), 1);
        // Typed in the serial monitor while the port is gone: the operator is told it went nowhere.
        auto *monitor = window->findChild<SerialMonitor *>();
        QVERIFY(monitor);
        emit monitor->sigSendCommand("ly_lqz2_standby\n");
        const QString dropped = QStringLiteral("Command \"ly_lqz2_standby\" dropped: the port is lost");
        QCOMPARE(window->statusBar()->currentMessage(), dropped);
        QVERIFY(logText().contains(dropped));

        SIM_TRY_COMPARE(watch()->state(), State::Connected, stepTimeoutMs);
        SIM_TRY_COMPARE(tabCount(), 2, stepTimeoutMs);
        QVERIFY(!banner->isVisible());
        QVERIFY(window->connectionStatusBar()->emissionText().isEmpty());
        QCOMPARE(window->connectionStatusBar()->identityText(),
                 QStringLiteral("Lumetra-10, S/N LQZ10-2611-0042"));
        // The new controller polls again after the second handshake.
        SIM_TRY_VERIFY(simLaser->transcript().indexOf(QStringLiteral("RX \"s9\\n\""),
                                                      simLaser->transcript().lastIndexOf(identQuery)) > 0,
                       stepTimeoutMs);
        QCOMPARE(simLaser->receivedCount(identQuery), 2);
        // The recording tells the loss as a loss, and the command as never sent.
        auto *recorder = window->findChild<LumetraRecorder *>();
        QVERIFY(recorder);
        recorder->flush();
        QStringList history;
        for (const RecordEvent &e : recorder->store().events(0, recorder->now(), false))
            history.prepend(QString::number(e.severity) + ' ' + e.text);
        QVERIFY2(history.contains(QStringLiteral("1 Port %1 lost").arg(simLaser->port)),
                 qPrintable(history.join('\n')));
        QVERIFY(history.contains(QStringLiteral("1 ly_lqz2_standby (not sent: the port is lost)")));
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("Connection to %1 lost at").arg(simLaser->port)));
        QVERIFY(log.contains(
            QStringLiteral("Connected again to %1 (Lumetra-10 LQZ10-2611-0042).").arg(simLaser->port)));
    }

    void cancelStopsWaiting()
    {
        connectInProcess();
        hangUpInProcess(1000);
        SIM_TRY_COMPARE(watch()->state(), State::Lost, stepTimeoutMs);
        auto *cancel = window->connectionBanner()->findChild<QPushButton *>();
        QVERIFY(cancel);
        cancel->click();
        QCOMPARE(watch()->state(), State::Closed);
        QVERIFY(!window->connectionBanner()->isVisible());
        SIM_TRY_VERIFY(!listed.isEmpty(), stepTimeoutMs);
        runFor(LumetraReconnector::DefaultWatchIntervalMs * 3 / 2);
        QCOMPARE(watch()->state(), State::Closed);
        QCOMPARE(simLaser->receivedCount(identQuery), 1);
        // The lost laser's history ends with the operator giving up on it, not with the loss.
        auto *recorder = window->findChild<LumetraRecorder *>();
        QVERIFY(recorder);
        recorder->flush();
        const QVector<RecordEvent> events = recorder->store().events(0, recorder->now(), false);
        QVERIFY(!events.isEmpty());
        QCOMPARE(events.first().text, QStringLiteral("Stopped waiting for %1 to return").arg(simLaser->port));
    }

    // The Connect menu's choice of the lost port while it is still gone: the wait goes on.
    void reconnectDuringOutage()
    {
        connectInProcess();
        hangUpInProcess(5000);
        SIM_TRY_COMPARE(watch()->state(), State::Lost, stepTimeoutMs);
        window->connectMenuHandler(simLaser->port);
        SIM_TRY_VERIFY(logText().contains(QStringLiteral("%1 open failed").arg(simLaser->port)),
                       stepTimeoutMs);
        QCOMPARE(watch()->state(), State::Lost);
        QVERIFY2(window->connectionBanner()->text().startsWith(QStringLiteral("Connection to ")),
                 qPrintable(window->connectionBanner()->text()));
        SIM_TRY_COMPARE(watch()->state(), State::Connected, stepTimeoutMs);
        SIM_TRY_COMPARE(tabCount(), 2, stepTimeoutMs);
        QVERIFY(!window->connectionBanner()->isVisible());
    }

    void otherLaserStaysClosed()
    {
        connectInProcess(publishedPort());
        hangUpInProcess(-1);
        SIM_TRY_COMPARE(watch()->state(), State::Lost, stepTimeoutMs);
        retiredLaser = std::move(simLaser);
        startInProcess({QStringLiteral("--serial-number"), QStringLiteral("LQZ10-2611-0099")},
                       publishedPort());
        SIM_TRY_COMPARE(watch()->state(), State::OtherLaser, stepTimeoutMs);
        SIM_TRY_COMPARE(tabCount(), 1, stepTimeoutMs);
        const QString text = window->connectionBanner()->text();
        QVERIFY2(
            text.startsWith(QStringLiteral("Another laser answered on %1 (Lumetra-10, S/N LQZ10-2611-0099) "
                                           "instead of Lumetra-10, S/N LQZ10-2611-0042")
                                .arg(simLaser->port)),
            qPrintable(text));
        QVERIFY(window->connectionBanner()->isVisible());
        // Closed, and the operator may choose that port again deliberately.
        QCOMPARE(connectMenuEntries(*window).value(0), QStringLiteral("Reconnect ") + simLaser->port);
    }

    // The operator's close is final, and the port is remembered for the next time.
    void operatorCloseAndRememberedPort()
    {
        connectInProcess(publishedPort());
        window->connectMenuHandler(simLaser->port);
        SIM_TRY_COMPARE(watch()->state(), State::Closed, stepTimeoutMs);
        QVERIFY(!window->connectionBanner()->isVisible());
        QCOMPARE(window->connectionStatusBar()->portText(), QStringLiteral("No port"));
        // Past more than one look for the port: still closed.
        runFor(LumetraReconnector::DefaultWatchIntervalMs * 3 / 2);
        QCOMPARE(watch()->state(), State::Closed);
        QCOMPARE(simLaser->receivedCount(identQuery), 1);

        QCOMPARE(MainWindow::lastPort(), simLaser->port);
        QCOMPARE(connectMenuEntries(*window).value(0), QStringLiteral("Reconnect ") + simLaser->port);

        MainWindow::setConnectsAtStartup(true);
        openInProcessWindow();
        window->connectAtStartup();
        waitForOpenTurn();
        SIM_TRY_COMPARE(watch()->state(), State::Connected, stepTimeoutMs);
        QCOMPARE(simLaser->receivedCount(identQuery), 2);

        // Without the port there is nothing to reconnect to.
        window.reset();
        link = nullptr;
        hangUpInProcess(-1);
        openInProcessWindow();
        window->connectAtStartup();
        QVERIFY(!connectMenuEntries(*window).value(0).startsWith(QLatin1String("Reconnect")));
        QCOMPARE(watch()->state(), State::Closed);
        MainWindow::setConnectsAtStartup(false);
    }

    void silentLaserUnavailable()
    {
        connectInProcess();
        makeLaserEmit();
        simLaser->control("silence forever");
        SIM_TRY_COMPARE(watch()->state(), State::Unavailable, stepTimeoutMs);
        checkLastReportHeld();
        QVERIFY2(window->connectionStatusBar()->stateText().startsWith(QLatin1String("Unavailable since ")),
                 qPrintable(window->connectionStatusBar()->stateText()));
        auto *page = window->findChild<GUIWidget *>();
        QVERIFY(page);
        SIM_TRY_VERIFY(!page->isEnabled(), stepTimeoutMs);
        QCOMPARE(page->getOverlay()->disabledMessage(), QStringLiteral("Unavailable"));
        QVERIFY2(QRegularExpression(QStringLiteral("^No echo since \\d\\d:\\d\\d:\\d\\d$"))
                     .match(page->getOverlay()->reasonMessage())
                     .hasMatch(),
                 qPrintable(page->getOverlay()->reasonMessage()));
        // Under the overlay the Laser On lamp keeps the colour of the last report.
        Indicator *laserOn = page->findChildren<IndicatorButton *>().value(1)->indicator();
        const QImage lamp = laserOn->grab().toImage();
        QCOMPARE(lamp.pixel(lamp.width() / 2, lamp.height() / 2), quint32(Indicator::Red));

        simLaser->control("silence off");
        SIM_TRY_COMPARE(watch()->state(), State::Connected, stepTimeoutMs);
        QVERIFY(page->getOverlay()->reasonMessage().isEmpty());
        QVERIFY(!window->connectionBanner()->isVisible());
        QVERIFY(window->connectionStatusBar()->lastReportText().isEmpty());
    }

    void openFailureSaysWhy_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("advice");
        QTest::newRow("held by this test") << true
                                           << QStringLiteral("is in use by %1")
                                                  .arg(QStringLiteral("tst_shell_recon (process %1)")
                                                           .arg(QCoreApplication::applicationPid()));
        QTest::newRow("gone") << false << "does not exist any more";
    }
    void openFailureSaysWhy()
    {
        QFETCH(bool, held);
        QFETCH(QString, advice);
        startLaser();
        QSerialPort holder(laser->port);
        QString port = folder.filePath(QStringLiteral("no-such-port"));
        if (held) {
            QVERIFY(holder.open(QIODevice::ReadWrite));
            port = laser->port;
        }
        openWindow();
        emit window->sigOpenCommunication(port);
        QTRY_VERIFY_WITH_TIMEOUT(window->connectionBanner()->isVisible(), stepTimeoutMs);
        const QString text = window->connectionBanner()->text();
        QVERIFY2(text.startsWith(QStringLiteral("Could not open %1. %1 ").arg(port)) && text.contains(advice),
                 qPrintable(text));
        QCOMPARE(watch()->state(), State::Closed);
    }

    // A network port that does not connect is explained by its cause, not as a serial device file.
    void networkOpenFailureSaysWhy_data()
    {
        QTest::addColumn<int>("socketError");
        QTest::addColumn<QString>("advice");
        QTest::newRow("refused") << int(QAbstractSocket::ConnectionRefusedError) << "raw TCP mode";
        QTest::newRow("unknown host") << int(QAbstractSocket::HostNotFoundError) << "host name";
        QTest::newRow("unreachable") << int(QAbstractSocket::NetworkError) << "cannot be reached";
        QTest::newRow("silent") << int(QAbstractSocket::SocketTimeoutError) << "Nothing answered";
    }
    void networkOpenFailureSaysWhy()
    {
        QFETCH(int, socketError);
        QFETCH(QString, advice);
        const QString port = QStringLiteral("socket://rack-7.lab:4001");
        const QString text = PortOpenAdvice::explain(port, LumetraTransport::NetworkErrorBase + socketError);
        QVERIFY2(text.contains(advice) && text.contains(port), qPrintable(text));
    }

    // The window's banner for a refused connection, from the link's own report of it.
    void refusedNetworkPortExplained()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString port = QStringLiteral("socket://127.0.0.1:%1").arg(probe.serverPort());
        probe.close();
        openWindow();
        emit window->sigOpenCommunication(port);
        QTRY_VERIFY_WITH_TIMEOUT(window->connectionBanner()->isVisible(), stepTimeoutMs);
        const QString text = window->connectionBanner()->text();
        QVERIFY2(text.startsWith(QStringLiteral("Could not open %1. ").arg(port)) &&
                     text.contains(QLatin1String("nothing accepts connections")),
                 qPrintable(text));
        QCOMPARE(watch()->state(), State::Closed);
    }
};

SHELL_TEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
