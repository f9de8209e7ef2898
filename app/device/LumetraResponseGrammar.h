#pragma once

#include <QByteArray>
#include <QRegExp>
#include <QString>
#include <QStringList>
#include <QVector>

#include "app/device/LumetraPatternFilter.h"
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

    // The expressions that decide which kind owns a line, each with its case rule: their filters must
    // never rule out a line the expression matches, which the fuzzer checks against QRegExp itself.
    struct Expression
    {
        QString pattern;
        Qt::CaseSensitivity cs;
    };
    static QVector<Expression> dispatchExpressions();

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
        // Filled in from the table: the first characters of the texts, or a filter read from the
        // test's expression. Lines they rule out skip the kind without a costly test.
        QString heads = {};
        LumetraPatternFilter filter = {};
    };

    struct StatePattern
    {
        QString pattern;
        int state;
        LumetraPatternFilter filter = {};
    };

    template <typename Row> static QVector<Row> withFilters(QVector<Row> rows);

    static const QVector<LineKind> &lineKinds();
    static const QVector<StatePattern> &statePatterns();
    static const LineKind *findKind(LumetraResponseDecoder &decoder, const QString &text, int &alternative);

    static QString lineText(const QByteArray &lineData);

    // Conversions that report failure; doubles must be finite.
    static bool toInt(const QString &text, int &value);
    static bool toDouble(const QString &text, double &value);
    static bool toUInt64(const QString &text, quint64 &value, int base = 10);
    template <typename T> static bool toUnsigned(const QString &text, T &value, int base);

    // Handlers shared by several kinds, bound to their fields and publishers in the table.
    static bool drop(LumetraResponseDecoder &decoder, const Line &line);
    template <auto publisher, auto... fields>
    static bool storeTexts(LumetraResponseDecoder &d, const Line &line);
    template <auto field, auto publisher, int base = 10>
    static bool storeNumber(LumetraResponseDecoder &d, const Line &line);
    template <int position, auto field, auto publisher, bool energyUnit>
    static bool storeTail(LumetraResponseDecoder &d, const Line &line);
    template <auto field, int constant, auto publisher>
    static bool storeConstant(LumetraResponseDecoder &d, const Line &line);
    template <auto field, auto publisher>
    static bool storeAlternative(LumetraResponseDecoder &d, const Line &line);
    template <int record> static bool storeRecord(LumetraResponseDecoder &d, const Line &line);
    template <bool enabled> static bool storeDebugging(LumetraResponseDecoder &d, const Line &line);
    template <bool open> static bool storeListing(LumetraResponseDecoder &d, const Line &line);

    // Handlers of single kinds.
    static bool readRecord(LumetraResponseDecoder &d, const Line &line, int record);
    static bool readPCBSerialNumber(LumetraResponseDecoder &d, const Line &line);
    template <int oven> static bool readOvenSetpoint(LumetraResponseDecoder &d, const Line &line);
    static bool readHumidity(LumetraResponseDecoder &d, const Line &line);
    static bool readPiezoPosition(LumetraResponseDecoder &d, const Line &line);
    static bool readDynamicSetpoint(LumetraResponseDecoder &d, const Line &line);
    static bool readOutputPower(LumetraResponseDecoder &d, const Line &line);
    static bool readCrystalSpot(LumetraResponseDecoder &d, const Line &line);
    static bool readAllRuntimes(LumetraResponseDecoder &d, const Line &line);
    static bool readTableRow(LumetraResponseDecoder &d, const Line &line);
    static bool readPowerRow(LumetraResponseDecoder &d, const Line &line);
    static bool readParameterRow(LumetraResponseDecoder &d, const Line &line);
    static bool readShutterWarning(LumetraResponseDecoder &d, const Line &line);
    static bool readUnhandled(LumetraResponseDecoder &d, const Line &line);
};
