#pragma once

#include "tango/LumetraQZCore.h"

#include <tango.h>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

// One laser as a Tango device. Request threads never touch the device core's objects: reads come
// from the core's last snapshot, writes and commands are queued to it, and the core pushes change
// and archive events from its own thread as the decoder reports changes.
class LumetraQZ : public TANGO_BASE_CLASS
{
public:
    LumetraQZ(Tango::DeviceClass *deviceClass, std::string &name);
    ~LumetraQZ() override;

    void init_device() override;
    void delete_device() override;
    Tango::DevState dev_state() override;
    Tango::ConstDevString dev_status() override;

    void readAttribute(const LumetraQZAttributes::Row &row, Tango::Attribute &attribute);
    void writeAttribute(const LumetraQZAttributes::Row &row, Tango::WAttribute &attribute);
    // Commands and writes reach the laser only while the link has passed its handshake.
    bool linkReady() const;
    // Throw Tango's not-allowed errors, with the reason, for what the laser cannot take now.
    void allowWrite(const LumetraQZAttributes::Row &row);
    void allowCommand(const std::string &name);
    std::string currentStatus() const;
    void runCommand(LumetraQZCore::Command command);
    void sendRaw(const std::string &line);

private:
    void readProperties();
    // Logs the refusal and throws it to the client.
    [[noreturn]] void refuse(const char *reason, const std::string &text, const char *origin);
    void log(LumetraQZCore::LogLevel level, const std::string &text);
    void onChange(const LumetraQZCore::Change &change);
    void archiveHeartbeat(const LumetraQZSnapshot &snapshot);
    void pushState(const LumetraQZSnapshot &snapshot, bool change);
    void applyRanges(const LumetraQZSnapshot &snapshot);
    void pushValue(const LumetraQZAttributes::Row &row, const LumetraQZSnapshot::Value &value, bool valid,
                   bool change);
    // VALID, or WARNING or ALARM beyond the levels where the laser defines a fault.
    static Tango::AttrQuality quality(const LumetraQZAttributes::Row &row,
                                      const LumetraQZSnapshot::Value &value);
    // Copies a value into the buffers Tango reads after the call returns.
    void stage(const LumetraQZAttributes::Row &row, const LumetraQZSnapshot::Value &value);
    static Tango::DevState tangoState(LumetraQZSnapshot::State state);

    std::string m_serialPort;
    Tango::DevLong m_reconnectPeriodMs = 1000;
    bool m_allowRawCommands = false;

    LumetraQZCore *m_core = nullptr;
    // Set while the core stops: a push from its thread must not wait for the monitor the stop holds.
    std::atomic<bool> m_stopping{false};
    // Taken on the request thread before the core starts: the device makes its logger on first use.
    log4tango::Logger *m_logger = nullptr;
    // When State and Status last went to an archiver; they are pushed as they change, not detected.
    std::chrono::steady_clock::time_point m_stateArchived;

    std::array<Tango::DevDouble, LumetraQZAttributes::Count> m_doubles{};
    std::array<Tango::DevLong64, LumetraQZAttributes::Count> m_longs{};
    std::array<Tango::DevBoolean, LumetraQZAttributes::Count> m_booleans{};
    std::array<std::string, LumetraQZAttributes::Count> m_texts;
    std::array<Tango::DevString, LumetraQZAttributes::Count> m_textPointers{};
    Tango::DevState m_eventState = Tango::UNKNOWN;
    std::string m_status;
    std::string m_eventStatus;
    Tango::DevString m_eventStatusPointer = nullptr;
};
