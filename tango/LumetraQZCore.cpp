#include "tango/LumetraQZCore.h"

#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraOperatorState.h"
#include "device/LumetraPortHolder.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraRefusal.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraWriteAudit.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <atomic>

Q_LOGGING_CATEGORY(lcLumetraQZCore, "lumetra.tango.core")

using namespace LumetraQZAttributes;
using State = LumetraQZSnapshot::State;

namespace {

const char *commandName(LumetraQZCore::Command command)
{
    switch (command) {
    case LumetraQZCore::Command::Standby:
        return "Standby";
    case LumetraQZCore::Command::Listen:
        return "Listen";
    case LumetraQZCore::Command::LaserOn:
        return "LaserOn";
    case LumetraQZCore::Command::OutputEnable:
        return "OutputEnable";
    case LumetraQZCore::Command::OutputDisable:
        return "OutputDisable";
    case LumetraQZCore::Command::Reconnect:
        return "Reconnect";
    }
    return "";
}

} // namespace

LumetraQZCore *LumetraQZCore::start(const Settings &settings, ChangeSink sink, LogSink log)
{
    auto *core = new LumetraQZCore(settings, std::move(sink), std::move(log));
    core->m_coreThread.setObjectName(QStringLiteral("LumetraQZ core"));
    core->m_linkThread.setObjectName(QStringLiteral("LumetraQZ link"));
    core->moveToThread(&core->m_coreThread);
    core->m_coreThread.start();
    QMetaObject::invokeMethod(
        core, [core] { core->setUp(); }, Qt::BlockingQueuedConnection);
    return core;
}

LumetraQZCore::LumetraQZCore(const Settings &settings, ChangeSink sink, LogSink log)
    : m_settings(settings), m_sink(std::move(sink)), m_log(std::move(log)),
      m_published(std::make_shared<LumetraQZSnapshot>())
{
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

    m_heartbeatTimer = new QTimer(this);
    m_heartbeatTimer->setInterval(HeartbeatMs);
    connect(m_heartbeatTimer, &QTimer::timeout, this, &LumetraQZCore::heartbeat);
    m_heartbeatTimer->start();

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
    m_controller->setLogSink([this](const QString &line) { note(LogLevel::Info, line); });
    m_reconnector = new LumetraReconnector(this);
    m_reconnector->setWatchInterval(qMax(50, m_settings.reconnectPeriodMs));
    m_reconnector->attach(handler);
    connect(m_reconnector, &LumetraReconnector::stateChanged, this, &LumetraQZCore::schedulePublish);
    connect(m_reconnector, &LumetraReconnector::logLine, this, [this](const QString &line) {
        m_reconnectorLine = line;
        note(LogLevel::Info, line);
        schedulePublish();
    });
    m_model = new LumetraLaserModel(this);
    m_model->attach(m_controller);
    m_model->attachReconnector(m_reconnector, m_settings.portPath);
    followAudit();
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
    m_heartbeatTimer->stop();
    m_sink = nullptr;
    m_log = nullptr;
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
    m_heartbeatTimer = nullptr;
    m_firstOpenRetry = nullptr;
    qDeleteAll(children());
}

// A facility asks who changed the laser and whether it took it: every write a client makes goes into the
// device's log with its old and new value and the laser's answer, as the program keeps it in its history.
void LumetraQZCore::followAudit()
{
    m_audit = new LumetraWriteAudit(m_model, this);
    m_audit->attachController(m_controller);
    m_audit->attachLink(m_handler);
    connect(m_audit, &LumetraWriteAudit::sigSettled, this, [this](const LumetraWriteAudit::Write &write) {
        using O = LumetraWriteAudit::Outcome;
        const bool took = write.outcome == O::Reported || write.outcome == O::Sent;
        note(took ? LogLevel::Info : LogLevel::Warning,
             QStringLiteral("%1: %2").arg(LumetraWriteAudit::originText(write),
                                          LumetraWriteAudit::text(write).translated()));
    });
}

// What the panel shows, as the core's model of the laser holds it.
void LumetraQZCore::connectFeeds()
{
    connect(m_model, &LumetraLaserModel::changed, this, [this](const QSet<int> &ids) {
        for (const int id : ids)
            takeValue(id);
    });
    connect(m_model, &LumetraLaserModel::rangesChanged, this, &LumetraQZCore::takeRanges);
    takeRanges();
}

void LumetraQZCore::connectLink()
{
    connect(m_handler, &LumetraSerialHandler::sigOpenFailed, this, &LumetraQZCore::onOpenFailed);
    connect(m_handler, &LumetraSerialHandler::sigCommunicationOpened, this, [this] {
        m_openedOnce = true;
        m_openFailure.clear();
        m_firstOpenRetry->stop();
    });
    connect(m_handler, &LumetraSerialHandler::sigCommunicationClosed, this, &LumetraQZCore::onClosed);
    connect(m_handler, &LumetraSerialHandler::sigConnectedStatus, this, &LumetraQZCore::onConnected);
    connect(m_handler, &LumetraSerialHandler::sigStatusMessage, this, &LumetraQZCore::onStatusMessage);
    connect(m_handler, &LumetraSerialHandler::sigLineReceived, this, &LumetraQZCore::onLine);
    connect(m_controller, &LumetraController::sigCommandDropped, this, &LumetraQZCore::onCommandDropped);
}

std::shared_ptr<const LumetraQZSnapshot> LumetraQZCore::snapshot() const
{
    return std::atomic_load(&m_published);
}

void LumetraQZCore::write(Id id, double value)
{
    const WriteSlot slot = LumetraQZAttributes::row(id).write;
    if (!slot)
        return;
    const QString request =
        QStringLiteral("%1 %2").arg(QLatin1String(LumetraQZAttributes::row(id).name)).arg(value);
    QMetaObject::invokeMethod(
        this,
        [this, slot, value, request] {
            if (!m_controller)
                return;
            m_lastRequest = request;
            setNotice(QString());
            const LumetraWriteAudit::Scope tango(m_audit, LumetraWriteAudit::Origin::Tango);
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
            m_lastRequest = QLatin1String(commandName(command));
            setNotice(QString());
            const LumetraWriteAudit::Scope tango(m_audit, LumetraWriteAudit::Origin::Tango);
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
            if (!m_controller)
                return;
            m_lastRequest = QString::fromLatin1(line).trimmed();
            setNotice(QString());
            const LumetraWriteAudit::Scope tango(m_audit, LumetraWriteAudit::Origin::Tango);
            m_controller->slotSendManualCommand(line);
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Snapshot

void LumetraQZCore::takeValue(int id)
{
    if (!LumetraQuantityTable::row(id).remoteName)
        return;
    const LumetraLaserModel::Value &from = m_model->value(id);
    LumetraQZSnapshot::Value &v = m_work.values[id];
    v.number = from.number;
    v.text = from.text.toStdString();
    v.known = from.known;
    v.current = from.valid;
    m_changed.push_back(id);
    schedulePublish();
}

void LumetraQZCore::takeRanges()
{
    for (const Row &r : rows()) {
        const LumetraLaserModel::Range &from = m_model->range(r.id);
        LumetraQZSnapshot::Range &range = m_work.ranges[r.id];
        if (range.known == from.known && range.min == from.min && range.max == from.max)
            continue;
        range = {from.min, from.max, from.known};
        m_rangesChanged = true;
    }
    const std::vector<double> rates(m_model->repetitionRates().cbegin(), m_model->repetitionRates().cend());
    if (rates != m_work.repetitionRates) {
        m_work.repetitionRates = rates;
        m_rangesChanged = true;
    }
    if (m_rangesChanged)
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
        m_sink({snapshot, std::move(changed), stateChanged, rangesChanged, false});
}

void LumetraQZCore::heartbeat()
{
    if (m_sink)
        m_sink({std::atomic_load(&m_published), {}, false, false, true});
}

// The state a control room sees, with the reason in words, as the program's status bar tells it: a
// laser that does not answer is never shown as it last was, and one that was emitting may still be.
// While it answers, the device adds what the operator state does not judge (module faults, error
// codes).
void LumetraQZCore::evaluateState()
{
    const auto set = [this](State state, const QString &status) {
        m_work.state = state;
        const QString text = m_notice.isEmpty() ? status : status + QLatin1Char(' ') + m_notice;
        m_work.status = text.trimmed().toStdString();
    };
    const QString port = m_settings.portPath;
    if (port.isEmpty())
        return set(State::Fault, m_lastMessage);

    using Link = LumetraReconnector::State;
    const Link link = m_reconnector->state();
    m_work.connected = m_work.connected && link == Link::Connected;
    const bool live = m_work.connected;
    if (live != m_wasLive) {
        m_wasLive = live;
        if (live)
            markCurrentChanged();
        else
            markStale();
    }

    const LumetraOperatorState op = m_model->operatorState(QDateTime::currentDateTime());
    const auto &v = m_work.values;
    if (!op.isLive())
        m_settledWhat.clear();

    using Kind = LumetraOperatorState::Kind;
    // For a loss the reconnector's line says more than the reason (since when, still waiting, which
    // laser answered); the last report and the emission warning follow it.
    const auto withLine = [&op](const QString &first) {
        QStringList parts{first};
        for (const QString &part : {op.lastReportText(), op.emissionText()}) {
            if (!part.isEmpty())
                parts << part + QLatin1Char('.');
        }
        return parts.join(QLatin1Char(' '));
    };
    switch (op.kind()) {
    case Kind::Closed:
        if (!m_openFailure.isEmpty())
            return set(State::Fault, m_openFailure);
        return set(State::Off, tr("Port %1 closed. %2").arg(port, m_lastMessage).trimmed());
    case Kind::Connecting:
        return set(State::Init, op.summary());
    case Kind::NoAnswer:
    case Kind::Silent:
        return set(State::Unknown, op.summary());
    case Kind::Lost:
        if (link == Link::OtherLaser)
            return set(State::Fault,
                       withLine(m_reconnectorLine) + QLatin1Char(' ') + tr("Reconnect accepts it."));
        return set(State::Unknown, withLine(op.reason() + QStringLiteral(": ") + m_reconnectorLine));
    case Kind::Connected:
        if (!v[LumetraQuantityTable::StatusByte].current)
            return set(State::Init, tr("Connected on %1; waiting for the first status.").arg(port));
        break;
    case Kind::Listen:
    case Kind::Standby:
    case Kind::LaserOn:
    case Kind::Emitting:
    case Kind::Warning:
    case Kind::Fault:
        break;
    }

    // The operator state judges the laser; the device adds what only the harmonic module reports.
    const auto active = [&v](int id) {
        return v[id].current && v[id].number != 0;
    };
    QStringList alarms;
    if (active(LumetraQuantityTable::HumidityFault))
        alarms << tr("Humidity fault (%1 %).").arg(v[LumetraQuantityTable::Humidity].number);
    if (active(LumetraQuantityTable::OvenFault))
        alarms << tr("Oven fault.");
    if (op.kind() == Kind::Warning)
        alarms << tr("The laser reports a warning.");

    if (op.kind() == Kind::Fault)
        return set(State::Fault, (QStringList{tr("The laser reports an error.")} + alarms).join(' '));
    if (active(LumetraQuantityTable::HgErrorCode))
        return set(State::Fault,
                   (QStringList{QString::fromStdString(v[LumetraQuantityTable::HgErrorText].text)} + alarms)
                       .join(' '));

    State state = State::Off;
    QString what;
    switch (op.kind()) {
    case Kind::Emitting:
        state = State::On;
        what = tr("Laser on, output enabled.");
        break;
    case Kind::LaserOn:
        state = State::On;
        what = tr("Laser on, output disabled.");
        break;
    case Kind::Standby:
        state = State::Standby;
        what = tr("Standby.");
        break;
    case Kind::Listen:
        what = tr("Listen: the laser is off.");
        break;
    case Kind::Warning:
        // The warning hides the phase from the kind; the report still names it.
        what = tr("The laser reports: %1.").arg(op.reportText());
        break;
    default:
        what = tr("Powered, not ready.");
        break;
    }
    // A laser on its way to a state is not there yet: a client that waits for it must not act early.
    if (op.changing() && !m_settledWhat.isEmpty()) {
        state = m_settledState;
        what = m_settledWhat + QLatin1Char(' ') + tr("Changing state.");
    } else if (op.kind() != Kind::Warning) {
        m_settledState = state;
        m_settledWhat = what;
    }
    if (!alarms.isEmpty())
        return set(State::Alarm, (alarms + QStringList{what}).join(' '));
    set(state, what);
}

// Every reading from before is now a report of the past: clients get it again, marked INVALID.
void LumetraQZCore::markStale()
{
    for (const Row &r : rows()) {
        if (m_work.values[r.id].known) {
            m_work.values[r.id].current = false;
            m_changed.push_back(r.id);
        }
    }
}

// What the laser reported during the handshake went out as INVALID; it is true now.
void LumetraQZCore::markCurrentChanged()
{
    for (const Row &r : rows()) {
        if (m_work.values[r.id].current)
            m_changed.push_back(r.id);
    }
}

void LumetraQZCore::note(LogLevel level, const QString &text)
{
    switch (level) {
    case LogLevel::Info:
        qCInfo(lcLumetraQZCore).noquote() << text;
        break;
    case LogLevel::Warning:
        qCWarning(lcLumetraQZCore).noquote() << text;
        break;
    case LogLevel::Error:
        qCCritical(lcLumetraQZCore).noquote() << text;
        break;
    }
    if (m_log)
        m_log(level, text.toStdString());
}

void LumetraQZCore::setNotice(const QString &notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    schedulePublish();
}

// ---------------------------------------------------------------------------------------------
// Link and recovery

void LumetraQZCore::openPort()
{
    m_reconnector->slotOpenRequested(m_settings.portPath);
    QMetaObject::invokeMethod(m_handler, "slotOpenCommunication", Qt::QueuedConnection,
                              Q_ARG(QString, m_settings.portPath));
}

void LumetraQZCore::onOpenFailed(const QString &port, int error)
{
    // Qt's own words for a held port do not say by whom; the operator needs that to free it.
    const QString holder = error == QSerialPort::PermissionError ? LumetraPortHolder::of(port) : QString();
    const QString failure =
        holder.isEmpty()
            ? m_lastMessage
            : tr("%1 is in use by %2; close it there to reach the laser from here.").arg(port, holder);
    // A port that stays away fails every retry; the log needs it once.
    if (failure != m_openFailure)
        note(LogLevel::Error, failure.isEmpty() ? tr("%1 could not be opened.").arg(port) : failure);
    m_openFailure = failure;
    if (!m_openedOnce)
        m_firstOpenRetry->start();
    schedulePublish();
}

void LumetraQZCore::onLine(const QByteArray &line)
{
    const QString refusal = LumetraRefusal::in(line);
    if (refusal.isEmpty())
        return;
    const QString notice = m_lastRequest.isEmpty()
                               ? tr("The laser refused a setting: %1.").arg(refusal)
                               : tr("The laser refused %1: %2.").arg(m_lastRequest, refusal);
    note(LogLevel::Warning, notice);
    setNotice(notice);
}

// A write accepted just before the link noticed the silence never reaches the laser; the client that
// made it learns so here rather than from a laser that changes state later.
void LumetraQZCore::onCommandDropped(const QString &command, const QString &reason)
{
    // The controller's own queries are its business; only a setting can be a client's.
    if (command.trimmed().endsWith(QLatin1Char('?')))
        return;
    const QString notice = tr("Not sent to the laser: %1 (%2).").arg(command.trimmed(), reason);
    note(LogLevel::Warning, notice);
    setNotice(notice);
}

void LumetraQZCore::onClosed()
{
    m_work.connected = false;
    m_model->setLinkLive(false);
    m_controller->slotLinkEnded();
    schedulePublish();
}

void LumetraQZCore::onConnected(bool connected)
{
    m_work.connected = connected;
    m_model->setLinkLive(connected);
    schedulePublish();
}

void LumetraQZCore::onStatusMessage(const QString &message)
{
    m_lastMessage = message;
    note(LogLevel::Info, message);
    schedulePublish();
}
