// Whole sessions with the simulated laser, read by the program's own response decoder: every line the
// laser sends for each module type must be one the decoder knows, apart from the faults injected.
#include "SimRunner.h"

#include "device/LumetraResponseDecoder.h"
#include "sim/SimLaser.h"

#include <QSignalSpy>

namespace {

// What the program sends in one session: handshake, the base poll list, the one-shot queries on
// connection, the module's queries, and every operator command.
QList<QByteArray> sessionCommands(const QString &module, const QString &system)
{
    QList<QByteArray> commands = {"ly_system_info",
                                  "ly_lqz2_dev_status?",
                                  "s6",
                                  "s7",
                                  "s8",
                                  "s9",
                                  "ly_lqz2_power?",
                                  "e_power?",
                                  "e_freq?",
                                  "e_div?",
                                  "d2?",
                                  "ezra?",
                                  "eira?",
                                  "ly_lqz2_digiop?",
                                  "ls?"};
    const bool thirdHarmonic = module == QLatin1String("0x8d") || module == QLatin1String("0x93");
    if (!module.isEmpty()) {
        commands << "ls_output_config?"
                 << "ls_humidity?"
                 << "ls_enable?"
                 << "ls_temp_setpoint?"
                 << "ls_temp_oven?"
                 << "ls_dwls_feature?"
                 << "ly_lqz2_output?"
                 << "ls_wavelength?"
                 << "ls_status?"
                 << "ls_errorcode?"
                 << "ls_output_power?"
                 << "ls_module_runtime?"
                 << "ls_dwls_enable?"
                 << "ls_dwls_default?";
        if (thirdHarmonic)
            commands << "ls_crystal_allRuntimes?"
                     << "ls_crystal_curSpot?"
                     << "ls_crystal_curRuntime?"
                     << "ls_crystal_maxRuntime?";
    }
    commands << "e_mode 3"
             << "e_mode 8"
             << "e_mode 2"
             << "ly_lqz2_power=2500"
             << "e_power=500"
             << "e_freq 1"
             << "e_div 2"
             << "ly_lqz2_output_enable"
             << "ly_lqz2_output?"
             << "ly_lqz2_output_disable"
             << "ly_lqz2_standby"
             << "ly_lqz2_digiop=1"
             << "ly_lqz2_digiop?"
             << "d2=0";
    commands << (system == QLatin1String("Lumetra-2") ? "ly_lqz2_wvl 1" : "ly_lqz_wvl 1");
    if (!module.isEmpty()) {
        commands << "ls_wavelength=0"
                 << "ls_enable=2"
                 << "ls_enable=4"
                 << "ls_dwls_enable=1"
                 << "ls_dwls_default=1,2500"
                 << "ls_dwls_default?";
        if (module == QLatin1String("0x86") || module == QLatin1String("0x90"))
            commands << "ls_temp_setpoint=150.0";
        else
            commands << "ls_temp_setpoint_SHG=150.0"
                     << "ls_temp_setpoint_THG=60.5"
                     << "ls_crystal_setSpot=4";
    }
    // The poll list once more, now that settings have changed.
    commands << "s6"
             << "s7"
             << "s8"
             << "s9"
             << "ly_lqz2_power?"
             << "e_power?"
             << "e_freq?"
             << "e_div?";
    return commands;
}

void feed(LumetraResponseDecoder &decoder, const QList<QByteArray> &lines)
{
    for (const QByteArray &line : lines)
        decoder.slotLineReceived(line);
}

} // namespace

class TestSimSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyLineOfASessionIsKnown_data();
    void everyLineOfASessionIsKnown();
    void stateChangesAndMovesOverTimeDecode();
    void onlyInjectedFaultsGoUnrecognised();

private:
    QTemporaryDir dir;
};

void TestSimSession::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    LumetraResponseDecoder::registerMetaTypes();
    QVERIFY(dir.isValid());
}

void TestSimSession::everyLineOfASessionIsKnown_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("moduleSignal");
    QTest::newRow("no module") << QStringList() << ""
                               << "Lumetra-10"
                               << "";
    QTest::newRow("0x86") << QStringList() << "0x86"
                          << "Lumetra-10"
                          << "sigExistsSHGModule";
    QTest::newRow("0x8d") << QStringList() << "0x8d"
                          << "Lumetra-3"
                          << "sigExistsTHGModule";
    QTest::newRow("0x90") << QStringList() << "0x90"
                          << "Lumetra-10"
                          << "sigExistsSHGgModule";
    QTest::newRow("0x93") << QStringList() << "0x93"
                          << "Lumetra-3"
                          << "sigExistsTHGiModule";
    QTest::newRow("Lumetra-2 with 0x86") << QStringList() << "0x86"
                                         << "Lumetra-2"
                                         << "sigExistsSHGModule";
    QTest::newRow("firmware V5.0.2") << QStringList({"--firmware", "V5.0.2"}) << "0x8d"
                                     << "Lumetra-10"
                                     << "sigExistsTHGModule";
    QTest::newRow("mode 8, multi-wavelength")
        << QStringList({"--mode", "8", "--app", "SW.MAIN.LQZ.MR.MW3.V1.2"}) << "0x93"
        << "Lumetra-10"
        << "sigExistsTHGiModule";
}

void TestSimSession::everyLineOfASessionIsKnown()
{
    QFETCH(QStringList, options);
    QFETCH(QString, module);
    QFETCH(QString, system);
    QFETCH(QString, moduleSignal);
    SimRunner sim(dir);
    QVERIFY(sim.start(options + QStringList{"--module", module.isEmpty() ? QStringLiteral("none") : module,
                                            "--system", system}));
    LumetraResponseDecoder decoder;
    QSignalSpy unhandled(&decoder, &LumetraResponseDecoder::sigUnhandledLineData);
    QSignalSpy parsingErrors(&decoder, &LumetraResponseDecoder::sigParsingError);
    QSignalSpy systemType(&decoder, &LumetraResponseDecoder::sigsLumetraTypeChanged);
    QSignalSpy divisions(&decoder, &LumetraResponseDecoder::sigFrequencyDivListChanged);
    QSignalSpy energyRange(&decoder, &LumetraResponseDecoder::sigPowerSetting_nJ_RangeChanged);
    QSignalSpy states(&decoder, &LumetraResponseDecoder::sigSystemStateChanged);
    QSignalSpy measured(&decoder, &LumetraResponseDecoder::sigfMeasuredLaserPowerChanged);
    QSignalSpy humidity(&decoder, &LumetraResponseDecoder::sigHumidityActualChanged);
    QSignalSpy shg(&decoder, &LumetraResponseDecoder::sigExistsSHGModule);
    QSignalSpy shgg(&decoder, &LumetraResponseDecoder::sigExistsSHGgModule);
    QSignalSpy thg(&decoder, &LumetraResponseDecoder::sigExistsTHGModule);
    QSignalSpy thgi(&decoder, &LumetraResponseDecoder::sigExistsTHGiModule);

    for (const QByteArray &command : sessionCommands(module, system))
        feed(decoder, splitLikeTheLink(sim.exchangeRaw(command)));

    for (const QList<QVariant> &line : qAsConst(unhandled))
        qWarning() << "unhandled:" << line.at(0).toByteArray();
    for (const QList<QVariant> &line : qAsConst(parsingErrors))
        qWarning() << "parsing error:" << line.at(0).toByteArray();
    QCOMPARE(unhandled.count(), 0);
    QCOMPARE(parsingErrors.count(), 0);

    // And the decoder did read what was sent, not merely drop it.
    QCOMPARE(systemType.count(), 1);
    QCOMPARE(systemType.first().at(0).toString(), system);
    QVERIFY(!divisions.isEmpty());
    using DivisionList = QMap<int, double>;
    QCOMPARE(divisions.last().at(0).value<DivisionList>().size(), 8);
    QVERIFY(!energyRange.isEmpty());
    QVERIFY(!states.isEmpty());
    QCOMPARE(states.first().at(0).value<SystemState>(), SystemStateListenToStandby);
    QCOMPARE(humidity.isEmpty(), module.isEmpty());
    const int modules = shg.count() + shgg.count() + thg.count() + thgi.count();
    QCOMPARE(modules, moduleSignal.isEmpty() ? 0 : 1);
    if (!moduleSignal.isEmpty()) {
        const QSignalSpy *expected = moduleSignal == QLatin1String("sigExistsSHGModule")    ? &shg
                                     : moduleSignal == QLatin1String("sigExistsSHGgModule") ? &shgg
                                     : moduleSignal == QLatin1String("sigExistsTHGModule")  ? &thg
                                                                                            : &thgi;
        QCOMPARE(expected->count(), 1);
    }
    QVERIFY(!measured.isEmpty());
}

void TestSimSession::stateChangesAndMovesOverTimeDecode()
{
    SimIdentity identity;
    identity.moduleType = QStringLiteral("0x8d");
    SimLaser laser(identity);
    LumetraResponseDecoder decoder;
    QSignalSpy unhandled(&decoder, &LumetraResponseDecoder::sigUnhandledLineData);
    QSignalSpy parsingErrors(&decoder, &LumetraResponseDecoder::sigParsingError);
    QSignalSpy states(&decoder, &LumetraResponseDecoder::sigSystemStateChanged);
    QSignalSpy output(&decoder, &LumetraResponseDecoder::sigAOMChanged);
    QSignalSpy spot(&decoder, &LumetraResponseDecoder::sigHGCrystalCurSpotChanged);
    QSignalSpy position(&decoder, &LumetraResponseDecoder::sigPiezoPositionChanged);
    connect(&laser, &SimLaser::spontaneousLine, &decoder, &LumetraResponseDecoder::slotLineReceived);

    const auto run = [&](const char *command) {
        decoder.slotLineReceived(QByteArray(command) + '\n'); // the echo
        feed(decoder, laser.execute(command));
    };
    const auto wait = [&](double seconds) {
        for (double done = 0; done < seconds; done += 0.1)
            laser.advance(0.1);
    };
    run("ly_lqz2_standby");
    wait(3.5);
    run("ly_lqz2_disabled");
    wait(2.5);
    run("ly_lqz2_enabled");
    run("ly_lqz2_output?");
    run("ly_lqz2_enabled");
    run("ly_lqz2_standby");
    wait(1.5);
    run("ly_lqz2_listen");
    wait(2.5);
    run("ly_lqz2_listen");
    QList<int> seen;
    for (const QList<QVariant> &state : qAsConst(states))
        seen << int(state.at(0).value<SystemState>());
    QCOMPARE(seen, QList<int>({2, 3, 5, 7, 8, 10, 3, 4, 1}));
    QCOMPARE(output.count(), 1);
    QCOMPARE(output.first().at(0).toBool(), true);

    run("ls_crystal_curSpot?");
    run("ls_crystal_setSpot=5");
    wait(19.0);
    run("ls_crystal_curSpot?");
    wait(1.5);
    run("ls_crystal_curSpot?");
    QCOMPARE(spot.count(), 2);
    QCOMPARE(spot.at(0).at(0).toInt(), 3);
    QCOMPARE(spot.at(1).at(0).toInt(), 5);

    run("ls_wavelength?");
    run("ls_wavelength=1");
    wait(2.5);
    run("ls_wavelength?");
    QCOMPARE(position.count(), 2);
    QCOMPARE(position.at(0).at(0).toInt(), 2);
    QCOMPARE(position.at(1).at(0).toInt(), 1);

    QCOMPARE(unhandled.count(), 0);
    QCOMPARE(parsingErrors.count(), 0);
}

void TestSimSession::onlyInjectedFaultsGoUnrecognised()
{
    SimRunner sim(dir);
    QVERIFY(sim.start({"--module", "0x93", "--garbage", "0.5", "--seed", "5"}));
    LumetraResponseDecoder decoder;
    QSignalSpy unhandled(&decoder, &LumetraResponseDecoder::sigUnhandledLineData);
    QSignalSpy parsingErrors(&decoder, &LumetraResponseDecoder::sigParsingError);
    QSignalSpy debugging(&decoder, &LumetraResponseDecoder::sigDebuggingStatusChanged);
    QSignalSpy warnings(&decoder, &LumetraResponseDecoder::sigsHGModuleWarning);

    int noise = 0;
    int traces = 0;
    const auto exchange = [&](const QByteArray &command) {
        for (const QByteArray &line : splitLikeTheLink(sim.exchangeRaw(command))) {
            noise += line.contains('\0');
            traces += line.startsWith("DBG: ");
            decoder.slotLineReceived(line);
        }
    };
    for (const QByteArray &command : sessionCommands(QStringLiteral("0x93"), QStringLiteral("Lumetra-10")))
        exchange(command);
    QVERIFY(noise > 10);
    QCOMPARE(sim.control(QStringLiteral("garbage 0")), QStringLiteral("ok garbage 0"));
    QCOMPARE(sim.control(QStringLiteral("debug on")), QStringLiteral("ok debug on"));
    QCOMPARE(sim.control(QStringLiteral("shutter on")), QStringLiteral("ok shutter on"));
    exchange("s6");
    exchange("ls_status?");
    exchange("d2=0");
    exchange("s7");

    // One trace line for each command and each marker command behind it, until d2=0 ends them.
    QCOMPARE(traces, 4);
    // The session's own d2? and d2=0 report it off, the announcement on, the last d2=0 off again.
    QList<bool> debugStates;
    for (const QList<QVariant> &state : qAsConst(debugging))
        debugStates << state.at(0).toBool();
    QCOMPARE(debugStates, QList<bool>({false, false, true, false}));
    QCOMPARE(warnings.count(), 1);
    // Every line the decoder did not know is one of the injected ones; none was mistaken for a reading.
    int injected = 0;
    for (const QList<QVariant> &line : qAsConst(unhandled)) {
        const QByteArray bytes = line.at(0).toByteArray();
        QVERIFY2(bytes.contains('\0') || bytes.startsWith("DBG: ") || bytes.startsWith("Debugging"),
                 bytes.constData());
        ++injected;
    }
    for (const QList<QVariant> &line : qAsConst(parsingErrors)) {
        const QByteArray bytes = line.at(0).toByteArray();
        QVERIFY2(bytes.contains('\0'), bytes.constData());
        ++injected;
    }
    QCOMPARE(injected, noise + traces);
}

QTEST_GUILESS_MAIN(TestSimSession)
#include "tst_simsession.moc"
