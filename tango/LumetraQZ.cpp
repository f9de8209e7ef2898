#include "tango/LumetraQZ.h"

#include "tango/LumetraQZClass.h"
#include "tango/LumetraQZCommand.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <sstream>

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

[[noreturn]] void refuse(const char *reason, const std::string &text, const char *origin)
{
    Tango::Except::throw_exception(reason, text, origin);
}

// Holds the device's monitor, as Tango's own request threads do, for a push from the core's thread.
// The monitor knows its owner by omniORB thread, which a Qt thread is not without ensure_self.
// (Tango's AutoTangoMonitor does the same but trips GCC's maybe-uninitialized check when optimised.)
class MonitorLock
{
public:
    explicit MonitorLock(Tango::TangoMonitor &monitor) : m_monitor(monitor) { m_monitor.get_monitor(); }
    ~MonitorLock() { m_monitor.rel_monitor(); }
    MonitorLock(const MonitorLock &) = delete;
    MonitorLock &operator=(const MonitorLock &) = delete;

private:
    omni_thread::ensure_self m_omniThread;
    Tango::TangoMonitor &m_monitor;
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
    readProperties();
    if (m_allowRawCommands) {
        try {
            add_command(LumetraQZClass::newSendCommand(), true);
        } catch (const Tango::DevFailed &) {
            // Present from an earlier initialisation.
        }
    }
    set_change_event("State", true, false);
    set_archive_event("State", true, false);
    set_change_event("Status", true, false);
    set_archive_event("Status", true, false);

    LumetraQZCore::Settings settings;
    settings.portPath = QString::fromStdString(m_serialPort);
    settings.reconnectPeriodMs = m_reconnectPeriodMs;
    m_core = LumetraQZCore::start(
        settings, [this](const auto &snapshot, const auto &changed, bool stateChanged, bool rangesChanged) {
            onChange(snapshot, changed, stateChanged, rangesChanged);
        });
}

// Called with the device monitor held (Init command). An event push waiting for that monitor on the
// core's thread gives up after Tango's monitor timeout and is dropped, so the stop cannot hang.
void LumetraQZ::delete_device()
{
    if (m_core) {
        m_core->stop();
        m_core = nullptr;
    }
}

// Properties come from the Tango database, or from the file given with -file=; with -nodb there are
// none and the device says so in its status.
void LumetraQZ::readProperties()
{
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
// unasked for by then; it is refused instead, and nothing goes on the wire.
void LumetraQZ::allowWrite(const Row &row) const
{
    if (!linkReady())
        refuse("API_AttrNotAllowed",
               std::string(row.name) + " cannot be written now, nothing was sent: " + currentStatus(),
               "LumetraQZ::write_attribute");
}

// Standby and OutputDisable make the laser safer and are always allowed; into a silent link they
// cannot be delivered, and their handler says so rather than leaving them to arrive late.
void LumetraQZ::allowCommand(const std::string &name) const
{
    if (name == "Standby" || name == "OutputDisable" || name == "Reconnect" || linkReady())
        return;
    refuse("API_CommandNotAllowed", name + " is not allowed now, nothing was sent: " + currentStatus(),
           "LumetraQZ::command_inout");
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

void LumetraQZ::onChange(const std::shared_ptr<const LumetraQZSnapshot> &snapshot,
                         const std::vector<int> &changed, bool stateChanged, bool rangesChanged)
{
    try {
        const MonitorLock lock(get_dev_monitor());
        if (rangesChanged)
            applyRanges(*snapshot);
        for (int id : changed)
            pushValue(row(id), snapshot->values[id], snapshot->connected && snapshot->values[id].current);
        if (stateChanged) {
            m_eventState = tangoState(snapshot->state);
            set_state(m_eventState);
            push_change_event("State", &m_eventState);
            push_archive_event("State", &m_eventState);
            m_eventStatus = snapshot->status;
            // Tango sends the device's own status text with the event, not the data handed in.
            set_status(m_eventStatus);
            m_eventStatusPointer = const_cast<char *>(m_eventStatus.c_str());
            push_change_event("Status", &m_eventStatusPointer);
            push_archive_event("Status", &m_eventStatusPointer);
        }
    } catch (const Tango::DevFailed &e) {
        Tango::Except::print_exception(e);
    }
}

void LumetraQZ::pushValue(const Row &row, const LumetraQZSnapshot::Value &value, bool valid)
{
    const std::string name(row.name);
    stage(row, value);
    if (!valid) {
        // Subscribers and archivers learn that the value they hold is no longer true.
        struct timeval now = {};
        gettimeofday(&now, nullptr);
        switch (row.kind) {
        case Kind::Double:
            push_change_event(name, &m_doubles[row.id], now, Tango::ATTR_INVALID);
            push_archive_event(name, &m_doubles[row.id], now, Tango::ATTR_INVALID);
            break;
        case Kind::Long:
            push_change_event(name, &m_longs[row.id], now, Tango::ATTR_INVALID);
            push_archive_event(name, &m_longs[row.id], now, Tango::ATTR_INVALID);
            break;
        case Kind::Boolean:
            push_change_event(name, &m_booleans[row.id], now, Tango::ATTR_INVALID);
            push_archive_event(name, &m_booleans[row.id], now, Tango::ATTR_INVALID);
            break;
        case Kind::String:
            push_change_event(name, &m_textPointers[row.id], now, Tango::ATTR_INVALID);
            push_archive_event(name, &m_textPointers[row.id], now, Tango::ATTR_INVALID);
            break;
        }
        return;
    }
    switch (row.kind) {
    case Kind::Double:
        push_change_event(name, &m_doubles[row.id]);
        push_archive_event(name, &m_doubles[row.id]);
        break;
    case Kind::Long:
        push_change_event(name, &m_longs[row.id]);
        push_archive_event(name, &m_longs[row.id]);
        break;
    case Kind::Boolean:
        push_change_event(name, &m_booleans[row.id]);
        push_archive_event(name, &m_booleans[row.id]);
        break;
    case Kind::String:
        push_change_event(name, &m_textPointers[row.id]);
        push_archive_event(name, &m_textPointers[row.id]);
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
