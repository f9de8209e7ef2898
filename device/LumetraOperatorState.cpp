#include "device/LumetraOperatorState.h"

#include "device/LumetraResponseDecoder.h"
#include "device/LumetraStatusBits.h"

#include <QStringList>

namespace Bits = LumetraStatusBits;

namespace {

enum class Phase
{
    None,
    Listen,
    Standby,
    OnOutputDisabled,
    OnOutputEnabled
};

struct Change
{
    Phase from;
    Phase to;
};

// The system state as the laser's transition lines report it; a steady state goes from itself to itself.
Change changeOf(int systemState)
{
    using P = Phase;
    switch (systemState) {
    case SystemStateListen:
        return {P::Listen, P::Listen};
    case SystemStateListenToStandby:
        return {P::Listen, P::Standby};
    case SystemStateStandby:
        return {P::Standby, P::Standby};
    case SystemStateStandbyToListen:
        return {P::Standby, P::Listen};
    case SystemStateStandbyToDisabled:
        return {P::Standby, P::OnOutputDisabled};
    case SystemStateStandbyToEnabled:
        return {P::Standby, P::OnOutputEnabled};
    case SystemStateDisabled:
        return {P::OnOutputDisabled, P::OnOutputDisabled};
    case SystemStateEnabled:
        return {P::OnOutputEnabled, P::OnOutputEnabled};
    case SystemStateDisabledToStandby:
        return {P::OnOutputDisabled, P::Standby};
    case SystemStateEnabledToStandby:
        return {P::OnOutputEnabled, P::Standby};
    case SystemStateDisabledToListen:
        return {P::OnOutputDisabled, P::Listen};
    case SystemStateEnabledToListen:
        return {P::OnOutputEnabled, P::Listen};
    default:
        return {P::None, P::None};
    }
}

Phase phaseOf(int statusByte)
{
    if (statusByte & Bits::LaserOn)
        return Phase::OnOutputEnabled;
    if (statusByte & Bits::LaserOnPending)
        return Phase::OnOutputDisabled;
    if (statusByte & Bits::Standby)
        return Phase::Standby;
    if (statusByte & Bits::Listen)
        return Phase::Listen;
    return Phase::None;
}

// Kept as keyed texts, not sentences: the event history tells the last report in the language of
// whoever reads it.
LumetraEventText says(const char *source)
{
    return LumetraEventText("LumetraOperatorState", source);
}

LumetraEventText phaseWords(Phase phase)
{
    switch (phase) {
    case Phase::Listen:
        return says(QT_TRANSLATE_NOOP("LumetraOperatorState", "listen"));
    case Phase::Standby:
        return says(QT_TRANSLATE_NOOP("LumetraOperatorState", "standby"));
    case Phase::OnOutputDisabled:
        return says(QT_TRANSLATE_NOOP("LumetraOperatorState", "laser on, output disabled"));
    case Phase::OnOutputEnabled:
        return says(QT_TRANSLATE_NOOP("LumetraOperatorState", "laser on, output enabled"));
    case Phase::None:
        break;
    }
    return LumetraEventText();
}

// An outage over midnight must not pass yesterday's report off as today's.
QString clock(const QDateTime &time, const QDateTime &now)
{
    if (!time.isValid())
        return QStringLiteral("--:--:--");
    return time.toString(time.date() == now.date() ? QStringLiteral("HH:mm:ss")
                                                   : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

LumetraOperatorState LumetraOperatorState::evaluate(LumetraReconnector::State link, const QString &portName,
                                                    const QDateTime &linkSince, const Report &report,
                                                    const QDateTime &now)
{
    using Link = LumetraReconnector::State;
    LumetraOperatorState s;
    if (link == Link::Closed) {
        // The operator closed the port: what the laser said before is no longer this program's to tell.
        s.m_reason = says(QT_TR_NOOP("No port open"));
        return s;
    }

    // The status byte is polled all the time and so is the better witness; a transition line counts
    // while the byte still says that a change is under way, or when no byte came at all.
    const bool byteKnown = report.statusByte >= 0;
    const int byte = byteKnown ? report.statusByte : 0;
    const Change change = changeOf(report.systemState);
    const bool changing = !byteKnown || (byte & Bits::DeviceSetup);
    Phase phase = Phase::None;
    if (change.from != change.to && changing) {
        s.m_report = says(QT_TR_NOOP("changing from %1 to %2"))
                         .arg(phaseWords(change.from))
                         .arg(phaseWords(change.to));
        // Emission that is about to start or to stop may be on now.
        s.m_emitting = change.from == Phase::OnOutputEnabled || change.to == Phase::OnOutputEnabled;
        s.m_changing = true;
        phase = change.to;
    } else {
        phase = phaseOf(byte);
        if (phase == Phase::None && !byteKnown)
            phase = change.to;
        s.m_emitting = phase == Phase::OnOutputEnabled;
        if (phase != Phase::None)
            s.m_report = phaseWords(phase);
        else if (byteKnown)
            s.m_report =
                byte & Bits::PowerOn ? says(QT_TR_NOOP("power on")) : says(QT_TR_NOOP("no operating state"));
    }
    if (!s.m_report.isNull()) {
        // A plain pattern, so that the words are joined alike in every language.
        const auto add = [&s](const char *word) {
            s.m_report = LumetraEventText(nullptr, "%1, %2").arg(s.m_report).arg(says(word));
        };
        if (byte & Bits::Error)
            add(QT_TR_NOOP("error"));
        if (byte & Bits::Warning)
            add(QT_TR_NOOP("warning"));
    }

    switch (link) {
    case Link::Connected:
        s.m_live = true;
        if (s.m_report.isNull()) {
            s.m_kind = Kind::Connected;
            s.m_reason = says(QT_TR_NOOP("Connected to %1")).arg(portName);
        } else {
            s.m_kind = byte & Bits::Error                 ? Kind::Fault
                       : byte & Bits::Warning             ? Kind::Warning
                       : s.m_emitting                     ? Kind::Emitting
                       : phase == Phase::OnOutputDisabled ? Kind::LaserOn
                       : phase == Phase::Standby          ? Kind::Standby
                       : phase == Phase::Listen           ? Kind::Listen
                                                          : Kind::Connected;
            s.m_reason = says(QT_TR_NOOP("Connected to %1: %2")).arg(portName).arg(s.m_report);
        }
        return s;
    case Link::Waiting:
    case Link::Handshake:
        if (link == Link::Handshake && linkSince.isValid() && linkSince.msecsTo(now) >= noAnswerAfterMs) {
            s.m_kind = Kind::NoAnswer;
            s.m_reason = says(QT_TR_NOOP("No laser answers on %1")).arg(portName);
        } else {
            s.m_kind = Kind::Connecting;
            s.m_reason = says(QT_TR_NOOP("Connecting to %1")).arg(portName);
        }
        break;
    case Link::Unavailable:
        s.m_kind = Kind::Silent;
        s.m_reason = says(QT_TR_NOOP("The laser on %1 does not answer")).arg(portName);
        break;
    case Link::Lost:
        s.m_kind = Kind::Lost;
        s.m_reason = says(QT_TR_NOOP("%1 is lost")).arg(portName);
        break;
    case Link::OtherLaser:
        s.m_kind = Kind::Lost;
        s.m_reason = says(QT_TR_NOOP("Another laser answered on %1")).arg(portName);
        break;
    case Link::Closed:
        break;
    }
    if (!s.m_report.isNull()) {
        s.m_lastReport = says(QT_TR_NOOP("Last report %1: %2")).arg(clock(report.time, now)).arg(s.m_report);
        if (s.m_emitting)
            s.m_emission = says(QT_TR_NOOP("Emission may continue"));
    }
    return s;
}

QString LumetraOperatorState::summary() const
{
    QStringList parts;
    for (const QString &part : {reason(), lastReportText(), emissionText()}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.isEmpty() ? QString() : parts.join(QStringLiteral(". ")) + QLatin1Char('.');
}
