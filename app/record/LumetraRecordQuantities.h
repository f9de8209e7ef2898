#pragma once

#include "app/device/LumetraCommandTable.h"

#include <QFlags>
#include <QString>
#include <QtGlobal>

// Everything the recorder can plot, as one table. The key is what the database stores, so a key
// never changes meaning once released; labels and units may be reworded freely.
class LumetraRecordQuantities
{
public:
    enum class Source
    {
        Decoder,   // a reading the laser reports
        Controller // a state or value the controller derives from the readings
    };

    // How a quantity moves, and so how it is stored and drawn: an analog reading is a line between
    // its samples; a counter, a state or a flag holds its value until the next one.
    enum class Kind
    {
        Analog,
        Counter,
        State, // a state or a flag
        Text
    };

    // Who reports a quantity: the laser itself, or one of the harmonic modules it may carry.
    enum Reporter
    {
        Laser = 0x1,
        ShgModule = 0x2,
        ThgModule = 0x4,
        ThgiModule = 0x8
    };
    Q_DECLARE_FLAGS(Reporters, Reporter)

    struct Quantity
    {
        const char *key;
        const char *group; // module heading in the quantity list
        const char *label;
        const char *unit; // empty for states and counters
        Source source;
        Kind kind;
        // In the unit above: a reading that moved less than this since the last one kept is not kept.
        double deadband;
        Reporters reportedBy;
    };

    static int count();
    static const Quantity &at(int index);
    // Index of a key, or -1.
    static int indexOf(const QString &key);

    // Translated texts for lists and file headers.
    static QString label(int index);
    static QString group(int index);
    static QString unit(int index);
    // "Humidity [%]" or "Status byte".
    static QString labelWithUnit(int index);

    static Kind kind(int index);
    // 0: every change is kept.
    static double deadband(int index);
    static Reporters reportedBy(int index);
    // Drawn as steps: the value holds until the next one.
    static bool isStep(int index) { return kind(index) != Kind::Analog; }
    // The reporter a fitted module stands for.
    static Reporter moduleReporter(LumetraCommandTable::Module module);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(LumetraRecordQuantities::Reporters)
