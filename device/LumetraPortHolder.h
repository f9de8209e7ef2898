#pragma once

#include <QCoreApplication>
#include <QString>

// Who holds a serial port, as its lock file tells: the serial library's own words for a held port say
// only "permission error", and an operator can free the port only when told which program has it (the
// panel or the device server, which never share a laser's port).
class LumetraPortHolder
{
    Q_DECLARE_TR_FUNCTIONS(LumetraPortHolder)

public:
    // "name (process 1234)", or empty when no lock file names a process.
    static QString of(const QString &port);
};
