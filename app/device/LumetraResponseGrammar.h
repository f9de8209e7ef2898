#pragma once

#include <QByteArray>
#include <QRegExp>
#include <QString>
#include <QStringList>
#include <QVector>

#include "app/device/LumetraResponseDecoder.h"

// The laser's reply language: one table of line kinds, tried in order. Each kind has a test (prefixes,
// a regular expression or the system-state table), an optional pattern whose captures the handler gets,
// and a handler that stores the values in the decoder and runs its publisher. The first kind whose test
// succeeds owns the line.
class LumetraResponseGrammar
{
public:
    // Decodes one received line (terminator included) into the decoder's state.
    static void decode(LumetraResponseDecoder &decoder, const QByteArray &lineData);

    // The number of the line kind that owns the line ("57a" and the like), for diagnostics.
    static QString kindOf(LumetraResponseDecoder &decoder, const QByteArray &lineData);

private:
    enum class Test
    {
        Prefix,      // the line begins with one of the texts
        Equals,      // the line is one of the texts
        Match,       // the regular expression matches at position 0
        MatchNoCase, // the same, letter case ignored
        SystemState, // one of the system-state patterns matches, in their order
        Always       // anything else
    };

    struct Line
    {
        const QString &text;
        const QByteArray &data;
        int alternative;      // which prefix or state pattern matched
        QStringList captures; // captures of the kind's pattern, 0 being the whole match
    };

    // Returns false when the line is malformed: the decoder then reports a parsing error.
    using Handler = bool (*)(LumetraResponseDecoder &decoder, const Line &line);

    struct LineKind
    {
        const char *number;
        Test test;
        QStringList texts;
        QString pattern;
        Handler handler;
    };

    using TrackedDouble = LumetraResponseDecoder::Tracked<double>;

    struct StatePattern
    {
        QString pattern;
        int state;
    };

    static const QVector<LineKind> &lineKinds();
    static const QVector<StatePattern> &statePatterns();
    static const LineKind *findKind(LumetraResponseDecoder &decoder, const QString &text, int &alternative);

    static QString lineText(const QByteArray &lineData);

    // Conversions that report failure; doubles must be finite.
    static bool toInt(const QString &text, int &value);
    static bool toDouble(const QString &text, double &value);
    static bool toUInt64(const QString &text, quint64 &value, int base = 10);
    template <typename T> static bool toUnsigned(const QString &text, T &value, int base);

    static bool readRecord(LumetraResponseDecoder &decoder, const Line &line, int record);
    static bool readOvenSetpoint(const Line &line, TrackedDouble &setpoint, TrackedDouble &min,
                                 TrackedDouble &max);
    static bool readHumidity(LumetraResponseDecoder &decoder, const Line &line);
    static bool readDynamicSetpoint(LumetraResponseDecoder &decoder, const Line &line);
    static bool readOutputPower(LumetraResponseDecoder &decoder, const Line &line);
    static bool readAllRuntimes(LumetraResponseDecoder &decoder, const Line &line);
    static bool readPowerRow(LumetraResponseDecoder &decoder, const Line &line);
    static bool readParameterRow(LumetraResponseDecoder &decoder, const Line &line);
    static void checkModuleType(LumetraResponseDecoder &decoder);
};
