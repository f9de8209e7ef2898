#include "device/LumetraHGErrorTable.h"

#include <QCoreApplication>

namespace {

struct ErrorText
{
    quint8 code;
    const char *text;
};

// The three tables differ in wording (trailing full stops) as well as in numbering; the texts are
// the module's own and are shown as they are.
const ErrorText errors0x90[] = {
    {1, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "TBD")},
    {3, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Power Supply Low Voltage")},
    {4, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "FRAM Issues")},
    {5, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Watchdog")},
    {7, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Board Temperature (Ambient)")},
    {8, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 1 Temperature")},
    {9, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 2 Temperature")},
    {10, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 1 NTC")},
    {11, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 2 NTC")},
    {12, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Shutter pos sensor 1")},
    {13, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Shutter pos sensor 2")},
    {14, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Shutter pos sensor3")},
    {15, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Waveplate")},
    {16, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "PD optical")},
    {17, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Humidity")},
    {18, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Shutter position in wrong state")},
    {19, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Laser on sys not ready")},
};

const ErrorText errors0x93[] = {
    {3, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Power Supply Low Voltage")},
    {4, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "FRAM Issues")},
    {7, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Board Temperature (Ambient)")},
    {8, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 1 Temperature")},
    {9, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 2 Temperature")},
    {10, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 1 NTC")},
    {11, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven 2 NTC")},
    {16, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "PD optical")},
    {17, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Humidity")},
    {18, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Shutter position in wrong state")},
    {19, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Laser on sys not ready")},
    {21, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "3.3V Supply Out of Range.")},
};

const ErrorText errorsOther[] = {
    {2, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Interlock Disconnected.")},
    {3, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Power Supply Low Voltage.")},
    {4, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "FRAM Issues.")},
    {8, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Module Disabled.")},
    {10, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Board Temperature (Ambient).")},
    {12, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven Temperature.")},
    {16, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Output Power.")},
    {17, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Humidity High.")},
    {18, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "12V Supply Out of Range.")},
    {19, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "5V Supply Out of Range.")},
    {20, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "2.048V Supply Out of Range.")},
    {21, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "3.3V Supply Out of Range.")},
    {22, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Piezo Voltage Out of Range.")},
    {23, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "ADCA State Machine.")},
    {24, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "ADCB State Machine.")},
    {25, QT_TRANSLATE_NOOP("LumetraHGErrorTable", "Oven Fault.")},
};

const char *const unknownError = QT_TRANSLATE_NOOP("LumetraHGErrorTable", "HG Unknown error code.");

// Status flag bits of the two board generations.
constexpr quint16 ovenFault0x9x = 0x0008;
constexpr quint16 ovenFault0x9xThirdHarmonic = 0x0018;
constexpr quint16 humidityFault0x9x = 0x0100;
constexpr quint16 ovenFaultOther = 0x0080;
constexpr quint16 humidityFaultOther = 0x0200;

template <size_t N> const char *lookup(const ErrorText (&table)[N], quint8 code)
{
    for (const ErrorText &entry : table) {
        if (entry.code == code)
            return entry.text;
    }
    return unknownError;
}

} // namespace

LumetraHGErrorTable::Family LumetraHGErrorTable::familyOf(const QString &moduleType)
{
    if (moduleType.contains(QLatin1String("0x90")))
        return Family0x90;
    if (moduleType.contains(QLatin1String("0x93")))
        return Family0x93;
    return FamilyOther;
}

QString LumetraHGErrorTable::describe(const QString &moduleType, quint8 errorcode)
{
    const char *text = unknownError;
    switch (familyOf(moduleType)) {
    case Family0x90:
        text = lookup(errors0x90, errorcode);
        break;
    case Family0x93:
        text = lookup(errors0x93, errorcode);
        break;
    case FamilyOther:
        text = lookup(errorsOther, errorcode);
        break;
    }
    return QCoreApplication::translate("LumetraHGErrorTable", text);
}

quint16 LumetraHGErrorTable::ovenFaultMask(const QString &moduleType, int moduleKind)
{
    if (familyOf(moduleType) == FamilyOther)
        return ovenFaultOther;
    return moduleKind == 2 ? ovenFault0x9xThirdHarmonic : ovenFault0x9x;
}

quint16 LumetraHGErrorTable::humidityFaultMask(const QString &moduleType)
{
    return familyOf(moduleType) == FamilyOther ? humidityFaultOther : humidityFault0x9x;
}
