#pragma once

#include <QString>

// Who the simulated laser claims to be. Every field can be chosen on the command line so that each
// identification branch of the program can be exercised without the hardware.
struct SimIdentity
{
    QString systemType = QStringLiteral("Lumetra-10");
    QString hardwareVersion = QStringLiteral("1.2");
    QString firmwareVersion = QStringLiteral("V5.1.4");
    QString applicationName = QStringLiteral("SW.MAIN.LQZ.MR.V5.1.4");
    QString serialNumber = QStringLiteral("LQZ10-2611-0042");
    QString moduleType = QStringLiteral("0x8d"); // empty: no harmonic-generator module
    int modeOfOperation = 2;
};
