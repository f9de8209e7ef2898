#include "tango/LumetraQZCore.h"

#include "app/device/LumetraController.h"
#include "app/device/LumetraReconnector.h"
#include "app/device/LumetraResponseDecoder.h"
#include "app/device/LumetraSerialHandler.h"
#include "app/device/LumetraStatusBits.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <atomic>

Q_LOGGING_CATEGORY(lcLumetraQZCore, "lumetra.tango.core")

using namespace LumetraQZAttributes;
using State = LumetraQZSnapshot::State;

namespace {

template <typename T> double asNumber(T value)
{
    return static_cast<double>(value);
}

} // namespace

LumetraQZCore *LumetraQZCore::start(const Settings &settings, ChangeSink sink)
{
    auto *core = new LumetraQZCore(settings, std::move(sink));
    core->m_coreThread.setObjectName(QStringLiteral("LumetraQZ core"));
    core->m_linkThread.setObjectName(QStringLiteral("LumetraQZ link"));
    core->moveToThread(&core->m_coreThread);
    core->m_coreThread.start();
    QMetaObject::invokeMethod(
        core, [core] { core->setUp(); }, Qt::BlockingQueuedConnection);
    return core;
}

LumetraQZCore::LumetraQZCore(const Settings &settings, ChangeSink sink)
    : m_settings(settings), m_sink(std::move(sink)), m_published(std::make_shared<LumetraQZSnapshot>())
{
    for (int id = 0; id < Count; ++id) {
        if (row(id).limits == Limits::Fixed)
            m_work.ranges[id] = {row(id).fixedMin, row(id).fixedMax, true};
    }
}

LumetraQZCore::~LumetraQZCore() = default;

void LumetraQZCore::stop()
{
    QMetaObject::invokeMethod(
        this, [this] { tearDown(); }, Qt::BlockingQueuedConnection);
    m_coreThread.quit();
    m_coreThread.wait();
    delete this;
}

void LumetraQZCore::setUp()
{
    LumetraResponseDecoder::registerMetaTypes();

    m_publishTimer = new QTimer(this);
    m_publishTimer->setSingleShot(true);
    m_publishTimer->setInterval(0);
    connect(m_publishTimer, &QTimer::timeout, this, &LumetraQZCore::publish);

    m_firstOpenRetry = new QTimer(this);
    m_firstOpenRetry->setSingleShot(true);
    m_firstOpenRetry->setInterval(qMax(50, m_settings.reconnectPeriodMs));
    connect(m_firstOpenRetry, &QTimer::timeout, this, &LumetraQZCore::openPort);

    auto *handler = new LumetraSerialHandler;
    m_handler = handler;
    handler->moveToThread(&m_linkThread);
    connect(&m_linkThread, SIGNAL(started()), handler, SLOT(slotMainLoop()));
    connect(&m_linkThread, &QThread::finished, handler, &QObject::deleteLater);

    m_controller = new LumetraController(handler, this);
    m_controller->setLogSink([](const QString &line) { qCInfo(lcLumetraQZCore).noquote() << line; });
    m_reconnector = new LumetraReconnector(this);
    m_reconnector->setWatchInterval(qMax(50, m_settings.reconnectPeriodMs));
    m_reconnector->attach(handler);
    connect(m_reconnector, &LumetraReconnector::stateChanged, this, &LumetraQZCore::schedulePublish);
    connect(m_reconnector, &LumetraReconnector::logLine, this, [this](const QString &line) {
        m_reconnectorLine = line;
        qCInfo(lcLumetraQZCore).noquote() << line;
        schedulePublish();
    });
    connectFeeds();
    connectLink();

    m_linkThread.start();
    QMetaObject::invokeMethod(m_controller, "slotMainLoop", Qt::QueuedConnection);
    if (m_settings.portPath.isEmpty()) {
        m_lastMessage = tr("No serial port configured: set the SerialPort property.");
        schedulePublish();
    } else {
        openPort();
    }
    // A client that asks right after the start gets the state with its reason, not a blank one. No
    // events yet: the caller may hold the device's monitor while it waits for this set-up.
    evaluateState();
    std::atomic_store(&m_published, std::make_shared<const LumetraQZSnapshot>(m_work));
}

void LumetraQZCore::tearDown()
{
    m_firstOpenRetry->stop();
    m_sink = nullptr;
    m_reconnector->slotCloseRequested();
    if (m_handler)
        QMetaObject::invokeMethod(m_handler, "slotCloseCommunication", Qt::QueuedConnection);
    // The controller goes before its link so that nothing queues to a link that is gone.
    delete m_controller;
    m_controller = nullptr;
    m_linkThread.quit();
    m_linkThread.wait();
    // What the link reported while it closed the port is queued here still, and would reach the
    // controller and timers that are gone by the time this thread runs it.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    // Everything of the core's own goes on its thread, while that still runs: timers cannot be
    // stopped from another one, and the core itself is deleted from the caller's thread.
    m_reconnector = nullptr;
    m_publishTimer = nullptr;
    m_firstOpenRetry = nullptr;
    qDeleteAll(children());
}

// What the panel shows, taken from the same signals that drive the panel.
void LumetraQZCore::connectFeeds()
{
    LumetraController *c = m_controller;
    const auto number = [this](auto *sender, auto signal, Id id) {
        connect(sender, signal, this, [this, id](auto value) { setNumber(id, asNumber(value)); });
    };
    const auto text = [this](auto *sender, auto signal, Id id) {
        connect(sender, signal, this, [this, id](const QString &value) { setText(id, value); });
    };
    const auto range = [this](auto signal, Id id) {
        connect(m_controller, signal, this, [this, id](auto min, auto max) { setRange(id, min, max); });
    };

    number(c, &LumetraController::setPowerSetpoint_uJ, Energy);
    number(c, &LumetraController::setPowerSetpoint_Percent, PowerPercent);
    number(c, &LumetraController::setPowerMeasuredIR_uJ, MeasuredEnergyIR);
    number(c, &LumetraController::setPowerMeasuredGreen_uJ, MeasuredEnergyGreen);
    number(c, &LumetraController::setPowerMeasuredUV_uJ, MeasuredEnergyUV);
    number(c, &LumetraController::setOutputPowerIRMeasuredW, OutputPowerIR);
    number(c, &LumetraController::setOutputPowerGreenMeasuredW, OutputPowerGreen);
    number(c, &LumetraController::setOutputPowerUVMeasuredW, OutputPowerUV);
    number(c, &LumetraController::setRepRate, RepetitionRate);
    number(c, &LumetraController::setOutputRepRate, OutputRepetitionRate);
    number(c, &LumetraController::setDivision, DivisionFactor);
    number(c, &LumetraController::setOven1TempActual, Oven1Temperature);
    number(c, &LumetraController::setOven2TempActual, Oven2Temperature);
    number(c, &LumetraController::setOven1TempSetpoint, Oven1Setpoint);
    number(c, &LumetraController::setOven2TempSetpoint, Oven2Setpoint);
    number(c, &LumetraController::setHumidityMonitor, Humidity);
    number(c, &LumetraController::setWavelengthSelector, Wavelength);
    number(c, &LumetraController::setWavelengthSelectorCombo, HarmonicOutput);
    number(c, &LumetraController::setCrystalPosition, CrystalSpot);
    number(c, &LumetraController::setCrystalCurRuntime, CrystalRuntime);
    number(c, &LumetraController::setCrystalMaxRuntime, CrystalMaxRuntime);
    number(c, &LumetraController::setErrorIndicator, ErrorIndicator);
    number(c, &LumetraController::setWarningIndicator, WarningIndicator);
    number(c, &LumetraController::setOvenFaultIndicator, OvenFault);
    number(c, &LumetraController::setHumidityFaultIndicator, HumidityFault);
    text(c, &LumetraController::setErrorcodeHGMessage, ErrorText);
    text(c, &LumetraController::setLumetraType, SystemType);
    text(c, &LumetraController::setSerialNumber, SerialNumber);
    text(c, &LumetraController::setFirmwareVersion, FirmwareVersion);

    range(&LumetraController::setPowerRange_uJ, Energy);
    range(&LumetraController::setPowerRangePercent, PowerPercent);
    range(&LumetraController::setOven1TempSetpointRange, Oven1Setpoint);
    range(&LumetraController::setOven2TempSetpointRange, Oven2Setpoint);
    range(&LumetraController::setCrystalPositionRange, CrystalSpot);
    connect(c, &LumetraController::setRepRateSteps, this, &LumetraQZCore::setRepetitionRates);

    // Raw readings the panel shows only through its lamps.
    auto *decoder = c->findChild<LumetraResponseDecoder *>();
    Q_ASSERT(decoder);
    number(decoder, &LumetraResponseDecoder::sigHGErrorcodeChanged, ErrorCode);
    number(decoder, &LumetraResponseDecoder::siguiTmpChar2Changed, StatusByte);
    number(decoder, &LumetraResponseDecoder::sigHGStatusFlagsChanged, HGStatusFlags);
    number(decoder, &LumetraResponseDecoder::sigSystemStateChanged, LumetraQZAttributes::SystemState);
}

void LumetraQZCore::connectLink()
{
    connect(m_handler, &LumetraSerialHandler::sigOpenFailed, this, &LumetraQZCore::onOpenFailed);
    connect(m_handler, &LumetraSerialHandler::sigCommunicationOpened, this, [this] {
        m_openedOnce = true;
        m_firstOpenRetry->stop();
    });
    connect(m_handler, &LumetraSerialHandler::sigCommunicationClosed, this, &LumetraQZCore::onClosed);
    connect(m_handler, &LumetraSerialHandler::sigConnectedStatus, this, &LumetraQZCore::onConnected);
    connect(m_handler, &LumetraSerialHandler::sigStatusMessage, this, &LumetraQZCore::onStatusMessage);
}

std::shared_ptr<const LumetraQZSnapshot> LumetraQZCore::snapshot() const
{
    return std::atomic_load(&m_published);
}

void LumetraQZCore::write(Id id, double value)
{
    const WriteSlot slot = row(id).write;
    if (!slot)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, slot, value] {
            if (m_controller)
                slot(m_controller, value);
        },
        Qt::QueuedConnection);
}

void LumetraQZCore::command(Command command)
{
    QMetaObject::invokeMethod(
        this,
        [this, command] {
            if (!m_controller)
                return;
            switch (command) {
            case Command::Standby:
                m_controller->standbyChanged(true);
                break;
            case Command::Listen:
                m_controller->listenChanged(true);
                break;
            case Command::LaserOn:
                m_controller->laserOnChanged(true);
                break;
            case Command::OutputEnable:
                m_controller->outEnableChanged(true);
                break;
            case Command::OutputDisable:
                m_controller->outEnableChanged(false);
                break;
            case Command::Reconnect:
                // Asked for by a client, as the operator picks a port: whatever laser answers is accepted.
                m_reconnector->slotCloseRequested();
                QMetaObject::invokeMethod(m_handler, "slotCloseCommunication", Qt::QueuedConnection);
                openPort();
                break;
            }
        },
        Qt::QueuedConnection);
}

void LumetraQZCore::sendRaw(const QByteArray &line)
{
    QMetaObject::invokeMethod(
        this,
        [this, line] {
            if (m_controller)
                m_controller->slotSendManualCommand(line);
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Snapshot

void LumetraQZCore::setNumber(int id, double value)
{
    LumetraQZSnapshot::Value &v = m_work.values[id];
    if (v.known && v.number == value)
        return;
    v.number = value;
    v.known = true;
    m_changed.push_back(id);
    schedulePublish();
}

void LumetraQZCore::setText(int id, const QString &text)
{
    LumetraQZSnapshot::Value &v = m_work.values[id];
    const std::string utf8 = text.toStdString();
    if (v.known && v.text == utf8)
        return;
    v.text = utf8;
    v.known = true;
    m_changed.push_back(id);
    schedulePublish();
}

void LumetraQZCore::setRange(int id, double min, double max)
{
    LumetraQZSnapshot::Range &r = m_work.ranges[id];
    if (r.known && r.min == min && r.max == max)
        return;
    r = {min, max, true};
    m_rangesChanged = true;
    schedulePublish();
}

void LumetraQZCore::setRepetitionRates(const QList<double> &rates)
{
    std::vector<double> steps(rates.cbegin(), rates.cend());
    if (steps == m_work.repetitionRates)
        return;
    m_work.repetitionRates = steps;
    if (steps.empty())
        m_work.ranges[RepetitionRate] = {};
    else
        setRange(RepetitionRate, *std::min_element(steps.cbegin(), steps.cend()),
                 *std::max_element(steps.cbegin(), steps.cend()));
    m_rangesChanged = true;
    schedulePublish();
}

// One line from the laser sets several values; they go out together once the line is done.
void LumetraQZCore::schedulePublish()
{
    if (m_publishTimer && !m_publishTimer->isActive())
        m_publishTimer->start();
}

void LumetraQZCore::publish()
{
    const State oldState = m_work.state;
    const std::string oldStatus = m_work.status;
    evaluateState();
    const bool stateChanged = m_work.state != oldState || m_work.status != oldStatus;

    auto snapshot = std::make_shared<const LumetraQZSnapshot>(m_work);
    std::atomic_store(&m_published, snapshot);

    std::vector<int> changed;
    changed.swap(m_changed);
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    const bool rangesChanged = m_rangesChanged;
    m_rangesChanged = false;
    if (m_sink && (!changed.empty() || stateChanged || rangesChanged))
        m_sink(snapshot, changed, stateChanged, rangesChanged);
}

// The state a control room sees, with the reason in words. Faults of the link come before anything
// the laser reports, since its readings are stale then.
void LumetraQZCore::evaluateState()
{
    const auto set = [this](State state, const QString &status) {
        m_work.state = state;
        m_work.status = status.toStdString();
    };
    const QString port = m_settings.portPath;
    if (port.isEmpty())
        return set(State::Fault, m_lastMessage);

    using Link = LumetraReconnector::State;
    const Link link = m_reconnector->state();
    m_work.connected = m_work.connected && link == Link::Connected;
    switch (link) {
    case Link::Closed:
        return set(State::Off, tr("Port %1 closed. %2").arg(port, m_lastMessage).trimmed());
    case Link::Waiting:
    case Link::Handshake:
        return set(State::Init, m_reconnectorLine);
    case Link::Unavailable:
    case Link::Lost:
        return set(State::Unknown, m_reconnectorLine);
    case Link::OtherLaser:
        return set(State::Fault, m_reconnectorLine + ' ' + tr("Reconnect accepts it."));
    case Link::Connected:
        break;
    }
    const auto &v = m_work.values;
    if (!v[StatusByte].known)
        return set(State::Init, tr("Connected on %1; waiting for the first status.").arg(port));

    const auto status = static_cast<std::uint8_t>(v[StatusByte].number);
    QStringList alarms;
    if (v[HumidityFault].known && v[HumidityFault].number != 0)
        alarms << tr("Humidity fault (%1 %).").arg(v[Humidity].number);
    if (v[OvenFault].known && v[OvenFault].number != 0)
        alarms << tr("Oven fault.");
    if (status & LumetraStatusBits::Warning)
        alarms << tr("The laser reports a warning.");

    if (status & LumetraStatusBits::Error)
        return set(State::Fault, (QStringList{tr("The laser reports an error.")} + alarms).join(' '));
    if (v[ErrorCode].known && v[ErrorCode].number != 0)
        return set(State::Fault, (QStringList{QString::fromStdString(v[ErrorText].text)} + alarms).join(' '));

    State state = State::Off;
    QString what;
    if (status & LumetraStatusBits::LaserOn) {
        state = State::On;
        what = tr("Laser on, output enabled.");
    } else if (status & LumetraStatusBits::LaserOnPending) {
        state = State::On;
        what = tr("Laser on, output disabled.");
    } else if (status & LumetraStatusBits::Standby) {
        state = State::Standby;
        what = tr("Standby.");
    } else if (status & LumetraStatusBits::Listen) {
        what = tr("Listen: the laser is off.");
    } else {
        what = tr("Powered, not ready.");
    }
    if (status & LumetraStatusBits::DeviceSetup)
        what += ' ' + tr("Changing state.");
    if (!alarms.isEmpty())
        return set(State::Alarm, (alarms + QStringList{what}).join(' '));
    set(state, what);
}

// ---------------------------------------------------------------------------------------------
// Link and recovery

void LumetraQZCore::openPort()
{
    m_reconnector->slotOpenRequested(m_settings.portPath);
    QMetaObject::invokeMethod(m_handler, "slotOpenCommunication", Qt::QueuedConnection,
                              Q_ARG(QString, m_settings.portPath));
}

void LumetraQZCore::onOpenFailed()
{
    if (!m_openedOnce)
        m_firstOpenRetry->start();
    schedulePublish();
}

void LumetraQZCore::onClosed()
{
    m_work.connected = false;
    // The link reports a closed port but not the end of the connection; without it the decoder would
    // not announce the returning laser's identity again and the controller would not set up anew.
    if (auto *decoder = m_controller->findChild<LumetraResponseDecoder *>())
        decoder->slotConnectedStatus(false);
    m_controller->slotConnectedStatus(false);
    schedulePublish();
}

void LumetraQZCore::onConnected(bool connected)
{
    m_work.connected = connected;
    schedulePublish();
}

void LumetraQZCore::onStatusMessage(const QString &message)
{
    m_lastMessage = message;
    qCInfo(lcLumetraQZCore).noquote() << message;
    schedulePublish();
}
