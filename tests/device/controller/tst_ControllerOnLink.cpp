#include "device/LumetraController.h"
#include "device/LumetraSerialHandler.h"
#include "tests/device/reconnect/InProcessLaser.h"

#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

namespace {

const QStringList basePolls{"s6\n",       "s7\n",      "s8\n",    "s9\n", "ly_lqz2_power?\n",
                            "e_power?\n", "e_freq?\n", "e_div?\n"};

// The monitored part of every complete poll cycle on the wire: the writes between two "s6" that
// the controller did not queue as one-shot commands.
QList<QStringList> pollCycles(const QStringList &written, const QSet<QString> &oneShots)
{
    QList<QStringList> cycles;
    int start = -1;
    for (int i = 0; i < written.size(); ++i) {
        if (written[i] != basePolls.first())
            continue;
        if (start >= 0) {
            QStringList cycle;
            for (int k = start; k < i; ++k) {
                if (!oneShots.contains(written[k]))
                    cycle << written[k];
            }
            cycles << cycle;
        }
        start = i;
    }
    return cycles;
}

// Stops the link's thread however the test ends, before the controller goes.
struct ThreadStopper
{
    QThread &thread;
    ~ThreadStopper()
    {
        thread.quit();
        thread.wait(3000);
    }
};

} // namespace

// The controller on the real link, on its worker thread, talking to the simulated laser. Link and laser
// run in this process on the test's clock.
class tst_ControllerOnLink : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir settingsDir;
    // Outlives the links made on it.
    LumetraManualClock testClock;
    InProcessLaser *laser = nullptr;
    QObject *link = nullptr;
    QObject *controllerLoop = nullptr;

    void settle() { settleWithLink(link); }
    // Moves the time on a main-loop turn at a time until `done` holds, for at most `ms`. The
    // controller's loop turns on a timer of its own in real time, which would lag behind the test's
    // clock: here it turns with each step of that clock instead, as it would on its 10 ms grid.
    void runUntil(const std::function<bool()> &done, qint64 ms)
    {
        settle();
        for (qint64 elapsed = 0; elapsed < ms && !done(); elapsed += LumetraLinkEngine::MainLoopIntervalMs) {
            testClock.advance(LumetraLinkEngine::MainLoopIntervalMs);
            laser->simulator->catchUp();
            QMetaObject::invokeMethod(controllerLoop, "slotMainLoop");
            settle();
        }
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QCoreApplication::setOrganizationName("LumetraTest");
        QCoreApplication::setApplicationName("tst_ControllerOnLink");
    }

    void pollListPerModule_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QStringList>("modulePolls");
        QTest::addColumn<bool>("reportAgain");

        const QStringList tail{"ls_wavelength?\n", "ls_status?\n", "ls_errorcode?\n", "ls_output_power?\n",
                               "ls_module_runtime?\n"};
        const QStringList crystal{"ls_crystal_allRuntimes?\n", "ls_crystal_curSpot?\n",
                                  "ls_crystal_curRuntime?\n", "ls_crystal_maxRuntime?\n"};
        const QStringList ovens{"ls_enable?\n", "ls_temp_setpoint?\n", "ls_temp_oven?\n",
                                "ly_lqz2_output?\n"};
        const QStringList dwls{"ls_dwls_enable?\n", "ls_dwls_default?\n"};
        QTest::newRow("SHG 0x86") << "0x86" << QStringList{"ls_humidity?\n"} + ovens + tail << false;
        QTest::newRow("THG 0x8d") << "0x8d" << ovens + crystal + tail << false;
        QTest::newRow("SHG 0x90") << "0x90" << QStringList{"ls_humidity?\n"} + ovens + tail + dwls << false;
        QTest::newRow("THGi 0x93") << "0x93" << QStringList{"ls_humidity?\n"} + ovens + crystal + tail + dwls
                                   << true;
    }

    void pollListPerModule()
    {
        QFETCH(QString, module);
        QFETCH(QStringList, modulePolls);
        QFETCH(bool, reportAgain);
        const QStringList expected = basePolls + modulePolls;

        InProcessLaser simLaser;
        QVERIFY(simLaser.start({"--module", module}, &testClock));
        laser = &simLaser;
        LumetraPipeTransport *linkEnd = simLaser.linkEnd;

        QThread thread;
        const ThreadStopper stopper{thread};
        auto *handler = new LumetraSerialHandler(testClock);
        handler->setTransportFactory([linkEnd](const QString &, QObject *parent) {
            linkEnd->moveToThread(parent->thread());
            linkEnd->setParent(parent);
            return linkEnd;
        });
        handler->moveToThread(&thread);
        link = handler;
        connect(&thread, SIGNAL(started()), handler, SLOT(slotMainLoop()));
        connect(&thread, &QThread::finished, handler, &QObject::deleteLater);
        QStringList written;
        connect(handler, &LumetraSerialHandler::sigBytesTransmitted, this,
                [&](const QString &, const QByteArray &bytes) { written << QString::fromLatin1(bytes); });

        LumetraController controller(handler);
        controllerLoop = &controller;
        QSet<QString> oneShots{"ly_system_info\n", "ly_lqz2_dev_status?\n"};
        connect(&controller, &LumetraController::sigAppendSettingsCommand, this, [&](QString command) {
            if (!command.endsWith('\n'))
                command += '\n';
            oneShots << command;
        });
        thread.start();
        QMetaObject::invokeMethod(&controller, "slotMainLoop", Qt::QueuedConnection);
        QMetaObject::invokeMethod(handler, "slotOpenCommunication", Q_ARG(QString, simLaser.port));

        SIM_TRY_VERIFY(pollCycles(written, oneShots).contains(expected), 20000);
        QVERIFY(written.contains("ls?\n"));
        QVERIFY(written.contains("d2?\n"));

        // Another module report runs the whole sequence again; the link must still poll each query once.
        // (The feature selection has asked for the module more than once already; this makes sure.)
        if (!reportAgain)
            return;
        const int mark = written.size();
        controller.slotSendManualCommand("ls?\n");
        SIM_TRY_VERIFY(written.mid(mark).contains("ls?\n"), 10000);
        const int afterReport = written.lastIndexOf("ls?\n");
        SIM_TRY_VERIFY(pollCycles(written.mid(afterReport), oneShots).size() >= 1, 10000);
        for (const QStringList &cycle : pollCycles(written.mid(afterReport), oneShots))
            QCOMPARE(cycle, expected);
    }
};

QTEST_GUILESS_MAIN(tst_ControllerOnLink)
#include "tst_ControllerOnLink.moc"
