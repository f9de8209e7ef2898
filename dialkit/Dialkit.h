#pragma once

#include "dialkit/DialkitExport.h"

#include <QLocale>
#include <QString>

// Library-wide functions: fonts, the application style sheet and number formatting shared by the
// widgets.
class DIALKIT_EXPORT Dialkit
{
public:
    // Replaces every application font registered so far by the three embedded ones; a font that
    // cannot be registered is a fatal error (the resources are compiled in).
    static void loadApplicationFonts();
    // The embedded application style sheet; fatal when the resource is missing.
    static QString getApplicationStylesheet();

    // value printed with `digits` significant digits, e.g. (12345, 2) -> "12000", (0.0456, 2) -> "0.046"
    // ("0,046" in German)
    static QString formatSignificant(double value, int digits, bool integerOnly = false);

    // Numbers shown to the operator follow the language in use (QLocale's default), without group
    // separators: fields keep their length, and a number read back cannot mistake one for a decimal point.
    static QLocale numberLocale();
    static QString formatFixed(double value, int decimals);
    // A number as the operator typed it: either decimal separator is taken, whatever the language, since
    // entries have no group separators. What does not read as a number gives 0 and *ok false.
    static double parseNumber(const QString &text, bool *ok = nullptr);
};
