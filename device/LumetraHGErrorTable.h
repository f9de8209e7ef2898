#pragma once

#include <QString>
#include <QtGlobal>

// What the harmonic-generator module's error codes and status flags mean. Both depend on the
// module type text the module reports: the 0x90 and 0x93 boards number their faults differently
// from the older boards.
class LumetraHGErrorTable
{
public:
    enum Family
    {
        Family0x90,
        Family0x93,
        FamilyOther
    };

    static Family familyOf(const QString &moduleType);

    // Translated description of an error code; codes a family does not know read
    // "HG Unknown error code.".
    static QString describe(const QString &moduleType, quint8 errorcode);

    // Status flag masks. moduleKind 2 (third harmonic) adds the second oven's fault bit on the
    // 0x90 and 0x93 boards.
    static quint16 ovenFaultMask(const QString &moduleType, int moduleKind);
    static quint16 humidityFaultMask(const QString &moduleType);
};
