#include "remote/LumetraScpiTree.h"

#include "device/LumetraController.h"
#include "device/LumetraQuantityTable.h"

#include <QRegularExpression>
#include <QStringList>

#include <iterator>

namespace {

namespace Q = LumetraQuantityTable;
using Node = LumetraScpiInstrument::Node;

// clang-format off
const LumetraScpiTree::Action actions[] = {
    {"OUTPut[:STATe]", "output", Q::OutputEnabled,
     [](LumetraController *c, bool on) { c->outEnableChanged(on); }, true, "Output enable (ON) or disable (OFF)"},
    {"LASer[:STATe]", "laser", Q::LaserOn,
     [](LumetraController *c, bool on) { c->laserOnChanged(on); }, true, "Laser on (ON) or off to standby (OFF)"},
    {"LASer:STANdby", "standby", Q::Standby,
     [](LumetraController *c, bool on) { c->standbyChanged(on); }, false, "Standby"},
    {"LASer:LISTen", "listen", Q::Listen,
     [](LumetraController *c, bool on) { c->listenChanged(on); }, false, "Listen"},
};
// clang-format on

QStringList wordsOf(const Q::Row &row)
{
    QStringList words;
    if (row.remoteName) {
        static const QRegularExpression camel(
            QStringLiteral("[A-Z]+(?![a-z])\\d*|[A-Z][a-z]+\\d*|[a-z]+\\d*|\\d+"));
        auto it = camel.globalMatch(QString::fromLatin1(row.remoteName));
        while (it.hasNext())
            words << it.next().captured();
    } else {
        for (const QString &part :
             QString::fromLatin1(row.key).split(QRegularExpression(QStringLiteral("[._]")))) {
            // A number of its own belongs to the word before it: temp.actual_1 is ACTual1.
            if (!words.isEmpty() && part.front().isDigit())
                words.last() += part;
            else
                words << part.left(1).toUpper() + part.mid(1);
        }
        // The key's first part names the group ("laser.", "hg."): the header needs no second name for it.
        if (words.size() > 1)
            words.removeFirst();
    }
    // Under MEASure a reading needs no second "measured".
    if (words.size() > 1 && words.first() == QLatin1String("Measured"))
        words.removeFirst();
    return words;
}

QVector<Node> build()
{
    QVector<Node> tree;
    for (int id = 0; id < Q::count(); ++id) {
        const Q::Row &row = Q::row(id);
        QStringList nodes;
        for (const QString &word : wordsOf(row))
            nodes << LumetraScpiTree::mnemonic(word);
        const bool writable = row.write != nullptr;
        Node node;
        node.header = (writable ? QStringLiteral("[SOURce:]") : QStringLiteral("MEASure:")) + nodes.join(':');
        node.key = QString::fromLatin1(row.key);
        node.access = writable ? Node::ReadWrite : Node::Read;
        node.unit = QString::fromUtf8(row.unit);
        node.description = QString::fromUtf8(row.description);
        tree << node;
    }
    for (const LumetraScpiTree::Action &a : actions)
        tree << Node{a.header, a.key, Node::Action, {}, a.description};
    tree << Node{
        QStringLiteral("SYSTem:STATe"),
        LumetraScpiTree::OperatorStateKey,
        Node::Read,
        {},
        QStringLiteral("Operator state: CLOSED, CONNECTING, NOANSWER, CONNECTED, LISTEN, STANDBY, LASERON, "
                       "EMITTING, WARNING, FAULT, SILENT or LOST")};
    tree << Node{QStringLiteral("SYSTem:STATe:TEXT"),
                 LumetraScpiTree::StatusKey,
                 Node::Read,
                 {},
                 QStringLiteral("The operator state in words, with the last report while the link is down")};
    tree << Node{QStringLiteral("SYSTem:LINK"),
                 LumetraScpiTree::LinkKey,
                 Node::Read,
                 {},
                 QStringLiteral("The link: CLOSED, CONNECTING, CONNECTED, SILENT or LOST")};
    return tree;
}

} // namespace

namespace LumetraScpiTree {

const QVector<Node> &nodes()
{
    static const QVector<Node> tree = build();
    return tree;
}

const Action *action(const QString &key)
{
    for (const Action &a : actions) {
        if (key == QLatin1String(a.key))
            return &a;
    }
    return nullptr;
}

QString mnemonic(const QString &word)
{
    int letters = word.size();
    while (letters > 0 && word.at(letters - 1).isDigit())
        --letters;
    const QString text = word.left(letters);
    const QString digits = word.mid(letters);
    if (text.size() <= 4)
        return text.toUpper() + digits;
    static const QString vowels = QStringLiteral("aeiouAEIOU");
    const int shortLength = vowels.contains(text.at(3)) ? 3 : 4;
    return text.left(shortLength).toUpper() + text.mid(shortLength).toLower() + digits;
}

QString listing()
{
    QStringList lines;
    for (const Node &node : nodes()) {
        const int id = Q::indexOf(node.key);
        const char *access = node.access == Node::Read        ? "query"
                             : node.access == Node::ReadWrite ? "set, query"
                                                              : "ON|OFF, query";
        const QString limits = id >= 0 ? Q::limitsText(id) : QString();
        lines << QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                     .arg(node.header, node.key, QLatin1String(access), node.unit, limits, node.description);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace LumetraScpiTree
