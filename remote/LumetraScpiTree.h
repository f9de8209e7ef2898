#pragma once

#include "remote/LumetraScpiInstrument.h"

#include <QString>
#include <QVector>

class LumetraController;

// The remote command tree, made from the device core's quantity table: a query under MEASure for every
// reading, set and query under [SOURce] for every set-point, and the laser's state commands. A header's
// words come from the quantity's remote name, or its key where it has none, so they never move with a
// reworded label; their short forms follow the instrument language's rule (four letters, three when the
// fourth is a vowel).
namespace LumetraScpiTree {

// Keys of the nodes that are no quantity of the table.
constexpr char OperatorStateKey[] = "system.state";
constexpr char StatusKey[] = "system.status";
constexpr char LinkKey[] = "system.link";

// A state command: what it runs on the controller and which flag of the table confirms it.
struct Action
{
    const char *header;
    const char *key;
    int confirmingId; // LumetraQuantityTable::Id of the flag that shows it done
    void (*run)(LumetraController *controller, bool on);
    bool offAllowed; // Standby OFF means nothing to the laser
    const char *description;
};

const QVector<LumetraScpiInstrument::Node> &nodes();
// The state command of a node's key, or nullptr.
const Action *action(const QString &key);
// "TEMPerature1" for "Temperature1": the instrument language's long form with its short form in capitals.
QString mnemonic(const QString &word);
// The tree as --list-remote prints it, one node a line, tab-separated: header, key, access, unit,
// limits, description. Scripts and the Python package read it.
QString listing();

} // namespace LumetraScpiTree
