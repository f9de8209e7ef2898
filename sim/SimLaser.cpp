#include "sim/SimLaser.h"

#include "sim/SimHgModule.h"
#include "sim/SimRecords.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSimLaser, "lumetra.sim.laser")

namespace {

const double oscillator_kHz = 80000.0;   // seed oscillator; the pulse picker divides it by PCPER
const double maxAveragePower_mW = 10000; // the amplifier's average-power limit
const double maxPulseEnergy_nJ = 100000; // and its pulse-energy limit

// Seconds each state change takes, by the state it leaves and the one it reaches.
struct Transition
{
    SimLaser::Phase from;
    SimLaser::Phase to;
    double seconds;
};
const Transition transitions[] = {
    {SimLaser::Phase::Listen, SimLaser::Phase::Standby, 3.0},
    {SimLaser::Phase::Standby, SimLaser::Phase::Listen, 2.0},
    {SimLaser::Phase::Standby, SimLaser::Phase::On, 2.0},
    {SimLaser::Phase::On, SimLaser::Phase::Standby, 1.0},
    {SimLaser::Phase::On, SimLaser::Phase::Listen, 3.0},
};

// Status-byte bits.
const quint8 bitPowerOn = 0x01;
const quint8 bitError = 0x02;
const quint8 bitWarning = 0x04;
const quint8 bitListen = 0x08;
const quint8 bitSetup = 0x10;
const quint8 bitStandby = 0x20;
const quint8 bitOnOutputDisabled = 0x40;
const quint8 bitOnOutputEnabled = 0x80;

// The PCPER values of the frequency table, slowest pulse picking last.
const int defaultPcper[] = {80, 100, 160, 200, 400, 800, 1600, 4000};

const double sensorSetpoints[10] = {25.0, 25.0, 30.0, 35.0, 22.0, 22.0, 40.0, 28.0, 25.0, 25.0};

QString phaseName(SimLaser::Phase phase, bool output)
{
    switch (phase) {
    case SimLaser::Phase::Listen:
        return QStringLiteral("Listen");
    case SimLaser::Phase::Standby:
        return QStringLiteral("Standby");
    case SimLaser::Phase::On:
        break;
    }
    return output ? QStringLiteral("enabled") : QStringLiteral("disabled");
}

bool toInt(const QString &text, int *value, int base = 10)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok, base);
    return ok;
}

bool toDouble(const QString &text, double *value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(*value);
}

// Printable rendering of what came in, for answers that quote it.
QString printable(const QString &text)
{
    QString result;
    for (const QChar c : text)
        result += (c.unicode() >= 0x20 && c.unicode() < 0x7f) ? c : QLatin1Char('?');
    return result.left(80);
}

} // namespace

SimLaser::SimLaser(const SimIdentity &identity, quint32 seed, QObject *parent)
    : QObject(parent), id(identity), random(seed)
{
    mode = id.modeOfOperation;
    for (int value : defaultPcper)
        pcper << value;
    for (double set : sensorSetpoints) {
        sensorSet << set;
        sensorActual << set;
    }
    if (!id.moduleType.isEmpty() && SimHgModule::isKnownType(id.moduleType)) {
        hg = new SimHgModule(id.moduleType, seed + 1, this);
        connect(hg, &SimHgModule::spontaneousLine, this, &SimLaser::spontaneousLine);
        connect(hg, &SimHgModule::aomDisableRequested, this, [this] { aomOutput = false; });
        connect(hg, &SimHgModule::energyRequested, this, [this](double energy) {
            power_nJ = energy;
            clampPower();
        });
    }
}

const QVector<SimLaser::Command> &SimLaser::commandTable()
{
    using A = ArgumentStyle;
    using S = Scope;
    static const QVector<Command> table = {
        {"ly_system_info", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::identification(l);
         }},
        {"ly_lqz2_dev_status?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             quint8 status = l.statusByte();
             if (l.refuseReadyLeft > 0) {
                 --l.refuseReadyLeft;
                 status = bitPowerOn | bitSetup; // still setting up: not ready
             }
             return SimLines{simLine(QStringLiteral("ly_lqz2_dev_status %1").arg(status))};
         }},
        {"s6", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::record6(l);
         }},
        {"s7", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::record7(l);
         }},
        {"s8", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::record8(l);
         }},
        {"s9", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::record9(l);
         }},
        {"ly_lqz2_power?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{simLine(QStringLiteral("Setted laser power: %1nJ").arg(qRound(l.power_nJ)))};
         }},
        {"ly_lqz2_power=", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setPower_nJ(a);
         }},
        {"e_power?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{
                 simLine(QStringLiteral("Setted laser power in relative unit: %1").arg(l.power_counts))};
         }},
        {"e_power=", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setPowerCounts(a);
         }},
        {"e_freq?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{
                 simLine(QStringLiteral("AOM max frequency fields number is: %1").arg(l.pcper.size())),
                 simLine(QStringLiteral("Frequency index parameter: %1").arg(l.freqIndex))};
         }},
        {"e_freq ", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setFrequency(a);
         }},
        {"e_div?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{
                 simLine(QStringLiteral("Notice: Division factor for PCAOM is %1").arg(l.divisionFactor))};
         }},
        {"e_div ", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setDivision(a);
         }},
        {"e_mode?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{simLine(QStringLiteral("e_mode of AOM: %1").arg(l.mode))};
         }},
        {"e_mode ", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setMode(a);
         }},
        {"d2?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.debugLine();
         }},
        {"d2=", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setDebug(a);
         }},
        {"ezra?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::powerTable(l);
         }},
        {"eira?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimRecords::parameterTable(l);
         }},
        {"ly_lqz2_listen", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.changePhase(Phase::Listen, l.aomOutput);
         }},
        {"ly_lqz2_standby", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.changePhase(Phase::Standby, l.aomOutput);
         }},
        {"ly_lqz2_disabled", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.changePhase(Phase::On, false);
         }},
        {"ly_lqz2_enabled", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.changePhase(Phase::On, true);
         }},
        {"ly_lqz2_output?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.outputLine();
         }},
        {"ly_lqz2_output_enable", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             l.aomOutput = true;
             return l.outputLine();
         }},
        {"ly_lqz2_output_disable", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             l.aomOutput = false;
             return l.outputLine();
         }},
        {"ly_lqz2_digiop?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.gateLine();
         }},
        {"ly_lqz2_digiop=", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setGate(a);
         }},
        {"ly_lqz_wvl ", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setWavelength(a, false);
         }},
        {"ly_lqz2_wvl ", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.setWavelength(a, true);
         }},
        {"?AVGENGY", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{simLine(QStringLiteral("?AVGENGY = %1").arg(l.measuredEnergy_nJ(), 0, 'f', 1))};
         }},
        {"?ENERGY", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{simLine(QStringLiteral("?ENERGY = %1").arg(l.measuredEnergy_nJ(), 0, 'f', 1))};
         }},
        {"o7m:?AOMEN", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return SimLines{simLine(QStringLiteral("AOMEN %1").arg(int(l.aomOutput)))};
         }},
        {"o7m:AOMEN=", A::Trailing, S::Laser, nullptr,
         [](SimLaser &l, const QString &a) {
             int value = 0;
             if (toInt(a, &value) && (value == 0 || value == 1))
                 l.aomOutput = value == 1;
             return SimLines{simLine(QStringLiteral("AOMEN %1").arg(int(l.aomOutput)))};
         }},
        {"help", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.help();
         }},
        // The harmonic-generator module's commands.
        {"ls?", A::None, S::Laser, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg ? l.hg->info() : SimLines{};
         }},
        {"ls_enable?", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->enableQuery();
         }},
        {"ls_enable=", A::Trailing, S::Module, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.hg->setEnable(a);
         }},
        {"ls_temp_setpoint?", A::None, S::Module, "\tDisplays the module oven setpoint(s) in degrees C",
         [](SimLaser &l, const QString &) {
             return l.hg->setpointQuery();
         }},
        {"ls_temp_setpoint=", A::Trailing, S::Module,
         "\tSets the module oven temperature setpoint in degrees C",
         [](SimLaser &l, const QString &a) {
             return l.hg->setOvenSetpoint(1, a);
         }},
        {"ls_temp_setpoint_SHG=", A::Trailing, S::Module,
         "\tSets the module's SHG oven temperature setpoint in degrees C",
         [](SimLaser &l, const QString &a) {
             return l.hg->setOvenSetpoint(1, a);
         }},
        {"ls_temp_setpoint_THG=", A::Trailing, S::ThirdHarmonic,
         "\tSets the module's THG oven temperature setpoint in degrees C",
         [](SimLaser &l, const QString &a) {
             return l.hg->setOvenSetpoint(2, a);
         }},
        {"ls_temp_oven?", A::None, S::Module, "\tDisplays the module oven(s) temperature in degrees C",
         [](SimLaser &l, const QString &) {
             return l.hg->ovenQuery();
         }},
        {"ls_humidity?", A::None, S::Module, "\tDisplays the relative humidity in % within the module.",
         [](SimLaser &l, const QString &) {
             return l.hg->humidityQuery();
         }},
        {"ls_wavelength?", A::None, S::Module, "\tDisplays the configured wavelength of the module",
         [](SimLaser &l, const QString &) {
             return l.hg->wavelengthQuery();
         }},
        {"ls_wavelength=", A::Trailing, S::Module, "\tSets the output wavelength [x range: 0-3]",
         [](SimLaser &l, const QString &a) {
             return l.hg->setWavelength(a);
         }},
        {"ls_wavelength", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->wavelengthHelp();
         }},
        {"ls_output_power?", A::None, S::Module, "\tDisplays the current output power",
         [](SimLaser &l, const QString &) {
             const double average_mW = l.measuredEnergy_nJ() * l.outputRate_kHz() / 1000.0;
             return l.hg->outputPowerQuery(average_mW);
         }},
        {"ls_status?", A::None, S::Module, "\tDisplays the module status - ZORV support",
         [](SimLaser &l, const QString &) {
             return l.hg->statusQuery();
         }},
        {"ls_errorcode?", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->errorcodeQuery();
         }},
        {"ls_output_config?", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->outputConfigQuery();
         }},
        {"ls_module_runtime?", A::None, S::Module, "\tDisplays the modules total runtime in seconds",
         [](SimLaser &l, const QString &) {
             return l.hg->runtimeQuery();
         }},
        {"ls_crystal_curSpot?", A::None, S::ThirdHarmonic, "\tDisplays the crystal spot currently active",
         [](SimLaser &l, const QString &) {
             return l.hg->crystalCurSpotQuery();
         }},
        {"ls_crystal_curRuntime?", A::None, S::ThirdHarmonic,
         "\tDisplays the current total runtime in seconds",
         [](SimLaser &l, const QString &) {
             return l.hg->crystalCurRuntimeQuery();
         }},
        {"ls_crystal_maxRuntime?", A::None, S::ThirdHarmonic, "\tDisplays the maximun runtime in seconds",
         [](SimLaser &l, const QString &) {
             return l.hg->crystalMaxRuntimeQuery();
         }},
        {"ls_crystal_allRuntimes?", A::None, S::ThirdHarmonic, "\tDisplays the total runtime in hours",
         [](SimLaser &l, const QString &) {
             return l.hg->crystalAllRuntimesQuery();
         }},
        {"ls_crystal_setSpot=", A::Trailing, S::ThirdHarmonic,
         "\tSets the crystal spot the module will use for conversion",
         [](SimLaser &l, const QString &a) {
             return l.hg->setCrystalSpot(a);
         }},
        {"ls_dwls_feature?", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->dwlsFeatureQuery();
         }},
        {"ls_dwls_enable?", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->dwlsEnableQuery();
         }},
        {"ls_dwls_enable=", A::Trailing, S::Module, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.hg->setDwlsEnable(a);
         }},
        {"ls_dwls_default?", A::None, S::Module, nullptr,
         [](SimLaser &l, const QString &) {
             return l.hg->dwlsDefaultQuery();
         }},
        {"ls_dwls_default=", A::Trailing, S::Module, nullptr,
         [](SimLaser &l, const QString &a) {
             return l.hg->setDwlsDefault(a);
         }},
    };
    return table;
}

const SimLaser::Command *SimLaser::findCommand(const QString &text, QString *argument) const
{
    for (const Command &command : commandTable()) {
        const QLatin1String name(command.name);
        if (command.style == ArgumentStyle::None && text == name)
            return &command;
        if (command.style == ArgumentStyle::Trailing && text.startsWith(name)) {
            *argument = text.mid(name.size());
            return &command;
        }
    }
    return nullptr;
}

SimLines SimLaser::execute(const QByteArray &commandLine)
{
    const QString text = QString::fromLatin1(commandLine).trimmed();
    if (text.isEmpty())
        return {};
    QString argument;
    const Command *command = findCommand(text, &argument);
    SimLines lines;
    if (!command)
        lines << simLine(QStringLiteral("Unknown command: %1").arg(printable(text)));
    else if (command->scope != Scope::Laser && !hg)
        lines << simLine(QStringLiteral("No harmonic generation module connected"));
    else if (command->scope == Scope::ThirdHarmonic && !hg->isThirdHarmonic())
        lines << hg->notSupported();
    else
        lines << command->handler(*this, argument);
    if (debugEnabled)
        lines << simLine(QStringLiteral("DBG: rx '%1' status 0x%2")
                             .arg(printable(text))
                             .arg(statusByte(), 2, 16, QLatin1Char('0')));
    qCDebug(lcSimLaser) << text << "->" << lines.size() << "lines";
    return lines;
}

bool SimLaser::emitting() const
{
    return currentPhase == Phase::On && transitionRemaining <= 0 && aomOutput && gate == 0;
}

quint8 SimLaser::statusByte() const
{
    if (forcedStatus >= 0)
        return quint8(forcedStatus);
    quint8 status = bitPowerOn;
    switch (currentPhase) {
    case Phase::Listen:
        status |= bitListen;
        break;
    case Phase::Standby:
        status |= bitStandby;
        break;
    case Phase::On:
        status |= aomOutput ? bitOnOutputEnabled : bitOnOutputDisabled;
        break;
    }
    if (transitionRemaining > 0)
        status |= bitSetup;
    if (laserError != 0 || (hg && hg->errorcode() != 0))
        status |= bitError;
    if (hg && (hg->statusFlags() != 0 || hg->shutterWarning()))
        status |= bitWarning;
    return status;
}

SimLines SimLaser::changePhase(Phase target, bool enableOutput)
{
    if (transitionRemaining > 0)
        return {simLine(QStringLiteral("Busy: state change in progress"))};
    if (target == currentPhase) {
        if (target != Phase::On)
            return {simLine(QStringLiteral("Already in %1").arg(phaseName(target, aomOutput)))};
        if (enableOutput == aomOutput)
            return {simLine(enableOutput ? QStringLiteral("Already Enabled")
                                         : QStringLiteral("Already Disabled"))};
        aomOutput = enableOutput;
        return {simLine(QStringLiteral("%1 = ok").arg(phaseName(Phase::On, aomOutput)))};
    }
    if (currentPhase == Phase::Listen && target == Phase::On)
        return {simLine(QStringLiteral("Laser On refused: switch to Standby first"))};
    SimLines lines = {simLine(
        QStringLiteral("%1 -> %2").arg(phaseName(currentPhase, aomOutput), phaseName(target, enableOutput)))};
    if (target == Phase::Listen)
        lines << simLine(QStringLiteral("Switching OFF Seeder Laser diode: Laser_OnOff_value_Seeder=0"));
    for (const Transition &transition : transitions) {
        if (transition.from == currentPhase && transition.to == target)
            transitionRemaining = transition.seconds;
    }
    targetPhase = target;
    if (target == Phase::On)
        aomOutput = enableOutput;
    return lines;
}

void SimLaser::advance(double seconds)
{
    if (seconds <= 0)
        return;
    if (transitionRemaining > 0) {
        transitionRemaining -= seconds;
        if (transitionRemaining <= 0) {
            transitionRemaining = 0;
            currentPhase = targetPhase;
            emit spontaneousLine(simLine(QStringLiteral("%1 = ok").arg(phaseName(currentPhase, aomOutput))));
        }
    }
    if (currentPhase != Phase::Listen)
        deviceOnSeconds += seconds;
    if (currentPhase == Phase::On && transitionRemaining <= 0)
        emissionSeconds += seconds;
    const double pull = 1.0 - std::exp(-seconds / 5.0);
    for (int i = 0; i < sensorActual.size(); ++i) {
        const double heat = (i == 2 && currentPhase == Phase::On) ? 0.8 : 0.0;
        sensorActual[i] +=
            (sensorSet[i] + heat - sensorActual[i]) * pull + (random.generateDouble() - 0.5) * 0.02;
    }
    if (hg)
        hg->advance(seconds, emitting());
}

double SimLaser::maxEnergy_nJ(int index) const
{
    const double rate = oscillator_kHz / pcper.value(index, pcper.first());
    return std::min(maxPulseEnergy_nJ, maxAveragePower_mW * 1000.0 / rate);
}

double SimLaser::outputRate_kHz() const
{
    return oscillator_kHz / pcper.value(freqIndex, pcper.first()) / std::max(1, divisionFactor);
}

double SimLaser::energy_nJ() const
{
    if (mode == 3)
        return maxEnergy_nJ(freqIndex) * power_counts / powerCountsFull;
    return power_nJ;
}

double SimLaser::measuredEnergy_nJ() const
{
    if (!std::isnan(measuredOverride))
        return measuredOverride;
    if (!emitting())
        return 0.0;
    // The energy monitor sees a little pulse-to-pulse jitter.
    return energy_nJ() * (1.0 + (random.bounded(1.0) - 0.5) * 0.01);
}

void SimLaser::clampPower()
{
    power_nJ = std::clamp(power_nJ, minEnergy_nJ(freqIndex), maxEnergy_nJ(freqIndex));
}

bool SimLaser::quirkyFirmware() const
{
    return id.firmwareVersion.contains(QLatin1String("V5.0.2"));
}

SimLines SimLaser::help() const
{
    SimLines lines = {simLine(QStringLiteral("Available commands:")),
                      simLine(QStringLiteral("----------------------------------------"))};
    for (const Command &command : commandTable()) {
        if (command.scope != Scope::Laser && !hg)
            continue;
        if (command.scope == Scope::ThirdHarmonic && !hg->isThirdHarmonic())
            continue;
        QString name = QLatin1String(command.name);
        if (name == QLatin1String("help") || name == QLatin1String("ezra?") || name == QLatin1String("eira?"))
            continue;
        if (command.style == ArgumentStyle::Trailing)
            name += QLatin1Char('x');
        lines << simLine(name);
        if (command.help)
            lines << simLine(QLatin1String(command.help));
    }
    return lines;
}

SimLines SimLaser::setPower_nJ(const QString &arg)
{
    double value = 0;
    if (!toDouble(arg, &value) || value < 0)
        return {simLine(QStringLiteral("Invalid laser power, use ly_lqz2_power=<nJ>"))};
    power_nJ = value;
    clampPower();
    return {simLine(QStringLiteral("Setted laser power: %1nJ").arg(qRound(power_nJ))),
            simLine(QStringLiteral("Coefficients for converting setted laser power to AOM value")),
            simLine(QStringLiteral("y=k*x + a; where k is index 0 and a is index 1")),
            simLine(QStringLiteral("y is AOM value 0-4095 and x is input laser power in nJ"))};
}

SimLines SimLaser::setPowerCounts(const QString &arg)
{
    int value = 0;
    if (!toInt(arg, &value))
        return {simLine(QStringLiteral("Invalid relative power, use e_power=<0-4000>"))};
    power_counts = std::clamp(value, 0, powerCountsFull);
    return {simLine(QStringLiteral("Setted laser power in relative unit: %1").arg(power_counts))};
}

SimLines SimLaser::setFrequency(const QString &arg)
{
    int value = 0;
    if (!toInt(arg, &value) || value < 0 || value >= pcper.size())
        return {simLine(QStringLiteral("Invalid frequency index, range 0-%1").arg(pcper.size() - 1))};
    freqIndex = value;
    clampPower();
    return {simLine(QStringLiteral("Frequency index parameter: %1").arg(freqIndex))};
}

SimLines SimLaser::setDivision(const QString &arg)
{
    int value = 0;
    if (!toInt(arg, &value) || value < 1 || value > 65535)
        return {simLine(QStringLiteral("Invalid division factor, range 1-65535"))};
    divisionFactor = value;
    return {simLine(QStringLiteral("Notice: Division factor is %1").arg(divisionFactor))};
}

SimLines SimLaser::setMode(const QString &arg)
{
    int value = 0;
    if (!toInt(arg, &value) || (value != 2 && value != 3 && value != 8))
        return {simLine(QStringLiteral("Invalid AOM mode, use 2, 3 or 8"))};
    mode = value;
    return {simLine(QStringLiteral("e_mode of AOM: %1").arg(mode))};
}

SimLines SimLaser::setWavelength(const QString &arg, bool lumetra2Command)
{
    // Each generation of the laser knows only its own form of the wavelength command.
    const bool lumetra2 = id.systemType.contains(QLatin1String("Lumetra-2"), Qt::CaseInsensitive) &&
                          !id.systemType.contains(QLatin1String("Lumetra-20"), Qt::CaseInsensitive);
    const QString name = lumetra2Command ? QStringLiteral("ly_lqz2_wvl") : QStringLiteral("ly_lqz_wvl");
    if (lumetra2 != lumetra2Command)
        return {simLine(QStringLiteral("Unknown command: %1 %2").arg(name, printable(arg)))};
    int value = 0;
    if (!toInt(arg, &value) || value < 0 || value > 2)
        return {simLine(QStringLiteral("Invalid wavelength, use 0 (1030 nm), 1 (515 nm) or 2 (343 nm)"))};
    systemWavelength = value;
    return {simLine(QStringLiteral("%1=%2").arg(name).arg(value))};
}

SimLines SimLaser::outputLine() const
{
    return {simLine(aomOutput ? QStringLiteral("Laser output enabled")
                              : QStringLiteral("Laser output disabled"))};
}

SimLines SimLaser::gateLine() const
{
    return {simLine(
        gate == 0 ? QStringLiteral("Active digital gate logic:\tlogic LOW (no connection) = AOM OPEN")
                  : QStringLiteral("Active digital gate logic:\tlogic LOW (no connection) = AOM CLOSED"))};
}

SimLines SimLaser::setGate(const QString &arg)
{
    int value = 0;
    if (!toInt(arg, &value) || (value != 0 && value != 1))
        return {simLine(QStringLiteral("Invalid digital gate logic, use 0 or 1"))};
    gate = value;
    return {simLine(gate == 0
                        ? QStringLiteral("New digital gate logic:\tlogic LOW (no connection) = AOM OPEN")
                        : QStringLiteral("New digital gate logic:\tlogic LOW (no connection) = AOM CLOSED"))};
}

SimLines SimLaser::debugLine() const
{
    return {simLine(QStringLiteral("Debugging on communication channel 2 %1")
                        .arg(debugEnabled ? QStringLiteral("enabled") : QStringLiteral("disabled")))};
}

SimLines SimLaser::setDebug(const QString &arg)
{
    int value = 0;
    if (!toInt(arg, &value) || (value != 0 && value != 1))
        return {simLine(QStringLiteral("Invalid debug value, use 0 or 1"))};
    debugEnabled = value == 1;
    return SimLines{simLine(QStringLiteral("Ok write debug Communication value to eeprom"))} + debugLine();
}

void SimLaser::setDebugOutput(bool on)
{
    if (on == debugEnabled)
        return;
    debugEnabled = on;
    emit spontaneousLine(debugLine().constFirst());
}

void SimLaser::setErrorcode(quint8 code)
{
    if (hg)
        hg->setErrorcode(code);
    else
        laserError = code;
}

void SimLaser::setForcedFlags(quint16 flags)
{
    if (hg)
        hg->setForcedFlags(flags);
}

void SimLaser::setShutterWarning(bool on)
{
    if (hg)
        hg->setShutterWarning(on);
}

QString SimLaser::describe() const
{
    static const char *const phases[] = {"Listen", "Standby", "On"};
    QString text = QStringLiteral("laser %1: %2%3, status 0x%4, output %5, mode %6, index %7 (%8 kHz), "
                                  "division %9")
                       .arg(id.systemType, QLatin1String(phases[int(currentPhase)]),
                            transitionRemaining > 0 ? QStringLiteral(" (changing)") : QString())
                       .arg(statusByte(), 2, 16, QLatin1Char('0'))
                       .arg(aomOutput ? QStringLiteral("enabled") : QStringLiteral("disabled"))
                       .arg(mode)
                       .arg(freqIndex)
                       .arg(oscillator_kHz / pcper.value(freqIndex, pcper.first()))
                       .arg(divisionFactor);
    text += QStringLiteral(", power %1 nJ / %2 counts, gate %3, debug %4")
                .arg(qRound(power_nJ))
                .arg(power_counts)
                .arg(gate)
                .arg(debugEnabled ? QStringLiteral("on") : QStringLiteral("off"));
    if (hg)
        text += QLatin1Char('\n') + hg->describe();
    return text;
}
