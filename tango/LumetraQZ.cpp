#include "tango/LumetraQZ.h"

#include "tango/LumetraQZClass.h"
#include "tango/LumetraQZCommand.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <sstream>
#include <thread>

using namespace LumetraQZAttributes;

namespace {

// The controller takes a repetition rate within this distance of one of the laser's rates as that rate.
constexpr double repetitionRateMatch_kHz = 1.0;

// Tango parses limits by the attribute's type: whole numbers must not come out as 1e+07.
std::string number(double value)
{
    std::ostringstream out;
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        out << static_cast<long long>(value);
    else
        out << value;
    return out.str();
}

// Holds the device's monitor, as Tango's own request threads do, for a push from the core's thread.
// The monitor knows its owner by omniORB thread, which a Qt thread is not without ensure_self.
// Tango's own wait for the monitor would block the core's thread for the monitor's whole timeout while
// an Init that holds the monitor waits for that thread to stop; this one looks again every few
// milliseconds and gives up as soon as the device is stopping.
class MonitorLock
{
public:
    MonitorLock(Tango::TangoMonitor &monitor, const std::atomic<bool> &stopping) : m_monitor(monitor)
    {
        while (!stopping) {
            if (m_monitor.get_locking_ctr() == 0) {
                m_monitor.get_monitor();
                m_owned = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~MonitorLock()
    {
        if (m_owned)
            m_monitor.rel_monitor();
    }
    MonitorLock(const MonitorLock &) = delete;
    MonitorLock &operator=(const MonitorLock &) = delete;

    bool owned() const { return m_owned; }

private:
    omni_thread::ensure_self m_omniThread;
    Tango::TangoMonitor &m_monitor;
    bool m_owned = false;
};

template <typename T> void setLimits(Tango::WAttribute &attribute, T min, T max)
{
    // Tango refuses a minimum above the current maximum and the reverse; one of the two orders works.
    try {
        attribute.set_max_value(max);
        attribute.set_min_value(min);
    } catch (const Tango::DevFailed &) {
        attribute.set_min_value(min);
        attribute.set_max_value(max);
    }
}

} // namespace

LumetraQZ::LumetraQZ(Tango::DeviceClass *deviceClass, std::string &name) : TANGO_BASE_CLASS(deviceClass, name)
{
    init_device();
}

LumetraQZ::~LumetraQZ()
{
    delete_device();
}

void LumetraQZ::init_device()
{
    m_logger = get_logger();
    readProperties();
    const std::vector<Tango::Command *> &local = get_local_command_list();
    const bool offered = std::any_of(local.cbegin(), local.cend(),
                                     [](Tango::Command *c) { return c->get_name() == "SendCommand"; });
    try {
        if (m_allowRawCommands && !offered)
            add_command(LumetraQZClass::newSendCommand(), true);
        else if (!m_allowRawCommands && offered)
            remove_command("SendCommand", true, true);
    } catch (const Tango::DevFailed &e) {
        Tango::Except::print_exception(e);
    }
    set_change_event("State", true, false);
    set_archive_event("State", true, false);
    set_change_event("Status", true, false);
    set_archive_event("Status", true, false);

    LumetraQZCore::Settings settings;
    settings.portPath = QString::fromStdString(m_serialPort);
    settings.reconnectPeriodMs = m_reconnectPeriodMs;
    m_stateArchived = std::chrono::steady_clock::now();
    m_stopping = false;
    m_core = LumetraQZCore::start(
        settings, [this](const LumetraQZCore::Change &change) { onChange(change); },
        [this](LumetraQZCore::LogLevel level, const std::string &text) { log(level, text); });
}

// Called with the device monitor held (Init command). An event push waiting for that monitor on the
// core's thread gives up when told the device is stopping, so the stop cannot hang.
void LumetraQZ::delete_device()
{
    if (m_core) {
        m_stopping = true;
        m_core->stop();
        m_core = nullptr;
    }
}

// Properties come from the Tango database, or from the file given with -file=; with -nodb there are
// none and the device says so in its status. Init reads them again: one removed since is back to its
// default.
void LumetraQZ::readProperties()
{
    m_serialPort.clear();
    m_reconnectPeriodMs = 1000;
    m_allowRawCommands = false;
    Tango::DbData data;
    data.push_back(Tango::DbDatum("SerialPort"));
    data.push_back(Tango::DbDatum("ReconnectPeriod"));
    data.push_back(Tango::DbDatum("AllowRawCommands"));
    try {
        if (Tango::Util::_UseDb || Tango::Util::_FileDb)
            get_db_device()->get_property(data);
    } catch (const Tango::DevFailed &e) {
        Tango::Except::print_exception(e);
        return;
    }
    if (!data[0].is_empty())
        data[0] >> m_serialPort;
    // Tango hands an empty property value back as the word NULL, which is no port either.
    if (m_serialPort == "NULL" || m_serialPort.find_first_not_of(" \t") == std::string::npos)
        m_serialPort.clear();
    if (!data[1].is_empty())
        data[1] >> m_reconnectPeriodMs;
    if (!data[2].is_empty())
        data[2] >> m_allowRawCommands;
}

Tango::DevState LumetraQZ::tangoState(LumetraQZSnapshot::State state)
{
    using State = LumetraQZSnapshot::State;
    switch (state) {
    case State::Off:
        return Tango::OFF;
    case State::Init:
        return Tango::INIT;
    case State::Standby:
        return Tango::STANDBY;
    case State::On:
        return Tango::ON;
    case State::Alarm:
        return Tango::ALARM;
    case State::Fault:
        return Tango::FAULT;
    case State::Unknown:
        return Tango::UNKNOWN;
    }
    return Tango::UNKNOWN;
}

Tango::DevState LumetraQZ::dev_state()
{
    const Tango::DevState state = m_core ? tangoState(m_core->snapshot()->state) : Tango::UNKNOWN;
    set_state(state);
    return state;
}

Tango::ConstDevString LumetraQZ::dev_status()
{
    m_status = currentStatus();
    return m_status.c_str();
}

bool LumetraQZ::linkReady() const
{
    return m_core && m_core->snapshot()->connected;
}

// A write or command queued while the laser does not answer would reach it whenever it answers again,
// unasked for by then; it is refused instead, and nothing goes on the wire. Until the first status the
// laser's state is not known, nor what a setting would do to it.
void LumetraQZ::allowWrite(const Row &row)
{
    const auto snapshot = m_core ? m_core->snapshot() : nullptr;
    if (!snapshot || !snapshot->connected || snapshot->state == LumetraQZSnapshot::State::Init)
        refuse("API_AttrNotAllowed",
               std::string(row.name) + " cannot be written now, nothing was sent: " + currentStatus(),
               "LumetraQZ::write_attribute");
}

// Standby and OutputDisable make the laser safer and are always allowed; into a silent link they
// cannot be delivered, and their handler says so rather than leaving them to arrive late. Emission is
// asked for only from a laser that is ready for it: not from one that is off (Listen, or its port
// closed), starting up, unknown or in a fault.
void LumetraQZ::allowCommand(const std::string &name)
{
    if (name == "Standby" || name == "OutputDisable" || name == "Reconnect")
        return;
    const auto snapshot = m_core ? m_core->snapshot() : nullptr;
    if (!snapshot || !snapshot->connected)
        refuse("API_CommandNotAllowed", name + " is not allowed now, nothing was sent: " + currentStatus(),
               "LumetraQZ::command_inout");
    const Tango::DevState state = tangoState(snapshot->state);
    const bool emission = name == "LaserOn" || name == "OutputEnable";
    if (state == Tango::INIT || (emission && (state == Tango::OFF || state == Tango::FAULT)))
        refuse("API_CommandNotAllowed",
               name + " is not allowed in " + Tango::DevStateName[state] +
                   ", nothing was sent: " + snapshot->status,
               "LumetraQZ::command_inout");
}

void LumetraQZ::refuse(const char *reason, const std::string &text, const char *origin)
{
    log(LumetraQZCore::LogLevel::Warning, text);
    Tango::Except::throw_exception(reason, text, origin);
}

// Tango's logging service: the levels and targets a facility sets with its own tools.
void LumetraQZ::log(LumetraQZCore::LogLevel level, const std::string &text)
{
    if (!m_logger)
        return;
    switch (level) {
    case LumetraQZCore::LogLevel::Info:
        if (m_logger->is_info_enabled())
            m_logger->info(text);
        break;
    case LumetraQZCore::LogLevel::Warning:
        if (m_logger->is_warn_enabled())
            m_logger->warn(text);
        break;
    case LumetraQZCore::LogLevel::Error:
        if (m_logger->is_error_enabled())
            m_logger->error(text);
        break;
    }
}

Tango::AttrQuality LumetraQZ::quality(const Row &row, const LumetraQZSnapshot::Value &value)
{
    if (!row.levels)
        return Tango::ATTR_VALID;
    if (value.number > row.levels->alarmHigh)
        return Tango::ATTR_ALARM;
    if (value.number > row.levels->warningHigh)
        return Tango::ATTR_WARNING;
    return Tango::ATTR_VALID;
}

std::string LumetraQZ::currentStatus() const
{
    return m_core ? m_core->snapshot()->status : std::string("Not initialised.");
}

void LumetraQZ::stage(const Row &row, const LumetraQZSnapshot::Value &value)
{
    switch (row.kind) {
    case Kind::Double:
        m_doubles[row.id] = value.number;
        break;
    case Kind::Long:
        m_longs[row.id] = static_cast<Tango::DevLong64>(value.number);
        break;
    case Kind::Boolean:
        m_booleans[row.id] = value.number != 0;
        break;
    case Kind::String:
        m_texts[row.id] = value.text;
        m_textPointers[row.id] = const_cast<char *>(m_texts[row.id].c_str());
        break;
    }
}

void LumetraQZ::readAttribute(const Row &row, Tango::Attribute &attribute)
{
    const auto snapshot = m_core->snapshot();
    const LumetraQZSnapshot::Value &value = snapshot->values[row.id];
    // Readings of a laser that is not connected, or from before it last fell silent, are stale: a
    // client must not take them for current.
    if (!value.current || !snapshot->connected) {
        attribute.set_quality(Tango::ATTR_INVALID);
        return;
    }
    stage(row, value);
    switch (row.kind) {
    case Kind::Double:
        attribute.set_value(&m_doubles[row.id]);
        break;
    case Kind::Long:
        attribute.set_value(&m_longs[row.id]);
        break;
    case Kind::Boolean:
        attribute.set_value(&m_booleans[row.id]);
        break;
    case Kind::String:
        attribute.set_value(&m_textPointers[row.id]);
        break;
    }
    attribute.set_quality(quality(row, value));
}

void LumetraQZ::writeAttribute(const Row &row, Tango::WAttribute &attribute)
{
    const char *origin = "LumetraQZ::write_attribute";
    double value = 0.0;
    if (row.kind == Kind::Double) {
        Tango::DevDouble written = 0.0;
        attribute.get_write_value(written);
        value = written;
    } else {
        Tango::DevLong64 written = 0;
        attribute.get_write_value(written);
        value = static_cast<double>(written);
    }

    const auto snapshot = m_core->snapshot();
    if (!snapshot->connected)
        refuse("LumetraQZ_NotConnected",
               std::string("The laser is not connected, nothing was sent: ") + snapshot->status, origin);
    if (!std::isfinite(value))
        refuse("LumetraQZ_OutOfRange", std::string(row.name) + " must be a finite number; nothing was sent.",
               origin);
    const LumetraQZSnapshot::Range &range = snapshot->ranges[row.id];
    if (!range.known)
        refuse("LumetraQZ_RangeUnknown",
               std::string("The laser has not reported the range of ") + row.name + " yet; nothing was sent.",
               origin);
    if (value < range.min || value > range.max)
        refuse("LumetraQZ_OutOfRange",
               std::string(row.name) + " " + number(value) + " is outside " + number(range.min) + " to " +
                   number(range.max) + (row.unit.empty() ? std::string() : " " + row.unit) +
                   "; nothing was sent.",
               origin);
    if (row.id == LumetraQuantityTable::PulsePickerRate) {
        const auto &rates = snapshot->repetitionRates;
        if (std::none_of(rates.cbegin(), rates.cend(), [value](double rate) {
                return std::fabs(rate - value) < repetitionRateMatch_kHz;
            })) {
            std::string offered;
            for (double rate : rates)
                offered += (offered.empty() ? "" : ", ") + number(rate);
            refuse("LumetraQZ_NotARate",
                   "RepetitionRate " + number(value) + " kHz is not one the laser offers (" + offered +
                       " kHz); nothing was sent.",
                   origin);
        }
    }
    m_core->write(row.id, value);
}

void LumetraQZ::runCommand(LumetraQZCore::Command command)
{
    if (!m_core)
        refuse("LumetraQZ_NotConnected", "The device is not initialised.", "LumetraQZ::command_inout");
    if (command != LumetraQZCore::Command::Reconnect && !linkReady())
        refuse("LumetraQZ_NotConnected",
               std::string("The laser is not connected, nothing was sent: ") + m_core->snapshot()->status,
               "LumetraQZ::command_inout");
    m_core->command(command);
}

void LumetraQZ::sendRaw(const std::string &line)
{
    if (!linkReady())
        refuse("LumetraQZ_NotConnected", "The laser is not connected, nothing was sent.",
               "LumetraQZ::SendCommand");
    m_core->sendRaw(QByteArray::fromStdString(line));
}

// ---------------------------------------------------------------------------------------------
// Events, pushed from the device core's thread

void LumetraQZ::onChange(const LumetraQZCore::Change &change)
{
    const LumetraQZSnapshot &snapshot = *change.snapshot;
    try {
        const MonitorLock lock(get_dev_monitor(), m_stopping);
        if (!lock.owned())
            return;
        if (change.heartbeat)
            return archiveHeartbeat(snapshot);
        if (change.rangesChanged)
            applyRanges(snapshot);
        for (int id : change.changed)
            pushValue(row(id), snapshot.values[id], snapshot.connected && snapshot.values[id].current, true);
        if (change.stateChanged) {
            if (tangoState(snapshot.state) != m_eventState) {
                const Tango::DevState state = tangoState(snapshot.state);
                log(state == Tango::FAULT                              ? LumetraQZCore::LogLevel::Error
                    : state == Tango::UNKNOWN || state == Tango::ALARM ? LumetraQZCore::LogLevel::Warning
                                                                       : LumetraQZCore::LogLevel::Info,
                    std::string(Tango::DevStateName[state]) + ": " + snapshot.status);
            }
            pushState(snapshot, true);
        }
    } catch (const Tango::DevFailed &e) {
        Tango::Except::print_exception(e);
    }
}

// Tango sends a detected archive event for a value that changed by its threshold or whose archive
// period has passed; a value that stays the same is offered here so that the period can pass.
void LumetraQZ::archiveHeartbeat(const LumetraQZSnapshot &snapshot)
{
    for (const Row &r : rows()) {
        const LumetraQZSnapshot::Value &value = snapshot.values[r.id];
        if (value.known)
            pushValue(r, value, snapshot.connected && value.current, false);
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - m_stateArchived + std::chrono::milliseconds(LumetraQZCore::HeartbeatMs) >
        std::chrono::milliseconds(ArchivePeriodMs))
        pushState(snapshot, false);
}

void LumetraQZ::pushState(const LumetraQZSnapshot &snapshot, bool change)
{
    m_eventState = tangoState(snapshot.state);
    set_state(m_eventState);
    m_eventStatus = snapshot.status;
    // Tango sends the device's own status text with the event, not the data handed in.
    set_status(m_eventStatus);
    m_eventStatusPointer = const_cast<char *>(m_eventStatus.c_str());
    if (change) {
        push_change_event("State", &m_eventState);
        push_change_event("Status", &m_eventStatusPointer);
    }
    push_archive_event("State", &m_eventState);
    push_archive_event("Status", &m_eventStatusPointer);
    m_stateArchived = std::chrono::steady_clock::now();
}

// An event for every subscriber (change) or for archivers only (the heartbeat). Tango filters both
// by the attribute's thresholds.
void LumetraQZ::pushValue(const Row &row, const LumetraQZSnapshot::Value &value, bool valid, bool change)
{
    const std::string name(row.name);
    stage(row, value);
    struct timeval now = {};
    gettimeofday(&now, nullptr);
    // A reading that is no longer true tells subscribers and archivers so.
    const Tango::AttrQuality q = valid ? quality(row, value) : Tango::ATTR_INVALID;
    const auto push = [&](auto *data) {
        if (change)
            push_change_event(name, data, now, q);
        push_archive_event(name, data, now, q);
    };
    switch (row.kind) {
    case Kind::Double:
        push(&m_doubles[row.id]);
        break;
    case Kind::Long:
        push(&m_longs[row.id]);
        break;
    case Kind::Boolean:
        push(&m_booleans[row.id]);
        break;
    case Kind::String:
        push(&m_textPointers[row.id]);
        break;
    }
}

// Clients see the panel's ranges as the attributes' limits once the laser has reported them.
void LumetraQZ::applyRanges(const LumetraQZSnapshot &snapshot)
{
    for (const Row &r : rows()) {
        const LumetraQZSnapshot::Range &range = snapshot.ranges[r.id];
        if (r.limits != Limits::Reported || !range.known || !(range.min < range.max))
            continue;
        try {
            Tango::WAttribute &attribute = dev_attr->get_w_attr_by_name(r.name);
            if (r.kind == Kind::Double)
                setLimits<Tango::DevDouble>(attribute, range.min, range.max);
            else
                setLimits<Tango::DevLong64>(attribute, static_cast<Tango::DevLong64>(range.min),
                                            static_cast<Tango::DevLong64>(range.max));
        } catch (const Tango::DevFailed &e) {
            Tango::Except::print_exception(e);
        }
    }
}
