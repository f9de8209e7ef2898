#pragma once

#include <QString>

// Read-out texts of the control panel, with the decimal separator of the language in use. A value that cannot
// be shown honestly (not finite, or too long for its field) reads as question marks rather than as "inf",
// "nan" or a clipped number.
class LumetraFormat
{
public:
    static constexpr int maxNumberLength = 10;

    // Fixed-point with `decimals`; with `limitLength` a number longer than maxNumberLength becomes "???".
    static QString number(double value, int decimals, const QString &unit, bool limitLength);
    // The AOM read-outs of the status strip: whole percent, "??%" when unknown.
    static QString aomPercent(double value);
    // Whole hours of a run time given in seconds.
    static quint64 wholeHours(quint64 seconds);
    // "%1 hours %2 minutes" of a run time given in seconds.
    static QString hoursMinutes(quint64 seconds);
    // Nearest integer, halves upward (2.5 -> 3, -2.5 -> -2).
    static int roundHalfUp(double value);
};
