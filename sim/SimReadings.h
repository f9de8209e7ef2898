#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QVector>

class SimLaser;

// The readings and settings of the simulated laser that the control channel can change at run time
// ("set humidity 47"): one table, shared by the setter and the help text.
class SimReadings
{
    Q_DECLARE_TR_FUNCTIONS(SimReadings)
public:
    static bool set(SimLaser &laser, const QString &name, const QString &value, QString *error);
    static QStringList help();

private:
    struct Reading;
    static const QVector<Reading> &table();
};
