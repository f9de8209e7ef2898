#include "device/LumetraController.h"
#include "device/LumetraQuantityTable.h"
#include "device/LumetraSerialHandler.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <iterator>

using namespace LumetraQuantityTable;

// A written quantity goes out as exactly the line the panel's control sends; the lines are the ones
// the controller's own command table test expects of those controls.
class tst_QuantityWrites : public QObject
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
        QCoreApplication::setApplicationName("tst_QuantityWrites");
    }

    void writeSendsThePanelsLine_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("moduleType");
        QTest::addColumn<QString>("systemText");
        QTest::addColumn<QStringList>("expected");

        struct Case
        {
            Id id;
            double value;
            const char *moduleType;
            const char *systemText;
            const char *line;
        };
        const Case cases[] = {
            {EnergySetpoint, 0.25, "", "", "ly_lqz2_power=250\n"},
            {PowerPercent, 12.5, "", "", "e_power=500\n"},
            {DivisionFactor, 2.9, "", "", "e_div 2\n"},
            {Oven1Setpoint, 150.26, "0x90", "", "ls_temp_setpoint=150.3\n"},
            {Oven2Setpoint, 151.0, "0x90", "", "ls_temp_setpoint_THG=151.0\n"},
            {CrystalSpot, 3.7, "", "", "ls_crystal_setSpot=3\n"},
            {PulsePickerRate, 40000.5, "", "", "e_freq 1\n"},
            {Wavelength, 1, "", "Lumetra-10 x", "ly_lqz_wvl 1\n"},
            {HarmonicOutput, 3, "", "", "ls_wavelength=3\n"},
        };
        int written = 0;
        for (int id = 0; id < count(); ++id)
            written += row(id).write != nullptr;
        // A row that becomes writable needs its line here.
        QCOMPARE(written, int(std::size(cases)));
        for (const Case &c : cases) {
            QTest::newRow(row(c.id).key) << int(c.id) << c.value << QString::fromLatin1(c.moduleType)
                                         << QString::fromLatin1(c.systemText) << QStringList{c.line};
        }
    }

    void writeSendsThePanelsLine()
    {
        QFETCH(int, id);
        QFETCH(double, value);
        QFETCH(QString, moduleType);
        QFETCH(QString, systemText);
        QFETCH(QStringList, expected);

        LumetraSerialHandler handler;
        LumetraController controller(&handler);
        LumetraResponseDecoder *decoder = controller.responseDecoder();
        if (!moduleType.isEmpty())
            emit decoder->sigsHGModuleType(moduleType);
        if (!systemText.isEmpty())
            emit decoder->sigsLumetraTypeChanged(systemText);
        emit decoder->sigFrequencyDivListChanged({{0, 1.0}, {1, 2.0}, {2, 4.0}});
        QStringList sent;
        connect(&controller, &LumetraController::sigAppendSettingsCommand, this,
                [&sent](const QString &line) { sent << line; });
        QVERIFY(row(id).write);
        row(id).write(&controller, value);
        QCOMPARE(sent, expected);
    }
};

QTEST_GUILESS_MAIN(tst_QuantityWrites)
#include "tst_QuantityWrites.moc"
