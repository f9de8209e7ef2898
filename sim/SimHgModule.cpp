#include "sim/SimHgModule.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSimHgModule, "lumetra.sim.module")

namespace {

struct ModuleKind
{
    const char *type;
    const char *address;
    bool thirdHarmonic;
    bool newGeneration;
    quint8 outputConfig;
    bool dynamicSwitching;
    const char *firmware;
    const char *serial;
};

// The module types the laser head can carry.
const ModuleKind moduleKinds[] = {
    {"0x86", "0x21", false, false, 0x03, false, "2.1.7", "SHG-1904-022"},
    {"0x8d", "0x22", true, false, 0x07, false, "2.3.1", "THG-2207-015"},
    {"0x90", "0x23", false, true, 0x03, true, "3.0.4", "SHGG-2402-008"},
    {"0x93", "0x24", true, true, 0x07, true, "3.1.2", "THGI-2409-031"},
};

// Status-flag bits; the newer generation moved them.
struct FlagBits
{
    quint16 oven1;
    quint16 oven2;
    quint16 humidity;
};
const FlagBits classicFlags = {0x0080, 0x0080, 0x0200};
const FlagBits newGenerationFlags = {0x0008, 0x0010, 0x0100};

const char *const positionNames[4] = {"IR", "GREEN", "UV", "DUV"};
const char *const harmonicNames[4] = {"IR", "SHG", "THG", "FHG"};

const double humidityLimit = 55.0;   // percent; above it the module raises its humidity flag
const double ovenFaultBand = 5.0;    // degrees off the set-point while regulating
const double ovenReadyBand = 0.3;    // degrees: heating is complete within this band
const double ovenTimeConstant = 6.0; // seconds
const double switchSeconds = 2.0;    // wavelength stage move
const double secondsPerSpot = 10.0;  // crystal stage move per spot
const int spotCount = 20;

const ModuleKind *findKind(const QString &type)
{
    for (const ModuleKind &kind : moduleKinds) {
        if (type.compare(QLatin1String(kind.type), Qt::CaseInsensitive) == 0)
            return &kind;
    }
    return nullptr;
}

QString celsius(double value)
{
    return QString::number(value, 'f', 1) + QStringLiteral(" C");
}

} // namespace

SimHgModule::SimHgModule(const QString &moduleType, quint32 seed, QObject *parent)
    : QObject(parent), random(seed)
{
    const ModuleKind *kind = findKind(moduleType);
    if (!kind)
        kind = &moduleKinds[1];
    type = QLatin1String(kind->type);
    address = QLatin1String(kind->address);
    thirdHarmonic = kind->thirdHarmonic;
    newGeneration = kind->newGeneration;
    outputConfig = kind->outputConfig;
    dynamicSupported = kind->dynamicSwitching;

    oven1.setpoint = oven1.actual = 152.5;
    oven2.setpoint = oven2.actual = 61.0;
    wavelengthPosition = thirdHarmonic ? 2 : 1;

    spotRuntimes.fill(0.0, spotCount);
    for (int spot = 0; spot < curSpot; ++spot)
        spotRuntimes[spot] = double(maxRuntime);
    spotRuntimes[curSpot] = 412345;
    moduleRuntime = 3 * double(maxRuntime) + 412345;
    qCDebug(lcSimHgModule) << "module" << type << "at address" << address;
}

bool SimHgModule::isKnownType(const QString &moduleType)
{
    return findKind(moduleType) != nullptr;
}

QString SimHgModule::prefix() const
{
    return thirdHarmonic ? QStringLiteral("ZOR THG") : QStringLiteral("ZOR SHG");
}

quint16 SimHgModule::statusFlags() const
{
    const FlagBits &bits = newGeneration ? newGenerationFlags : classicFlags;
    quint16 flags = forcedFlags;
    if (humidityNow > humidityLimit)
        flags |= bits.humidity;
    if (fsm == 4) {
        if (std::abs(oven1.actual - oven1.setpoint) > ovenFaultBand)
            flags |= bits.oven1;
        if (thirdHarmonic && std::abs(oven2.actual - oven2.setpoint) > ovenFaultBand)
            flags |= bits.oven2;
    }
    return flags;
}

void SimHgModule::approach(Oven &oven, double seconds) const
{
    const double target = fsm == 2 ? ambient : oven.setpoint;
    oven.actual += (target - oven.actual) * (1.0 - std::exp(-seconds / ovenTimeConstant));
}

void SimHgModule::advance(double seconds, bool emitting)
{
    if (seconds <= 0)
        return;
    approach(oven1, seconds);
    if (thirdHarmonic)
        approach(oven2, seconds);
    if (fsm == 3 && std::abs(oven1.actual - oven1.setpoint) < ovenReadyBand &&
        (!thirdHarmonic || std::abs(oven2.actual - oven2.setpoint) < ovenReadyBand))
        fsm = 4;

    // Humidity wanders slowly around its base value.
    const double step = (random.generateDouble() - 0.5) * 0.2 * std::sqrt(seconds);
    humidityNow += (humidityBase - humidityNow) * std::min(1.0, seconds / 30.0) + step;
    humidityNow = std::clamp(humidityNow, 0.0, 100.0);

    if (switchRemaining > 0) {
        switchRemaining -= seconds;
        if (switchRemaining <= 0) {
            switchRemaining = 0;
            wavelengthPosition = pendingPosition;
            pendingPosition = -1;
            if (!thirdHarmonic)
                emit spontaneousLine(simLine(QStringLiteral("ZOR SHG\tMoved piezo stage to %1")
                                                 .arg(QLatin1String(positionNames[wavelengthPosition]))));
            emit spontaneousLine(simLine(QStringLiteral("ZOR HG\tChanging wavelength complete.")));
        }
    }

    if (spotMoveRemaining > 0) {
        spotMoveRemaining -= seconds;
        if (spotMoveRemaining <= 0) {
            spotMoveRemaining = 0;
            curSpot = targetSpot;
        }
    }

    if (emitting) {
        moduleRuntime += seconds;
        if (thirdHarmonic && spotMoveRemaining <= 0)
            spotRuntimes[curSpot] += seconds;
    }
}

SimLines SimHgModule::info() const
{
    const ModuleKind *kind = findKind(type);
    return {
        simLine(QStringLiteral("ZOR harmonic generation module (address: %1 / type: %2)").arg(address, type)),
        simLine(QStringLiteral("Firmware version:\t%1").arg(QLatin1String(kind->firmware))),
        simLine(QStringLiteral("Bootloader version:\t1.0.4")),
        simLine(QStringLiteral("Module serial number:\t%1").arg(QLatin1String(kind->serial))),
        simLine(QStringLiteral("PCB serial number:\tPCB-4471-B"))};
}

SimLines SimHgModule::enableQuery() const
{
    return {simLine(QStringLiteral("ZOR HG\tCurrent FSM state=%1").arg(fsm))};
}

SimLines SimHgModule::setEnable(const QString &arg)
{
    bool ok = false;
    const int state = arg.toInt(&ok);
    if (!ok || (state != 2 && state != 4))
        return {simLine(QStringLiteral("ZOR HG\tInvalid FSM state, use 2 (ovens off) or 4 (ovens on)"))};
    fsm = state == 2 ? 2 : 3;
    return enableQuery();
}

SimLines SimHgModule::setpointQuery() const
{
    if (!thirdHarmonic)
        return {simLine(QStringLiteral("ZOR SHG\tOven Setpoint=%1\tMin=%2\tMax=%3")
                            .arg(celsius(oven1.setpoint), celsius(oven1.minimum), celsius(oven1.maximum)))};
    return {simLine(QStringLiteral("ZOR THG\tSHG Oven Setpoint=%1\tMin=%2\tMax=%3")
                        .arg(celsius(oven1.setpoint), celsius(oven1.minimum), celsius(oven1.maximum))),
            simLine(QStringLiteral("ZOR THG\tTHG Oven Setpoint=%1\tMin=%2\tMax=%3")
                        .arg(celsius(oven2.setpoint), celsius(oven2.minimum), celsius(oven2.maximum)))};
}

SimLines SimHgModule::ovenQuery() const
{
    if (!thirdHarmonic)
        return {simLine(QStringLiteral("ZOR SHG\tOven Temperature=%1").arg(celsius(oven1.actual)))};
    return {simLine(QStringLiteral("ZOR THG\tSHG Oven Temperature=%1").arg(celsius(oven1.actual))),
            simLine(QStringLiteral("ZOR THG\tTHG Oven Temperature=%1").arg(celsius(oven2.actual)))};
}

bool SimHgModule::setOvenSetpointValue(int oven, double value)
{
    Oven &target = oven == 2 ? oven2 : oven1;
    if ((oven == 2 && !thirdHarmonic) || !(value >= target.minimum && value <= target.maximum))
        return false;
    target.setpoint = value;
    if (fsm == 4)
        fsm = 3; // regulating again until the oven has settled
    return true;
}

SimLines SimHgModule::setOvenSetpoint(int oven, const QString &arg)
{
    bool ok = false;
    const double value = arg.toDouble(&ok);
    const Oven &target = oven == 2 ? oven2 : oven1;
    if (!ok || !setOvenSetpointValue(oven, value))
        return {simLine(QStringLiteral("ZOR HG\tSetpoint out of range (%1 to %2)")
                            .arg(celsius(target.minimum), celsius(target.maximum)))};
    return {simLine(QStringLiteral("New oven temperature setpoint: %1").arg(celsius(value)))};
}

SimLines SimHgModule::humidityQuery() const
{
    return {simLine(QStringLiteral("%1\tHumidity=%2%").arg(prefix(), QString::number(humidityNow, 'f', 1)))};
}

SimLines SimHgModule::wavelengthQuery() const
{
    return {simLine(QStringLiteral("%1\tCurrent position=%2")
                        .arg(prefix(), QLatin1String(positionNames[wavelengthPosition])))};
}

SimLines SimHgModule::wavelengthHelp() const
{
    SimLines lines = {simLine(QStringLiteral("ls_wavelength=x")),
                      simLine(QStringLiteral("\tSets the output wavelength [x range: 0-3]")),
                      simLine(QStringLiteral("\twhere:"))};
    for (int index = 0; index < 4; ++index) {
        if (available(index))
            lines << simLine(QStringLiteral("\t\t%1 sets %2 output").arg(index).arg(harmonicNames[index]));
        else
            lines << simLine(QStringLiteral("\t\t%1 %2 not available.").arg(index).arg(harmonicNames[index]));
    }
    return lines;
}

SimLines SimHgModule::setWavelength(const QString &arg)
{
    bool ok = false;
    const int index = arg.toInt(&ok);
    if (!ok || !available(index))
        return wavelengthHelp();
    if (switchRemaining > 0)
        return {simLine(QStringLiteral("ZOR HG\tWavelength change in progress"))};
    if (index == wavelengthPosition)
        return {simLine(QStringLiteral("ZOR HG\tChanging wavelength complete."))};
    if (dynamicEnabled) {
        // The whole point of dynamic switching: no stage move and no AOM interruption.
        wavelengthPosition = index;
        emit energyRequested(dynamicDefaults[index]);
        return {simLine(QStringLiteral("ZOR HG\tChanging wavelength complete."))};
    }
    pendingPosition = index;
    switchRemaining = switchSeconds;
    emit aomDisableRequested();
    return {simLine(QStringLiteral("ZOR HG:\tDisabling AOM."))};
}

bool SimHgModule::setPosition(int index)
{
    if (!available(index))
        return false;
    wavelengthPosition = index;
    switchRemaining = 0;
    pendingPosition = -1;
    return true;
}

double SimHgModule::conversion(const Oven &oven) const
{
    const double detuning = (oven.actual - oven.setpoint) / 1.5;
    return std::exp(-detuning * detuning);
}

SimLines SimHgModule::outputPowerQuery(double irAverage_mW) const
{
    double shg = 0;
    double thg = 0;
    if (switchRemaining <= 0 && wavelengthPosition == 1)
        shg = irAverage_mW * 0.5 * conversion(oven1);
    if (switchRemaining <= 0 && wavelengthPosition >= 2)
        thg = irAverage_mW * 0.3 * conversion(oven1) * conversion(oven2);
    if (!std::isnan(shgOverride))
        shg = shgOverride;
    if (!std::isnan(thgOverride))
        thg = thgOverride;
    const auto format = [](double mW) {
        return mW >= 1000.0 ? QString::number(mW / 1000.0, 'f', 3) + QStringLiteral(" W")
                            : QString::number(mW, 'f', 1) + QStringLiteral(" mW");
    };
    SimLines lines = {simLine(QStringLiteral("ZOR SHG\tOutput power = %1").arg(format(shg)))};
    if (thirdHarmonic)
        lines << simLine(QStringLiteral("ZOR THG\tOutput power = %1").arg(format(thg)));
    return lines;
}

SimLines SimHgModule::statusQuery() const
{
    const QString flags = QString::number(statusFlags(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    SimLines lines = {simLine(QStringLiteral("ZOR HG\tStatus flags=%1").arg(flags))};
    if (shutterWrong)
        lines << simLine(QStringLiteral("ZOR HG\tShutter in wrong position."));
    return lines;
}

SimLines SimHgModule::errorcodeQuery() const
{
    return {simLine(QStringLiteral("ZOR HG\tErrorcode=%1").arg(errorCode))};
}

SimLines SimHgModule::outputConfigQuery() const
{
    return {
        simLine(QStringLiteral("ZOR HG WL output config: 0x%1").arg(outputConfig, 2, 16, QLatin1Char('0')))};
}

SimLines SimHgModule::runtimeQuery() const
{
    return {simLine(QStringLiteral("%1\tRuntime=%2s").arg(prefix()).arg(quint64(moduleRuntime)))};
}

SimLines SimHgModule::crystalCurSpotQuery() const
{
    return {simLine(QStringLiteral("ZOR THG\tCurrent crystal spot=%1").arg(curSpot))};
}

SimLines SimHgModule::crystalCurRuntimeQuery() const
{
    return {simLine(QStringLiteral("ZOR THG\tCurrent runtime=%1s").arg(quint64(spotRuntimes[curSpot])))};
}

SimLines SimHgModule::crystalMaxRuntimeQuery() const
{
    return {simLine(QStringLiteral("ZOR THG\tMax runtime=%1s").arg(maxRuntime))};
}

SimLines SimHgModule::crystalAllRuntimesQuery() const
{
    QString text = QStringLiteral("ZOR THG\tAll runtimes=");
    for (double seconds : spotRuntimes)
        text += QString::number(quint64(seconds)) + QLatin1Char(' ');
    return {simLine(text)};
}

SimLines SimHgModule::setCrystalSpot(const QString &arg)
{
    bool ok = false;
    const int spot = arg.toInt(&ok);
    if (!ok || spot < 0 || spot >= spotRuntimes.size())
        return {simLine(QStringLiteral("ls_crystal_setSpot=x")),
                simLine(QStringLiteral("\tSets the crystal spot the module will use for conversion"))};
    if (spotMoveRemaining > 0)
        return {simLine(
            QStringLiteral("ZOR THG\tCrystal stage busy, %1 s to go").arg(std::ceil(spotMoveRemaining)))};
    targetSpot = spot;
    spotMoveRemaining = std::abs(spot - curSpot) * secondsPerSpot;
    if (spotMoveRemaining <= 0)
        curSpot = spot;
    return {};
}

bool SimHgModule::setCrystalSpotNow(int spot)
{
    if (spot < 0 || spot >= spotRuntimes.size())
        return false;
    curSpot = targetSpot = spot;
    spotMoveRemaining = 0;
    return true;
}

void SimHgModule::setCrystalRuntime(quint64 seconds)
{
    spotRuntimes[curSpot] = double(seconds);
}

SimLines SimHgModule::dwlsFeatureQuery() const
{
    return {simLine(dynamicSupported
                        ? QStringLiteral("ZOR HG\tDynamic wavelength switching feature enabled")
                        : QStringLiteral("ZOR HG\tDynamic wavelength switching feature disabled"))};
}

SimLines SimHgModule::dwlsEnableQuery() const
{
    if (!dynamicSupported)
        return dwlsFeatureQuery();
    return {simLine(dynamicEnabled ? QStringLiteral("ZOR HG\tDynamic wavelength switching enabled")
                                   : QStringLiteral("ZOR HG\tDynamic wavelength switching disabled"))};
}

SimLines SimHgModule::setDwlsEnable(const QString &arg)
{
    if (!dynamicSupported)
        return dwlsFeatureQuery();
    bool ok = false;
    const int value = arg.toInt(&ok);
    if (!ok || (value != 0 && value != 1))
        return {simLine(QStringLiteral("ZOR HG\tInvalid value, use 0 or 1"))};
    dynamicEnabled = value == 1;
    return dwlsEnableQuery();
}

SimLines SimHgModule::dwlsDefaultQuery() const
{
    if (!dynamicSupported)
        return dwlsFeatureQuery();
    SimLines lines = {simLine(QStringLiteral("Dynamic wavelength switching data in memory:"))};
    for (int index = 0; index < 4; ++index) {
        if (available(index))
            lines << simLine(QStringLiteral("\t%1 Wavelength Index: %2 IR pulse energy = %3")
                                 .arg(QLatin1String(harmonicNames[index]))
                                 .arg(index)
                                 .arg(qRound(dynamicDefaults[index])));
    }
    return lines;
}

SimLines SimHgModule::setDwlsDefault(const QString &arg)
{
    if (!dynamicSupported)
        return dwlsFeatureQuery();
    const QStringList parts = arg.split(QLatin1Char(','));
    bool indexOk = false;
    bool energyOk = false;
    const int index = parts.value(0).toInt(&indexOk);
    const double energy = parts.value(1).toDouble(&energyOk);
    if (parts.size() != 2 || !indexOk || !energyOk || !available(index) || !(energy >= 0 && energy <= 1e6))
        return {
            simLine(QStringLiteral("ZOR HG\tInvalid arguments, use ls_dwls_default=<index>,<energy nJ>"))};
    dynamicDefaults[index] = energy;
    return dwlsDefaultQuery();
}

SimLines SimHgModule::notSupported() const
{
    return {simLine(QStringLiteral("%1\tCommand not supported by this module").arg(prefix()))};
}

void SimHgModule::setHumidity(double percent)
{
    humidityBase = humidityNow = std::clamp(percent, 0.0, 100.0);
}

void SimHgModule::setOvenActual(int oven, double value)
{
    (oven == 2 ? oven2 : oven1).actual = value;
}

QString SimHgModule::describe() const
{
    QString text = QStringLiteral("module %1: position %2, FSM %3, oven1 %4/%5 C")
                       .arg(type, QLatin1String(positionNames[wavelengthPosition]))
                       .arg(fsm)
                       .arg(oven1.actual, 0, 'f', 2)
                       .arg(oven1.setpoint, 0, 'f', 1);
    if (thirdHarmonic)
        text += QStringLiteral(", oven2 %1/%2 C, spot %3%4")
                    .arg(oven2.actual, 0, 'f', 2)
                    .arg(oven2.setpoint, 0, 'f', 1)
                    .arg(curSpot)
                    .arg(spotMoveRemaining > 0 ? QStringLiteral(" -> %1").arg(targetSpot) : QString());
    text += QStringLiteral(", humidity %1%, flags 0x%2, error %3")
                .arg(humidityNow, 0, 'f', 1)
                .arg(statusFlags(), 4, 16, QLatin1Char('0'))
                .arg(errorCode);
    return text;
}
