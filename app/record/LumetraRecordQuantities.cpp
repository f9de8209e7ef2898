#include "app/record/LumetraRecordQuantities.h"

#include <QCoreApplication>

#include <iterator>

namespace {

using S = LumetraRecordQuantities::Source;
using K = LumetraRecordQuantities::Kind;
using R = LumetraRecordQuantities::Reporter;
using Cmd = LumetraCommandTable;

// The modules whose poll sequence has this feature: what the program polls is what a module reports.
LumetraRecordQuantities::Reporters modulesWith(bool Cmd::ModuleSequence::*feature)
{
    LumetraRecordQuantities::Reporters reporters;
    for (const Cmd::Module module : {Cmd::ModuleSHG, Cmd::ModuleTHG, Cmd::ModuleTHGi}) {
        if (!feature || Cmd::moduleSequence(module).*feature)
            reporters |= LumetraRecordQuantities::moduleReporter(module);
    }
    return reporters;
}

const LumetraRecordQuantities::Reporters anyModule = modulesWith(nullptr);
const LumetraRecordQuantities::Reporters humiditySensor = modulesWith(&Cmd::ModuleSequence::humidity);
// A second oven and the crystal stage come with the third harmonic.
const LumetraRecordQuantities::Reporters thirdHarmonic = modulesWith(&Cmd::ModuleSequence::oven2);

// Key, group, label, unit, source, kind, deadband, reported by.
// Written out in full: the catalogue tool reads no macros, and a text it does not see stays English.
const LumetraRecordQuantities::Quantity quantities[] = {
    // Laser
    {"laser.status_byte", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Status byte"), "", S::Decoder, K::State, 0, R::Laser},
    {"laser.system_state", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "System state"), "", S::Decoder, K::State, 0, R::Laser},
    {"laser.energy_setpoint", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Energy set-point"), "nJ", S::Decoder, K::Analog, 0,
     R::Laser},
    {"laser.power_setpoint_percent", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Power set-point"), "%", S::Decoder, K::Analog, 0,
     R::Laser},
    {"laser.measured_energy", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Measured energy"), "nJ", S::Decoder, K::Analog, 50,
     R::Laser},
    {"laser.repetition_rate", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Repetition rate"), "kHz", S::Decoder, K::Analog, 0,
     R::Laser},
    {"laser.frequency_index", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Frequency index"), "", S::Decoder, K::State, 0, R::Laser},
    {"laser.division_factor", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Division factor"), "", S::Decoder, K::State, 0, R::Laser},
    {"laser.aom_mode", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "AOM mode of operation"), "", S::Decoder, K::State, 0,
     R::Laser},
    {"laser.shutter", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Shutter"), "", S::Decoder, K::State, 0, R::Laser},
    {"laser.ldd_current", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Diode driver current"), "", S::Decoder, K::Analog, 5,
     R::Laser},
    {"laser.on_hours", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Device on time"), "h", S::Decoder, K::Counter, 0.1,
     R::Laser},
    {"laser.emission_hours", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Emission time"), "h", S::Decoder, K::Counter, 0.1,
     R::Laser},
    // Temperature sensors of the status record
    {"temp.actual_1", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 1"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_2", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 2"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_3", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 3"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_4", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 4"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_5", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 5"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_6", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 6"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_7", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 7"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_8", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 8"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_9", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 9"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    {"temp.actual_10", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperatures"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Temperature 10"), "°C", S::Decoder, K::Analog, 0.1,
     R::Laser},
    // Harmonic-generator module
    {"hg.oven1_actual", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 1 temperature"), "°C", S::Decoder, K::Analog, 0.1,
     anyModule},
    {"hg.oven2_actual", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 2 temperature"), "°C", S::Decoder, K::Analog, 0.1,
     thirdHarmonic},
    {"hg.oven1_setpoint", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 1 set-point"), "°C", S::Decoder, K::Analog, 0,
     anyModule},
    {"hg.oven2_setpoint", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven 2 set-point"), "°C", S::Decoder, K::Analog, 0,
     thirdHarmonic},
    {"hg.oven_mode", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven state"), "", S::Decoder, K::State, 0, anyModule},
    {"hg.humidity", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Humidity"), "%", S::Decoder, K::Analog, 2, humiditySensor},
    {"hg.shg_power", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "SHG output power"), "mW", S::Decoder, K::Analog, 10,
     anyModule},
    {"hg.thg_power", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "THG output power"), "mW", S::Decoder, K::Analog, 10,
     thirdHarmonic},
    {"hg.status_flags", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Status flags"), "", S::Decoder, K::State, 0, anyModule},
    {"hg.error_code", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Error code"), "", S::Decoder, K::State, 0, anyModule},
    {"hg.crystal_spot", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Crystal spot"), "", S::Decoder, K::State, 0,
     thirdHarmonic},
    {"hg.crystal_runtime", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Crystal spot run time"), "h", S::Decoder, K::Counter, 0.1,
     thirdHarmonic},
    // Derived by the controller
    {"ctl.energy_ir", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "IR pulse energy"), "µJ", S::Controller, K::Analog, 0.05,
     R::Laser},
    {"ctl.energy_green", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Green pulse energy"), "µJ", S::Controller, K::Analog, 0.05,
     anyModule},
    {"ctl.energy_uv", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "UV pulse energy"), "µJ", S::Controller, K::Analog, 0.05,
     thirdHarmonic},
    {"ctl.power_ir", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "IR output power"), "W", S::Controller, K::Analog, 0.01,
     R::Laser},
    {"ctl.power_green", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Green output power"), "W", S::Controller, K::Analog, 0.01,
     anyModule},
    {"ctl.power_uv", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "UV output power"), "W", S::Controller, K::Analog, 0.01,
     thirdHarmonic},
    {"ctl.output_rate", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output repetition rate"), "kHz", S::Controller, K::Analog,
     0, R::Laser},
    {"ctl.power_on", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Power on"), "", S::Controller, K::State, 0, R::Laser},
    {"ctl.error", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Error"), "", S::Controller, K::State, 0, R::Laser},
    {"ctl.warning", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Warning"), "", S::Controller, K::State, 0, R::Laser},
    {"ctl.listen", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Listen"), "", S::Controller, K::State, 0, R::Laser},
    {"ctl.standby", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Standby"), "", S::Controller, K::State, 0, R::Laser},
    {"ctl.laser_on", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Laser on"), "", S::Controller, K::State, 0, R::Laser},
    {"ctl.output_enabled", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Output enabled"), "", S::Controller, K::State, 0,
     anyModule},
    {"ctl.oven_fault", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Oven fault"), "", S::Controller, K::State, 0, anyModule},
    {"ctl.humidity_fault", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Humidity fault"), "", S::Controller, K::State, 0,
     anyModule},
    {"ctl.hg_error", QT_TRANSLATE_NOOP("LumetraRecordQuantities", "States"),
     QT_TRANSLATE_NOOP("LumetraRecordQuantities", "Harmonic module error"), "", S::Controller, K::State, 0,
     anyModule},
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

LumetraRecordQuantities::Kind LumetraRecordQuantities::kind(int index)
{
    return at(index).kind;
}

double LumetraRecordQuantities::deadband(int index)
{
    return at(index).deadband;
}

LumetraRecordQuantities::Reporters LumetraRecordQuantities::reportedBy(int index)
{
    return at(index).reportedBy;
}

LumetraRecordQuantities::Reporter LumetraRecordQuantities::moduleReporter(LumetraCommandTable::Module module)
{
    switch (module) {
    case LumetraCommandTable::ModuleSHG:
        return ShgModule;
    case LumetraCommandTable::ModuleTHG:
        return ThgModule;
    case LumetraCommandTable::ModuleTHGi:
        return ThgiModule;
    }
    return Laser;
}
