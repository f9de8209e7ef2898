#include "device/LumetraWriteAudit.h"

#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraQuantityTable.h"
#include "device/LumetraRefusal.h"
#include "device/LumetraSerialHandler.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcLumetraWriteAudit, "lumetra.device.writeaudit")

namespace Q = LumetraQuantityTable;

namespace {

// Enough for the drops the link reports in one burst after a lost port.
constexpr int recentDropBound = 16;

LumetraEventText says(const char *source)
{
    return LumetraEventText("LumetraWriteAudit", source);
}

} // namespace

LumetraWriteAudit::Scope::Scope(LumetraWriteAudit *audit, Origin origin, const QString &peer) : m_audit(audit)
{
    if (!audit)
        return;
    m_outerScoped = std::exchange(audit->m_scoped, true);
    m_outerOrigin = std::exchange(audit->m_scopeOrigin, origin);
    m_outerPeer = std::exchange(audit->m_scopePeer, peer);
}

LumetraWriteAudit::Scope::~Scope()
{
    if (!m_audit)
        return;
    m_audit->m_scoped = m_outerScoped;
    m_audit->m_scopeOrigin = m_outerOrigin;
    m_audit->m_scopePeer = m_outerPeer;
}

LumetraWriteAudit::LumetraWriteAudit(LumetraLaserModel *model, QObject *parent)
    : QObject(parent), m_model(model), m_timer(new QTimer(this)),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    qRegisterMetaType<LumetraWriteAudit::Write>();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &LumetraWriteAudit::checkDeadlines);
    if (model) {
        connect(model, &LumetraLaserModel::changed, this, &LumetraWriteAudit::onModelChanged);
        connect(model, &LumetraLaserModel::linkChanged, this, &LumetraWriteAudit::onLinkChanged);
    }
}

void LumetraWriteAudit::attachController(LumetraController *controller)
{
    connect(controller, &LumetraController::sigWriteQueued, this, &LumetraWriteAudit::slotWriteQueued);
    connect(controller, &LumetraController::sigCommandDropped, this, &LumetraWriteAudit::slotCommandDropped);
}

void LumetraWriteAudit::attachLink(LumetraSerialHandler *link)
{
    connect(link, &LumetraSerialHandler::sigLineReceived, this, &LumetraWriteAudit::slotLineReceived);
    connect(link, &LumetraSerialHandler::sigBytesTransmitted, this, &LumetraWriteAudit::slotBytesTransmitted);
}

bool LumetraWriteAudit::tells(const QString &command)
{
    const QString text = command.trimmed();
    const bool followed = std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                                      [&text](const Write &w) { return w.command == text; });
    return followed || m_recentDrops.removeOne(text);
}

QString LumetraWriteAudit::originText(const Write &write)
{
    switch (write.origin) {
    case Origin::Panel:
        return tr("panel");
    case Origin::SerialMonitor:
        return tr("serial monitor");
    case Origin::Remote:
        return tr("remote %1").arg(write.peer);
    case Origin::Tango:
        return tr("Tango device");
    }
    return QString();
}

LumetraEventText LumetraWriteAudit::text(const Write &write)
{
    LumetraEventText outcome;
    switch (write.outcome) {
    case Outcome::Waiting:
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "waiting for the laser"));
        break;
    case Outcome::Reported:
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "reported by the laser"));
        break;
    case Outcome::Sent:
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "sent to the laser"));
        break;
    case Outcome::Refused:
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "refused by the laser: %1")).arg(write.detail);
        break;
    case Outcome::Dropped: {
        const LumetraEventText reason = LumetraEventText::fromKey(write.detailKey);
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "not sent: %1"));
        outcome = reason.isNull() ? outcome.arg(write.detail) : outcome.arg(reason);
        break;
    }
    case Outcome::NotReported:
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "not reported by the laser within %1 s"))
                      .arg(write.detail);
        break;
    case Outcome::LinkEnded:
        outcome = says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "the link ended before the laser reported it"));
        break;
    }
    if (write.quantity < 0 || write.quantity >= Q::count())
        return says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "%1: %2")).arg(write.command).arg(outcome);
    return says(QT_TRANSLATE_NOOP("LumetraWriteAudit", "%1 %2 → %3 (%4): %5"))
        .arg(LumetraEventText("LumetraQuantityTable", Q::row(write.quantity).label))
        .arg(write.oldValue.isEmpty() ? QStringLiteral("?") : write.oldValue)
        .arg(write.newValue)
        .arg(write.command)
        .arg(outcome);
}

void LumetraWriteAudit::slotWriteQueued(int quantity, double value, const QString &command, bool typed)
{
    const QString text = command.trimmed();
    // A question changes nothing.
    if (text.isEmpty() || text.endsWith(QLatin1Char('?')))
        return;
    Write w;
    w.time = m_clock();
    w.origin = m_scoped ? m_scopeOrigin : typed ? Origin::SerialMonitor : Origin::Panel;
    w.peer = m_scoped ? m_scopePeer : QString();
    w.command = text;
    w.number = value;
    w.deadline = w.time + m_confirmWithinMs;
    if (quantity >= 0 && quantity < Q::count() && std::isfinite(value)) {
        w.quantity = quantity;
        w.newValue = shown(quantity, value);
        const bool held = m_model && m_model->isValid(quantity);
        if (held)
            w.oldValue = shown(quantity, m_model->number(quantity));
        // A value the laser holds already is never reported as a change.
        w.expectsReport = !held || std::abs(m_model->number(quantity) - value) > Q::reportTolerance(quantity);
    }
    qCDebug(lcLumetraWriteAudit).noquote() << originText(w) << w.command << w.oldValue << "->" << w.newValue;
    m_waiting << w;
    while (m_waiting.size() > MaxWaiting)
        settle(0, Outcome::NotReported, QString::number(m_confirmWithinMs / 1000));
    arm();
}

void LumetraWriteAudit::slotLineReceived(const QByteArray &line)
{
    // Every polled answer passes here; most of the time no write waits for one.
    if (m_waiting.isEmpty())
        return;
    const QString words = LumetraRefusal::in(line);
    if (words.isEmpty())
        return;
    // The laser answers commands in the order they went out: its refusal is of the oldest on the wire.
    for (int i = 0; i < m_waiting.size(); ++i) {
        if (m_waiting.at(i).transmitted) {
            settle(i, Outcome::Refused, words);
            arm();
            return;
        }
    }
}

void LumetraWriteAudit::slotBytesTransmitted(const QString &, const QByteArray &bytes)
{
    if (m_waiting.isEmpty())
        return;
    const QString sent = QString::fromLatin1(bytes).trimmed();
    for (int i = 0; i < m_waiting.size(); ++i) {
        Write &w = m_waiting[i];
        if (w.transmitted || w.command != sent)
            continue;
        w.transmitted = true;
        // Nothing will come back to wait for: out on the wire is as far as it can be followed.
        if (!w.expectsReport) {
            settle(i, w.quantity >= 0 ? Outcome::Reported : Outcome::Sent);
            arm();
        }
        return;
    }
}

void LumetraWriteAudit::slotCommandDropped(const QString &command, const QString &reason,
                                           const QString &reasonKey)
{
    const QString text = command.trimmed();
    for (int i = 0; i < m_waiting.size(); ++i) {
        if (!m_waiting.at(i).transmitted && m_waiting.at(i).command == text) {
            m_recentDrops << text;
            while (m_recentDrops.size() > recentDropBound)
                m_recentDrops.removeFirst();
            settle(i, Outcome::Dropped, reason, reasonKey);
            arm();
            return;
        }
    }
}

void LumetraWriteAudit::checkDeadlines()
{
    const qint64 now = m_clock();
    for (int i = 0; i < m_waiting.size();) {
        if (m_waiting.at(i).deadline <= now)
            settle(i, Outcome::NotReported, QString::number(m_confirmWithinMs / 1000));
        else
            ++i;
    }
    arm();
}

void LumetraWriteAudit::onModelChanged(const QSet<int> &ids)
{
    // The model changes with every poll; most of the time no write waits for it.
    if (m_waiting.isEmpty() || !m_model)
        return;
    for (int i = 0; i < m_waiting.size();) {
        const Write &w = m_waiting.at(i);
        if (w.expectsReport && ids.contains(w.quantity) && m_model->isValid(w.quantity) &&
            std::abs(m_model->number(w.quantity) - w.number) <= Q::reportTolerance(w.quantity))
            settle(i, Outcome::Reported);
        else
            ++i;
    }
    arm();
}

void LumetraWriteAudit::onLinkChanged(bool live)
{
    if (live)
        return;
    // What is still queued the link drops and says so; what went out will not be reported now.
    for (int i = 0; i < m_waiting.size();) {
        if (m_waiting.at(i).transmitted)
            settle(i, Outcome::LinkEnded);
        else
            ++i;
    }
    arm();
}

void LumetraWriteAudit::settle(int index, Outcome outcome, const QString &detail, const QString &detailKey)
{
    Write w = m_waiting.takeAt(index);
    w.outcome = outcome;
    w.detail = detail;
    w.detailKey = detailKey;
    qCInfo(lcLumetraWriteAudit).noquote() << originText(w) << text(w).english();
    emit sigSettled(w);
}

void LumetraWriteAudit::arm()
{
    if (m_waiting.isEmpty()) {
        m_timer->stop();
        return;
    }
    qint64 first = m_waiting.first().deadline;
    for (const Write &w : qAsConst(m_waiting))
        first = std::min(first, w.deadline);
    m_timer->start(int(std::clamp<qint64>(first - m_clock(), 0, m_confirmWithinMs)));
}

QString LumetraWriteAudit::shown(int quantity, double number) const
{
    QString text = Q::formatted(quantity, number);
    const QString unit = Q::unit(quantity);
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    return text;
}
