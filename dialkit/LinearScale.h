#pragma once

#include "dialkit/DialkitExport.h"

// A linear slider scale with round tick values: one interval per 100 px of usable width, the step
// rounded to 1, 2, 2.5 or 5 times a power of ten, both ends widened to whole steps.
struct DIALKIT_EXPORT LinearScale
{
    double start = 0;
    double end = 100;
    unsigned intervals = 1;

    static LinearScale fit(double minimum, double maximum, int usableWidth);
};
