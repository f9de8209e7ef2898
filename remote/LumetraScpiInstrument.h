#pragma once

#include <QString>
#include <QVector>

#include <functional>

// What a remote session asks of the laser behind it. The session parses, checks and queues errors;
// the instrument answers from the device core's snapshot and writes through the controller's
// validated path, exactly what the panel runs. Queries never wait on the wire.
class LumetraScpiInstrument
{
public:
    // One entry of the command tree, generated from the laser's quantity table.
    struct Node
    {
        enum Access
        {
            Read,      // a query only
            ReadWrite, // a set-point: set and query
            Action,    // a command with a boolean or no parameter (Standby ON, OUTPut OFF)
        };
        QString header; // as LumetraScpiHeader reads it, for example "[SOURce:]ENERgy"
        QString key;    // the quantity's or action's key in the device core
        Access access = Read;
        QString unit;
        QString description;
    };

    // An answer or an error: `error` 0 means `text` is the answer (empty for a write).
    struct Result
    {
        int error = 0;
        QString text;
        // A write handed to the controller that the laser has yet to report back: the instrument calls
        // the write's `settled` later, once, and never for a write that is not pending.
        bool pending = false;
    };
    // Called with an empty text when the laser reported the written value, else with why not (the
    // laser's own words when it refused).
    using Settled = std::function<void(const QString &failure)>;

    virtual ~LumetraScpiInstrument() = default;

    // The four comma-separated fields of *IDN?: maker, model, serial number, firmware.
    virtual QString identity() const = 0;
    virtual const QVector<Node> &nodes() const = 0;
    virtual Result read(const Node &node) = 0;
    // The limits a written value must keep, as the panel's control has them now; false when the node
    // has none.
    virtual bool limits(const Node &node, double *min, double *max) const = 0;
    // Called with a value inside the limits, or for an action with 0 or 1.
    virtual Result write(const Node &node, double value, Settled settled) = 0;
    // Writes are refused until the operator allows remote control, and after a Local action.
    virtual bool writesAllowed() const = 0;
    // Who gives the writes that follow (a client's address), for the audit of who changed the laser.
    virtual void setWriter(const QString &client) { Q_UNUSED(client) }
};
