#pragma once

#include <QString>
#include <QStringList>

// A cheap test that rules out most lines a regular expression cannot match at position 0, read from
// the expression itself: the literal the line must begin with, the characters it may begin with and
// the literal texts every match contains, in their order. It never rules out a line the expression
// matches; whatever it lets through still goes to the expression.
class LumetraPatternFilter
{
public:
    LumetraPatternFilter() = default;
    explicit LumetraPatternFilter(const QString &pattern);

    bool mayMatch(const QString &text, Qt::CaseSensitivity cs) const;

private:
    QString m_head;            // the line begins with this
    bool m_firstKnown = false; // the first character is one of the following
    bool m_firstDigit = false; // a decimal digit
    bool m_firstSpace = false; // white space
    QString m_firstCharacters; // or one of these
    QStringList m_literals;    // found in this order, without overlapping
};
