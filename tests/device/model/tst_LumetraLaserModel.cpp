#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraSerialHandler.h"
#include "sim/Simulator.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace LumetraQuantityTable;

namespace {

struct ThreadStopper
{
    QThread &thread;
    ~ThreadStopper()
    {
        thread.quit();
        thread.wait(3000);
    }
};

QStringList missing(const LumetraLaserModel &model, unsigned modules)
{
    QStringList keys;
    for (int id = 0; id < count(); ++id) {
        if ((row(id).modules & modules) && !model.value(id).known)
            keys << QString::fromLatin1(row(id).key);
    }
    return keys;
}

} // namespace

class tst_LumetraLaserModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir settingsDir;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QCoreApplication::setOrganizationName("LumetraTest");
        QCoreApplication::setApplicationName("tst_LumetraLaserModel");
    }

    // Every quantity a module is said to report arrives through the real decoder, and the module is
    // recognised as the one that answers; when the link ends the values stay, no longer valid.
    void everyRowFromAPollCycle_data()
    {
        QTest::addColumn<QString>("moduleType");
        QTest::addColumn<unsigned>("module");
        QTest::newRow("SHG 0x86") << "0x86" << unsigned(Shg);
        QTest::newRow("THG 0x8d") << "0x8d" << unsigned(Thg);
        QTest::newRow("THGi 0x93") << "0x93" << unsigned(Thgi);
    }

    void everyRowFromAPollCycle()
    {
        QFETCH(QString, moduleType);
        QFETCH(unsigned, module);

        QTemporaryDir portDir;
        QVERIFY(portDir.isValid());
        SimOptions options;
        options.identity.moduleType = moduleType;
        options.fast = true;
        options.linkDirectory = portDir.path();
        options.name = "model-e2e";
        Simulator simulator(options);
        QString error;
        QVERIFY2(simulator.start(&error), qPrintable(error));

        QThread thread;
        const ThreadStopper stopper{thread};
        auto *handler = new LumetraSerialHandler;
        handler->moveToThread(&thread);
        connect(&thread, SIGNAL(started()), handler, SLOT(slotMainLoop()));
        connect(&thread, &QThread::finished, handler, &QObject::deleteLater);
        LumetraController controller(handler);
        LumetraLaserModel model;
        model.attach(&controller);
        connect(handler, &LumetraSerialHandler::sigConnectedStatus, &model, &LumetraLaserModel::setLinkLive);
        thread.start();
        QMetaObject::invokeMethod(&controller, "slotMainLoop", Qt::QueuedConnection);
        QMetaObject::invokeMethod(handler, "slotOpenCommunication", Q_ARG(QString, simulator.portPath()));

        const unsigned expected = Base | module;
        // The system state comes only with the answer to a change of state, as the operator makes one.
        QTRY_VERIFY_WITH_TIMEOUT(model.isValid(StatusByte), 10000);
        controller.standbyChanged(true);
        const bool complete = QTest::qWaitFor(
            [&] { return missing(model, expected).isEmpty() && model.modules() == expected; }, 15000);
        Q_UNUSED(complete)
        QVERIFY2(missing(model, expected).isEmpty(), qPrintable(missing(model, expected).join(", ")));
        QCOMPARE(model.modules(), expected);
        QVERIFY(model.isValid(EnergySetpoint));
        // In the panel's unit: the laser reports the set-point in nJ.
        QVERIFY(model.number(EnergySetpoint) > 0 && model.number(EnergySetpoint) < 1000);

        const LumetraLaserModel::Value before = model.value(EnergySetpoint);
        QSet<int> invalidated;
        connect(&model, &LumetraLaserModel::changed, this, [&](const QSet<int> &ids) { invalidated += ids; });
        model.setLinkLive(false);
        QVERIFY(invalidated.contains(EnergySetpoint));
        QVERIFY(!model.isValid(EnergySetpoint));
        QCOMPARE(model.number(EnergySetpoint), before.number);
        QCOMPARE(model.value(EnergySetpoint).time, before.time);
    }
};

QTEST_GUILESS_MAIN(tst_LumetraLaserModel)
#include "tst_LumetraLaserModel.moc"
