#include "app/MainWindow.h"
#include "app/view/LumetraProgressTicker.h"
#include "app/view/LumetraSpotChangeDialog.h"
#include "app/view/LumetraView.h"
#include "device/LumetraController.h"
#include "device/LumetraManualClock.h"
#include "device/LumetraSerialHandler.h"
#include "dialkit/Button.h"
#include "dialkit/ComboBox.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/Indicator.h"
#include "dialkit/IndicatorButton.h"
#include "dialkit/LineEditNumber.h"
#include "framekit/GUIOverlay.h"
#include "framekit/GUIWidget.h"
#include "tests/device/reconnect/InProcessLaser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

namespace {
constexpr int connectTimeoutMs = 15000;

// The simulated laser on its own pseudo-terminal, with a transcript of what it received.
class SimulatedLaser
{
public:
    bool start(const QStringList &options)
    {
        if (!dir.isValid()) {
            return false;
        }
        transcriptPath = dir.filePath("transcript.log");
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(LUMETRA_SIM_PATH),
                      QStringList{"--fast", "--port-dir", dir.path(), "--log", transcriptPath} + options);
        if (!process.waitForStarted(5000)) {
            return false;
        }
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(5000)) {
                return false;
            }
        }
        port = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !port.isEmpty();
    }
    ~SimulatedLaser()
    {
        if (process.state() != QProcess::NotRunning) {
            process.write("quit\n");
            if (!process.waitForFinished(3000)) {
                process.kill();
                process.waitForFinished(3000);
            }
        }
    }
    void control(const QByteArray &line)
    {
        process.write(line + "\n");
        process.waitForBytesWritten(1000);
    }
    // Whether the laser has received `command`, written as the transcript escapes it ("...\n").
    bool received(const QString &command) const { return receivedCount(command) > 0; }
    int receivedCount(const QString &command) const { return countReceived(transcriptPath, command); }

    QString port;

private:
    QTemporaryDir dir;
    QString transcriptPath;
    QProcess process;
};

QString textOf(QWidget *root, const char *name)
{
    // The panel may be between two connections (the window reconnects by itself when a port returns).
    if (!root)
        return QString();
    if (auto *label = root->findChild<QLabel *>(QLatin1String(name))) {
        return label->text();
    }
    if (auto *edit = root->findChild<QLineEdit *>(QLatin1String(name))) {
        return edit->text();
    }
    return QStringLiteral("<missing %1>").arg(name);
}

void enter(ComboSlider *slider, const QString &number)
{
    LineEditNumber *field = slider->getLineInput();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, number);
    QTest::keyClick(field, Qt::Key_Return);
}
} // namespace

class TestPanelEnd2End : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir settingsDir;
    // The link's time, and the in-process laser's; it outlives every window.
    LumetraManualClock clock;
    std::unique_ptr<InProcessLaser> laser;
    std::unique_ptr<SimulatedLaser> ptyLaser;
    std::unique_ptr<MainWindow> window;
    // The window's link, once it has opened the in-process line; its thread is the one to wait for.
    std::atomic<QObject *> link{nullptr};

    LumetraView *view() const { return window ? window->findChild<LumetraView *>() : nullptr; }

    void settle() { settleWithLink(link.load()); }

    // Moves the time on a main-loop turn at a time until `done` holds, for at most `ms`.
    void runUntil(const std::function<bool()> &done, qint64 ms)
    {
        settle();
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += LumetraLinkEngine::MainLoopIntervalMs) {
            clock.advance(LumetraLinkEngine::MainLoopIntervalMs);
            if (laser) {
                laser->simulator->catchUp();
            }
            settle();
        }
    }

    // Starts the simulated laser in this process and connects the program to it as the Connect menu
    // does, both on the test's clock.
    void connectTo(const QStringList &options)
    {
        laser.reset(new InProcessLaser);
        QVERIFY(laser->start(options, &clock));
        LumetraPipeTransport *linkEnd = laser->linkEnd;
        LumetraSerialHandler::setTestDefaults(
            [this, linkEnd](const QString &, QObject *parent) {
                link = parent;
                linkEnd->moveToThread(parent->thread());
                linkEnd->setParent(parent);
                return linkEnd;
            },
            &clock);
        window.reset(new MainWindow);
        LumetraSerialHandler::setTestDefaults({}, nullptr);
        window->resize(1366, 768);
        window->show();
        emit window->sigOpenCommunication(laser->port);
        SIM_TRY_VERIFY(view() != nullptr, connectTimeoutMs);
        SIM_TRY_COMPARE(textOf(view(), "serialNumberInfo"), QString("LQZ10-2611-0042"), connectTimeoutMs);
        SIM_TRY_VERIFY(view()->parentWidget()->isEnabled(), connectTimeoutMs);
    }

    // The same over a pseudo-terminal to the simulator as a process of its own, in real time.
    void connectToPty(const QStringList &options)
    {
        ptyLaser.reset(new SimulatedLaser);
        QVERIFY(ptyLaser->start(options));
        window.reset(new MainWindow);
        window->resize(1366, 768);
        window->show();
        emit window->sigOpenCommunication(ptyLaser->port);
        QTRY_VERIFY_WITH_TIMEOUT(view() != nullptr, connectTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(textOf(view(), "serialNumberInfo"), QString("LQZ10-2611-0042"),
                                  connectTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(view()->parentWidget()->isEnabled(), connectTimeoutMs);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QCoreApplication::setOrganizationName("Zorvane");
        QCoreApplication::setApplicationName("LUMETRA-QZ-end2end");
    }

    void cleanup()
    {
        window.reset();
        link = nullptr;
        laser.reset();
        ptyLaser.reset();
    }

    // Each module type shows its own controls and the laser's identification.
    void moduleTypes_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<bool>("hgPage");
        QTest::addColumn<bool>("crystal");
        QTest::newRow("no module") << "none" << false << false;
        QTest::newRow("SHG 0x86") << "0x86" << true << false;
        QTest::newRow("THG 0x8d") << "0x8d" << true << true;
        QTest::newRow("SHG 0x90") << "0x90" << true << false;
        QTest::newRow("THG 0x93") << "0x93" << true << true;
    }

    void moduleTypes()
    {
        QFETCH(QString, module);
        QFETCH(bool, hgPage);
        QFETCH(bool, crystal);
        // The module is asked for only by the firmware that drives one.
        connectTo({"--module", module, "--system", "Lumetra-3"});
        LumetraView *panel = view();
        SIM_TRY_COMPARE(textOf(panel, "deviceOnTime"), QString("1234 hours 56 minutes"), 5000);
        SIM_TRY_COMPARE(textOf(panel, "emissionTime"), QString("987 hours 12 minutes"), 5000);
        QVERIFY(panel->findChild<QLabel *>("firmwareVersionInfo")->text().contains("V5.1.4"));
        QVERIFY(panel->tinyHeaderLabel()->text().contains("Lumetra-3"));
        if (hgPage) {
            SIM_TRY_VERIFY(panel->settingsMenu()->hasItemVisibility(LumetraView::HGPage), 5000);
            SIM_TRY_VERIFY(textOf(panel, "hgTypeField").contains(module, Qt::CaseInsensitive), 5000);
            SIM_TRY_COMPARE(!panel->findChild<QWidget *>("crystalGroup")->isHidden(), crystal, 5000);
            if (crystal) {
                SIM_TRY_VERIFY(laser->received("ls_crystal_curSpot?\\n"), 5000);
            }
        } else {
            SIM_TRY_VERIFY(laser->received("e_div?\\n"), 5000);
            QVERIFY(!panel->settingsMenu()->hasItemVisibility(LumetraView::HGPage));
            QVERIFY(!laser->received("ls_output_config?\\n"));
        }
    }

    void readingsReachThePanel()
    {
        connectTo({"--module", "0x8d", "--system", "Lumetra-3", "--set", "oven1 45.5", "--set",
                   "oven1-setpoint 45.5", "--set", "ir-energy 500", "--error", "12"});
        LumetraView *panel = view();
        // The sensors drift with noise; a reading far from the usual 25 °C can only come from this report.
        laser->control("set temperature 1 90");
        SIM_TRY_VERIFY(textOf(panel, "temperature1").toDouble() > 80.0, 5000);
        QVERIFY(QRegExp("\\d+\\.\\d\\d").exactMatch(textOf(panel, "temperature1")));
        SIM_TRY_COMPARE(textOf(panel, "oven1Actual"), QString("45.5°C"), 5000);
        SIM_TRY_COMPARE(textOf(panel, "energyReadout0"), QString("0.50 µJ"), 5000);
        SIM_TRY_COMPARE(textOf(panel, "hgErrorMessage"), QString("HG Error code: 12 - Oven Temperature."),
                        5000);
        QCOMPARE(quint32(panel->findChild<Indicator *>("hgErrorLamp")->color()), quint32(Indicator::Red));
        SIM_TRY_COMPARE(quint32(panel->findChild<Indicator *>("powerOnLamp")->color()),
                        quint32(Indicator::Green), 5000);

        laser->control("set humidity 47");
        laser->control("error 0");
        SIM_TRY_COMPARE(textOf(panel, "hgErrorMessage"), QString(), 5000);
        QCOMPARE(quint32(panel->findChild<Indicator *>("hgErrorLamp")->color()), quint32(Indicator::Grey));
    }

    void operatorActionsBecomeCommands()
    {
        connectTo({"--module", "0x8d", "--system", "Lumetra-3"});
        LumetraView *panel = view();
        laser->control("set state listen");

        auto *power = panel->findChild<ComboSlider *>("powerSlider");
        power->unitSelector()->checkCurrentIndex(1);
        enter(power, "12.5");
        SIM_TRY_VERIFY(laser->received("e_power=500\\n"), 5000);

        // The standby lamp follows the laser's report, not the click.
        const auto buttons = panel->findChildren<IndicatorButton *>();
        QCOMPARE(buttons.size(), 4);
        Indicator *standbyLamp = buttons.at(2)->indicator();
        SIM_TRY_VERIFY(buttons.at(3)->indicator()->color() == Indicator::Green &&
                           standbyLamp->color() == Indicator::Grey,
                       5000);
        buttons.at(2)->button()->click();
        QCOMPARE(quint32(standbyLamp->color()), quint32(Indicator::Grey));
        SIM_TRY_VERIFY(laser->received("ly_lqz2_standby\\n"), 5000);
        SIM_TRY_COMPARE(quint32(standbyLamp->color()), quint32(Indicator::Orange), 5000);

        // Picking another output asks twice; the command goes out after the first OK.
        panel->setControlPage(LumetraView::ControlPage);
        auto *selector = panel->findChild<ComboBox *>("wavelengthSelectorCombo");
        SIM_TRY_VERIFY(!panel->findChild<QWidget *>("wavelengthSelectorGroup")->isHidden(), 5000);
        SIM_TRY_VERIFY(laser->received("ls_wavelength?\\n"), 5000);
        const int output = selector->currentIndex() == 1 ? 2 : 1;
        const QString command = QStringLiteral("ls_wavelength=%1\\n").arg(output);
        int dialogs = 0;
        QTimer confirm;
        confirm.setInterval(5);
        connect(&confirm, &QTimer::timeout, [&dialogs]() {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++dialogs;
                dialog->accept();
            }
        });
        confirm.start();
        selector->checkCurrentIndex(output);
        SIM_TRY_COMPARE(dialogs, 2, 5000);
        confirm.stop();
        SIM_TRY_VERIFY(laser->received(command), 5000);
        QCOMPARE(laser->receivedCount(command), 1);

        // A new crystal spot: the command, the progress window, and the window closing on the report.
        panel->setControlPage(LumetraView::HGPage);
        auto *spot = panel->findChild<ComboSlider *>("crystalSlider");
        SIM_TRY_VERIFY(spot->isEnabled() && spot->value() >= 1, 5000);
        const int current = qRound(spot->value());
        const int target = current > 1 ? current - 1 : current + 1;
        enter(spot, QString::number(target));
        auto *dialog = panel->findChild<LumetraSpotChangeDialog *>();
        // The move is sent once the operator confirms it.
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(dialog->findChild<QAbstractButton *>("okButton"), Qt::LeftButton);
        SIM_TRY_VERIFY(laser->received(QStringLiteral("ls_crystal_setSpot=%1\\n").arg(target)), 5000);
        QCOMPARE(laser->receivedCount(QStringLiteral("ls_crystal_setSpot=%1\\n").arg(target)), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->ticker()->maximum(), 10);
        // The stage needs its ten seconds; the simulated one is told to arrive now, well before the bar is
        // full.
        laser->control(QStringLiteral("set spot %1").arg(target).toLatin1());
        SIM_TRY_VERIFY(!dialog->isVisible(), 3000);
        QVERIFY(dialog->ticker()->value() < 5);
        QCOMPARE(qRound(spot->value()), target);
    }

    void silenceGreysOutAndReconnectionRestores()
    {
        connectTo({"--module", "0x8d", "--system", "Lumetra-3"});
        LumetraView *panel = view();
        auto *widget = qobject_cast<GUIWidget *>(panel->parentWidget());
        QVERIFY(widget);
        auto *overlay = widget->findChild<GUIOverlay *>();
        QVERIFY(overlay);
        laser->control("silence forever");
        SIM_TRY_VERIFY(!widget->isEnabled(), 10000);
        QCOMPARE(overlay->disabledMessage(), QString("Unavailable"));
        QVERIFY(overlay->isVisible());
        QCOMPARE(textOf(panel, "serialNumberInfo"), QString("LQZ10-2611-0042"));
        laser->control("silence off");
        SIM_TRY_VERIFY(widget->isEnabled(), 15000);
        QCOMPARE(view(), panel);
        QCOMPARE(textOf(panel, "serialNumberInfo"), QString("LQZ10-2611-0042"));
    }

    // An unplugged adapter closes the port: the panel goes, and opening the port again brings a fresh one.
    void hangUpRemovesPanelAndReopeningRestoresIt()
    {
        connectToPty({"--module", "0x8d", "--system", "Lumetra-3"});
        QPointer<LumetraView> first = view();
        ptyLaser->control("hangup 1");
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), 10000);
        QVERIFY(!window->findChild<LumetraController *>());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(ptyLaser->port), 10000);
        emit window->sigOpenCommunication(ptyLaser->port);
        QTRY_VERIFY_WITH_TIMEOUT(view() != nullptr, connectTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(textOf(view(), "serialNumberInfo"), QString("LQZ10-2611-0042"),
                                  connectTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(view() && view()->parentWidget()->isEnabled(), connectTimeoutMs);
        QCOMPARE(window->findChildren<LumetraView *>().size(), 1);
    }
};

QTEST_MAIN(TestPanelEnd2End)
#include "tst_panelend2end.moc"
