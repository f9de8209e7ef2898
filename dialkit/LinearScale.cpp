#include "dialkit/LinearScale.h"

#include <QtGlobal>

#include <cmath>

LinearScale LinearScale::fit(double minimum, double maximum, int usableWidth)
{
    // A widget not yet laid out may be narrower than its minimum width.
    unsigned n = unsigned(qMax(0, usableWidth)) / 100u;
    if (n == 0)
        n = 1;
    LinearScale scale;
    const double rawStep = (maximum - minimum) / n;
    if (!(rawStep > 0) || !std::isfinite(rawStep)) {
        // An empty range still gets a drawable scale.
        scale.start = minimum;
        scale.end = minimum + 1;
        scale.intervals = n;
        return scale;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(rawStep)));
    double step = magnitude;
    if (rawStep > 5 * magnitude)
        step = 5 * magnitude;
    else if (rawStep > 2.5 * magnitude)
        step = 2.5 * magnitude;
    else if (rawStep > 2 * magnitude)
        step = 2 * magnitude;
    const double upper = std::ceil(maximum / step);
    const double lower = std::floor(minimum / step);
    scale.end = upper * step;
    scale.start = lower * step;
    scale.intervals = qMax(n, unsigned(qMax(0.0, std::round(upper - lower))));
    return scale;
}
