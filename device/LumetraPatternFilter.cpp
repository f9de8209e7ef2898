#include "device/LumetraPatternFilter.h"

namespace {

// One element of an expression: a literal character, a class, or something the filter does not read.
struct Atom
{
    enum Kind
    {
        Literal,
        Digit,
        Space,
        Other // any character, a set, a group or an escape we do not interpret
    };
    Kind kind = Other;
    QChar literal;
    bool optional = false; // may match nothing (*, ? or a counted repetition)
    bool repeated = false; // may match more than once
};

// Reads the atom at position i and its quantifier; i ends after both. Top-level alternation
// (outside any group) makes the whole expression unreadable to the filter: false then.
bool readAtom(const QString &pattern, int &i, Atom &atom)
{
    atom = Atom();
    const QChar c = pattern.at(i++);
    if (c == QLatin1Char('\\') && i < pattern.size()) {
        const QChar escaped = pattern.at(i++);
        if (escaped == QLatin1Char('t')) {
            atom.kind = Atom::Literal;
            atom.literal = QLatin1Char('\t');
        } else if (escaped == QLatin1Char('n')) {
            atom.kind = Atom::Literal;
            atom.literal = QLatin1Char('\n');
        } else if (escaped == QLatin1Char('d')) {
            atom.kind = Atom::Digit;
        } else if (escaped == QLatin1Char('s')) {
            atom.kind = Atom::Space;
        } else if (!escaped.isLetterOrNumber()) {
            atom.kind = Atom::Literal;
            atom.literal = escaped;
        }
    } else if (c == QLatin1Char('(')) {
        // Skip the group whole: its text may sit in one of its alternatives.
        for (int depth = 1; i < pattern.size() && depth > 0; ++i) {
            const QChar inner = pattern.at(i);
            if (inner == QLatin1Char('\\')) {
                ++i;
            } else if (inner == QLatin1Char('(')) {
                ++depth;
            } else if (inner == QLatin1Char(')')) {
                --depth;
            }
        }
    } else if (c == QLatin1Char('[')) {
        if (i < pattern.size() && pattern.at(i) == QLatin1Char(']')) {
            ++i; // a leading ] belongs to the set
        }
        while (i < pattern.size() && pattern.at(i) != QLatin1Char(']')) {
            i += pattern.at(i) == QLatin1Char('\\') ? 2 : 1;
        }
        ++i;
    } else if (c == QLatin1Char('|')) {
        return false;
    } else if (QStringLiteral("^$.*+?{}])").indexOf(c) < 0) {
        atom.kind = Atom::Literal;
        atom.literal = c;
    }
    if (i < pattern.size()) {
        const QChar quantifier = pattern.at(i);
        if (quantifier == QLatin1Char('*') || quantifier == QLatin1Char('?') ||
            quantifier == QLatin1Char('{')) {
            atom.optional = true;
            atom.repeated = quantifier != QLatin1Char('?');
        } else if (quantifier == QLatin1Char('+')) {
            atom.repeated = true;
        }
        if (atom.optional || atom.repeated) {
            if (quantifier == QLatin1Char('{')) {
                while (i < pattern.size() && pattern.at(i) != QLatin1Char('}')) {
                    ++i;
                }
            }
            ++i;
        }
    }
    return true;
}

} // namespace

LumetraPatternFilter::LumetraPatternFilter(const QString &pattern)
{
    QVector<Atom> atoms;
    const bool anchored = pattern.startsWith(QLatin1Char('^'));
    for (int i = anchored ? 1 : 0; i < pattern.size();) {
        Atom atom;
        if (!readAtom(pattern, i, atom)) {
            return; // alternatives at the top: nothing is common to all matches
        }
        atoms << atom;
    }

    // Runs of plain literals; a quantified literal ends a run and may be absent.
    QString run;
    bool atStart = anchored;
    auto endRun = [&]() {
        if (!run.isEmpty()) {
            if (atStart) {
                m_head = run;
            }
            m_literals << run;
        }
        run.clear();
        atStart = false;
    };
    for (const Atom &atom : qAsConst(atoms)) {
        if (atom.kind == Atom::Literal && !atom.optional && !atom.repeated) {
            run += atom.literal;
        } else {
            endRun();
        }
    }
    endRun();

    // The first character of an anchored match is taken by the first atoms, up to the first that
    // cannot be skipped.
    if (!anchored || !m_head.isEmpty()) {
        return;
    }
    for (const Atom &atom : qAsConst(atoms)) {
        switch (atom.kind) {
        case Atom::Literal:
            m_firstCharacters += atom.literal;
            break;
        case Atom::Digit:
            m_firstDigit = true;
            break;
        case Atom::Space:
            m_firstSpace = true;
            break;
        case Atom::Other:
            return;
        }
        if (!atom.optional) {
            m_firstKnown = true;
            return;
        }
    }
}

bool LumetraPatternFilter::mayMatch(const QString &text, Qt::CaseSensitivity cs) const
{
    int from = 0;
    if (!m_head.isEmpty()) {
        if (!text.startsWith(m_head, cs)) {
            return false;
        }
        from = m_head.size();
    }
    if (m_firstKnown) {
        if (text.isEmpty()) {
            return false;
        }
        const QChar first = text.at(0);
        const bool allowed = (m_firstDigit && first.isDigit()) || (m_firstSpace && first.isSpace()) ||
                             m_firstCharacters.contains(first, cs);
        if (!allowed) {
            return false;
        }
    }
    // The head, when there is one, is the first literal and already found.
    for (int i = m_head.isEmpty() ? 0 : 1; i < m_literals.size(); ++i) {
        const QString &literal = m_literals.at(i);
        const int at = text.indexOf(literal, from, cs);
        if (at < 0) {
            return false;
        }
        from = at + literal.size();
    }
    return true;
}
