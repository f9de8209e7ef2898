#pragma once

#include <QByteArray>
#include <QRegExp>
#include <QString>
#include <QStringList>
#include <QVector>

#include "device/LumetraParsedLine.h"
#include "device/LumetraPatternFilter.h"

// The laser's reply language: one table of line kinds, tried in order. Each kind has a test (prefixes,
// a regular expression or the system-state table), an optional pattern whose captures the handler gets,
// and a handler that reads the line's values into a parsed line. The first kind whose test succeeds owns
// the line. Reading stores nothing: the decoder applies what was read.
class LumetraResponseGrammar
{
public:
    // What the decoder knows that changes how a line reads.
    struct Context
    {
        // The firmware last announced: one release sends status records with unreadable values.
        QString firmwareVersion;
        // Table rows are power limits while the power listing is open, parameters otherwise.
        bool powerListingOpen = false;
    };

    // Reads one received line (terminator included).
    LumetraParsedLine parse(const QByteArray &lineData, const Context &context);

    // The number of the line kind that owns the line ("57a" and the like), for diagnostics.
    QString kindOf(const QByteArray &lineData);

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
        const Context &context;
        QRegExp &regExp;      // for handlers that test the line further
        int alternative;      // which prefix or state pattern matched
        QStringList captures; // captures of the kind's pattern, 0 being the whole match
    };

    // Returns false when a value does not read: the decoder then reports a parsing error.
    using Handler = bool (*)(const Line &line, LumetraParsedLine &parsed);

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
    const LineKind *findKind(const QString &text, int &alternative);

    static QString lineText(const QByteArray &lineData);

    // Conversions that report failure; doubles must be finite.
    static bool toInt(const QString &text, int &value);
    static bool toDouble(const QString &text, double &value);
    static bool toUInt64(const QString &text, quint64 &value, int base = 10);
    template <typename T> static bool toUnsigned(const QString &text, T &value, int base);

    using Field = LumetraParsedLine::Field;

    // Handlers shared by several kinds, bound to their fields and value types in the table.
    static bool drop(const Line &line, LumetraParsedLine &parsed);
    template <Field... fields> static bool readTexts(const Line &line, LumetraParsedLine &parsed);
    template <Field field, typename T, int base = 10>
    static bool readNumber(const Line &line, LumetraParsedLine &parsed);
    template <int position, Field field, typename T, bool energyUnit>
    static bool readTail(const Line &line, LumetraParsedLine &parsed);
    template <Field field, int constant>
    static bool giveConstant(const Line &line, LumetraParsedLine &parsed);
    template <Field field> static bool giveAlternative(const Line &line, LumetraParsedLine &parsed);
    template <Field field, bool value> static bool giveFlag(const Line &line, LumetraParsedLine &parsed);
    template <int record> static bool readStatusRecord(const Line &line, LumetraParsedLine &parsed);

    // Handlers of single kinds.
    static bool readRecord(const Line &line, LumetraParsedLine &parsed, int record);
    template <int oven> static bool readOvenSetpoint(const Line &line, LumetraParsedLine &parsed);
    static bool readHumidity(const Line &line, LumetraParsedLine &parsed);
    static bool readPiezoPosition(const Line &line, LumetraParsedLine &parsed);
    static bool readDynamicSetpoint(const Line &line, LumetraParsedLine &parsed);
    static bool readOutputPower(const Line &line, LumetraParsedLine &parsed);
    static bool readCrystalSpot(const Line &line, LumetraParsedLine &parsed);
    static bool readAllRuntimes(const Line &line, LumetraParsedLine &parsed);
    static bool readTableRow(const Line &line, LumetraParsedLine &parsed);
    static bool readPowerRow(const Line &line, LumetraParsedLine &parsed);
    static bool readParameterRow(const Line &line, LumetraParsedLine &parsed);
    static bool readShutterWarning(const Line &line, LumetraParsedLine &parsed);
    static bool readUnhandled(const Line &line, LumetraParsedLine &parsed);

    // Reused for every test and pattern: setting a pattern takes its compiled form from Qt's cache.
    QRegExp m_regExp;
};
