#pragma once

#include "sim/SimLines.h"

#include <QObject>
#include <QRandomGenerator>
#include <QVector>

#include <cmath>

// The harmonic-generator module bolted to the laser head: its ovens, humidity, wavelength stage,
// crystal spots, run times, dynamic wavelength switching, status flags and error code.
class SimHgModule : public QObject
{
    Q_OBJECT
public:
    explicit SimHgModule(const QString &moduleType, quint32 seed, QObject *parent = nullptr);

    static bool isKnownType(const QString &moduleType);

    QString moduleType() const { return type; }
    bool isThirdHarmonic() const { return thirdHarmonic; }
    bool hasCrystalSpots() const { return thirdHarmonic; }
    bool isNewGeneration() const { return newGeneration; }
    int position() const { return wavelengthPosition; }
    int fsmState() const { return fsm; }
    double oven1Actual() const { return oven1.actual; }
    double oven2Actual() const { return oven2.actual; }
    double oven1Setpoint() const { return oven1.setpoint; }
    double oven2Setpoint() const { return oven2.setpoint; }
    double humidity() const { return humidityNow; }
    int crystalSpot() const { return curSpot; }
    bool crystalMoving() const { return spotMoveRemaining > 0; }
    bool dwlsEnabled() const { return dynamicEnabled; }
    bool dwlsSupported() const { return dynamicSupported; }
    quint8 errorcode() const { return errorCode; }
    quint16 statusFlags() const;
    bool shutterWarning() const { return shutterWrong; }

    // One step of the module's physics: ovens, humidity, stage moves, run times.
    void advance(double seconds, bool emitting);

    // Answers of the module's commands; the argument is the text behind "=" where there is one.
    SimLines info() const;
    SimLines enableQuery() const;
    SimLines setEnable(const QString &arg);
    SimLines setpointQuery() const;
    SimLines ovenQuery() const;
    SimLines setOvenSetpoint(int oven, const QString &arg);
    SimLines humidityQuery() const;
    SimLines wavelengthQuery() const;
    SimLines setWavelength(const QString &arg);
    SimLines wavelengthHelp() const;
    SimLines outputPowerQuery(double irAverage_mW) const;
    SimLines statusQuery() const;
    SimLines errorcodeQuery() const;
    SimLines outputConfigQuery() const;
    SimLines runtimeQuery() const;
    SimLines crystalCurSpotQuery() const;
    SimLines crystalCurRuntimeQuery() const;
    SimLines crystalMaxRuntimeQuery() const;
    SimLines crystalAllRuntimesQuery() const;
    SimLines setCrystalSpot(const QString &arg);
    SimLines dwlsFeatureQuery() const;
    SimLines dwlsEnableQuery() const;
    SimLines setDwlsEnable(const QString &arg);
    SimLines dwlsDefaultQuery() const;
    SimLines setDwlsDefault(const QString &arg);
    SimLines notSupported() const;

    // Faults and readings changed from the control channel.
    void setErrorcode(quint8 code) { errorCode = code; }
    void setForcedFlags(quint16 flags) { forcedFlags = flags; }
    void setShutterWarning(bool on) { shutterWrong = on; }
    void setHumidity(double percent);
    void setOvenActual(int oven, double celsius);
    bool setOvenSetpointValue(int oven, double celsius);
    void setFsmState(int state) { fsm = state; }
    bool setPosition(int index);
    bool setCrystalSpotNow(int spot);
    void setCrystalRuntime(quint64 seconds);
    void setCrystalMaxRuntime(quint64 seconds) { maxRuntime = seconds; }
    void setModuleRuntime(quint64 seconds) { moduleRuntime = seconds; }
    void setOutputConfig(quint8 config) { outputConfig = config; }
    void setDwlsSupported(bool on) { dynamicSupported = on; }
    void setDwlsEnabled(bool on) { dynamicEnabled = on && dynamicSupported; }
    void setShgPowerOverride(double mW) { shgOverride = mW; }
    void setThgPowerOverride(double mW) { thgOverride = mW; }
    QString describe() const;

signals:
    // Lines the module sends on its own when a move completes.
    void spontaneousLine(const QByteArray &line);
    // The stage is about to move the beam: the laser closes its AOM output.
    void aomDisableRequested();
    // Dynamic wavelength switching loads the stored pulse energy of the new wavelength (nJ).
    void energyRequested(double energy_nJ);

private:
    struct Oven
    {
        double setpoint = 0;
        double actual = 0;
        double minimum = 20.0;
        double maximum = 200.0;
    };

    QString prefix() const;
    double conversion(const Oven &oven) const;
    bool available(int index) const { return index >= 0 && index < 4 && (outputConfig & (1u << index)); }
    void approach(Oven &oven, double seconds) const;

    QString type;
    bool thirdHarmonic = false;
    bool newGeneration = false;
    QString address;
    QRandomGenerator random;

    int fsm = 4;
    Oven oven1;
    Oven oven2;
    double ambient = 25.0;
    double humidityBase = 32.0;
    double humidityNow = 32.0;

    int wavelengthPosition = 1;
    int pendingPosition = -1;
    double switchRemaining = 0;
    quint8 outputConfig = 0x03;

    int curSpot = 3;
    int targetSpot = 3;
    double spotMoveRemaining = 0;
    QVector<double> spotRuntimes;
    quint64 maxRuntime = 1800000;
    double moduleRuntime = 0;

    bool dynamicSupported = false;
    bool dynamicEnabled = false;
    double dynamicDefaults[4] = {5000, 4000, 3000, 2000};

    quint8 errorCode = 0;
    quint16 forcedFlags = 0;
    bool shutterWrong = false;
    double shgOverride = NAN;
    double thgOverride = NAN;
};
