#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// A command header of the instrument language as written in the command tree, for example
// "[SOURce:]ENERgy" or "SYSTem:ERRor[:NEXT]": the capitals of each node are its short form, the whole
// word its long form, a node in brackets may be left out, and a number at the end of a node belongs
// to both forms ("TEMPerature3" is TEMP3 or TEMPERATURE3). A script may write either form in any case.
class LumetraScpiHeader
{
public:
    explicit LumetraScpiHeader(const QString &pattern);

    // The nodes a script wrote, in upper case, without colons.
    bool matches(const QStringList &nodes) const;
    // The header in its long form with every node, as --list-remote and the README show it.
    QString longForm() const;
    // The short form of the nodes that must be written.
    QString shortForm() const;

private:
    struct Node
    {
        QString shortForm;
        QString longForm;
        bool optional = false;
    };
    bool matchFrom(int node, const QStringList &nodes, int at) const;

    QVector<Node> m_nodes;
};
