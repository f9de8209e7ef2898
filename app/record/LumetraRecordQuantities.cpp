#include "app/record/LumetraRecordQuantities.h"

#include <QCoreApplication>

#include <iterator>

namespace {

using S = LumetraRecordQuantities::Source;

#define TR(text) QT_TRANSLATE_NOOP("LumetraRecordQuantities", text)

const LumetraRecordQuantities::Quantity quantities[] = {
    // Laser
    {"laser.status_byte", TR("Laser"), TR("Status byte"), "", S::Decoder},
    {"laser.system_state", TR("Laser"), TR("System state"), "", S::Decoder},
    {"laser.energy_setpoint", TR("Laser"), TR("Energy set-point"), "nJ", S::Decoder},
    {"laser.power_setpoint_percent", TR("Laser"), TR("Power set-point"), "%", S::Decoder},
    {"laser.measured_energy", TR("Laser"), TR("Measured energy"), "nJ", S::Decoder},
    {"laser.repetition_rate", TR("Laser"), TR("Repetition rate"), "kHz", S::Decoder},
    {"laser.frequency_index", TR("Laser"), TR("Frequency index"), "", S::Decoder},
    {"laser.division_factor", TR("Laser"), TR("Division factor"), "", S::Decoder},
    {"laser.aom_mode", TR("Laser"), TR("AOM mode of operation"), "", S::Decoder},
    {"laser.shutter", TR("Laser"), TR("Shutter"), "", S::Decoder},
    {"laser.ldd_current", TR("Laser"), TR("Diode driver current"), "", S::Decoder},
    {"laser.on_hours", TR("Laser"), TR("Device on time"), "h", S::Decoder},
    {"laser.emission_hours", TR("Laser"), TR("Emission time"), "h", S::Decoder},
    // Temperature sensors of the status record
    {"temp.actual_1", TR("Temperatures"), TR("Temperature 1"), "°C", S::Decoder},
    {"temp.actual_2", TR("Temperatures"), TR("Temperature 2"), "°C", S::Decoder},
    {"temp.actual_3", TR("Temperatures"), TR("Temperature 3"), "°C", S::Decoder},
    {"temp.actual_4", TR("Temperatures"), TR("Temperature 4"), "°C", S::Decoder},
    {"temp.actual_5", TR("Temperatures"), TR("Temperature 5"), "°C", S::Decoder},
    {"temp.actual_6", TR("Temperatures"), TR("Temperature 6"), "°C", S::Decoder},
    {"temp.actual_7", TR("Temperatures"), TR("Temperature 7"), "°C", S::Decoder},
    {"temp.actual_8", TR("Temperatures"), TR("Temperature 8"), "°C", S::Decoder},
    {"temp.actual_9", TR("Temperatures"), TR("Temperature 9"), "°C", S::Decoder},
    {"temp.actual_10", TR("Temperatures"), TR("Temperature 10"), "°C", S::Decoder},
    // Harmonic-generator module
    {"hg.oven1_actual", TR("Harmonic module"), TR("Oven 1 temperature"), "°C", S::Decoder},
    {"hg.oven2_actual", TR("Harmonic module"), TR("Oven 2 temperature"), "°C", S::Decoder},
    {"hg.oven1_setpoint", TR("Harmonic module"), TR("Oven 1 set-point"), "°C", S::Decoder},
    {"hg.oven2_setpoint", TR("Harmonic module"), TR("Oven 2 set-point"), "°C", S::Decoder},
    {"hg.oven_mode", TR("Harmonic module"), TR("Oven state"), "", S::Decoder},
    {"hg.humidity", TR("Harmonic module"), TR("Humidity"), "%", S::Decoder},
    {"hg.shg_power", TR("Harmonic module"), TR("SHG output power"), "mW", S::Decoder},
    {"hg.thg_power", TR("Harmonic module"), TR("THG output power"), "mW", S::Decoder},
    {"hg.status_flags", TR("Harmonic module"), TR("Status flags"), "", S::Decoder},
    {"hg.error_code", TR("Harmonic module"), TR("Error code"), "", S::Decoder},
    {"hg.crystal_spot", TR("Harmonic module"), TR("Crystal spot"), "", S::Decoder},
    {"hg.crystal_runtime", TR("Harmonic module"), TR("Crystal spot run time"), "h", S::Decoder},
    // Derived by the controller
    {"ctl.energy_ir", TR("Output"), TR("IR pulse energy"), "µJ", S::Controller},
    {"ctl.energy_green", TR("Output"), TR("Green pulse energy"), "µJ", S::Controller},
    {"ctl.energy_uv", TR("Output"), TR("UV pulse energy"), "µJ", S::Controller},
    {"ctl.power_ir", TR("Output"), TR("IR output power"), "W", S::Controller},
    {"ctl.power_green", TR("Output"), TR("Green output power"), "W", S::Controller},
    {"ctl.power_uv", TR("Output"), TR("UV output power"), "W", S::Controller},
    {"ctl.output_rate", TR("Output"), TR("Output repetition rate"), "kHz", S::Controller},
    {"ctl.power_on", TR("States"), TR("Power on"), "", S::Controller},
    {"ctl.error", TR("States"), TR("Error"), "", S::Controller},
    {"ctl.warning", TR("States"), TR("Warning"), "", S::Controller},
    {"ctl.listen", TR("States"), TR("Listen"), "", S::Controller},
    {"ctl.standby", TR("States"), TR("Standby"), "", S::Controller},
    {"ctl.laser_on", TR("States"), TR("Laser on"), "", S::Controller},
    {"ctl.output_enabled", TR("States"), TR("Output enabled"), "", S::Controller},
    {"ctl.oven_fault", TR("States"), TR("Oven fault"), "", S::Controller},
    {"ctl.humidity_fault", TR("States"), TR("Humidity fault"), "", S::Controller},
    {"ctl.hg_error", TR("States"), TR("Harmonic module error"), "", S::Controller},
};

#undef TR

} // namespace

int LumetraRecordQuantities::count()
{
    return int(std::size(quantities));
}

const LumetraRecordQuantities::Quantity &LumetraRecordQuantities::at(int index)
{
    Q_ASSERT(index >= 0 && index < count());
    return quantities[index];
}

int LumetraRecordQuantities::indexOf(const QString &key)
{
    for (int i = 0; i < count(); ++i) {
        if (key == QLatin1String(quantities[i].key))
            return i;
    }
    return -1;
}

QString LumetraRecordQuantities::label(int index)
{
    return QCoreApplication::translate("LumetraRecordQuantities", at(index).label);
}

QString LumetraRecordQuantities::group(int index)
{
    return QCoreApplication::translate("LumetraRecordQuantities", at(index).group);
}

QString LumetraRecordQuantities::unit(int index)
{
    return QString::fromUtf8(at(index).unit);
}

QString LumetraRecordQuantities::labelWithUnit(int index)
{
    const QString u = unit(index);
    return u.isEmpty() ? label(index) : QStringLiteral("%1 [%2]").arg(label(index), u);
}
