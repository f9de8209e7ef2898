#include "app/device/LumetraOperatorState.h"

#include "app/device/LumetraResponseDecoder.h"
#include "app/device/LumetraStatusBits.h"

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

QString phaseWords(Phase phase)
{
    switch (phase) {
    case Phase::Listen:
        return LumetraOperatorState::tr("listen");
    case Phase::Standby:
        return LumetraOperatorState::tr("standby");
    case Phase::OnOutputDisabled:
        return LumetraOperatorState::tr("laser on, output disabled");
    case Phase::OnOutputEnabled:
        return LumetraOperatorState::tr("laser on, output enabled");
    case Phase::None:
        break;
    }
    return QString();
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
        s.m_reason = tr("No port open");
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
        s.m_reportText = tr("changing from %1 to %2").arg(phaseWords(change.from), phaseWords(change.to));
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
            s.m_reportText = phaseWords(phase);
        else if (byteKnown)
            s.m_reportText = byte & Bits::PowerOn ? tr("power on") : tr("no operating state");
    }
    QStringList words{s.m_reportText};
    if (byte & Bits::Error)
        words << tr("error");
    if (byte & Bits::Warning)
        words << tr("warning");
    if (!s.m_reportText.isEmpty())
        s.m_reportText = words.join(QStringLiteral(", "));

    switch (link) {
    case Link::Connected:
        s.m_live = true;
        if (s.m_reportText.isEmpty()) {
            s.m_kind = Kind::Connected;
            s.m_reason = tr("Connected to %1").arg(portName);
        } else {
            s.m_kind = byte & Bits::Error                 ? Kind::Fault
                       : byte & Bits::Warning             ? Kind::Warning
                       : s.m_emitting                     ? Kind::Emitting
                       : phase == Phase::OnOutputDisabled ? Kind::LaserOn
                       : phase == Phase::Standby          ? Kind::Standby
                       : phase == Phase::Listen           ? Kind::Listen
                                                          : Kind::Connected;
            s.m_reason = tr("Connected to %1: %2").arg(portName, s.m_reportText);
        }
        return s;
    case Link::Waiting:
    case Link::Handshake:
        if (link == Link::Handshake && linkSince.isValid() && linkSince.msecsTo(now) >= noAnswerAfterMs) {
            s.m_kind = Kind::NoAnswer;
            s.m_reason = tr("No laser answers on %1").arg(portName);
        } else {
            s.m_kind = Kind::Connecting;
            s.m_reason = tr("Connecting to %1").arg(portName);
        }
        break;
    case Link::Unavailable:
        s.m_kind = Kind::Silent;
        s.m_reason = tr("The laser on %1 does not answer").arg(portName);
        break;
    case Link::Lost:
        s.m_kind = Kind::Lost;
        s.m_reason = tr("%1 is lost").arg(portName);
        break;
    case Link::OtherLaser:
        s.m_kind = Kind::Lost;
        s.m_reason = tr("Another laser answered on %1").arg(portName);
        break;
    case Link::Closed:
        break;
    }
    if (!s.m_reportText.isEmpty()) {
        s.m_lastReportText = tr("Last report %1: %2").arg(clock(report.time, now), s.m_reportText);
        if (s.m_emitting)
            s.m_emissionText = tr("Emission may continue");
    }
    return s;
}

QString LumetraOperatorState::summary() const
{
    QStringList parts;
    for (const QString &part : {m_reason, m_lastReportText, m_emissionText}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.isEmpty() ? QString() : parts.join(QStringLiteral(". ")) + QLatin1Char('.');
}
