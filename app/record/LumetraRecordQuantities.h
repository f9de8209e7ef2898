#pragma once

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

    struct Quantity
    {
        const char *key;
        const char *group; // module heading in the quantity list
        const char *label;
        const char *unit; // empty for states and counters
        Source source;
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
};
