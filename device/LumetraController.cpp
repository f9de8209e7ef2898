#include "device/LumetraController.h"

#include "device/LumetraCommandTable.h"
#include "device/LumetraHGErrorTable.h"
#include "device/LumetraHarmonic.h"
#include "device/LumetraQuantityTable.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraStatusBits.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

Q_LOGGING_CATEGORY(lcLumetraController, "lumetra.controller")

using Cmd = LumetraCommandTable;
namespace Bits = LumetraStatusBits;
namespace Q = LumetraQuantityTable;

namespace {

// Which way a state report moves the flashing of the Laser On and Standby buttons.
enum class Flash : quint8
{
    Keep,
    Off,
    On
};
struct FlashRow
{
    Flash laserOn;
    Flash standby;
};

// Indexed by the system state; states beyond the table leave both as they are.
const FlashRow flashBySystemState[] = {
    {Flash::Keep, Flash::Keep}, // 0 no state seen
    {Flash::Off, Flash::Off},   // 1 listen
    {Flash::Keep, Flash::On},   // 2 listen -> standby
    {Flash::Keep, Flash::Off},  // 3 standby
    {Flash::Keep, Flash::Off},  // 4 standby -> listen
    {Flash::On, Flash::Keep},   // 5 standby -> disabled
    {Flash::On, Flash::Keep},   // 6 standby -> enabled
    {Flash::Off, Flash::Keep},  // 7 disabled
    {Flash::Off, Flash::Keep},  // 8 enabled
    {Flash::Off, Flash::Off},   // 9 disabled -> standby
    {Flash::Off, Flash::Off},   // 10 enabled -> standby
    {Flash::Off, Flash::Off},   // 11 disabled -> listen
    {Flash::Off, Flash::Off},   // 12 enabled -> listen
};

// Decoder signals that have no counterpart here.
const char *const unconnectedDecoderSignals[] = {
    "sigsDeviceEmissionHoursChanged", "sigsDeviceEmissionMinutesChanged", "sigDigitalGateNotSupported"};

// The harmonic module's output configuration has one bit per harmonic, numbered like the harmonics.
constexpr quint8 outputBit(LumetraHarmonic harmonic)
{
    return quint8(1u << harmonicIndex(harmonic));
}
static_assert(outputBit(LumetraHarmonic::IR) == 0x01 && outputBit(LumetraHarmonic::DeepUV) == 0x08,
              "bit 0 is the IR output, bit 3 the deep-UV one");

// Oven modes in which the module heats its ovens.
constexpr int ovenModeHeating1 = 3;
constexpr int ovenModeHeating2 = 4;

// The laser's reference for turning its reported energy range into set-point limits.
constexpr double energyRangeReference = 4000.0;
constexpr double countsPerPercent = 40.0;
constexpr double repRateBase_kHz = 80000.0;
constexpr int digitalGateReadBackMs = 1000;
constexpr int mainLoopIntervalMs = 10;

// A panel value truncated to a whole number for the wire. Values that are not finite or do not
// fit a 32-bit integer would put garbage on the wire, so they yield false.
bool truncatedInt(double value, int *result)
{
    const double whole = std::trunc(value);
    if (!std::isfinite(whole) || whole < std::numeric_limits<int>::min() ||
        whole > std::numeric_limits<int>::max())
        return false;
    *result = static_cast<int>(whole);
    return true;
}

void applyFlash(Flash flash, LumetraController *controller, void (LumetraController::*signal)(bool))
{
    if (flash != Flash::Keep)
        (controller->*signal)(flash == Flash::On);
}

} // namespace

LumetraController::LumetraController(LumetraSerialHandler *link, QObject *parent)
    : QObject(parent), serialHandler(link)
{
    LumetraResponseDecoder::registerMetaTypes();
    decoder = new LumetraResponseDecoder(this);
    connectDecoder();

    if (serialHandler) {
        connect(this, &LumetraController::sigAddMonitorCommand, serialHandler,
                &LumetraSerialHandler::slotAddMonitorCommand);
        connect(this, &LumetraController::sigDelMonitorCommand, serialHandler,
                &LumetraSerialHandler::slotDelMonitorCommand);
        connect(this, &LumetraController::sigClrAllMonitorCommands, serialHandler,
                &LumetraSerialHandler::slotClrAllMonitorCommands);
        connect(this, &LumetraController::sigAppendSettingsCommand, serialHandler,
                qOverload<QString>(&LumetraSerialHandler::slotAppendSettingsCommand));

        connect(serialHandler, &LumetraSerialHandler::sigConnectedStatus, this,
                &LumetraController::slotConnectedStatus);
        connect(serialHandler, &LumetraSerialHandler::sigCommandDropped, this,
                &LumetraController::sigCommandDropped);
        connect(serialHandler, &LumetraSerialHandler::sigLineReceived, decoder,
                &LumetraResponseDecoder::slotLineReceived);
        connect(serialHandler, &LumetraSerialHandler::sigConnectedStatus, decoder,
                &LumetraResponseDecoder::slotConnectedStatus);
    }

    // One timer for the main loop, so that a second start cannot run two chains side by side.
    mainLoopTimer = new QTimer(this);
    mainLoopTimer->setSingleShot(true);
    mainLoopTimer->setInterval(mainLoopIntervalMs);
    connect(mainLoopTimer, &QTimer::timeout, this, &LumetraController::slotMainLoop);

    loadSettings();
}

LumetraController::~LumetraController()
{
    saveSettings();
}

// The decoder and this class pair their signals and slots by name (sigX to slotX), so the wiring
// follows the decoder's meta-object instead of a hand-kept list that could drift from it.
void LumetraController::connectDecoder()
{
    const QMetaObject *source = decoder->metaObject();
    const QMetaObject *target = metaObject();
    for (int i = QObject::staticMetaObject.methodCount(); i < source->methodCount(); ++i) {
        const QMetaMethod signal = source->method(i);
        if (signal.methodType() != QMetaMethod::Signal || !signal.name().startsWith("sig"))
            continue;
        if (std::find_if(std::begin(unconnectedDecoderSignals), std::end(unconnectedDecoderSignals),
                         [&](const char *name) { return signal.name() == name; }) !=
            std::end(unconnectedDecoderSignals))
            continue;
        const QByteArray slotSignature = "slot" + signal.methodSignature().mid(3);
        const int slotIndex = target->indexOfSlot(slotSignature.constData());
        if (slotIndex < 0) {
            qCWarning(lcLumetraController) << "No slot for decoder signal" << signal.methodSignature();
            continue;
        }
        if (connect(decoder, signal, this, target->method(slotIndex)))
            ++decoderConnections;
    }
}

void LumetraController::loadSettings()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                       QCoreApplication::applicationName());
    viewSystemInfo = settings.value(QStringLiteral("viewSystemInfo"), false).toBool();
    // A hand-edited or damaged file must not select a unit or scale the panel does not have.
    powerSetIndex = settings.value(QStringLiteral("powerSetIndex"), 0).toInt();
    if (powerSetIndex != 0 && powerSetIndex != 1)
        powerSetIndex = 0;
    repRateScaleIndex = settings.value(QStringLiteral("repRateScaleIndex"), 0).toInt();
    if (repRateScaleIndex != 0 && repRateScaleIndex != 1)
        repRateScaleIndex = 0;
}

void LumetraController::saveSettings() const
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                       QCoreApplication::applicationName());
    settings.setValue(QStringLiteral("viewSystemInfo"), viewSystemInfo);
    settings.setValue(QStringLiteral("powerSetIndex"), powerSetIndex);
    settings.setValue(QStringLiteral("repRateScaleIndex"), repRateScaleIndex);
}

void LumetraController::writeLog(const QString &line)
{
    if (logSink)
        logSink(line);
    else
        qCInfo(lcLumetraController).noquote() << line;
}

QString LumetraController::textUpToNul(const QByteArray &bytes)
{
    const int end = bytes.indexOf('\0');
    return QString::fromLatin1(bytes.constData(), end < 0 ? bytes.size() : end);
}

// ---------------------------------------------------------------------------------------------
// Main loop and connection

void LumetraController::slotConnectedStatus(bool linkUp)
{
    connected = linkUp;
    if (!connected) {
        // Readings of the lost connection must not be recomputed with the next connection's rate.
        measuredIR_nJ = 0.0;
        measuredSHG_mW = 0.0;
        measuredTHG_mW = 0.0;
    }
    wakeMainLoop();
}

// The link forgets its polls with the port. A port closed before the link came up (another laser
// answered during the handshake) finds the loop already waiting for the link; without a new set-up
// the next connection would poll nothing.
void LumetraController::slotLinkEnded()
{
    if (decoder)
        decoder->slotConnectedStatus(false);
    slotConnectedStatus(false);
    slotPortClosed();
}

void LumetraController::slotPortClosed()
{
    if (mainLoopState == LoopWaiting)
        mainLoopState = LoopSetUp;
    wakeMainLoop();
}

// Waiting for the link, or connected to it, a turn acts only once the link's flag says otherwise.
// The loop sleeps through the turns in between, which would all find nothing to do: on a machine
// that polls the laser for days they are a hundred wake-ups a second for nothing.
bool LumetraController::mainLoopIdle() const
{
    return (mainLoopState == LoopWaiting && !connected) || (mainLoopState == LoopConnected && connected);
}

// The flag changed: the turn that acts on it comes at the next point of the loop's 10 ms grid, as
// it would have had the loop kept turning.
void LumetraController::wakeMainLoop()
{
    if (!mainLoopAsleep || mainLoopIdle())
        return;
    mainLoopAsleep = false;
    const qint64 sinceLastTurn = lastTurn.elapsed();
    mainLoopTimer->start(int(mainLoopIntervalMs - sinceLastTurn % mainLoopIntervalMs));
}

void LumetraController::slotMainLoop()
{
    mainLoopAsleep = false;
    switch (mainLoopState) {
    case LoopSetUp:
        createControls();
        emit sigClrAllMonitorCommands();
        for (const QString &command : Cmd::basePollList())
            poll(command);
        mainLoopState = LoopWaiting;
        break;
    case LoopWaiting:
        if (connected) {
            emit controlEnabledChanged(true);
            for (const QString &command : Cmd::connectionQueries())
                queue(command);
            mainLoopState = LoopConnected;
        }
        break;
    case LoopConnected:
        if (!connected) {
            emit controlEnabledChanged(false);
            mainLoopState = LoopSetUp;
        }
        break;
    default:
        mainLoopState = LoopSetUp;
        break;
    }
    lastTurn.start();
    if (mainLoopIdle()) {
        mainLoopTimer->stop();
        mainLoopAsleep = true;
        return;
    }
    mainLoopTimer->start(mainLoopIntervalMs);
}

// Once per controller: a second set-up turn after a reconnection finds the controls alive and keeps
// them with what they show.
void LumetraController::createControls()
{
    if (controls || !controlBuilder)
        return;
    ControlSetup setup;
    setup.connected = connected;
    setup.powerSetIndex = powerSetIndex;
    setup.repRateScaleIndex = repRateScaleIndex;
    controls = controlBuilder(this, setup);
    if (controls)
        emit setSystemInfoView(viewSystemInfo);
}

void LumetraController::slotSendManualCommand(QByteArray command)
{
    const QString text = textUpToNul(command);
    emit sigWriteQueued(-1, qQNaN(), text, true);
    queue(text);
}

// ---------------------------------------------------------------------------------------------
// Identification and feature selection

void LumetraController::slotsLumetraTypeChanged(QString strType)
{
    static const char *const types[] = {"Lumetra-10", "Lumetra-3", "Lumetra-2"};
    systemType = 0;
    for (int i = 0; i < int(std::size(types)); ++i) {
        if (strType.contains(QLatin1String(types[i]), Qt::CaseInsensitive)) {
            systemType = i + 1;
            break;
        }
    }
    if (systemType == 0)
        writeLog(tr("Unknown system type connected: %1").arg(strType));
    emit setLumetraType(strType);
}

void LumetraController::slotsApplicationNameChanged(QString strSoftMain)
{
    applicationName = strSoftMain;
    if (!runFeatureSelection())
        writeLog(tr("Unknown application type connected: %1").arg(strSoftMain));
    emit setApplicationName(strSoftMain);
}

void LumetraController::slotiModeOfOperationAOMChanged(int aom)
{
    modeOfOperation = aom;
    runFeatureSelection();
}

bool LumetraController::runFeatureSelection()
{
    emit setPowerMeasuredIR_uJVisibility(true);
    emit setPowerMeasuredGreen_uJVisibility(false);
    emit setPowerMeasuredUV_uJVisibility(false);
    emit setPowerMeasuredDUV_uJVisibility(false);
    emit setWavelengthSelectorComboVisibility(false);
    emit enableWavelengths(false, false, false);
    emit setHGModuleInfoVisibility(false);
    emit setHGSettingsPageVisibility(false);
    emit setOvenFaultIndicatorVisibility(false);
    emit setHumidityFaultIndicatorVisibility(false);
    emit setErrorcodeHGIndicatorVisible(false);
    emit setDigitalGateVisible(true);
    queue(Cmd::DigitalGateQuery);
    emit setDynamicWavelengthFeatureVisibility(false);
    emit setOutEnableOnVisible(false);

    const Cmd::ApplicationClass *cls = Cmd::classifyApplication(applicationName);
    if (cls && cls->queryModuleInfo)
        queue(Cmd::ModuleInfoQuery);

    // Unknown firmware gets every wavelength: better a choice too many than a laser the operator
    // cannot switch.
    bool enable343 = cls ? cls->enable343 : true;
    bool enable515 = cls ? cls->enable515 : true;
    bool enable1030 = cls ? cls->enable1030 : true;

    const Cmd::OperatingMode &mode = Cmd::operatingModeForDevice(modeOfOperation);
    if (!mode.wavelengthsAllowed)
        enable343 = enable515 = enable1030 = false;
    emit enableWavelengths(enable343, enable515, enable1030);
    emit setOperatingMode(mode.viewIndex);
    emit setPowerSliderVisibility(mode.powerSlider);
    emit setRepRateSliderVisibility(mode.repRateSlider);
    emit setDivisionSliderVisibility(mode.divisionSlider);
    return cls != nullptr;
}

void LumetraController::slotExistsSHGModule(bool)
{
    runModuleSequence(Cmd::ModuleSHG);
}

void LumetraController::slotExistsSHGgModule(bool)
{
    runModuleSequence(Cmd::ModuleSHG);
}

void LumetraController::slotExistsTHGModule(bool)
{
    runModuleSequence(Cmd::ModuleTHG);
}

void LumetraController::slotExistsTHGiModule(bool)
{
    runModuleSequence(Cmd::ModuleTHGi);
}

// The whole sequence runs again on every report; the link keeps one copy of each polled query.
void LumetraController::runModuleSequence(int module)
{
    const Cmd::ModuleSequence &seq = Cmd::moduleSequence(static_cast<Cmd::Module>(module));

    queue(Cmd::OutputConfigQuery);
    emit setWavelengthSelectorComboVisibility(true);
    emit setHGModuleInfoVisibility(true);
    emit setHGSettingsPageVisibility(true);
    emit setOvenFaultIndicatorVisibility(true);
    emit setHumidityFaultIndicatorVisibility(true);
    emit setErrorcodeHGIndicatorVisible(true);

    emit setHumidityMonitorVisibility(seq.humidity);
    if (seq.humidity)
        poll(Cmd::HumidityQuery);
    emit setOvenModeVisibility(false);
    poll(QString::fromLatin1(seq.enableQuery));

    emit setOven1TempSetpointVisibility(true);
    emit setOven1TempActualVisibility(true);
    emit setOven2TempSetpointVisibility(seq.oven2);
    emit setOven2TempActualVisibility(seq.oven2);
    for (const QString &command : Cmd::ovenPollList())
        poll(command);

    queue(Cmd::DwlsFeatureQuery);
    emit setOutEnableOnVisible(true);
    poll(Cmd::OutputStateQuery);

    emit setCrystalPositionVisibility(seq.crystal);
    if (seq.crystal) {
        for (const QString &command : Cmd::crystalPollList())
            poll(command);
    }
    for (const QString &command : Cmd::modulePollList())
        poll(command);

    hgModuleKind = seq.moduleKind;
}

void LumetraController::slotDynamicWavelengthFeatureSupported(bool supported)
{
    emit setDynamicWavelengthFeatureVisibility(supported);
    if (supported) {
        poll(Cmd::DwlsEnableQuery);
        poll(Cmd::DwlsDefaultQuery);
    } else {
        emit sigDelMonitorCommand(Cmd::DwlsEnableQuery);
        emit sigDelMonitorCommand(Cmd::DwlsDefaultQuery);
    }
}

void LumetraController::slotDebuggingStatusChanged(bool debuggingEnabled)
{
    // Debug chatter on the line would be taken for answers; switch it off whenever it shows up.
    if (debuggingEnabled)
        queue(Cmd::DebugOutputOff);
}

void LumetraController::slotParsingError(QByteArray lineData)
{
    writeLog(tr("Parsing error: %1").arg(textUpToNul(lineData)));
}

void LumetraController::slotUnhandledLineData(QByteArray lineData)
{
    // A blank line from the laser carries no message, only a caption that would crowd out real events.
    if (textUpToNul(lineData).trimmed().isEmpty())
        return;
    writeLog(tr("Lumetra message: %1").arg(textUpToNul(lineData)));
}

void LumetraController::slotsHGModuleType(QString moduleType)
{
    hgModuleType = moduleType;
    emit setHGModuleType(moduleType);
}

// ---------------------------------------------------------------------------------------------
// Operator commands

void LumetraController::slotOperatingModeChanged(int mode)
{
    if (const Cmd::OperatingMode *row = Cmd::operatingModeForIndex(mode))
        queueWrite(-1, mode, QString::fromLatin1(Cmd::OperatingModeCommand).arg(row->deviceMode));
}

// The selector's items are the harmonics. A combo box without a current item reports -1; that, like
// anything past the deep UV, names no harmonic to send to the laser.
void LumetraController::wavelengthSelectorComboChanged(int index)
{
    if (isHarmonicIndex(index))
        queueWrite(Q::HarmonicOutput, index, QString::fromLatin1(Cmd::HGWavelength).arg(index));
}

void LumetraController::power_uJ_Changed(double value)
{
    const double nJ = value * 1000.0;
    if (!std::isfinite(nJ)) {
        qCDebug(lcLumetraController) << __func__ << "ignored:" << value;
        return;
    }
    queueWrite(Q::EnergySetpoint, value, QString::fromLatin1(Cmd::EnergySetpoint).arg(nJ, 0, 'f', 0));
}

void LumetraController::powerPercentChanged(double value)
{
    int counts = 0;
    if (!truncatedInt(value * countsPerPercent, &counts)) {
        qCDebug(lcLumetraController) << __func__ << "ignored:" << value;
        return;
    }
    queueWrite(Q::PowerPercent, value, QString::fromLatin1(Cmd::PowerSetpoint).arg(counts));
}

void LumetraController::powerIndexChanged(int index)
{
    if (index == 0 || index == 1)
        powerSetIndex = index;
}

void LumetraController::repRateChanged(double value)
{
    sendFrequencyIndexFor(repRateMap, value);
}

void LumetraController::repRateDividerChanged(double value)
{
    sendFrequencyIndexFor(dividerMap, value);
}

void LumetraController::sendFrequencyIndexFor(const QMap<int, double> &map, double value)
{
    int match = -1;
    bool found = false;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (std::fabs(it.value() - value) < 1.0) {
            match = it.key();
            found = true;
        }
    }
    if (!found)
        return;
    // The rate slider writes the pulse-picker rate, the divider slider the index of its step.
    const bool rate = &map == &repRateMap;
    queueWrite(rate ? Q::PulsePickerRate : Q::FrequencyIndex, rate ? value : match,
               QString::fromLatin1(Cmd::FrequencyIndex).arg(match));
    QTimer::singleShot(digitalGateReadBackMs, this, &LumetraController::appendDelayed_digiop_Command);
}

void LumetraController::repRateScaleIndexChanged(int scaleIndex)
{
    if (scaleIndex == 0 || scaleIndex == 1)
        repRateScaleIndex = scaleIndex;
}

void LumetraController::systemInfoViewChanged(bool view)
{
    viewSystemInfo = view;
}

void LumetraController::divisionChanged(double value)
{
    int division = 0;
    if (!truncatedInt(value, &division)) {
        qCDebug(lcLumetraController) << __func__ << "ignored:" << value;
        return;
    }
    queueWrite(Q::DivisionFactor, division, QString::fromLatin1(Cmd::Division).arg(division));
    QTimer::singleShot(digitalGateReadBackMs, this, &LumetraController::appendDelayed_digiop_Command);
}

void LumetraController::appendDelayed_digiop_Command()
{
    queue(Cmd::DigitalGateQuery);
}

void LumetraController::wavelengthChanged(int index)
{
    if (index < 0)
        return;
    const char *pattern = systemType == 3 ? Cmd::SystemWavelengthLumetra2 : Cmd::SystemWavelength;
    queueWrite(Q::Wavelength, index, QString::fromLatin1(pattern).arg(index));
}

// A cleared combo (-1) must not switch the ovens on.
void LumetraController::ovenModeComboChanged(int index)
{
    if (index < 0)
        return;
    queueWrite(-1, index, index != 0 ? Cmd::OvenModeOn : Cmd::OvenModeOff);
}

void LumetraController::oven1SetpointChanged(double setpoint)
{
    if (!std::isfinite(setpoint))
        return;
    const bool plainSetpoint =
        hgModuleType.contains(QLatin1String("0x86")) || hgModuleType.contains(QLatin1String("0x90"));
    const char *pattern = plainSetpoint ? Cmd::Oven1Setpoint : Cmd::Oven1SetpointSHG;
    queueWrite(Q::Oven1Setpoint, setpoint, QString::fromLatin1(pattern).arg(setpoint, 0, 'f', 1));
}

void LumetraController::oven2SetpointChanged(double setpoint)
{
    if (!std::isfinite(setpoint))
        return;
    queueWrite(Q::Oven2Setpoint, setpoint, QString::fromLatin1(Cmd::Oven2Setpoint).arg(setpoint, 0, 'f', 1));
}

void LumetraController::crystalSpotSliderChanged(double value)
{
    int spot = 0;
    if (!truncatedInt(value, &spot)) {
        qCDebug(lcLumetraController) << __func__ << "ignored:" << value;
        return;
    }
    queueWrite(Q::CrystalSpot, spot, QString::fromLatin1(Cmd::CrystalSpot).arg(spot));
}

void LumetraController::digitalGateModeChanged(int index)
{
    if (index < 0)
        return;
    queueWrite(-1, index, QString::fromLatin1(Cmd::DigitalGate).arg(index));
    queue(Cmd::DigitalGateQuery);
}

void LumetraController::dynamicWavelengthFeatureChanged(int index)
{
    if (index < 0)
        return;
    queueWrite(-1, index, QString::fromLatin1(Cmd::DwlsEnable).arg(index));
}

void LumetraController::dynamicWLS_SaveSetpoint(int wavelength, double setpoint)
{
    const double nJ = setpoint * 1000.0;
    if (!isHarmonicIndex(wavelength) || !std::isfinite(nJ)) {
        qCDebug(lcLumetraController) << __func__ << "ignored:" << wavelength << setpoint;
        return;
    }
    queueWrite(-1, setpoint, QString::fromLatin1(Cmd::DwlsDefault).arg(wavelength).arg(nJ, 0, 'g', 6));
    queue(Cmd::DwlsDefaultQuery);
}

void LumetraController::outEnableChanged(bool on)
{
    queueWrite(Q::OutputEnabled, on ? 1 : 0, on ? Cmd::OutputEnable : Cmd::OutputDisable);
}

// The three state buttons ask for their state; a click on a lit button asks for it again.
void LumetraController::laserOnChanged(bool)
{
    queueWrite(Q::LaserOn, 1, Cmd::LaserOn);
}

void LumetraController::standbyChanged(bool)
{
    queueWrite(Q::Standby, 1, Cmd::Standby);
}

void LumetraController::listenChanged(bool)
{
    queueWrite(Q::Listen, 1, Cmd::Listen);
}

// ---------------------------------------------------------------------------------------------
// Power and repetition rate reported by the laser

void LumetraController::slotFrequencyDivListChanged(QMap<int, double> freqList)
{
    repRateMap.clear();
    dividerMap.clear();
    QList<double> dividerSteps;
    for (auto it = freqList.cbegin(); it != freqList.cend(); ++it) {
        repRateMap.insert(it.key(), repRateBase_kHz / it.value());
        dividerMap.insert(it.key(), it.value());
        dividerSteps.prepend(it.value());
    }
    emit setRepRateSteps(repRateMap.values());
    emit setRepRateDividerSteps(dividerSteps);
}

void LumetraController::slotFrequencyIndexChanged(int index)
{
    if (repRateMap.contains(index)) {
        freqIndex = index;
        emit setRepRate(repRateMap.value(index));
    }
    if (dividerMap.contains(index)) {
        freqIndex = index;
        emit setRepRateDivider(dividerMap.value(index));
    }
    updateOutputRate();
}

void LumetraController::slotDivisionFactorChanged(int factor)
{
    divisionFactor = factor;
    emit setDivision(factor);
    updateOutputRate();
}

void LumetraController::updateOutputRate()
{
    setOutputRate(repRateMap.value(freqIndex, 0.0) / divisionFactor);
}

void LumetraController::slotOutputFrequencyChanged(double frequency)
{
    setOutputRate(frequency);
}

void LumetraController::setOutputRate(double rate)
{
    const bool changed = rate != outputRepRate;
    outputRepRate = rate;
    emit setOutputRepRate(outputRepRate);
    if (!changed)
        return;
    // The decoder reports a reading only when it changes: energies and powers derived from the rate
    // are recomputed here, or the panel would keep showing them for a rate the laser no longer runs.
    if (measuredIR_nJ > 0)
        slotfMeasuredLaserPowerChanged(measuredIR_nJ);
    if (measuredSHG_mW > 0)
        slotSHGOutputPowerChanged(measuredSHG_mW);
    if (measuredTHG_mW > 0)
        slotTHGOutputPowerChanged(measuredTHG_mW);
}

void LumetraController::slotPowerSetting_nJ_Changed(double setpoint)
{
    powerSetting_nJ = setpoint;
    emit setPowerSetpoint_uJ(setpoint / 1000.0);
}

void LumetraController::slotPowerSetting_percent_Changed(double setpoint)
{
    powerSetting_percent = setpoint;
    emit setPowerSetpoint_Percent(setpoint);
}

void LumetraController::slotPowerSetting_nJ_RangeChanged(double min, double max)
{
    energyLimitFromMin_nJ = min > 0 ? energyRangeReference / min : 0.0;
    energyLimitFromMax_nJ = max > 0 ? energyRangeReference / max : 0.0;
    emit setPowerRange_uJ(energyLimitFromMin_nJ / 1000.0, energyLimitFromMax_nJ / 1000.0);
    // Re-placed so that the panel clamps the set-point into the new range.
    emit setPowerSetpoint_uJ(powerSetting_nJ / 1000.0);
}

void LumetraController::slotPowerSettingPercentRangeChanged(double min, double max)
{
    percentRangeMin = min;
    percentRangeMax = max;
    emit setPowerRangePercent(min, max);
    emit setPowerSetpoint_Percent(powerSetting_percent);
}

void LumetraController::slotDynamicWLS_IRChanged(double setpoint)
{
    emit setDynamicWLS_IR_uJ(setpoint);
    emit setDynamicWLS_IR_Percent(setpoint / (energyLimitFromMax_nJ / 1000.0) * 100.0);
}

void LumetraController::slotDynamicWLS_GreenChanged(double setpoint)
{
    emit setDynamicWLS_Green_uJ(setpoint);
    emit setDynamicWLS_Green_Percent(setpoint / (energyLimitFromMax_nJ / 1000.0) * 100.0);
}

void LumetraController::slotDynamicWLS_UVChanged(double setpoint)
{
    emit setDynamicWLS_UV_uJ(setpoint);
    emit setDynamicWLS_UV_Percent(setpoint / (energyLimitFromMax_nJ / 1000.0) * 100.0);
}

void LumetraController::slotDynamicWLS_DUVChanged(double setpoint)
{
    emit setDynamicWLS_DUV_uJ(setpoint);
    emit setDynamicWLS_DUV_Percent(setpoint / (energyLimitFromMax_nJ / 1000.0) * 100.0);
}

void LumetraController::slotOvenModeChanged(int mode)
{
    emit setOvenMode(mode == ovenModeHeating1 || mode == ovenModeHeating2 ? 1 : 0);
}

void LumetraController::slotiWavelenghtLQZChanged(int wavelength)
{
    if (wavelength < 0 || wavelength > 2)
        qCDebug(lcLumetraController) << __func__ << "Wavelength unknown:" << wavelength;
    emit setWavelengthSelector(wavelength);
}

// ---------------------------------------------------------------------------------------------
// Status, faults and error codes

void LumetraController::slotuiTmpChar2Changed(uchar char2)
{
    statusByte = char2;
    deriveStatus();
}

void LumetraController::slotSystemStateChanged(SystemState state)
{
    systemState = state;
    deriveStatus();
}

void LumetraController::deriveStatus()
{
    const bool listen = statusByte & Bits::Listen;
    const bool standby = statusByte & Bits::Standby;
    emit setPowerOnIndicator(statusByte & Bits::PowerOn);
    emit setErrorIndicator(statusByte & Bits::Error);
    emit setWarningIndicator(statusByte & Bits::Warning);
    emit setDeviceSetupIndicator(statusByte & Bits::DeviceSetup);

    // Rep rate, crystal spot and harmonic wavelength may change only in listen or standby.
    const bool adjustable = statusByte & Bits::ListenOrStandby;
    emit setRepRateSliderDisabled(!adjustable);
    emit setCrystalPositionReadOnly(!adjustable);
    emit setWavelengthSelectorEnabled(adjustable);

    emit enableListen(true);
    emit setListen(listen);
    emit enableStandby(true);
    emit setStandby(standby);
    emit enableLaserOn(true);
    emit setLaserOn(statusByte & (Bits::LaserOn | Bits::LaserOnPending));

    // The oven mode may change only in plain listen: no other operating state bit with it.
    emit setOvenModeReadOnly((statusByte & Bits::Operating) != Bits::Listen);

    const int state = static_cast<int>(systemState);
    if (state >= 0 && state < int(std::size(flashBySystemState))) {
        applyFlash(flashBySystemState[state].laserOn, this, &LumetraController::setLaserOnFlash);
        applyFlash(flashBySystemState[state].standby, this, &LumetraController::setStandbyFlash);
    }
}

void LumetraController::slotHGStatusFlagsChanged(quint16 flags)
{
    emit setOvenFaultIndicator(flags & LumetraHGErrorTable::ovenFaultMask(hgModuleType, hgModuleKind));
    emit setHumidityFaultIndicator(flags & LumetraHGErrorTable::humidityFaultMask(hgModuleType));
}

void LumetraController::slotHGErrorcodeChanged(quint8 errorcode)
{
    if (errorcode == 0) {
        emit setErrorcodeHGIndicator(false);
        emit setErrorcodeHGMessage(QString());
        return;
    }
    emit setErrorcodeHGIndicator(true);
    emit setErrorcodeHGMessage(tr("HG Error code: %1 - %2")
                                   .arg(errorcode)
                                   .arg(LumetraHGErrorTable::describe(hgModuleType, errorcode)));
}

void LumetraController::slotHGOutputConfigChanged(quint8 outputConfig)
{
    const bool green = outputConfig & outputBit(LumetraHarmonic::Green);
    const bool uv = outputConfig & outputBit(LumetraHarmonic::UV);
    const bool duv = outputConfig & outputBit(LumetraHarmonic::DeepUV);
    emit setPowerMeasuredGreen_uJVisibility(green);
    emit setPowerMeasuredUV_uJVisibility(uv);
    emit setPowerMeasuredDUV_uJVisibility(duv);
    emit setDynamicWLS_IR_Visibility(outputConfig & outputBit(LumetraHarmonic::IR));
    emit setDynamicWLS_Green_Visibility(green);
    emit setDynamicWLS_UV_Visibility(uv);
    emit setDynamicWLS_DUV_Visibility(duv);
    emit setOutputPowerIRMeasuredWVisibility(true);
    emit setOutputPowerGreenMeasuredWVisibility(green);
    emit setOutputPowerUVMeasuredWVisibility(uv);
    emit setOutputPowerDUVMeasuredWVisibility(duv);
    // The selector's items are the harmonics in their order.
    for (int i = 0; i < LumetraHarmonicCount; ++i)
        emit setWavelengthSelectorComboItemVisibility(i, outputConfig & outputBit(harmonicAt(i)));
}

void LumetraController::slotfMeasuredLaserPowerChanged(double measuredPower)
{
    measuredIR_nJ = measuredPower;
    if (measuredPower > 0) {
        const double energy_uJ = measuredPower / 1000.0;
        emit setPowerMeasuredIR_uJ(energy_uJ);
        emit setOutputPowerIRMeasuredW(energy_uJ * outputRepRate / 1000.0);
    } else {
        emit setPowerMeasuredIR_uJ(0.0);
        emit setOutputPowerIRMeasuredW(0.0);
    }
}

void LumetraController::slotSHGOutputPowerChanged(double measuredPower)
{
    measuredSHG_mW = measuredPower;
    if (measuredPower > 0) {
        emit setPowerMeasuredGreen_uJ(measuredPower / outputRepRate);
        emit setOutputPowerGreenMeasuredW(measuredPower / 1000.0);
    } else {
        emit setPowerMeasuredGreen_uJ(0.0);
        emit setOutputPowerGreenMeasuredW(0.0);
    }
}

void LumetraController::slotTHGOutputPowerChanged(double measuredPower)
{
    measuredTHG_mW = measuredPower;
    if (measuredPower > 0) {
        emit setPowerMeasuredUV_uJ(measuredPower / outputRepRate);
        emit setOutputPowerUVMeasuredW(measuredPower / 1000.0);
    } else {
        emit setPowerMeasuredUV_uJ(0.0);
        emit setOutputPowerUVMeasuredW(0.0);
    }
}

// Crystal spots
void LumetraController::slotHGCrystalAllRuntimesChanged(QMap<int, quint64> runtimes)
{
    // An empty map has no first or last spot; the spot control keeps the range it has until the
    // module reports its spots again.
    if (!runtimes.isEmpty())
        emit setCrystalPositionRange(runtimes.firstKey(), runtimes.lastKey());
    emit setCrystalAllRuntimes(runtimes);
}
