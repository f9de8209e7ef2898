#pragma once

#include "device/LumetraEventText.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class LumetraController;
class LumetraLaserModel;
class LumetraSerialHandler;
class QTimer;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraWriteAudit)

// Who changed the laser, from what to what, and whether the laser took it. Every write the controller
// queues is told here by the controller itself, whoever asked for it: the panel, the serial monitor, a
// remote client or the device server, which say who they are with a Scope around their call. The old
// value is the model's at that moment; the outcome is followed until the laser reports the new value,
// refuses it in its own words, or the link gives the command up. Needs no window.
class LumetraWriteAudit : public QObject
{
    Q_OBJECT
public:
    enum class Origin
    {
        Panel,
        SerialMonitor,
        Remote, // with the client's address
        Tango,
    };
    enum class Outcome
    {
        Waiting,
        Reported,    // the laser reported the new value, or already had it when the command went out
        Sent,        // went out; nothing the laser reports tells whether it took it
        Refused,     // the laser answered with its refusal
        Dropped,     // the link gave it up without sending it
        NotReported, // went out, yet the laser did not report the new value in time
        LinkEnded,   // went out, and the link ended before the laser reported it
    };
    Q_ENUM(Outcome)

    struct Write
    {
        qint64 time = 0; // when it was given, on the audit's clock
        Origin origin = Origin::Panel;
        QString peer;      // a remote client's address
        int quantity = -1; // LumetraQuantityTable row, or -1 for a command the table does not describe
        QString oldValue;  // as the model held it, unit included; empty when it held none
        QString newValue;
        QString command;
        Outcome outcome = Outcome::Waiting;
        QString detail;    // the laser's words, or why the link gave it up
        QString detailKey; // that reason as a LumetraEventText key, when the link gave one
        // Book-keeping while it waits.
        double number = 0.0;
        bool transmitted = false;
        bool expectsReport = false;
        qint64 deadline = 0;
    };

    // Marks every write given while it lives as one of `origin`; scopes nest, the innermost counts.
    class Scope
    {
    public:
        Scope(LumetraWriteAudit *audit, Origin origin, const QString &peer = QString());
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        QPointer<LumetraWriteAudit> m_audit;
        // The scope around this one, back in force when this one ends.
        bool m_outerScoped = false;
        Origin m_outerOrigin = Origin::Panel;
        QString m_outerPeer;
    };

    // As long as the link's own bound for a command, so that a slow answer is not called missing.
    static constexpr int DefaultConfirmWithinMs = 10000;
    // Writes followed at once; a link that never answers must not grow the list for ever.
    static constexpr int MaxWaiting = 256;

    explicit LumetraWriteAudit(LumetraLaserModel *model, QObject *parent = nullptr);

    // Milliseconds since the epoch; tests move time by hand and call checkDeadlines().
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void setConfirmWithinMs(int ms) { m_confirmWithinMs = ms; }

    // The controller's writes and the commands it forwards from the link as dropped.
    void attachController(LumetraController *controller);
    // The link's lines (refusals) and what it put on the wire.
    void attachLink(LumetraSerialHandler *link);

    // Whether the audit tells of this command: a write it follows, or one it reported dropped lately.
    // Whoever keeps command rows of their own (the recorder) then leaves the command to the audit's row.
    bool tells(const QString &command);
    int waiting() const { return m_waiting.size(); }

    // "panel", "serial monitor", "remote 127.0.0.1:40123", "Tango device", in the language in use.
    static QString originText(const Write &write);
    // The history's sentence for a settled write, kept so that it is read in the reader's language.
    static LumetraEventText text(const Write &write);

public slots:
    // From the controller: a write queued for `quantity` (or -1) with `value` in the table's unit.
    void slotWriteQueued(int quantity, double value, const QString &command, bool typed);
    void slotLineReceived(const QByteArray &line);
    void slotBytesTransmitted(const QString &port, const QByteArray &bytes);
    void slotCommandDropped(const QString &command, const QString &reason, const QString &reasonKey);
    void checkDeadlines();

signals:
    // Once per write, when its outcome is known.
    void sigSettled(const LumetraWriteAudit::Write &write);

private:
    void onModelChanged(const QSet<int> &ids);
    void onLinkChanged(bool live);
    void settle(int index, Outcome outcome, const QString &detail = QString(),
                const QString &detailKey = QString());
    void arm();
    QString shown(int quantity, double number) const;

    QPointer<LumetraLaserModel> m_model;
    QTimer *m_timer;
    std::function<qint64()> m_clock;
    int m_confirmWithinMs = DefaultConfirmWithinMs;
    QList<Write> m_waiting;
    // Commands of writes reported dropped, for a command row that hears of the drop after the audit.
    QStringList m_recentDrops;
    bool m_scoped = false;
    Origin m_scopeOrigin = Origin::Panel;
    QString m_scopePeer;
};

Q_DECLARE_METATYPE(LumetraWriteAudit::Write)
