#include "sim/SimReadings.h"

#include "sim/SimHgModule.h"
#include "sim/SimLaser.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcSimReadings, "lumetra.sim.readings")

namespace {

enum class Needs
{
    Laser,
    Module
};

bool number(const QString &text, double *value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(*value);
}

bool integer(const QString &text, qint64 *value, qint64 low, qint64 high, int base = 10)
{
    bool ok = false;
    QString digits = text.trimmed();
    if (base == 16 && digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    *value = digits.toLongLong(&ok, base);
    return ok && *value >= low && *value <= high;
}

// "auto" hands a pinned measurement back to the model.
bool measurement(const QString &text, double *value)
{
    if (text.trimmed() == QLatin1String("auto")) {
        *value = NAN;
        return true;
    }
    return number(text, value) && *value >= 0;
}

} // namespace

struct SimReadings::Reading
{
    const char *name;
    const char *syntax;
    Needs needs;
    bool (*set)(SimLaser &laser, const QString &value);
};

// The lambdas are defined in a member of a friend of the model, so they may reach its private state.
const QVector<SimReadings::Reading> &SimReadings::table()
{
    static const QVector<Reading> readings = {
        {"humidity", "PERCENT", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!number(v, &x) || x < 0 || x > 100)
                 return false;
             l.hg->setHumidity(x);
             return true;
         }},
        {"oven1", "CELSIUS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!number(v, &x) || x < -50 || x > 300)
                 return false;
             l.hg->setOvenActual(1, x);
             return true;
         }},
        {"oven2", "CELSIUS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!l.hg->isThirdHarmonic() || !number(v, &x) || x < -50 || x > 300)
                 return false;
             l.hg->setOvenActual(2, x);
             return true;
         }},
        {"oven1-setpoint", "CELSIUS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             return number(v, &x) && l.hg->setOvenSetpointValue(1, x);
         }},
        {"oven2-setpoint", "CELSIUS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             return number(v, &x) && l.hg->setOvenSetpointValue(2, x);
         }},
        {"fsm", "2|3|4", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 9))
                 return false;
             l.hg->setFsmState(int(x));
             return true;
         }},
        {"position", "0-3 (IR, GREEN, UV, DUV)", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             return integer(v, &x, 0, 3) && l.hg->setPosition(int(x));
         }},
        {"spot", "SPOT", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             return l.hg->hasCrystalSpots() && integer(v, &x, 0, 99) && l.hg->setCrystalSpotNow(int(x));
         }},
        {"spot-runtime", "SECONDS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!l.hg->hasCrystalSpots() || !integer(v, &x, 0, qint64(1) << 40))
                 return false;
             l.hg->setCrystalRuntime(quint64(x));
             return true;
         }},
        {"max-runtime", "SECONDS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, qint64(1) << 40))
                 return false;
             l.hg->setCrystalMaxRuntime(quint64(x));
             return true;
         }},
        {"module-runtime", "SECONDS", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, qint64(1) << 40))
                 return false;
             l.hg->setModuleRuntime(quint64(x));
             return true;
         }},
        {"output-config", "HEX (bit 0 IR, 1 green, 2 UV, 3 DUV)", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 0xff, 16))
                 return false;
             l.hg->setOutputConfig(quint8(x));
             return true;
         }},
        {"shg-power", "MILLIWATT|auto", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!measurement(v, &x))
                 return false;
             l.hg->setShgPowerOverride(x);
             return true;
         }},
        {"thg-power", "MILLIWATT|auto", Needs::Module,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!measurement(v, &x))
                 return false;
             l.hg->setThgPowerOverride(x);
             return true;
         }},
        {"dwls-feature", "0|1", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 1))
                 return false;
             l.hg->setDwlsSupported(x == 1);
             if (x == 0)
                 l.hg->setDwlsEnabled(false);
             return true;
         }},
        {"dwls", "0|1", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 1) || (x == 1 && !l.hg->dwlsSupported()))
                 return false;
             l.hg->setDwlsEnabled(x == 1);
             return true;
         }},
        {"flags", "HEX", Needs::Module,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 0xffff, 16))
                 return false;
             l.hg->setForcedFlags(quint16(x));
             return true;
         }},
        {"errorcode", "0-255", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 255))
                 return false;
             l.setErrorcode(quint8(x));
             return true;
         }},
        {"ir-energy", "NANOJOULE|auto", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             return measurement(v, &l.measuredOverride);
         }},
        {"status", "HEX|auto", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (v.trimmed() == QLatin1String("auto"))
                 x = -1;
             else if (!integer(v, &x, 0, 0xff, 16))
                 return false;
             l.forcedStatus = int(x);
             return true;
         }},
        {"state", "listen|standby|on", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             static const char *const names[] = {"listen", "standby", "on"};
             for (int i = 0; i < 3; ++i) {
                 if (v.trimmed() == QLatin1String(names[i])) {
                     l.currentPhase = l.targetPhase = SimLaser::Phase(i);
                     l.transitionRemaining = 0;
                     return true;
                 }
             }
             return false;
         }},
        {"output", "0|1", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 1))
                 return false;
             l.aomOutput = x == 1;
             return true;
         }},
        {"power", "NANOJOULE", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!number(v, &x) || x < 0)
                 return false;
             l.power_nJ = x;
             l.clampPower();
             return true;
         }},
        {"power-counts", "0-4000", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 4000))
                 return false;
             l.power_counts = int(x);
             return true;
         }},
        {"freq-index", "INDEX", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, l.pcper.size() - 1))
                 return false;
             l.freqIndex = int(x);
             l.clampPower();
             return true;
         }},
        {"division", "1-65535", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 1, 65535))
                 return false;
             l.divisionFactor = int(x);
             return true;
         }},
        {"mode", "2|3|8", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 2, 8) || (x != 2 && x != 3 && x != 8))
                 return false;
             l.mode = int(x);
             return true;
         }},
        {"gate", "0|1", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 1))
                 return false;
             l.gate = int(x);
             return true;
         }},
        {"wavelength", "0-2 (1030, 515, 343 nm)", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             qint64 x = 0;
             if (!integer(v, &x, 0, 2))
                 return false;
             l.systemWavelength = int(x);
             return true;
         }},
        {"temperature", "SENSOR(1-10) CELSIUS", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             const QStringList parts = v.simplified().split(QLatin1Char(' '));
             qint64 sensor = 0;
             double x = 0;
             if (parts.size() != 2 || !integer(parts[0], &sensor, 1, 10) || !number(parts[1], &x))
                 return false;
             l.sensorActual[int(sensor) - 1] = x;
             return true;
         }},
        {"device-hours", "HOURS", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!number(v, &x) || x < 0)
                 return false;
             l.deviceOnSeconds = x * 3600.0;
             return true;
         }},
        {"emission-hours", "HOURS", Needs::Laser,
         [](SimLaser &l, const QString &v) {
             double x = 0;
             if (!number(v, &x) || x < 0)
                 return false;
             l.emissionSeconds = x * 3600.0;
             return true;
         }},
    };
    return readings;
}

bool SimReadings::set(SimLaser &laser, const QString &name, const QString &value, QString *error)
{
    for (const Reading &reading : table()) {
        if (name != QLatin1String(reading.name))
            continue;
        if (reading.needs == Needs::Module && !laser.module()) {
            *error = tr("the laser has no harmonic-generator module");
            return false;
        }
        if (!reading.set(laser, value)) {
            *error = tr("invalid value for %1 (expected %2)").arg(name, QLatin1String(reading.syntax));
            return false;
        }
        qCDebug(lcSimReadings) << name << "set to" << value;
        return true;
    }
    *error = tr("unknown reading %1").arg(name);
    return false;
}

QStringList SimReadings::help()
{
    QStringList lines;
    for (const Reading &reading : table())
        lines << QStringLiteral("%1 %2").arg(QLatin1String(reading.name), QLatin1String(reading.syntax));
    return lines;
}
