#pragma once

#include "dialkit/DialkitExport.h"

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
    static QString formatSignificant(double value, int digits, bool integerOnly = false);
};
