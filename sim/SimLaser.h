#pragma once

#include "sim/SimHgModule.h"
#include "sim/SimIdentity.h"
#include "sim/SimLines.h"

#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QVector>

#include <cmath>

// The simulated laser: identity, operating state, timing, power and the command table that turns each
// command line into the lines a real unit answers. Time moves only through advance(), so the model is
// the same whether it is driven by a wall clock or by a test.
class SimLaser : public QObject
{
    Q_OBJECT
public:
    enum class Phase
    {
        Listen,
        Standby,
        On
    };
    // Full scale of the relative power, in AOM counts.
    static constexpr int powerCountsFull = 4000;

    explicit SimLaser(const SimIdentity &identity, quint32 seed = 1, QObject *parent = nullptr);

    // The answer lines of one command line (without its echo), each ending in a line feed.
    SimLines execute(const QByteArray &commandLine);
    void advance(double seconds);

    SimHgModule *module() const { return hg; }
    const SimIdentity &identity() const { return id; }
    Phase phase() const { return currentPhase; }
    bool inTransition() const { return transitionRemaining > 0; }
    bool outputEnabled() const { return aomOutput; }
    bool emitting() const;
    quint8 statusByte() const;
    int frequencyIndex() const { return freqIndex; }
    int division() const { return divisionFactor; }
    double outputRate_kHz() const;
    double powerSetpoint_nJ() const { return power_nJ; }
    int powerCounts() const { return power_counts; }
    int digitalGate() const { return gate; }
    bool debugOutput() const { return debugEnabled; }

    // Faults and readings changed from the control channel.
    void refuseReady(int count) { refuseReadyLeft = qMax(0, count); }
    int refuseReadyRemaining() const { return refuseReadyLeft; }
    void setDebugOutput(bool on);
    void setErrorcode(quint8 code);
    void setForcedFlags(quint16 flags);
    void setShutterWarning(bool on);
    QString describe() const;

signals:
    // A line the laser sends without being asked, when a state change or a stage move completes.
    void spontaneousLine(const QByteArray &line);

private:
    friend class SimReadings;
    friend class SimRecords;
    enum class ArgumentStyle
    {
        None,
        Trailing
    };
    enum class Scope
    {
        Laser,
        Module,
        ThirdHarmonic
    };
    struct Command
    {
        const char *name; // with its '=' or blank when it takes an argument
        ArgumentStyle style;
        Scope scope;
        const char *help;
        SimLines (*handler)(SimLaser &laser, const QString &argument);
    };
    static const QVector<Command> &commandTable();
    const Command *findCommand(const QString &text, QString *argument) const;

    SimLines help() const;
    SimLines changePhase(Phase target, bool enableOutput);
    SimLines setPower_nJ(const QString &arg);
    SimLines setPowerCounts(const QString &arg);
    SimLines setFrequency(const QString &arg);
    SimLines setDivision(const QString &arg);
    SimLines setMode(const QString &arg);
    SimLines setWavelength(const QString &arg, bool lumetra2Command);
    SimLines setGate(const QString &arg);
    SimLines setDebug(const QString &arg);
    SimLines outputLine() const;
    SimLines gateLine() const;
    SimLines debugLine() const;
    double maxEnergy_nJ(int index) const;
    double minEnergy_nJ(int index) const { return maxEnergy_nJ(index) / 100.0; }
    double energy_nJ() const;
    double measuredEnergy_nJ() const;
    void clampPower();
    bool quirkyFirmware() const;

    SimIdentity id;
    QPointer<SimHgModule> hg;
    mutable QRandomGenerator random; // measurement noise is drawn by the queries

    Phase currentPhase = Phase::Listen;
    Phase targetPhase = Phase::Listen;
    double transitionRemaining = 0;
    bool aomOutput = false;
    int refuseReadyLeft = 0;
    int forcedStatus = -1;
    bool debugEnabled = false;
    quint8 laserError = 0;

    QVector<int> pcper;
    int freqIndex = 2;
    int divisionFactor = 1;
    int mode = 2;
    double power_nJ = 5000;
    int power_counts = 2000;
    int gate = 0;
    int systemWavelength = 0;
    double measuredOverride = NAN;

    double deviceOnSeconds = 1234 * 3600.0 + 56 * 60.0;
    double emissionSeconds = 987 * 3600.0 + 12 * 60.0;
    QVector<double> sensorSet;
    QVector<double> sensorActual;
};
