// The simulated laser's model on its own: answers, state changes and its behaviour over time.
#include "sim/SimFaults.h"
#include "sim/SimHgModule.h"
#include "sim/SimLaser.h"
#include "sim/SimOptions.h"
#include "sim/SimReadings.h"
#include "sim/SimTranscript.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

SimIdentity identityWith(const QString &module, const QString &system = QStringLiteral("Lumetra-10"))
{
    SimIdentity identity;
    identity.moduleType = module;
    identity.systemType = system;
    return identity;
}

// The answer as one text, lines joined, for compact expectations.
QString answer(SimLaser &laser, const char *command)
{
    QString text;
    for (const QByteArray &line : laser.execute(command))
        text += QString::fromLatin1(line);
    return text;
}

QStringList recordValues(SimLaser &laser, const char *record)
{
    const SimLines lines = laser.execute(record);
    if (lines.size() != 1)
        return {};
    return QString::fromLatin1(lines.first()).split(QLatin1Char(' '));
}

void advanceInSteps(SimLaser &laser, double seconds, double step = 0.1)
{
    for (double done = 0; done < seconds; done += step)
        laser.advance(step);
}

void set(SimLaser &laser, const char *name, const char *value)
{
    QString error;
    QVERIFY2(SimReadings::set(laser, QLatin1String(name), QLatin1String(value), &error), qPrintable(error));
}

} // namespace

class TestSimLaser : public QObject
{
    Q_OBJECT
private slots:
    void everyAnswerLineEndsInLineFeed_data();
    void everyAnswerLineEndsInLineFeed();
    void settingsChangeWhatQueriesReport_data();
    void settingsChangeWhatQueriesReport();
    void recordsHaveTheirFieldCounts_data();
    void recordsHaveTheirFieldCounts();
    void olderFirmwareLeavesRecordValuesBlank();
    void stateChangesTakeTimeAndAnnounceTheirEnd();
    void stateRequestsThatNeedNoChange_data();
    void stateRequestsThatNeedNoChange();
    void emissionNeedsOnStateOutputAndOpenGate();
    void readyQueryCanBeRefused();
    void ovensSettleOnTheirSetpoints();
    void humidityDriftsAroundItsBaseAndRaisesTheFlag_data();
    void humidityDriftsAroundItsBaseAndRaisesTheFlag();
    void crystalSpotMoveTakesTenSecondsPerSpot();
    void wavelengthChangeDisablesOutputUntilTheStageHasMoved();
    void dynamicSwitchingChangesAtOnceWithStoredEnergy();
    void moduleCommandsFollowTheModuleType_data();
    void moduleCommandsFollowTheModuleType();
    void wavelengthCommandFollowsTheSystem_data();
    void wavelengthCommandFollowsTheSystem();
    void debugOutputIsAnnouncedAndSwitchedOff();
    void runTimesCountWhileEmitting();
    void readingsRejectBadValues_data();
    void readingsRejectBadValues();
    void faultNoiseKeepsLinesApart();
    void transcriptQuotesBytes();
    void optionsBecomeIdentityAndStartupCommands_data();
    void optionsBecomeIdentityAndStartupCommands();
};

void TestSimLaser::everyAnswerLineEndsInLineFeed_data()
{
    QTest::addColumn<QString>("module");
    for (const char *module : {"", "0x86", "0x8d", "0x90", "0x93"})
        QTest::newRow(*module ? module : "none") << QString::fromLatin1(module);
}

void TestSimLaser::everyAnswerLineEndsInLineFeed()
{
    QFETCH(QString, module);
    SimLaser laser(identityWith(module));
    const char *const commands[] = {"ly_system_info",
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
                                    "ls?",
                                    "ls_enable?",
                                    "ls_temp_setpoint?",
                                    "ls_temp_oven?",
                                    "ls_humidity?",
                                    "ls_wavelength?",
                                    "ls_status?",
                                    "ls_errorcode?",
                                    "ls_output_config?",
                                    "ls_output_power?",
                                    "ls_module_runtime?",
                                    "ls_dwls_feature?",
                                    "ls_dwls_enable?",
                                    "ls_dwls_default?",
                                    "ly_lqz2_output?",
                                    "ly_lqz2_digiop?",
                                    "ls_crystal_allRuntimes?",
                                    "help"};
    for (const char *command : commands) {
        for (const QByteArray &line : laser.execute(command)) {
            QVERIFY2(line.endsWith('\n'), command);
            QVERIFY2(line.indexOf('\n') == line.size() - 1, command);
            QVERIFY2(!line.contains('\0'), command);
        }
    }
}

void TestSimLaser::settingsChangeWhatQueriesReport_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");

    QTest::newRow("energy") << "ly_lqz2_power=3000"
                            << "ly_lqz2_power?"
                            << "Setted laser power: 3000nJ\n";
    QTest::newRow("energy above the table") << "ly_lqz2_power=999999"
                                            << "ly_lqz2_power?"
                                            << "Setted laser power: 20000nJ\n";
    QTest::newRow("energy below the table") << "ly_lqz2_power=1"
                                            << "ly_lqz2_power?"
                                            << "Setted laser power: 200nJ\n";
    QTest::newRow("relative power") << "e_power=1234"
                                    << "e_power?"
                                    << "Setted laser power in relative unit: 1234\n";
    QTest::newRow("relative power clamped") << "e_power=5000"
                                            << "e_power?"
                                            << "Setted laser power in relative unit: 4000\n";
    QTest::newRow("frequency") << "e_freq 7"
                               << "e_freq?"
                               << "AOM max frequency fields number is: 8\nFrequency index parameter: 7\n";
    QTest::newRow("frequency out of range")
        << "e_freq 8"
        << "e_freq?"
        << "AOM max frequency fields number is: 8\nFrequency index parameter: 2\n";
    QTest::newRow("division") << "e_div 4"
                              << "e_div?"
                              << "Notice: Division factor for PCAOM is 4\n";
    QTest::newRow("division zero refused") << "e_div 0"
                                           << "e_div?"
                                           << "Notice: Division factor for PCAOM is 1\n";
    QTest::newRow("mode") << "e_mode 8"
                          << "e_mode?"
                          << "e_mode of AOM: 8\n";
    QTest::newRow("mode unknown") << "e_mode 5"
                                  << "e_mode?"
                                  << "e_mode of AOM: 2\n";
    QTest::newRow("gate") << "ly_lqz2_digiop=1"
                          << "ly_lqz2_digiop?"
                          << "Active digital gate logic:\tlogic LOW (no connection) = AOM CLOSED\n";
    QTest::newRow("output") << "ly_lqz2_output_enable"
                            << "ly_lqz2_output?"
                            << "Laser output enabled\n";
    QTest::newRow("output by parameter") << "o7m:AOMEN=1"
                                         << "ly_lqz2_output?"
                                         << "Laser output enabled\n";
    QTest::newRow("oven 1") << "ls_temp_setpoint_SHG=150.5"
                            << "ls_temp_setpoint?"
                            << "ZOR THG\tSHG Oven Setpoint=150.5 C\tMin=20.0 C\tMax=200.0 C\n"
                               "ZOR THG\tTHG Oven Setpoint=61.0 C\tMin=20.0 C\tMax=200.0 C\n";
    QTest::newRow("oven 2 out of range") << "ls_temp_setpoint_THG=250"
                                         << "ls_temp_setpoint?"
                                         << "ZOR THG\tSHG Oven Setpoint=152.5 C\tMin=20.0 C\tMax=200.0 C\n"
                                            "ZOR THG\tTHG Oven Setpoint=61.0 C\tMin=20.0 C\tMax=200.0 C\n";
    QTest::newRow("ovens off") << "ls_enable=2"
                               << "ls_enable?"
                               << "ZOR HG\tCurrent FSM state=2\n";
    QTest::newRow("ovens on: heating first") << "ls_enable=4"
                                             << "ls_enable?"
                                             << "ZOR HG\tCurrent FSM state=3\n";
    QTest::newRow("oven state unknown") << "ls_enable=7"
                                        << "ls_enable?"
                                        << "ZOR HG\tCurrent FSM state=4\n";
    QTest::newRow("crystal spot already there") << "ls_crystal_setSpot=3"
                                                << "ls_crystal_curSpot?"
                                                << "ZOR THG\tCurrent crystal spot=3\n";
    QTest::newRow("crystal spot out of range") << "ls_crystal_setSpot=20"
                                               << "ls_crystal_curSpot?"
                                               << "ZOR THG\tCurrent crystal spot=3\n";
    QTest::newRow("debug") << "d2=1"
                           << "d2?"
                           << "Debugging on communication channel 2 enabled\n";
}

void TestSimLaser::settingsChangeWhatQueriesReport()
{
    QFETCH(QString, setting);
    QFETCH(QString, query);
    QFETCH(QString, expected);
    SimLaser laser(identityWith(QStringLiteral("0x8d")));
    laser.execute(setting.toLatin1());
    QString reported = answer(laser, query.toLatin1().constData());
    // The debug trace follows every answer once switched on; only the answer itself is compared here.
    reported.remove(QRegularExpression(QStringLiteral("DBG: [^\n]*\n")));
    QCOMPARE(reported, expected);
}

void TestSimLaser::recordsHaveTheirFieldCounts_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<int>("s8Parts");
    QTest::newRow("Lumetra-10") << "Lumetra-10" << 13;
    QTest::newRow("Lumetra-3") << "Lumetra-3" << 13;
    QTest::newRow("Lumetra-2") << "Lumetra-2" << 12;
}

void TestSimLaser::recordsHaveTheirFieldCounts()
{
    QFETCH(QString, system);
    QFETCH(int, s8Parts);
    SimLaser laser(identityWith(QStringLiteral("0x86"), system));
    QCOMPARE(recordValues(laser, "s6").size(), 13);
    QCOMPARE(recordValues(laser, "s7").size(), 17);
    QCOMPARE(recordValues(laser, "s8").size(), s8Parts);
    const QStringList s9 = recordValues(laser, "s9");
    QCOMPARE(s9.size(), 42);
    // The last s9 value is the status byte, in hexadecimal.
    bool ok = false;
    QCOMPARE(s9.last().trimmed().toUInt(&ok, 16), uint(laser.statusByte()));
    QVERIFY(ok);
    for (const char *record : {"s6", "s7", "s8", "s9"}) {
        const QStringList values = recordValues(laser, record).mid(1);
        for (const QString &value : values) {
            value.toDouble(&ok);
            QVERIFY2(ok, qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(record), value)));
        }
    }
}

void TestSimLaser::olderFirmwareLeavesRecordValuesBlank()
{
    SimIdentity identity = identityWith(QStringLiteral("0x86"));
    identity.firmwareVersion = QStringLiteral("V5.0.2");
    SimLaser laser(identity);
    bool ok = true;
    const QStringList s6 = recordValues(laser, "s6");
    QCOMPARE(s6.size(), 13);
    s6.at(7).toInt(&ok);
    QVERIFY(!ok);
    const QStringList s8 = recordValues(laser, "s8");
    QCOMPARE(s8.size(), 13);
    s8.at(6).toDouble(&ok);
    QVERIFY(!ok);
    // s7 has no such gaps in any release.
    for (const QString &value : recordValues(laser, "s7").mid(1)) {
        value.toDouble(&ok);
        QVERIFY(ok);
    }
}

void TestSimLaser::stateChangesTakeTimeAndAnnounceTheirEnd()
{
    SimLaser laser(identityWith(QStringLiteral("0x8d")));
    QSignalSpy spontaneous(&laser, &SimLaser::spontaneousLine);
    QCOMPARE(laser.statusByte(), quint8(0x09));

    QCOMPARE(answer(laser, "ly_lqz2_standby"), QStringLiteral("Listen -> Standby\n"));
    QCOMPARE(laser.statusByte(), quint8(0x19));
    QCOMPARE(answer(laser, "ly_lqz2_listen"), QStringLiteral("Busy: state change in progress\n"));
    advanceInSteps(laser, 2.5);
    QCOMPARE(spontaneous.count(), 0);
    advanceInSteps(laser, 1.0);
    QCOMPARE(spontaneous.count(), 1);
    QCOMPARE(spontaneous.takeFirst().at(0).toByteArray(), QByteArray("Standby = ok\n"));
    QCOMPARE(laser.statusByte(), quint8(0x21));

    QCOMPARE(answer(laser, "ly_lqz2_disabled"), QStringLiteral("Standby -> disabled\n"));
    advanceInSteps(laser, 2.5);
    QCOMPARE(spontaneous.takeFirst().at(0).toByteArray(), QByteArray("disabled = ok\n"));
    QCOMPARE(laser.statusByte(), quint8(0x41));

    QCOMPARE(answer(laser, "ly_lqz2_enabled"), QStringLiteral("enabled = ok\n"));
    QCOMPARE(laser.statusByte(), quint8(0x81));
    QCOMPARE(answer(laser, "ly_lqz2_output?"), QStringLiteral("Laser output enabled\n"));

    QCOMPARE(
        answer(laser, "ly_lqz2_listen"),
        QStringLiteral("enabled -> Listen\nSwitching OFF Seeder Laser diode: Laser_OnOff_value_Seeder=0\n"));
    advanceInSteps(laser, 3.5);
    QCOMPARE(spontaneous.takeFirst().at(0).toByteArray(), QByteArray("Listen = ok\n"));
    QCOMPARE(laser.phase(), SimLaser::Phase::Listen);
    QVERIFY(spontaneous.isEmpty());
}

void TestSimLaser::stateRequestsThatNeedNoChange_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("output");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("listen in listen") << "listen" << 0 << "ly_lqz2_listen"
                                      << "Already in Listen\n";
    QTest::newRow("standby in standby") << "standby" << 0 << "ly_lqz2_standby"
                                        << "Already in Standby\n";
    QTest::newRow("on from listen") << "listen" << 0 << "ly_lqz2_disabled"
                                    << "Laser On refused: switch to Standby first\n";
    QTest::newRow("disabled when disabled") << "on" << 0 << "ly_lqz2_disabled"
                                            << "Already Disabled\n";
    QTest::newRow("enabled when enabled") << "on" << 1 << "ly_lqz2_enabled"
                                          << "Already Enabled\n";
    QTest::newRow("disabled when enabled") << "on" << 1 << "ly_lqz2_disabled"
                                           << "disabled = ok\n";
    QTest::newRow("standby from on") << "on" << 0 << "ly_lqz2_standby"
                                     << "disabled -> Standby\n";
}

void TestSimLaser::stateRequestsThatNeedNoChange()
{
    QFETCH(QString, state);
    QFETCH(int, output);
    QFETCH(QString, command);
    QFETCH(QString, expected);
    SimLaser laser(identityWith(QString()));
    set(laser, "state", state.toLatin1().constData());
    set(laser, "output", output ? "1" : "0");
    QCOMPARE(answer(laser, command.toLatin1().constData()), expected);
}

void TestSimLaser::emissionNeedsOnStateOutputAndOpenGate()
{
    SimLaser laser(identityWith(QStringLiteral("0x8d")));
    set(laser, "state", "on");
    QCOMPARE(recordValues(laser, "s7").at(8), QStringLiteral("0.0"));
    laser.execute("ly_lqz2_output_enable");
    const double measured = recordValues(laser, "s7").at(8).toDouble();
    QVERIFY2(qAbs(measured - 5000) < 50, qPrintable(QString::number(measured)));
    // 5000 nJ at 500 kHz is 2.5 W of infrared; the third harmonic converts 30 % of it.
    const QString power = answer(laser, "ls_output_power?");
    QVERIFY2(
        power.contains(QRegularExpression(QStringLiteral("ZOR THG\tOutput power = 7[45][0-9]\\.[0-9] mW\n"))),
        qPrintable(power));
    laser.execute("ly_lqz2_digiop=1");
    QCOMPARE(recordValues(laser, "s7").at(8), QStringLiteral("0.0"));
    QCOMPARE(answer(laser, "ls_output_power?"),
             QStringLiteral("ZOR SHG\tOutput power = 0.0 mW\nZOR THG\tOutput power = 0.0 mW\n"));
}

void TestSimLaser::readyQueryCanBeRefused()
{
    SimLaser laser(identityWith(QString()));
    laser.refuseReady(2);
    QCOMPARE(answer(laser, "ly_lqz2_dev_status?"), QStringLiteral("ly_lqz2_dev_status 17\n"));
    QCOMPARE(answer(laser, "ly_lqz2_dev_status?"), QStringLiteral("ly_lqz2_dev_status 17\n"));
    QCOMPARE(answer(laser, "ly_lqz2_dev_status?"), QStringLiteral("ly_lqz2_dev_status 9\n"));
}

void TestSimLaser::ovensSettleOnTheirSetpoints()
{
    SimLaser laser(identityWith(QStringLiteral("0x86")));
    SimHgModule *module = laser.module();
    QCOMPARE(answer(laser, "ls_temp_setpoint=140"),
             QStringLiteral("New oven temperature setpoint: 140.0 C\n"));
    QCOMPARE(module->fsmState(), 3);
    advanceInSteps(laser, 3.0);
    QVERIFY(module->oven1Actual() < 152.0 && module->oven1Actual() > 141.0);
    QCOMPARE(module->fsmState(), 3);
    advanceInSteps(laser, 60.0);
    QVERIFY(qAbs(module->oven1Actual() - 140.0) < 0.05);
    QCOMPARE(module->fsmState(), 4);
    QCOMPARE(answer(laser, "ls_temp_oven?"), QStringLiteral("ZOR SHG\tOven Temperature=140.0 C\n"));

    // Ovens off: they cool to the room, and nothing is flagged as a fault meanwhile.
    laser.execute("ls_enable=2");
    advanceInSteps(laser, 120.0, 1.0);
    QVERIFY(qAbs(module->oven1Actual() - 25.0) < 0.5);
    QCOMPARE(module->statusFlags(), quint16(0));

    // Disturbed while regulating: the oven fault shows until the temperature is back.
    laser.execute("ls_enable=4");
    advanceInSteps(laser, 120.0, 1.0);
    QCOMPARE(module->fsmState(), 4);
    set(laser, "oven1", "120");
    QCOMPARE(module->statusFlags(), quint16(0x0080));
    advanceInSteps(laser, 60.0, 1.0);
    QCOMPARE(module->statusFlags(), quint16(0));
}

void TestSimLaser::humidityDriftsAroundItsBaseAndRaisesTheFlag_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<int>("flag");
    QTest::newRow("0x86") << "0x86" << 0x0200;
    QTest::newRow("0x8d") << "0x8d" << 0x0200;
    QTest::newRow("0x90") << "0x90" << 0x0100;
    QTest::newRow("0x93") << "0x93" << 0x0100;
}

void TestSimLaser::humidityDriftsAroundItsBaseAndRaisesTheFlag()
{
    QFETCH(QString, module);
    QFETCH(int, flag);
    SimLaser laser(identityWith(module));
    set(laser, "humidity", "47");
    double lowest = 100;
    double highest = 0;
    for (int i = 0; i < 600; ++i) {
        laser.advance(1.0);
        lowest = qMin(lowest, laser.module()->humidity());
        highest = qMax(highest, laser.module()->humidity());
    }
    QVERIFY2(lowest > 44 && highest < 50, qPrintable(QStringLiteral("%1..%2").arg(lowest).arg(highest)));
    QVERIFY(highest - lowest > 0.05); // it does move
    QCOMPARE(laser.module()->statusFlags(), quint16(0));
    set(laser, "humidity", "61");
    QCOMPARE(laser.module()->statusFlags(), quint16(flag));
    QVERIFY(laser.statusByte() & 0x04);
}

void TestSimLaser::crystalSpotMoveTakesTenSecondsPerSpot()
{
    SimLaser laser(identityWith(QStringLiteral("0x93")));
    QCOMPARE(answer(laser, "ls_crystal_setSpot=5"), QString());
    QVERIFY(laser.module()->crystalMoving());
    advanceInSteps(laser, 19.0);
    QCOMPARE(answer(laser, "ls_crystal_curSpot?"), QStringLiteral("ZOR THG\tCurrent crystal spot=3\n"));
    QVERIFY(answer(laser, "ls_crystal_setSpot=7").startsWith(QLatin1String("ZOR THG\tCrystal stage busy")));
    advanceInSteps(laser, 1.5);
    QCOMPARE(answer(laser, "ls_crystal_curSpot?"), QStringLiteral("ZOR THG\tCurrent crystal spot=5\n"));
    QCOMPARE(answer(laser, "ls_crystal_curRuntime?"), QStringLiteral("ZOR THG\tCurrent runtime=0s\n"));
}

void TestSimLaser::wavelengthChangeDisablesOutputUntilTheStageHasMoved()
{
    SimLaser laser(identityWith(QStringLiteral("0x86")));
    QSignalSpy spontaneous(&laser, &SimLaser::spontaneousLine);
    laser.execute("ly_lqz2_output_enable");
    QCOMPARE(answer(laser, "ls_wavelength=0"), QStringLiteral("ZOR HG:\tDisabling AOM.\n"));
    QVERIFY(!laser.outputEnabled());
    QCOMPARE(answer(laser, "ls_wavelength?"), QStringLiteral("ZOR SHG\tCurrent position=GREEN\n"));
    advanceInSteps(laser, 2.5);
    QCOMPARE(spontaneous.count(), 2);
    QCOMPARE(spontaneous.at(0).at(0).toByteArray(), QByteArray("ZOR SHG\tMoved piezo stage to IR\n"));
    QCOMPARE(spontaneous.at(1).at(0).toByteArray(), QByteArray("ZOR HG\tChanging wavelength complete.\n"));
    QCOMPARE(answer(laser, "ls_wavelength?"), QStringLiteral("ZOR SHG\tCurrent position=IR\n"));
    // An SHG module has no UV: the laser answers with its help text.
    const QString help = answer(laser, "ls_wavelength=2");
    QVERIFY(help.contains(QLatin1String("\t\t2 THG not available.\n")));
    QVERIFY(help.contains(QLatin1String("\t\t1 sets SHG output\n")));
}

void TestSimLaser::dynamicSwitchingChangesAtOnceWithStoredEnergy()
{
    SimLaser laser(identityWith(QStringLiteral("0x93")));
    QCOMPARE(answer(laser, "ls_dwls_feature?"),
             QStringLiteral("ZOR HG\tDynamic wavelength switching feature enabled\n"));
    QCOMPARE(answer(laser, "ls_dwls_enable=1"),
             QStringLiteral("ZOR HG\tDynamic wavelength switching enabled\n"));
    const QString table = answer(laser, "ls_dwls_default=1,2500.5");
    QCOMPARE(table, QStringLiteral("Dynamic wavelength switching data in memory:\n"
                                   "\tIR Wavelength Index: 0 IR pulse energy = 5000\n"
                                   "\tSHG Wavelength Index: 1 IR pulse energy = 2501\n"
                                   "\tTHG Wavelength Index: 2 IR pulse energy = 3000\n"));
    laser.execute("ly_lqz2_output_enable");
    QCOMPARE(answer(laser, "ls_wavelength=1"), QStringLiteral("ZOR HG\tChanging wavelength complete.\n"));
    QVERIFY(laser.outputEnabled());
    QCOMPARE(laser.module()->position(), 1);
    QCOMPARE(laser.powerSetpoint_nJ(), 2500.5);
    QVERIFY(answer(laser, "ls_dwls_default=3,100").contains(QLatin1String("Invalid arguments")));

    SimLaser older(identityWith(QStringLiteral("0x8d")));
    QCOMPARE(answer(older, "ls_dwls_enable=1"),
             QStringLiteral("ZOR HG\tDynamic wavelength switching feature disabled\n"));
}

void TestSimLaser::moduleCommandsFollowTheModuleType_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no module: no block") << ""
                                         << "ls?"
                                         << "";
    QTest::newRow("no module: query") << ""
                                      << "ls_humidity?"
                                      << "No harmonic generation module connected\n";
    QTest::newRow("SHG block") << "0x86"
                               << "ls?"
                               << "ZOR harmonic generation module (address: 0x21 / type: 0x86)\n"
                                  "Firmware version:\t2.1.7\nBootloader version:\t1.0.4\n"
                                  "Module serial number:\tSHG-1904-022\nPCB serial number:\tPCB-4471-B\n";
    QTest::newRow("SHG humidity") << "0x86"
                                  << "ls_humidity?"
                                  << "ZOR SHG\tHumidity=32.0%\n";
    QTest::newRow("THG humidity") << "0x93"
                                  << "ls_humidity?"
                                  << "ZOR THG\tHumidity=32.0%\n";
    QTest::newRow("SHG has no spots") << "0x90"
                                      << "ls_crystal_curSpot?"
                                      << "ZOR SHG\tCommand not supported by this module\n";
    QTest::newRow("SHG has one oven") << "0x86"
                                      << "ls_temp_setpoint_THG=60"
                                      << "ZOR SHG\tCommand not supported by this module\n";
    QTest::newRow("SHG oven") << "0x90"
                              << "ls_temp_oven?"
                              << "ZOR SHG\tOven Temperature=152.5 C\n";
    QTest::newRow("SHG runtime") << "0x86"
                                 << "ls_module_runtime?"
                                 << "ZOR SHG\tRuntime=5812345s\n";
    QTest::newRow("SHG config") << "0x86"
                                << "ls_output_config?"
                                << "ZOR HG WL output config: 0x03\n";
    QTest::newRow("THG config") << "0x8d"
                                << "ls_output_config?"
                                << "ZOR HG WL output config: 0x07\n";
    QTest::newRow("THG spots")
        << "0x8d"
        << "ls_crystal_allRuntimes?"
        << "ZOR THG\tAll runtimes=1800000 1800000 1800000 412345 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 \n";
    QTest::newRow("unknown command") << "0x8d"
                                     << "ls_bogus?"
                                     << "Unknown command: ls_bogus?\n";
    QTest::newRow("control bytes quoted safely") << ""
                                                 << "a\x01"
                                                    "b"
                                                 << "Unknown command: a?b\n";
}

void TestSimLaser::moduleCommandsFollowTheModuleType()
{
    QFETCH(QString, module);
    QFETCH(QString, command);
    QFETCH(QString, expected);
    SimLaser laser(identityWith(module));
    QCOMPARE(answer(laser, command.toLatin1().constData()), expected);
}

void TestSimLaser::wavelengthCommandFollowsTheSystem_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Lumetra-2 own form") << "Lumetra-2"
                                        << "ly_lqz2_wvl 1" << true;
    QTest::newRow("Lumetra-2 other form") << "Lumetra-2"
                                          << "ly_lqz_wvl 1" << false;
    QTest::newRow("Lumetra-10 own form") << "Lumetra-10"
                                         << "ly_lqz_wvl 2" << true;
    QTest::newRow("Lumetra-10 other form") << "Lumetra-10"
                                           << "ly_lqz2_wvl 2" << false;
    QTest::newRow("Lumetra-3 out of range") << "Lumetra-3"
                                            << "ly_lqz_wvl 3" << false;
}

void TestSimLaser::wavelengthCommandFollowsTheSystem()
{
    QFETCH(QString, system);
    QFETCH(QString, command);
    QFETCH(bool, accepted);
    SimLaser laser(identityWith(QString(), system));
    laser.execute(command.toLatin1());
    const QString wavelength = recordValues(laser, "s7").at(16).trimmed();
    QCOMPARE(wavelength, accepted ? command.right(1) : QStringLiteral("0"));
}

void TestSimLaser::debugOutputIsAnnouncedAndSwitchedOff()
{
    SimLaser laser(identityWith(QString()));
    QSignalSpy spontaneous(&laser, &SimLaser::spontaneousLine);
    laser.setDebugOutput(true);
    QCOMPARE(spontaneous.count(), 1);
    QCOMPARE(spontaneous.first().at(0).toByteArray(),
             QByteArray("Debugging on communication channel 2 enabled\n"));
    const SimLines traced = laser.execute("e_div?");
    QCOMPARE(traced.size(), 2);
    QVERIFY(traced.at(1).startsWith("DBG: rx 'e_div?'"));
    QCOMPARE(answer(laser, "d2=0"), QStringLiteral("Ok write debug Communication value to eeprom\n"
                                                   "Debugging on communication channel 2 disabled\n"));
    QCOMPARE(laser.execute("e_div?").size(), 1);
}

void TestSimLaser::runTimesCountWhileEmitting()
{
    SimLaser laser(identityWith(QStringLiteral("0x8d")));
    const QString before = answer(laser, "ls_module_runtime?");
    const QStringList s6Before = recordValues(laser, "s6");
    advanceInSteps(laser, 120.0, 1.0);
    QCOMPARE(answer(laser, "ls_module_runtime?"), before);
    QCOMPARE(recordValues(laser, "s6").mid(1, 4), s6Before.mid(1, 4)); // Listen counts no hours

    set(laser, "state", "on");
    laser.execute("ly_lqz2_output_enable");
    advanceInSteps(laser, 120.0, 1.0);
    QCOMPARE(answer(laser, "ls_module_runtime?"), QStringLiteral("ZOR THG\tRuntime=5812465s\n"));
    QCOMPARE(answer(laser, "ls_crystal_curRuntime?"), QStringLiteral("ZOR THG\tCurrent runtime=412465s\n"));
    const QStringList s6 = recordValues(laser, "s6");
    QCOMPARE(s6.mid(1, 4), QStringList({"1234", "58", "987", "14"}));
    QVERIFY(answer(laser, "ly_system_info")
                .contains(QLatin1String("Laser Emission switch on time: 987 hours 14 minutes\n")));
}

void TestSimLaser::readingsRejectBadValues_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("humidity") << "0x86"
                              << "humidity"
                              << "47" << true;
    QTest::newRow("humidity above 100") << "0x86"
                                        << "humidity"
                                        << "101" << false;
    QTest::newRow("humidity without module") << ""
                                             << "humidity"
                                             << "40" << false;
    QTest::newRow("oven 2 on SHG") << "0x86"
                                   << "oven2"
                                   << "60" << false;
    QTest::newRow("flags hex") << "0x8d"
                               << "flags"
                               << "0x0180" << true;
    QTest::newRow("flags too wide") << "0x8d"
                                    << "flags"
                                    << "10000" << false;
    QTest::newRow("status auto") << ""
                                 << "status"
                                 << "auto" << true;
    QTest::newRow("status text") << ""
                                 << "status"
                                 << "ready" << false;
    QTest::newRow("mode 5") << ""
                            << "mode"
                            << "5" << false;
    QTest::newRow("temperature") << ""
                                 << "temperature"
                                 << "3 31.5" << true;
    QTest::newRow("temperature sensor 11") << ""
                                           << "temperature"
                                           << "11 20" << false;
    QTest::newRow("position not fitted") << "0x86"
                                         << "position"
                                         << "2" << false;
    QTest::newRow("spot on THG") << "0x93"
                                 << "spot"
                                 << "7" << true;
    QTest::newRow("spot on SHG") << "0x90"
                                 << "spot"
                                 << "1" << false;
    QTest::newRow("unknown") << "0x8d"
                             << "colour"
                             << "red" << false;
    QTest::newRow("not a number") << "0x8d"
                                  << "oven1"
                                  << "nan" << false;
}

void TestSimLaser::readingsRejectBadValues()
{
    QFETCH(QString, module);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    SimLaser laser(identityWith(module));
    QString error;
    QCOMPARE(SimReadings::set(laser, name, value, &error), accepted);
    QCOMPARE(error.isEmpty(), accepted);
}

void TestSimLaser::faultNoiseKeepsLinesApart()
{
    SimFaults faults(3);
    for (int length : {1, 7, 64}) {
        const QByteArray noise = faults.garbageLine(length);
        QCOMPARE(noise.size(), length + 1);
        QVERIFY(noise.endsWith('\n'));
        QVERIFY(noise.contains('\0'));
        QVERIFY(!noise.left(length).contains('\n'));
        QVERIFY(!noise.contains('\r'));
    }
    const QByteArray partial = faults.unterminatedLine(30);
    QCOMPARE(partial.size(), 30);
    QVERIFY(!partial.contains('\n') && !partial.contains('\r'));

    SimFaults first(42);
    SimFaults second(42);
    first.setDropEchoFraction(0.5);
    second.setDropEchoFraction(0.5);
    int dropped = 0;
    for (int i = 0; i < 200; ++i) {
        const bool draw = first.drawDropEcho();
        QCOMPARE(second.drawDropEcho(), draw); // the same seed repeats the same faults
        dropped += draw;
    }
    QVERIFY(dropped > 60 && dropped < 140);
    QVERIFY(!first.isSilent());
    first.setSilence(-1);
    QVERIFY(first.isSilent());
    first.setSilence(0);
    QVERIFY(!first.isSilent());
}

void TestSimLaser::transcriptQuotesBytes()
{
    QCOMPARE(SimTranscript::quoted(QByteArray("s6\n")), QStringLiteral("\"s6\\n\""));
    QCOMPARE(SimTranscript::quoted(QByteArray("P\r\n")), QStringLiteral("\"P\\r\\n\""));
    QCOMPARE(SimTranscript::quoted(QByteArray("a\tb\"c\\", 6)), QStringLiteral("\"a\\tb\\\"c\\\\\""));
    QCOMPARE(SimTranscript::quoted(QByteArray("\0\xff", 2)), QStringLiteral("\"\\x00\\xff\""));
}

void TestSimLaser::optionsBecomeIdentityAndStartupCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QStringList>("startup");
    const int run = int(SimOptions::Outcome::Run);
    const int error = int(SimOptions::Outcome::Error);
    QTest::newRow("defaults") << QStringList() << run << "0x8d" << QStringList();
    QTest::newRow("no module") << QStringList({"--module", "none"}) << run << "" << QStringList();
    QTest::newRow("module upper case") << QStringList({"--module", "0x8D"}) << run << "0x8d" << QStringList();
    QTest::newRow("unknown module") << QStringList({"--module", "0x99"}) << error << "" << QStringList();
    QTest::newRow("bad mode") << QStringList({"--mode", "4"}) << error << "" << QStringList();
    QTest::newRow("name with slash") << QStringList({"--name", "../x"}) << error << "" << QStringList();
    QTest::newRow("stray argument") << QStringList({"extra"}) << error << "" << QStringList();
    QTest::newRow("tcp port") << QStringList({"--tcp", "0"}) << run << "0x8d" << QStringList();
    QTest::newRow("tcp port out of range") << QStringList({"--tcp", "65536"}) << error << "" << QStringList();
    QTest::newRow("faults")
        << QStringList({"--drop-echo", "0.25", "--shutter", "--set", "humidity=47", "--set", "oven1 150"})
        << run << "0x8d" << QStringList({"drop-echo 0.25", "shutter on", "set humidity 47", "set oven1 150"});
    QTest::newRow("help") << QStringList({"--help"}) << int(SimOptions::Outcome::ShowHelp) << ""
                          << QStringList();
}

void TestSimLaser::optionsBecomeIdentityAndStartupCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    QFETCH(QString, module);
    QFETCH(QStringList, startup);
    SimOptions options;
    const SimOptions::Outcome result = options.parse(QStringList(QStringLiteral("lumetra-sim")) + arguments);
    QCOMPARE(int(result), outcome);
    if (result == SimOptions::Outcome::Error)
        QVERIFY(!options.errorText.isEmpty());
    if (result != SimOptions::Outcome::Run)
        return;
    QCOMPARE(options.identity.moduleType, module);
    QCOMPARE(options.startupCommands, startup);
}

QTEST_GUILESS_MAIN(TestSimLaser)
#include "tst_simlaser.moc"
