#pragma once

#include <QString>
#include <QVariantList>

// A text about the laser as its English source, the translation context it belongs to and its
// arguments (plain words or texts of their own). The event history keeps it so, rather than the
// sentence in the language of the day it was made, so that a German operator reads in German what an
// English session recorded, and the other way round; the link and the operator state give their
// reasons in this form for the same purpose. Without a context the text is a plain word, shown as it is
// (a port name, a serial number, a command).
class LumetraEventText
{
public:
    LumetraEventText() = default;
    LumetraEventText(const char *context, const char *source);

    LumetraEventText &arg(const QString &word);
    LumetraEventText &arg(const LumetraEventText &text);

    bool isNull() const { return m_source.isEmpty(); }
    QString english() const;
    QString translated() const;

    // The form kept in a recording, and back; a key that is not one gives a null text.
    QString toKey() const;
    static LumetraEventText fromKey(const QString &key);

    // Fills in what the history keeps of it: the English sentence for whoever reads the file with
    // other tools, and the key it is translated from.
    template <typename Event> void into(Event &event) const
    {
        event.text = english();
        event.textKey = toKey();
    }
    // What an event says in the language in use; an event of a recording made before keys were kept
    // says what it said then.
    template <typename Event> static QString shown(const Event &event)
    {
        const LumetraEventText text = fromKey(event.textKey);
        return text.isNull() ? event.text : text.translated();
    }

private:
    QString render(bool translate) const;
    QVariantMap toMap() const;
    static LumetraEventText fromMap(const QVariantMap &map);

    QString m_context;
    QString m_source;
    // QString or LumetraEventText as QVariantMap
    QVariantList m_args;
};
