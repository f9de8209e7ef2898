#include "app/record/LumetraRecordQuantities.h"

#include <QCoreApplication>

#include <iterator>

namespace {

using S = LumetraRecordQuantities::Source;

// Written out in full: the catalogue tool reads no macros, and a text it does not see stays English.
const LumetraRecordQuantities::Quantity quantities[] = {
    // Laser
    {"laser.status_byte", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Status byte"), "", S::Decoder},
    {"laser.system_state", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "System state"), "", S::Decoder},
    {"laser.energy_setpoint", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Energy set-point"), "nJ", S::Decoder},
    {"laser.power_setpoint_percent", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Power set-point"), "%", S::Decoder},
    {"laser.measured_energy", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Measured energy"), "nJ", S::Decoder},
    {"laser.repetition_rate", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Repetition rate"), "kHz", S::Decoder},
    {"laser.frequency_index", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Frequency index"), "", S::Decoder},
    {"laser.division_factor", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Division factor"), "", S::Decoder},
    {"laser.aom_mode", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "AOM mode of operation"), "", S::Decoder},
    {"laser.shutter", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Shutter"), "", S::Decoder},
    {"laser.ldd_current", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Diode driver current"), "", S::Decoder},
    {"laser.on_hours", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Device on time"), "h", S::Decoder},
    {"laser.emission_hours", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Emission time"), "h", S::Decoder},
    // Temperature sensors of the status record
    {"temp.actual_1", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 1"), "°C", S::Decoder},
    {"temp.actual_2", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 2"), "°C", S::Decoder},
    {"temp.actual_3", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 3"), "°C", S::Decoder},
    {"temp.actual_4", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 4"), "°C", S::Decoder},
    {"temp.actual_5", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 5"), "°C", S::Decoder},
    {"temp.actual_6", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 6"), "°C", S::Decoder},
    {"temp.actual_7", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 7"), "°C", S::Decoder},
    {"temp.actual_8", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 8"), "°C", S::Decoder},
    {"temp.actual_9", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 9"), "°C", S::Decoder},
    {"temp.actual_10", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 10"), "°C", S::Decoder},
    // Harmonic-generator module
    {"hg.oven1_actual", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 1 temperature"), "°C", S::Decoder},
    {"hg.oven2_actual", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 2 temperature"), "°C", S::Decoder},
    {"hg.oven1_setpoint", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 1 set-point"), "°C", S::Decoder},
    {"hg.oven2_setpoint", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 2 set-point"), "°C", S::Decoder},
    {"hg.oven_mode", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven state"), "", S::Decoder},
    {"hg.humidity", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Humidity"), "%", S::Decoder},
    {"hg.shg_power", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "SHG output power"), "mW", S::Decoder},
    {"hg.thg_power", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "THG output power"), "mW", S::Decoder},
    {"hg.status_flags", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Status flags"), "", S::Decoder},
    {"hg.error_code", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Error code"), "", S::Decoder},
    {"hg.crystal_spot", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Crystal spot"), "", S::Decoder},
    {"hg.crystal_runtime", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Crystal spot run time"), "h", S::Decoder},
    // Derived by the controller
    {"ctl.energy_ir", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "IR pulse energy"), "µJ", S::Controller},
    {"ctl.energy_green", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Green pulse energy"), "µJ", S::Controller},
    {"ctl.energy_uv", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "UV pulse energy"), "µJ", S::Controller},
    {"ctl.power_ir", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "IR output power"), "W", S::Controller},
    {"ctl.power_green", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Green output power"), "W", S::Controller},
    {"ctl.power_uv", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "UV output power"), "W", S::Controller},
    {"ctl.output_rate", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output repetition rate"), "kHz", S::Controller},
    {"ctl.power_on", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Power on"), "", S::Controller},
    {"ctl.error", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Error"), "", S::Controller},
    {"ctl.warning", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Warning"), "", S::Controller},
    {"ctl.listen", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Listen"), "", S::Controller},
    {"ctl.standby", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Standby"), "", S::Controller},
    {"ctl.laser_on", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser on"), "", S::Controller},
    {"ctl.output_enabled", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output enabled"), "", S::Controller},
    {"ctl.oven_fault", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven fault"), "", S::Controller},
    {"ctl.humidity_fault", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Humidity fault"), "", S::Controller},
    {"ctl.hg_error", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module error"), "", S::Controller},
};

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
