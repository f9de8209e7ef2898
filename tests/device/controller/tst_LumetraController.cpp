#include "device/LumetraController.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"

#include <QMetaMethod>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>
#include <memory>

namespace {

using Runtimes = QMap<int, quint64>;

// Records every signal of the controller: the command signals in one ordered wire log, the view
// signals each in its own spy.
class Recorder
{
public:
    explicit Recorder(LumetraController *controller)
    {
        const QMetaObject *mo = controller->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod method = mo->method(i);
            if (method.methodType() == QMetaMethod::Signal)
                spies[method.name()] = std::make_unique<QSignalSpy>(
                    controller, QByteArray("2" + method.methodSignature()).constData());
        }
        QObject::connect(controller, &LumetraController::sigAddMonitorCommand, controller,
                         [this](const QString &c) { wire << "poll " + c; });
        QObject::connect(controller, &LumetraController::sigDelMonitorCommand, controller,
                         [this](const QString &c) { wire << "del " + c; });
        QObject::connect(controller, &LumetraController::sigClrAllMonitorCommands, controller,
                         [this] { wire << "clear"; });
        QObject::connect(controller, &LumetraController::sigAppendSettingsCommand, controller,
                         [this](const QString &c) { wire << "queue " + c; });
    }

    QSignalSpy &spy(const char *name)
    {
        auto it = spies.find(name);
        if (it == spies.end())
            qFatal("no signal %s", name);
        return *it->second;
    }
    int count(const char *name) { return spy(name).count(); }
    QVariant last(const char *name, int arg = 0)
    {
        QSignalSpy &s = spy(name);
        return s.isEmpty() ? QVariant() : s.last().value(arg);
    }
    QStringList with(const QString &kind) const
    {
        QStringList out;
        for (const QString &entry : wire) {
            if (entry.startsWith(kind + ' '))
                out << entry.mid(kind.size() + 1);
        }
        return out;
    }
    QStringList queued() const { return with("queue"); }
    QStringList polled() const { return with("poll"); }

    QStringList wire;

private:
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies;
};

// A controller on a real (unopened) link, as the main window builds it, with its log lines caught.
struct Rig
{
    Rig()
    {
        ctrl.setLogSink([this](const QString &line) { log << line; });
    }

    LumetraSerialHandler handler;
    LumetraController ctrl{&handler};
    LumetraResponseDecoder *dec = ctrl.findChild<LumetraResponseDecoder *>();
    Recorder rec{&ctrl};
    QStringList log;

    QString logText() const { return log.join('\n'); }

    void turn() { QMetaObject::invokeMethod(&ctrl, "slotMainLoop", Qt::DirectConnection); }
};

// Calls a slot by name with plain arguments (int, double, bool, QString, QByteArray).
bool invokeByName(QObject *object, const QByteArray &name, QVariantList args)
{
    const QMetaObject *mo = object->metaObject();
    for (int i = 0; i < mo->methodCount(); ++i) {
        const QMetaMethod method = mo->method(i);
        if (method.name() != name || method.parameterCount() != args.size())
            continue;
        QGenericArgument a[3];
        for (int k = 0; k < args.size(); ++k) {
            if (!args[k].convert(method.parameterType(k)))
                return false;
            a[k] = QGenericArgument(args[k].typeName(), args[k].constData());
        }
        return method.invoke(object, Qt::DirectConnection, a[0], a[1], a[2]);
    }
    return false;
}

} // namespace

class tst_LumetraController : public QObject
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
        QCoreApplication::setApplicationName("tst_LumetraController");
        LumetraResponseDecoder::registerMetaTypes();
    }

    void everyDecoderSignalReachesItsSlot()
    {
        Rig r;
        const QMetaObject *mo = r.dec->metaObject();
        int signalCount = 0;
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            if (mo->method(i).methodType() == QMetaMethod::Signal)
                ++signalCount;
        }
        // All but the emission times and the never-emitted gate signal.
        QCOMPARE(r.ctrl.decoderConnectionCount(), signalCount - 3);
    }

    void commandTable_data()
    {
        QTest::addColumn<QString>("moduleType");
        QTest::addColumn<QString>("systemText");
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QStringList>("expected");

        auto row = [](const char *name, QByteArray slot, QVariantList args, QStringList expected,
                      QString moduleType = {}, QString systemText = {}) {
            QTest::newRow(name) << moduleType << systemText << slot << args << expected;
        };
        row("mode 0", "slotOperatingModeChanged", {0}, {"e_mode 2\n"});
        row("mode 1", "slotOperatingModeChanged", {1}, {"e_mode 3\n"});
        row("mode 2", "slotOperatingModeChanged", {2}, {"e_mode 8\n"});
        row("mode 3", "slotOperatingModeChanged", {3}, {});
        row("hg wavelength", "wavelengthSelectorComboChanged", {3}, {"ls_wavelength=3\n"});
        row("hg wavelength none", "wavelengthSelectorComboChanged", {-1}, {});
        row("hg wavelength past deep UV", "wavelengthSelectorComboChanged", {4}, {});
        row("energy 0.25", "power_uJ_Changed", {0.25}, {"ly_lqz2_power=250\n"});
        row("energy rounds", "power_uJ_Changed", {1.2346}, {"ly_lqz2_power=1235\n"});
        row("energy nan", "power_uJ_Changed", {std::nan("")}, {});
        row("percent 12.5", "powerPercentChanged", {12.5}, {"e_power=500\n"});
        row("percent 12.51", "powerPercentChanged", {12.51}, {"e_power=500\n"});
        row("percent 99.99", "powerPercentChanged", {99.99}, {"e_power=3999\n"});
        row("percent huge", "powerPercentChanged", {1e300}, {});
        row("division 2.9", "divisionChanged", {2.9}, {"e_div 2\n"});
        row("division inf", "divisionChanged", {HUGE_VAL}, {});
        row("output on", "outEnableChanged", {true}, {"ly_lqz2_output_enable\n"});
        row("output off", "outEnableChanged", {false}, {"ly_lqz2_output_disable\n"});
        row("laser on", "laserOnChanged", {true}, {"ly_lqz2_disabled\n"});
        row("laser on off", "laserOnChanged", {false}, {"ly_lqz2_disabled\n"});
        row("standby", "standbyChanged", {false}, {"ly_lqz2_standby\n"});
        row("listen", "listenChanged", {true}, {"ly_lqz2_listen\n"});
        row("wavelength", "wavelengthChanged", {1}, {"ly_lqz_wvl 1\n"}, {}, "Lumetra-10 x");
        row("wavelength L2", "wavelengthChanged", {2}, {"ly_lqz2_wvl 2\n"}, {}, "LUMETRA-2");
        row("wavelength L3", "wavelengthChanged", {2}, {"ly_lqz_wvl 2\n"}, {}, "Lumetra-3");
        row("wavelength none", "wavelengthChanged", {-1}, {});
        row("oven mode 0", "ovenModeComboChanged", {0}, {"ls_enable=2"});
        row("oven mode 1", "ovenModeComboChanged", {1}, {"ls_enable=4"});
        row("oven mode 5", "ovenModeComboChanged", {5}, {"ls_enable=4"});
        row("oven mode none", "ovenModeComboChanged", {-1}, {});
        row("oven1 0x90", "oven1SetpointChanged", {150.26}, {"ls_temp_setpoint=150.3\n"}, "0x90");
        row("oven1 0x86", "oven1SetpointChanged", {40.0}, {"ls_temp_setpoint=40.0\n"}, "type 0x86");
        row("oven1 0x93", "oven1SetpointChanged", {40.04}, {"ls_temp_setpoint_SHG=40.0\n"}, "0x93");
        row("oven2", "oven2SetpointChanged", {151.0}, {"ls_temp_setpoint_THG=151.0\n"}, "0x90");
        row("crystal", "crystalSpotSliderChanged", {3.7}, {"ls_crystal_setSpot=3\n"});
        row("gate", "digitalGateModeChanged", {1}, {"ly_lqz2_digiop=1\n", "ly_lqz2_digiop?\n"});
        row("dwls on", "dynamicWavelengthFeatureChanged", {1}, {"ls_dwls_enable=1\n"});
        row("dwls save", "dynamicWLS_SaveSetpoint", {2, 1.5},
            {"ls_dwls_default=2,1500\n", "ls_dwls_default?\n"});
        row("dwls save g6", "dynamicWLS_SaveSetpoint", {0, 0.0012345678},
            {"ls_dwls_default=0,1.23457\n", "ls_dwls_default?\n"});
        row("dwls save no harmonic", "dynamicWLS_SaveSetpoint", {4, 1.5}, {});
        row("manual", "slotSendManualCommand", {QByteArray("ls?\n\0junk", 9)}, {"ls?\n"});
        row("unit choice", "powerIndexChanged", {1}, {});
    }

    void commandTable()
    {
        QFETCH(QString, moduleType);
        QFETCH(QString, systemText);
        QFETCH(QByteArray, slot);
        QFETCH(QVariantList, args);
        QFETCH(QStringList, expected);

        Rig r;
        if (!moduleType.isEmpty())
            emit r.dec->sigsHGModuleType(moduleType);
        if (!systemText.isEmpty())
            emit r.dec->sigsLumetraTypeChanged(systemText);
        r.rec.wire.clear();
        QVERIFY(invokeByName(&r.ctrl, slot, args));
        QCOMPARE(r.rec.queued(), expected);
        QCOMPARE(r.rec.wire.size(), expected.size());
    }

    void repRateLists_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<double>("value");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("40000.5 kHz") << QByteArray("repRateChanged") << 40000.5 << QStringList{"e_freq 1\n"};
        QTest::newRow("40001 kHz") << QByteArray("repRateChanged") << 40001.0 << QStringList{};
        QTest::newRow("80000 kHz") << QByteArray("repRateChanged") << 79999.2 << QStringList{"e_freq 0\n"};
        QTest::newRow("divider 4") << QByteArray("repRateDividerChanged") << 4.0 << QStringList{"e_freq 2\n"};
        // 1.5 lies within 1 of both 1 and 2: the later index wins.
        QTest::newRow("divider 1.5") << QByteArray("repRateDividerChanged") << 1.5
                                     << QStringList{"e_freq 1\n"};
        QTest::newRow("divider 6") << QByteArray("repRateDividerChanged") << 6.0 << QStringList{};
    }

    void repRateLists()
    {
        QFETCH(QByteArray, slot);
        QFETCH(double, value);
        QFETCH(QStringList, expected);

        Rig r;
        emit r.dec->sigFrequencyDivListChanged({{0, 1.0}, {1, 2.0}, {2, 4.0}});
        QCOMPARE(r.rec.last("setRepRateSteps").value<QList<double>>(), (QList<double>{80000, 40000, 20000}));
        QCOMPARE(r.rec.last("setRepRateDividerSteps").value<QList<double>>(), (QList<double>{4, 2, 1}));
        QVERIFY(invokeByName(&r.ctrl, slot, {value}));
        QCOMPARE(r.rec.queued(), expected);
    }

    void digitalGateReadBackFollowsTimingChange()
    {
        Rig r;
        emit r.dec->sigFrequencyDivListChanged({{0, 1.0}, {1, 2.0}});
        r.ctrl.repRateChanged(40000);
        QCOMPARE(r.rec.queued(), QStringList{"e_freq 1\n"});
        QTRY_COMPARE_WITH_TIMEOUT(r.rec.queued(), (QStringList{"e_freq 1\n", "ly_lqz2_digiop?\n"}), 3000);
    }

    void reportedRateAndOutputRate()
    {
        Rig r;
        emit r.dec->sigFrequencyDivListChanged({{0, 1.0}, {1, 2.0}, {2, 4.0}});
        emit r.dec->sigFrequencyIndexChanged(1);
        QCOMPARE(r.rec.last("setRepRate").toDouble(), 40000.0);
        QCOMPARE(r.rec.last("setRepRateDivider").toDouble(), 2.0);
        emit r.dec->sigDivisionFactorChanged(4);
        QCOMPARE(r.rec.last("setDivision").toDouble(), 4.0);
        QCOMPARE(r.rec.last("setOutputRepRate").toDouble(), 10000.0);
        // An index the laser's table does not have keeps the last one.
        emit r.dec->sigFrequencyIndexChanged(9);
        QCOMPARE(r.rec.count("setRepRate"), 1);
        QCOMPARE(r.rec.last("setOutputRepRate").toDouble(), 10000.0);
        emit r.dec->sigOutputFrequencyChanged(250.0);
        QCOMPARE(r.rec.last("setOutputRepRate").toDouble(), 250.0);
    }

    void powerSetpointsAndRanges()
    {
        Rig r;
        emit r.dec->sigPowerSetting_nJ_Changed(2500);
        QCOMPARE(r.rec.last("setPowerSetpoint_uJ").toDouble(), 2.5);
        emit r.dec->sigPowerSetting_nJ_RangeChanged(2, 2);
        QCOMPARE(r.rec.last("setPowerRange_uJ", 0).toDouble(), 2.0);
        QCOMPARE(r.rec.last("setPowerRange_uJ", 1).toDouble(), 2.0);
        QCOMPARE(r.rec.count("setPowerSetpoint_uJ"), 2);
        emit r.dec->sigDynamicWLS_UVChanged(0.5);
        QCOMPARE(r.rec.last("setDynamicWLS_UV_uJ").toDouble(), 0.5);
        QCOMPARE(r.rec.last("setDynamicWLS_UV_Percent").toDouble(), 25.0);

        emit r.dec->sigPowerSetting_percent_Changed(50);
        emit r.dec->sigPowerSettingPercentRangeChanged(0, 100);
        QCOMPARE(r.rec.last("setPowerRangePercent", 1).toDouble(), 100.0);
        QCOMPARE(r.rec.count("setPowerSetpoint_Percent"), 2);
        QCOMPARE(r.rec.last("setPowerSetpoint_Percent").toDouble(), 50.0);

        emit r.dec->sigPowerSetting_nJ_RangeChanged(0, 0);
        QCOMPARE(r.rec.last("setPowerRange_uJ", 0).toDouble(), 0.0);
        QCOMPARE(r.rec.last("setPowerRange_uJ", 1).toDouble(), 0.0);
        emit r.dec->sigDynamicWLS_IRChanged(1.0);
        QVERIFY(!std::isfinite(r.rec.last("setDynamicWLS_IR_Percent").toDouble()));
    }

    void featureSelection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("wavelengths"); // 343, 515, 1030
        QTest::addColumn<int>("viewMode");
        QTest::addColumn<QString>("sliders"); // power, rep rate, division
        QTest::addColumn<bool>("moduleQuery");
        QTest::addColumn<bool>("known");

        QTest::newRow("MR.V1 longer") << "SW.MAIN.LQZ.MR.V1.07" << 2 << "000" << 0 << "111" << false << true;
        QTest::newRow("V1 mode 3") << "SW.MAIN.LQZ.V1" << 3 << "000" << 1 << "011" << false << true;
        QTest::newRow("MW2") << "SW.MAIN.LQZ.MR.MW2.V1" << 2 << "011" << 0 << "111" << false << true;
        QTest::newRow("MW3") << "SW.MAIN.LQZ.MR.MW3.V1" << 2 << "111" << 0 << "111" << false << true;
        QTest::newRow("MW3 mode 8") << "SW.MAIN.LQZ.MR.MW3.V1" << 8 << "000" << 2 << "000" << false << true;
        QTest::newRow("MW2 mode 3") << "SW.MAIN.LQZ.MR.MW2.V1" << 3 << "011" << 1 << "011" << false << true;
        QTest::newRow("V5") << "SW.MAIN.LQZ.MR.V5.0.2" << 2 << "000" << 0 << "111" << true << true;
        QTest::newRow("006") << "SW_MAIN_006_LQZ" << 3 << "000" << 1 << "011" << true << true;
        QTest::newRow("mode unset") << "SW.MAIN.LQZ.MR.MW3.V1" << -1 << "111" << 0 << "111" << false << true;
        QTest::newRow("prefixed") << "xSW.MAIN.LQZ.V1" << 2 << "111" << 0 << "111" << false << false;
        QTest::newRow("lower case") << "sw.main.lqz.v1" << 3 << "111" << 1 << "011" << false << false;
        QTest::newRow("empty mode 8") << "" << 8 << "000" << 2 << "000" << false << false;
    }

    void featureSelection()
    {
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(QString, wavelengths);
        QFETCH(int, viewMode);
        QFETCH(QString, sliders);
        QFETCH(bool, moduleQuery);
        QFETCH(bool, known);

        Rig r;
        if (mode >= 0)
            emit r.dec->sigiModeOfOperationAOMChanged(mode);
        r.rec.wire.clear();
        emit r.dec->sigsHGModuleType("0x93"); // module controls shown earlier must be reset
        emit r.dec->sigExistsTHGiModule(true);
        r.rec.wire.clear();
        const QString before = r.logText();
        emit r.dec->sigsApplicationNameChanged(name);

        auto bits = [](bool a, bool b, bool c) {
            return QString("%1%2%3").arg(int(a)).arg(int(b)).arg(int(c));
        };
        QSignalSpy &wl = r.rec.spy("enableWavelengths");
        QCOMPARE(bits(wl.last()[0].toBool(), wl.last()[1].toBool(), wl.last()[2].toBool()), wavelengths);
        QCOMPARE(r.rec.last("setOperatingMode").toInt(), viewMode);
        QCOMPARE(bits(r.rec.last("setPowerSliderVisibility").toBool(),
                      r.rec.last("setRepRateSliderVisibility").toBool(),
                      r.rec.last("setDivisionSliderVisibility").toBool()),
                 sliders);
        QCOMPARE(r.rec.queued().contains("ls?\n"), moduleQuery);
        QVERIFY(r.rec.queued().contains("ly_lqz2_digiop?\n"));
        QCOMPARE(r.rec.last("setApplicationName").toString(), name);
        QCOMPARE(r.rec.last("setHGModuleInfoVisibility").toBool(), false);
        QCOMPARE(r.rec.last("setOutEnableOnVisible").toBool(), false);
        QCOMPARE(r.rec.last("setDigitalGateVisible").toBool(), true);
        QCOMPARE(r.rec.last("setPowerMeasuredIR_uJVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setPowerMeasuredUV_uJVisibility").toBool(), false);
        const QString added = r.logText().mid(before.size());
        QCOMPARE(added.contains("Unknown application type connected: " + name), !known);
    }

    void unknownSystemTypeIsLogged()
    {
        Rig r;
        emit r.dec->sigsLumetraTypeChanged("Nonesuch-7");
        QVERIFY(r.logText().endsWith("Unknown system type connected: Nonesuch-7"));
        QCOMPARE(r.rec.last("setLumetraType").toString(), QString("Nonesuch-7"));
        emit r.dec->sigsLumetraTypeChanged("x lumetra-20 y");
        QVERIFY(r.logText().endsWith("Nonesuch-7"));
        r.ctrl.wavelengthChanged(0);
        QCOMPARE(r.rec.queued().last(), QString("ly_lqz2_wvl 0\n"));
    }

    void moduleSequence_data()
    {
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QStringList>("polls");
        QTest::addColumn<QString>("shown"); // humidity, oven 2, crystal
        QTest::addColumn<bool>("thirdHarmonic");

        const QStringList tail{"ls_wavelength?\n", "ls_status?\n", "ls_errorcode?\n", "ls_output_power?\n",
                               "ls_module_runtime?\n"};
        const QStringList crystal{"ls_crystal_allRuntimes?\n", "ls_crystal_curSpot?\n",
                                  "ls_crystal_curRuntime?\n", "ls_crystal_maxRuntime?\n"};
        const QStringList shg = QStringList{"ls_humidity?\n", "ls_enable?\n", "ls_temp_setpoint?\n",
                                            "ls_temp_oven?\n", "ly_lqz2_output?\n"} +
                                tail;
        QTest::newRow("SHG") << QByteArray("sigExistsSHGModule") << shg << "100" << false;
        QTest::newRow("SHGg") << QByteArray("sigExistsSHGgModule") << shg << "100" << false;
        QTest::newRow("THG") << QByteArray("sigExistsTHGModule")
                             << QStringList{"ls_enable?", "ls_temp_setpoint?\n", "ls_temp_oven?\n",
                                            "ly_lqz2_output?\n"} +
                                    crystal + tail
                             << "011" << true;
        QTest::newRow("THGi") << QByteArray("sigExistsTHGiModule")
                              << QStringList{"ls_humidity?\n", "ls_enable?", "ls_temp_setpoint?\n",
                                             "ls_temp_oven?\n", "ly_lqz2_output?\n"} +
                                     crystal + tail
                              << "111" << true;
    }

    void moduleSequence()
    {
        QFETCH(QByteArray, signal);
        QFETCH(QStringList, polls);
        QFETCH(QString, shown);
        QFETCH(bool, thirdHarmonic);

        Rig r;
        emit r.dec->sigsHGModuleType("0x90");
        for (int pass = 0; pass < 2; ++pass) {
            r.rec.wire.clear();
            QVERIFY(QMetaObject::invokeMethod(r.dec, signal.constData(), Q_ARG(bool, pass == 0)));
            QCOMPARE(r.rec.polled(), polls);
            QCOMPARE(r.rec.queued(), (QStringList{"ls_output_config?\n", "ls_dwls_feature?"}));
        }
        QCOMPARE(QString("%1%2%3")
                     .arg(int(r.rec.last("setHumidityMonitorVisibility").toBool()))
                     .arg(int(r.rec.last("setOven2TempSetpointVisibility").toBool()))
                     .arg(int(r.rec.last("setCrystalPositionVisibility").toBool())),
                 shown);
        QCOMPARE(r.rec.last("setOven2TempActualVisibility").toBool(), shown[1] == '1');
        QCOMPARE(r.rec.last("setOven1TempActualVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setOvenModeVisibility").toBool(), false);
        QCOMPARE(r.rec.last("setOutEnableOnVisible").toBool(), true);
        QCOMPARE(r.rec.last("setHGSettingsPageVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setErrorcodeHGIndicatorVisible").toBool(), true);
        // The module kind decides whether the second oven's bit counts as an oven fault.
        emit r.dec->sigHGStatusFlagsChanged(0x0010);
        QCOMPARE(r.rec.last("setOvenFaultIndicator").toBool(), thirdHarmonic);
    }

    void dynamicWavelengthSupport()
    {
        Rig r;
        emit r.dec->sigDynamicWavelengthFeatureSupported(true);
        QCOMPARE(r.rec.wire, (QStringList{"poll ls_dwls_enable?\n", "poll ls_dwls_default?\n"}));
        QCOMPARE(r.rec.last("setDynamicWavelengthFeatureVisibility").toBool(), true);
        emit r.dec->sigDynamicWavelengthFeatureSupported(false);
        QCOMPARE(r.rec.with("del"), (QStringList{"ls_dwls_enable?\n", "ls_dwls_default?\n"}));
        QCOMPARE(r.rec.last("setDynamicWavelengthFeatureVisibility").toBool(), false);
    }

    void debugOutputIsSwitchedOff()
    {
        Rig r;
        emit r.dec->sigDebuggingStatusChanged(false);
        QVERIFY(r.rec.wire.isEmpty());
        emit r.dec->sigDebuggingStatusChanged(true);
        QCOMPARE(r.rec.wire, QStringList{"queue d2=0\n"});
    }

    void linesTheDecoderCannotUseAreLogged()
    {
        Rig r;
        // The line end goes to the sink as received; the log store splits its entries at line ends.
        emit r.dec->sigParsingError(QByteArray("s6 1 2\n\0tail", 12));
        emit r.dec->sigUnhandledLineData("Hello laser\n");
        QCOMPARE(r.log, QStringList({"Parsing error: s6 1 2\n", "Lumetra message: Hello laser\n"}));
    }

    void mainLoopRebuildsPollListOnReconnection()
    {
        Rig r;
        const QStringList base{
            "poll s6\n",       "poll s7\n",      "poll s8\n",    "poll s9\n", "poll ly_lqz2_power?\n",
            "poll e_power?\n", "poll e_freq?\n", "poll e_div?\n"};
        const QStringList hello{"queue d2?\n", "queue ezra?\n", "queue eira?\n"};
        r.turn();
        QCOMPARE(r.rec.wire, QStringList{"clear"} + base);
        r.turn();
        QCOMPARE(r.rec.wire.size(), 9); // waiting, nothing to do
        for (int round = 0; round < 2; ++round) {
            r.rec.wire.clear();
            r.ctrl.slotConnectedStatus(true);
            r.turn();
            QCOMPARE(r.rec.wire, hello);
            r.turn();
            r.ctrl.slotConnectedStatus(false);
            r.turn();
            QCOMPARE(r.rec.wire, hello);
            r.turn();
            QCOMPARE(r.rec.wire, hello + QStringList{"clear"} + base);
        }
        // The link's own status signal drives the same flag.
        r.rec.wire.clear();
        emit r.handler.sigConnectedStatus(true);
        r.turn();
        QCOMPARE(r.rec.wire, hello);
    }

    // On its own timer the loop sleeps while it has nothing to do; every change of the link, also one
    // taken back before the loop turned, must still be acted on.
    void mainLoopWakesOnEveryChangeOfTheLink()
    {
        Rig r;
        const QStringList hello{"queue d2?\n", "queue ezra?\n", "queue eira?\n"};
        QSignalSpy enabled(&r.ctrl, &LumetraController::controlEnabledChanged);
        r.turn();
        for (int round = 0; round < 3; ++round) {
            r.rec.wire.clear();
            r.ctrl.slotConnectedStatus(true);
            r.ctrl.slotConnectedStatus(false);
            r.ctrl.slotConnectedStatus(true);
            QTRY_COMPARE(r.rec.wire, hello);
            QTRY_COMPARE(enabled.size(), 2 * round + 1);
            r.ctrl.slotConnectedStatus(false);
            QTRY_COMPARE(enabled.size(), 2 * round + 2);
            QCOMPARE(enabled.last().first().toBool(), false);
            // Set-up again: the poll list is cleared and rebuilt.
            QTRY_COMPARE(r.rec.wire.size(), hello.size() + 9);
        }
    }

    void statusByte_data()
    {
        QTest::addColumn<int>("byte");
        // power on, error, warning, setup, listen, standby, laser on, adjustable, oven mode changeable
        QTest::addColumn<QString>("expected");
        QTest::newRow("listen") << 0x08 << "000010011";
        QTest::newRow("listen standby") << 0x28 << "000011010";
        QTest::newRow("standby") << 0x20 << "000001010";
        QTest::newRow("laser on 0x80") << 0x80 << "000000100";
        QTest::newRow("laser on 0x40") << 0x40 << "000000100";
        QTest::newRow("listen laser on") << 0x88 << "000010110";
        QTest::newRow("nothing") << 0x00 << "000000000";
        QTest::newRow("lamps") << 0x17 << "111100000";
    }

    void statusByte()
    {
        QFETCH(int, byte);
        QFETCH(QString, expected);
        Rig r;
        emit r.dec->siguiTmpChar2Changed(uchar(byte));
        QString got;
        for (const char *name :
             {"setPowerOnIndicator", "setErrorIndicator", "setWarningIndicator", "setDeviceSetupIndicator",
              "setListen", "setStandby", "setLaserOn", "setWavelengthSelectorEnabled"})
            got += r.rec.last(name).toBool() ? '1' : '0';
        got += r.rec.last("setOvenModeReadOnly").toBool() ? '0' : '1';
        QCOMPARE(got, expected);
        QCOMPARE(r.rec.last("setRepRateSliderDisabled").toBool(), expected[7] == '0');
        QCOMPARE(r.rec.last("setCrystalPositionReadOnly").toBool(), expected[7] == '0');
        for (const char *name : {"enableListen", "enableStandby", "enableLaserOn"})
            QCOMPARE(r.rec.last(name).toBool(), true);
        QCOMPARE(r.rec.count("setOutEnableOnFlash"), 0);
    }

    void systemStateFlashing_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("laserOnFlash"); // "-" unchanged
        QTest::addColumn<QString>("standbyFlash");
        QTest::newRow("0") << 0 << "-"
                           << "-";
        QTest::newRow("1") << 1 << "0"
                           << "0";
        QTest::newRow("2") << 2 << "-"
                           << "1";
        QTest::newRow("3") << 3 << "-"
                           << "0";
        QTest::newRow("4") << 4 << "-"
                           << "0";
        QTest::newRow("5") << 5 << "1"
                           << "-";
        QTest::newRow("6") << 6 << "1"
                           << "-";
        QTest::newRow("7") << 7 << "0"
                           << "-";
        QTest::newRow("8") << 8 << "0"
                           << "-";
        QTest::newRow("9") << 9 << "0"
                           << "0";
        QTest::newRow("12") << 12 << "0"
                            << "0";
        QTest::newRow("13") << 13 << "-"
                            << "-";
    }

    void systemStateFlashing()
    {
        QFETCH(int, state);
        QFETCH(QString, laserOnFlash);
        QFETCH(QString, standbyFlash);
        Rig r;
        emit r.dec->sigSystemStateChanged(static_cast<SystemState>(state));
        auto seen = [&](const char *name) {
            return r.rec.count(name) == 0 ? QString("-") : QString::number(int(r.rec.last(name).toBool()));
        };
        QCOMPARE(seen("setLaserOnFlash"), laserOnFlash);
        QCOMPARE(seen("setStandbyFlash"), standbyFlash);
    }

    void standbyFlashStopsAndStateZeroChangesNothing()
    {
        Rig r;
        emit r.dec->sigSystemStateChanged(SystemStateListenToStandby);
        emit r.dec->sigSystemStateChanged(SystemStateStandby);
        QSignalSpy &standby = r.rec.spy("setStandbyFlash");
        QCOMPARE(standby.count(), 2);
        QCOMPARE(standby.last()[0].toBool(), false);
        // A status byte arriving later re-applies the state it is paired with.
        emit r.dec->siguiTmpChar2Changed(0x20);
        QCOMPARE(standby.count(), 3);
        QCOMPARE(standby.last()[0].toBool(), false);
        emit r.dec->sigSystemStateChanged(SystemStateUnknown);
        QCOMPARE(standby.count(), 3);
    }

    void hgErrorCodes_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("12 0x90") << "0x90" << 12 << "HG Error code: 12 - Shutter pos sensor 1";
        QTest::newRow("12 0x93") << "0x93" << 12 << "HG Error code: 12 - HG Unknown error code.";
        QTest::newRow("12 other") << "0x86" << 12 << "HG Error code: 12 - Oven Temperature.";
        QTest::newRow("1 0x90") << "0x90" << 1 << "HG Error code: 1 - TBD";
        QTest::newRow("1 other") << "" << 1 << "HG Error code: 1 - HG Unknown error code.";
        QTest::newRow("2 other") << "0x8d" << 2 << "HG Error code: 2 - Interlock Disconnected.";
        QTest::newRow("3 0x93") << "0x93" << 3 << "HG Error code: 3 - Power Supply Low Voltage";
        QTest::newRow("3 other") << "0x86" << 3 << "HG Error code: 3 - Power Supply Low Voltage.";
        QTest::newRow("8 other") << "0x86" << 8 << "HG Error code: 8 - Module Disabled.";
        QTest::newRow("8 0x93") << "0x93" << 8 << "HG Error code: 8 - Oven 1 Temperature";
        QTest::newRow("14 0x90") << "0x90" << 14 << "HG Error code: 14 - Shutter pos sensor3";
        QTest::newRow("21 0x90") << "0x90" << 21 << "HG Error code: 21 - HG Unknown error code.";
        QTest::newRow("21 0x93") << "0x93" << 21 << "HG Error code: 21 - 3.3V Supply Out of Range.";
        QTest::newRow("25 other") << "0x86" << 25 << "HG Error code: 25 - Oven Fault.";
        QTest::newRow("25 0x90") << "0x90" << 25 << "HG Error code: 25 - HG Unknown error code.";
        QTest::newRow("255 other") << "0x86" << 255 << "HG Error code: 255 - HG Unknown error code.";
        QTest::newRow("both types") << "0x93/0x90" << 5 << "HG Error code: 5 - Watchdog";
        QTest::newRow("0 0x90") << "0x90" << 0 << "";
        QTest::newRow("0 other") << "0x86" << 0 << "";
    }

    void hgErrorCodes()
    {
        QFETCH(QString, type);
        QFETCH(int, code);
        QFETCH(QString, message);
        Rig r;
        emit r.dec->sigsHGModuleType(type);
        QCOMPARE(r.rec.last("setHGModuleType").toString(), type);
        emit r.dec->sigHGErrorcodeChanged(quint8(code));
        QCOMPARE(r.rec.last("setErrorcodeHGMessage").toString(), message);
        QCOMPARE(r.rec.last("setErrorcodeHGIndicator").toBool(), code != 0);
    }

    void hgStatusFlags_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("thirdHarmonic");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("oven");
        QTest::addColumn<bool>("humidity");
        QTest::newRow("0x90 bit 3") << "0x90" << false << 0x0008 << true << false;
        QTest::newRow("0x90 bit 4") << "0x90" << false << 0x0010 << false << false;
        QTest::newRow("0x93 THG bit 4") << "0x93" << true << 0x0010 << true << false;
        QTest::newRow("0x93 bit 8") << "0x93" << true << 0x0100 << false << true;
        QTest::newRow("0x93 bit 9") << "0x93" << true << 0x0280 << false << false;
        QTest::newRow("other bit 7") << "0x86" << false << 0x0080 << true << false;
        QTest::newRow("other bit 3") << "0x86" << true << 0x0118 << false << false;
        QTest::newRow("other bit 9") << "0x8d" << true << 0x0200 << false << true;
    }

    void hgStatusFlags()
    {
        QFETCH(QString, type);
        QFETCH(bool, thirdHarmonic);
        QFETCH(int, flags);
        QFETCH(bool, oven);
        QFETCH(bool, humidity);
        Rig r;
        emit r.dec->sigsHGModuleType(type);
        if (thirdHarmonic)
            emit r.dec->sigExistsTHGModule(true);
        emit r.dec->sigHGStatusFlagsChanged(quint16(flags));
        QCOMPARE(r.rec.last("setOvenFaultIndicator").toBool(), oven);
        QCOMPARE(r.rec.last("setHumidityFaultIndicator").toBool(), humidity);
    }

    void outputConfiguration()
    {
        Rig r;
        emit r.dec->sigHGOutputConfigChanged(0x05);
        QCOMPARE(r.rec.last("setPowerMeasuredGreen_uJVisibility").toBool(), false);
        QCOMPARE(r.rec.last("setPowerMeasuredUV_uJVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setPowerMeasuredDUV_uJVisibility").toBool(), false);
        QCOMPARE(r.rec.last("setDynamicWLS_IR_Visibility").toBool(), true);
        QCOMPARE(r.rec.last("setDynamicWLS_Green_Visibility").toBool(), false);
        QCOMPARE(r.rec.last("setDynamicWLS_UV_Visibility").toBool(), true);
        QCOMPARE(r.rec.last("setDynamicWLS_DUV_Visibility").toBool(), false);
        QCOMPARE(r.rec.last("setOutputPowerIRMeasuredWVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setOutputPowerGreenMeasuredWVisibility").toBool(), false);
        QCOMPARE(r.rec.last("setOutputPowerUVMeasuredWVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setOutputPowerDUVMeasuredWVisibility").toBool(), false);
        QString items;
        for (const QList<QVariant> &call : r.rec.spy("setWavelengthSelectorComboItemVisibility"))
            items += QString("%1:%2 ").arg(call[0].toInt()).arg(int(call[1].toBool()));
        QCOMPARE(items, QString("0:1 1:0 2:1 3:0 "));
        // The IR output power row is shown even when the module reports no IR output.
        emit r.dec->sigHGOutputConfigChanged(0x08);
        QCOMPARE(r.rec.last("setOutputPowerIRMeasuredWVisibility").toBool(), true);
        QCOMPARE(r.rec.last("setDynamicWLS_DUV_Visibility").toBool(), true);
    }

    void measuredEnergiesAndPowers()
    {
        Rig r;
        emit r.dec->sigOutputFrequencyChanged(1000.0);
        emit r.dec->sigfMeasuredLaserPowerChanged(500.0);
        QCOMPARE(r.rec.last("setPowerMeasuredIR_uJ").toDouble(), 0.5);
        QCOMPARE(r.rec.last("setOutputPowerIRMeasuredW").toDouble(), 0.5);
        emit r.dec->sigSHGOutputPowerChanged(350.0);
        QCOMPARE(r.rec.last("setPowerMeasuredGreen_uJ").toDouble(), 0.35);
        QCOMPARE(r.rec.last("setOutputPowerGreenMeasuredW").toDouble(), 0.35);
        emit r.dec->sigTHGOutputPowerChanged(1200.0);
        QCOMPARE(r.rec.last("setPowerMeasuredUV_uJ").toDouble(), 1.2);
        QCOMPARE(r.rec.last("setOutputPowerUVMeasuredW").toDouble(), 1.2);
        emit r.dec->sigfMeasuredLaserPowerChanged(-3.0);
        QCOMPARE(r.rec.last("setPowerMeasuredIR_uJ").toDouble(), 0.0);
        QCOMPARE(r.rec.last("setOutputPowerIRMeasuredW").toDouble(), 0.0);
        emit r.dec->sigTHGOutputPowerChanged(0.0);
        QCOMPARE(r.rec.last("setPowerMeasuredUV_uJ").toDouble(), 0.0);
        QCOMPARE(r.rec.last("setOutputPowerUVMeasuredW").toDouble(), 0.0);
    }

    void derivedReadingsFollowTheOutputRate()
    {
        Rig r;
        // The reading arrives first; the rate comes later and the reading itself does not change.
        emit r.dec->sigfMeasuredLaserPowerChanged(12340.0);
        emit r.dec->sigSHGOutputPowerChanged(350.0);
        QCOMPARE(r.rec.last("setOutputPowerIRMeasuredW").toDouble(), 0.0);
        emit r.dec->sigOutputFrequencyChanged(500.0);
        QCOMPARE(r.rec.last("setOutputPowerIRMeasuredW").toDouble(), 12.34 * 500.0 / 1000.0);
        QCOMPARE(r.rec.last("setPowerMeasuredGreen_uJ").toDouble(), 0.7);
        const int irCalls = r.rec.spy("setOutputPowerIRMeasuredW").size();
        emit r.dec->sigOutputFrequencyChanged(500.0);
        QCOMPARE(r.rec.spy("setOutputPowerIRMeasuredW").size(), irCalls);
        // After a disconnection the old reading is not carried over to the next connection's rate.
        emit r.handler.sigConnectedStatus(false);
        emit r.dec->sigOutputFrequencyChanged(1000.0);
        QCOMPARE(r.rec.spy("setOutputPowerIRMeasuredW").size(), irCalls);
    }

    void passThrough_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("target");
        const char *pairs[][2] = {
            {"sigsHardwareVersionChanged", "setHardwareVersion"},
            {"sigsFirmwareVersionChanged", "setFirmwareVersion"},
            {"sigsCompilationDateTimeChanged", "setCompilationDateTime"},
            {"sigsSerialNumberChanged", "setSerialNumber"},
            {"sigsLDDDeviceHardwareChanged", "setLDDDeviceHardware"},
            {"sigsLDDDeviceRevisionChanged", "setLDDDeviceRevision"},
            {"sigsTECDeviceSoftwareChanged", "setTECDeviceSoftware"},
            {"sigsTimingBoardFPGAChanged", "setTimingBoardFPGA"},
            {"sigsDeviceOnHoursChanged", "setDeviceOnHours"},
            {"sigsDeviceOnMinutesChanged", "setDeviceOnMinutes"},
            {"sigsHGModuleAddress", "setHGModuleAddress"},
            {"sigsHGModuleFirwareVersion", "setHGModuleFirwareVersion"},
            {"sigsHGModulePCBSerialNumber", "setHGModulePCBSerialNumber"},
            {"sigsHGModuleRuntime", "setHGModuleRuntime"},
            {"sigsHGModuleWarning", "setHGModuleWarning"},
        };
        for (const auto &pair : pairs)
            QTest::newRow(pair[0]) << QByteArray(pair[0]) << QByteArray(pair[1]);
    }

    void passThrough()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, target);
        Rig r;
        QVERIFY(QMetaObject::invokeMethod(r.dec, source.constData(), Q_ARG(QString, "text \t7")));
        QCOMPARE(r.rec.count(target.constData()), 1);
        QCOMPARE(r.rec.last(target.constData()).toString(), QString("text \t7"));
    }

    void valuesForThePanel()
    {
        Rig r;
        emit r.dec->sigfTemperature_actual_3Changed(21.456);
        QCOMPARE(r.rec.last("setTemperatureActual3").toString(), QString("21.46"));
        emit r.dec->sigfTemperature_actual_10Changed(-4.0);
        QCOMPARE(r.rec.last("setTemperatureActual10").toString(), QString("-4.00"));
        emit r.dec->sigiCounterLaserEmmisionOnOff_hChanged(1234);
        QCOMPARE(r.rec.last("setDeviceEmissionHours").toString(), QString("1234"));
        emit r.dec->sigiCounterLaserOnOff_mChanged(7);
        QCOMPARE(r.rec.last("setDeviceOnMinutes").toString(), QString("7"));
        emit r.dec->sigOvenModeChanged(4);
        QCOMPARE(r.rec.last("setOvenMode").toInt(), 1);
        emit r.dec->sigOvenModeChanged(2);
        QCOMPARE(r.rec.last("setOvenMode").toInt(), 0);
        emit r.dec->sigiWavelenghtLQZChanged(5);
        QCOMPARE(r.rec.last("setWavelengthSelector").toInt(), 5);
        emit r.dec->sigiShutterOnOffChanged(2);
        QCOMPARE(r.rec.last("setShutterIndicator").toBool(), true);
        emit r.dec->sigAOMChanged(true);
        QCOMPARE(r.rec.last("setOutEnableOn").toBool(), true);
        emit r.dec->sigOven2TempSettingRangeChanged(20, 180);
        QCOMPARE(r.rec.last("setOven2TempSetpointRange", 1).toDouble(), 180.0);
        // Reports the panel has no use for do nothing.
        const int before = r.rec.wire.size();
        emit r.dec->sigfTemperature_set_4Changed(30);
        emit r.dec->sigiErrorStatusLDDChanged(3);
        QCOMPARE(r.rec.wire.size(), before);
    }

    void crystalSpots()
    {
        Rig r;
        emit r.dec->sigHGCrystalAllRuntimesChanged({{2, 10}, {5, 20}, {3, 30}});
        QCOMPARE(r.rec.last("setCrystalPositionRange", 0).toInt(), 2);
        QCOMPARE(r.rec.last("setCrystalPositionRange", 1).toInt(), 5);
        QCOMPARE(r.rec.last("setCrystalAllRuntimes").value<Runtimes>().value(3), quint64(30));
        emit r.dec->sigHGCrystalAllRuntimesChanged({});
        QCOMPARE(r.rec.count("setCrystalPositionRange"), 1);
        QCOMPARE(r.rec.count("setCrystalAllRuntimes"), 2);
        QVERIFY(r.rec.last("setCrystalAllRuntimes").value<Runtimes>().isEmpty());
        emit r.dec->sigHGCrystalMaxRuntimeChanged(Q_UINT64_C(5000000000));
        QCOMPARE(r.rec.last("setCrystalMaxRuntime").value<quint64>(), Q_UINT64_C(5000000000));
        emit r.dec->sigHGCrystalCurSpotChanged(4);
        QCOMPARE(r.rec.last("setCrystalPosition").toInt(), 4);
    }

    void settingsPersist()
    {
        const QString file =
            QSettings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                      QCoreApplication::applicationName())
                .fileName();
        QVERIFY(file.startsWith(settingsDir.path()));
        {
            Rig r;
            r.ctrl.powerIndexChanged(1);
            r.ctrl.repRateScaleIndexChanged(1);
            r.ctrl.systemInfoViewChanged(true);
            r.ctrl.powerIndexChanged(-1); // a cleared combo is no choice
        }
        auto stored = [&] {
            QSettings s(file, QSettings::IniFormat);
            return QString("%1 %2 %3")
                .arg(s.value("viewSystemInfo").toBool())
                .arg(s.value("powerSetIndex").toInt())
                .arg(s.value("repRateScaleIndex").toInt());
        };
        QCOMPARE(stored(), QString("1 1 1"));
        {
            Rig untouched;
        } // writes back what it read
        QCOMPARE(stored(), QString("1 1 1"));
        {
            QSettings s(file, QSettings::IniFormat);
            s.setValue("powerSetIndex", 7);
        }
        {
            Rig damaged;
        }
        QCOMPARE(stored(), QString("1 0 1"));
    }
};

QTEST_GUILESS_MAIN(tst_LumetraController)
#include "tst_LumetraController.moc"
