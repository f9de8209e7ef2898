#pragma once

#include <QByteArray>
#include <QString>

// The laser and its harmonic module answer a setting they will not take with a line of its own
// ("Invalid division factor, range 1-65535"), and otherwise carry on as if nothing had been asked.
// Whoever wrote the setting for someone (a device server client, a remote script) tells them so.
namespace LumetraRefusal {

// The laser's words of refusal in a received line, or empty when the line is none.
QString in(const QByteArray &line);

} // namespace LumetraRefusal
