#pragma once

#include "device/LumetraEventText.h"
#include "device/LumetraReconnector.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

// What the operator must know about the laser at a glance: the state of the link, and what the laser
// last said about itself, in words. Whenever the link is not live the last report is told with its
// time and never as the present; and a laser that was emitting when it fell silent may still be, so
// that is said as well. One function decides this for every place that tells the operator about the
// laser, so that none of them can call a silent laser "off".
class LumetraOperatorState
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(LumetraOperatorState)
public:
    enum class Kind
    {
        Closed,     // no port open
        Connecting, // port open, handshake under way
        NoAnswer,   // handshake under way for a while: no laser answers on the port
        Connected,  // the laser answers, its state not yet reported
        Listen,
        Standby,
        LaserOn,  // laser on, output disabled
        Emitting, // laser on, output enabled, or changing to or from it
        Warning,  // the laser reports a warning
        Fault,    // the laser reports an error
        Silent,   // port open, the laser stopped answering
        Lost      // the port went away, or another laser answered where it came back
    };
    Q_ENUM(Kind)

    // What the laser last reported about itself.
    struct Report
    {
        int statusByte = -1; // -1: none reported
        int systemState = 0; // the decoder's SystemState; 0: none reported
        QDateTime time;      // when the laser last answered with it in force
    };

    // How long the handshake may go unanswered before the port is said to have no laser.
    static constexpr qint64 noAnswerAfterMs = 10000;

    // `linkSince` is when the link entered `link`; `now` the time to judge by.
    static LumetraOperatorState evaluate(LumetraReconnector::State link, const QString &portName,
                                         const QDateTime &linkSince, const Report &report,
                                         const QDateTime &now);

    Kind kind() const { return m_kind; }
    // The laser answers now: what it reports is the present.
    bool isLive() const { return m_live; }
    // The last report had the laser emitting, or changing to or from emission.
    bool emitting() const { return m_emitting; }
    // The laser said it is changing its state and has not yet finished: kind() is where it goes.
    bool changing() const { return m_changing; }
    // The last report in words ("laser on, output enabled"); empty when there is none.
    QString reportText() const { return m_report.translated(); }
    // "Last report 14:02:11: laser on, output enabled" while the link is not live; empty otherwise.
    QString lastReportText() const { return m_lastReport.translated(); }
    // The same as a keyed text, for a history read later in another language.
    const LumetraEventText &lastReport() const { return m_lastReport; }
    // "Emission may continue" while the link is not live and the last report was emitting.
    QString emissionText() const { return m_emission.translated(); }
    const LumetraEventText &emission() const { return m_emission; }
    // Why the state is what it is ("No laser answers on /dev/ttyUSB0", "The laser does not answer").
    QString reason() const { return m_reason.translated(); }
    // Reason, last report and emission in one text, for a banner or a log line.
    QString summary() const;

private:
    Kind m_kind = Kind::Closed;
    bool m_live = false;
    bool m_emitting = false;
    bool m_changing = false;
    LumetraEventText m_report;
    LumetraEventText m_lastReport;
    LumetraEventText m_emission;
    LumetraEventText m_reason;
};
