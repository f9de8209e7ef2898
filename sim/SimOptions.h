#pragma once

#include "sim/SimIdentity.h"

#include <QCoreApplication>
#include <QStringList>

// The simulator's command line: identity, publication, pacing, transcript and the faults to start with.
class SimOptions
{
    Q_DECLARE_TR_FUNCTIONS(SimOptions)
public:
    enum class Outcome
    {
        Run,
        ShowHelp,
        ShowVersion,
        Error
    };

    Outcome parse(const QStringList &arguments);

    QString helpText;
    QString errorText;

    SimIdentity identity;
    QString name = QStringLiteral("lumetra-sim");
    QString linkDirectory; // empty: the per-user runtime folder
    int tcpPort = -1;      // >= 0: serve on this loopback TCP port instead (0: any free port)
    int turnaroundMs = 5;
    bool fast = false;
    int baudRate = 38400;
    QString logFile;
    quint32 seed = 1;
    QString controlFifo;
    // Control-channel commands to run before the first byte is answered.
    QStringList startupCommands;
};
