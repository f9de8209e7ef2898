#include "remote/LumetraScpiHeader.h"

LumetraScpiHeader::LumetraScpiHeader(const QString &pattern)
{
    bool optional = false;
    QString word;
    const auto endWord = [&] {
        if (word.isEmpty())
            return;
        Node node;
        node.optional = optional;
        node.longForm = word.toUpper();
        int digits = word.size();
        while (digits > 0 && word.at(digits - 1).isDigit())
            --digits;
        for (int i = 0; i < digits && word.at(i).isUpper(); ++i)
            node.shortForm += word.at(i);
        node.shortForm += word.mid(digits);
        m_nodes << node;
        word.clear();
    };
    for (const QChar c : pattern) {
        if (c == QLatin1Char('[')) {
            endWord();
            optional = true;
        } else if (c == QLatin1Char(']')) {
            endWord();
            optional = false;
        } else if (c == QLatin1Char(':')) {
            endWord();
        } else {
            word += c;
        }
    }
    endWord();
}

bool LumetraScpiHeader::matches(const QStringList &nodes) const
{
    return matchFrom(0, nodes, 0);
}

bool LumetraScpiHeader::matchFrom(int node, const QStringList &nodes, int at) const
{
    if (node == m_nodes.size())
        return at == nodes.size();
    const Node &n = m_nodes.at(node);
    if (n.optional && matchFrom(node + 1, nodes, at))
        return true;
    return at < nodes.size() && (nodes.at(at) == n.shortForm || nodes.at(at) == n.longForm) &&
           matchFrom(node + 1, nodes, at + 1);
}

QString LumetraScpiHeader::longForm() const
{
    QStringList words;
    for (const Node &n : m_nodes)
        words << n.longForm;
    return words.join(QLatin1Char(':'));
}

QString LumetraScpiHeader::shortForm() const
{
    QStringList words;
    for (const Node &n : m_nodes) {
        if (!n.optional)
            words << n.shortForm;
    }
    return words.join(QLatin1Char(':'));
}
