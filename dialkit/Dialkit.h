#pragma once

#include "dialkit/DialkitExport.h"

#include <QString>

// Library-wide functions: fonts and the application style sheet.
class DIALKIT_EXPORT Dialkit
{
public:
    static void loadApplicationFonts();
    static QString getApplicationStylesheet();
};
