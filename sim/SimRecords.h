#pragma once

#include "sim/SimLines.h"

class SimLaser;

// The laser's long answers, composed from its state: the identification block, the status records s6
// to s9, the power table and the parameter dump.
class SimRecords
{
public:
    static SimLines identification(const SimLaser &l);
    static SimLines record6(const SimLaser &l);
    static SimLines record7(const SimLaser &l);
    static SimLines record8(const SimLaser &l);
    static SimLines record9(const SimLaser &l);
    static SimLines powerTable(const SimLaser &l);
    static SimLines parameterTable(const SimLaser &l);
};
