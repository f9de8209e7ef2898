#include "app/device/LumetraController.h"
#include "app/device/LumetraSerialHandler.h"
#include "app/record/LumetraControllerTap.h"
#include "app/record/LumetraRecordQuantities.h"
#include "app/record/LumetraRecorder.h"
#include "sim/SimControl.h"
#include "sim/SimLaser.h"
#include "sim/Simulator.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// The recorder behind the real link on its worker thread, talking to the simulated laser: a humidity
// the operator of the simulator sets shows up as a recorded reading and as a humidity-fault alarm.
class tst_RecorderOnSim : public QObject
{
    Q_OBJECT

private slots:
    void humidityReadingAndAlarm()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SimOptions options;
        options.identity.moduleType = "0x90";
        options.fast = true;
        options.linkDirectory = dir.path();
        options.name = "record-e2e";
        Simulator simulator(options);
        QString error;
        QVERIFY2(simulator.start(&error), qPrintable(error));
        SimControl control(&simulator);

        QThread thread;
        // Stops the link's thread however the test ends.
        struct Stopper
        {
            QThread &thread;
            ~Stopper()
            {
                thread.quit();
                thread.wait(5000);
            }
        } stopper{thread};
        auto *link = new LumetraSerialHandler;
        link->moveToThread(&thread);
        connect(&thread, SIGNAL(started()), link, SLOT(slotMainLoop()));
        connect(&thread, &QThread::finished, link, &QObject::deleteLater);
        LumetraRecorder recorder(dir.path() + "/recordings");
        recorder.setFlushIntervalMs(100);
        recorder.attachLinkAndDecode(link);
        LumetraController controller(link);
        LumetraControllerTap::attach(&recorder, &controller);
        thread.start();
        QMetaObject::invokeMethod(&controller, "slotMainLoop", Qt::QueuedConnection);
        QMetaObject::invokeMethod(link, "slotOpenCommunication", Q_ARG(QString, simulator.portPath()));
        for (const char *query : {"ls?", "ls_humidity?", "ls_status?"})
            QMetaObject::invokeMethod(link, "slotAddMonitorCommand",
                                      Q_ARG(QString, QString::fromLatin1(query)));

        const auto recorded = [&](const char *key, double value) {
            const int q = LumetraRecordQuantities::indexOf(key);
            for (const RecordSample &s : recorder.store().samples(q, 0, recorder.now()))
                if (s.value == value)
                    return true;
            return false;
        };
        const auto humidityAlarm = [&] {
            for (const RecordEvent &e : recorder.store().activeAlarms())
                if (e.alarmKey == "hg.humidity_fault")
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(recorder.store().isOpen(), 20000);
        QVERIFY(!humidityAlarm());
        QVERIFY(control.execute("set humidity 61").startsWith("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(recorded("hg.humidity", 61) && humidityAlarm(), 20000);
        // The controller's lamp for the same fault, recorded as a derived state.
        QTRY_VERIFY_WITH_TIMEOUT(recorded("ctl.humidity_fault", 1), 5000);

        // A laser that stops answering is not a laser that went dark: what it reported last stays the
        // last recorded value, and nothing the program resets on the loss is stored as a reading.
        QVERIFY(control.execute("silence 30").startsWith("ok"));
        const auto lost = [&] {
            for (const RecordEvent &e : recorder.store().events(0, recorder.now(), false))
                if (e.text == "Connection to the laser lost")
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lost(), 20000);
        QTest::qWait(300); // two more flushes
        const auto last = [&](const char *key) {
            const QVector<RecordSample> all =
                recorder.store().samples(LumetraRecordQuantities::indexOf(key), 0, recorder.now());
            return all.isEmpty() ? -1.0 : all.last().value;
        };
        QCOMPARE(last("hg.humidity"), 61.0);
        QCOMPARE(last("ctl.humidity_fault"), 1.0);
        QCOMPARE(last("ctl.power_on"), 1.0);

        // The connection's story comes first, in order.
        QStringList texts;
        for (const RecordEvent &e : recorder.store().events(0, recorder.now(), false))
            texts.prepend(e.text);
        QCOMPARE(texts.mid(0, 2),
                 (QStringList{"Port " + simulator.portPath() + " opened",
                              "Identified laser " + simulator.laser()->identity().serialNumber}));
    }
};

QTEST_GUILESS_MAIN(tst_RecorderOnSim)
#include "tst_RecorderOnSim.moc"
