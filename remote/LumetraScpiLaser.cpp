#include "remote/LumetraScpiLaser.h"

#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraQuantityTable.h"
#include "device/LumetraWriteAudit.h"
#include "remote/LumetraScpiError.h"
#include "remote/LumetraScpiTree.h"

#include <QDateTime>
#include <QMetaEnum>
#include <QTimer>

#include <cmath>

Q_LOGGING_CATEGORY(lcLumetraScpiLaser, "lumetra.remote.laser")

namespace Q = LumetraQuantityTable;

namespace {

QString quoted(QString text)
{
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString linkWord(LumetraOperatorState::Kind kind)
{
    using K = LumetraOperatorState::Kind;
    switch (kind) {
    case K::Closed:
        return QStringLiteral("CLOSED");
    case K::Connecting:
    case K::NoAnswer:
        return QStringLiteral("CONNECTING");
    case K::Silent:
        return QStringLiteral("SILENT");
    case K::Lost:
        return QStringLiteral("LOST");
    default:
        return QStringLiteral("CONNECTED");
    }
}

} // namespace

LumetraScpiLaser::LumetraScpiLaser(LumetraLaserModel *model, LumetraController *controller, QObject *parent)
    : QObject(parent), m_model(model), m_controller(controller), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &LumetraScpiLaser::onDeadline);
    connect(model, &LumetraLaserModel::changed, this, &LumetraScpiLaser::onModelChanged);
    // A write the link will never deliver is not waited for.
    connect(model, &LumetraLaserModel::linkChanged, this, [this](bool live) {
        if (live)
            return;
        const QList<Pending> pending = std::exchange(m_pending, {});
        for (const Pending &p : pending)
            p.settled(QStringLiteral("%1: the laser stopped answering").arg(p.named));
    });
}

void LumetraScpiLaser::setController(LumetraController *controller)
{
    m_controller = controller;
}

void LumetraScpiLaser::setAudit(LumetraWriteAudit *audit)
{
    m_audit = audit;
}

void LumetraScpiLaser::setWritesAllowed(bool allowed)
{
    if (allowed == m_allowed)
        return;
    m_allowed = allowed;
    qCInfo(lcLumetraScpiLaser) << (allowed ? "remote writes allowed" : "remote writes refused");
    emit sigWritesAllowedChanged(allowed);
}

QString LumetraScpiLaser::identity() const
{
    const auto field = [this](int id) {
        QString text = m_model->value(id).known ? m_model->value(id).text.trimmed() : QString();
        // A comma would split the answer into more fields than a script expects.
        return text.isEmpty() ? QStringLiteral("0") : text.replace(QLatin1Char(','), QLatin1Char(' '));
    };
    return QStringLiteral("LUMETRA,%1,%2,%3")
        .arg(field(Q::SystemType), field(Q::SerialNumber), field(Q::FirmwareVersion));
}

const QVector<LumetraScpiInstrument::Node> &LumetraScpiLaser::nodes() const
{
    return LumetraScpiTree::nodes();
}

LumetraScpiInstrument::Result LumetraScpiLaser::read(const Node &node)
{
    const LumetraOperatorState state = m_model->operatorState(QDateTime::currentDateTime());
    if (node.key == QLatin1String(LumetraScpiTree::OperatorStateKey))
        return {0, QString::fromLatin1(
                       QMetaEnum::fromType<LumetraOperatorState::Kind>().valueToKey(int(state.kind())))
                       .toUpper()};
    if (node.key == QLatin1String(LumetraScpiTree::StatusKey))
        return {0, quoted(state.summary())};
    if (node.key == QLatin1String(LumetraScpiTree::LinkKey))
        return {0, linkWord(state.kind())};
    // What the laser said before the link went down is no answer to a question asked now.
    if (!m_model->isLinkLive())
        return {LumetraScpiError::DataStale, QStringLiteral("the laser does not answer")};
    const LumetraScpiTree::Action *action = LumetraScpiTree::action(node.key);
    const int id = action ? action->confirmingId : Q::indexOf(node.key);
    if (id < 0)
        return {LumetraScpiError::ExecutionError, node.key};
    const Q::Row &row = Q::row(id);
    const LumetraLaserModel::Value &v = m_model->value(id);
    if (!v.valid) {
        if (m_model->modules() != 0 && !(m_model->modules() & row.modules))
            return {LumetraScpiError::HardwareMissing, QStringLiteral("this laser does not report it")};
        return {LumetraScpiError::DataStale, QStringLiteral("not reported yet")};
    }
    if (row.kind == Q::Kind::Text)
        return {0, quoted(v.text)};
    return {0, Q::formatted(id, v.number)};
}

bool LumetraScpiLaser::limits(const Node &node, double *min, double *max) const
{
    const int id = Q::indexOf(node.key);
    if (id < 0)
        return false;
    const Q::Row &row = Q::row(id);
    if (row.limits == Q::Limits::Fixed) {
        *min = row.fixedMin;
        *max = row.fixedMax;
        return true;
    }
    if (row.limits == Q::Limits::Reported && m_model->range(id).known) {
        *min = m_model->range(id).min;
        *max = m_model->range(id).max;
        return true;
    }
    return false;
}

LumetraScpiInstrument::Result LumetraScpiLaser::write(const Node &node, double value, Settled settled)
{
    if (!m_controller || !m_model->isLinkLive())
        return {LumetraScpiError::ExecutionError,
                QStringLiteral("the laser does not answer; nothing was sent")};
    const LumetraScpiTree::Action *action = LumetraScpiTree::action(node.key);
    const int id = action ? action->confirmingId : Q::indexOf(node.key);
    if (id < 0)
        return {LumetraScpiError::ExecutionError, node.key};
    if (action && value == 0 && !action->offAllowed)
        return {LumetraScpiError::IllegalParameterValue, QStringLiteral("%1 takes ON only").arg(node.header)};
    if (id == Q::PulsePickerRate) {
        // The laser offers its rates as steps; a rate between two would be moved to one unasked.
        const QList<double> &rates = m_model->repetitionRates();
        const bool offered = std::any_of(rates.begin(), rates.end(),
                                         [value](double rate) { return std::abs(rate - value) < 1e-6; });
        if (!rates.isEmpty() && !offered) {
            QStringList steps;
            for (double rate : rates)
                steps << QString::number(rate);
            return {LumetraScpiError::DataOutOfRange,
                    QStringLiteral("%1 is not one of the laser's rates: %2").arg(value).arg(steps.join(','))};
        }
    }
    const QString named = QStringLiteral("%1 %2").arg(node.header).arg(value);
    qCInfo(lcLumetraScpiLaser).noquote() << "remote write" << named;
    {
        const LumetraWriteAudit::Scope scope(m_audit, LumetraWriteAudit::Origin::Remote, m_writer);
        if (action)
            action->run(m_controller, value != 0);
        else
            Q::row(id).write(m_controller, value);
    }
    const double tolerance = Q::reportTolerance(id);
    const LumetraLaserModel::Value &now = m_model->value(id);
    // The laser has it already: it will not report a change, and needs none.
    if (now.valid && std::abs(now.number - value) <= tolerance)
        return {};
    m_pending << Pending{id,        value,
                         tolerance, QDateTime::currentMSecsSinceEpoch() + ConfirmWithinMs,
                         named,     std::move(settled)};
    armDeadline();
    return {0, {}, true};
}

void LumetraScpiLaser::slotRefused(const QString &words)
{
    // The laser answers settings in the order they were sent; its refusal is of the oldest waiting.
    if (m_pending.isEmpty())
        return;
    const Pending refused = m_pending.takeFirst();
    refused.settled(words);
    armDeadline();
}

void LumetraScpiLaser::onModelChanged(const QSet<int> &ids)
{
    // The model changes with every poll; most of the time no write waits for it.
    if (m_pending.isEmpty())
        return;
    for (int i = 0; i < m_pending.size();) {
        const Pending &p = m_pending.at(i);
        if (ids.contains(p.id) && m_model->isValid(p.id) &&
            std::abs(m_model->number(p.id) - p.value) <= p.tolerance) {
            const Pending done = m_pending.takeAt(i);
            done.settled(QString());
        } else {
            ++i;
        }
    }
    armDeadline();
}

void LumetraScpiLaser::onDeadline()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < m_pending.size();) {
        if (m_pending.at(i).deadline <= now) {
            const Pending late = m_pending.takeAt(i);
            late.settled(QStringLiteral("the laser did not report %1 within %2 s")
                             .arg(late.named)
                             .arg(ConfirmWithinMs / 1000));
        } else {
            ++i;
        }
    }
    armDeadline();
}

void LumetraScpiLaser::armDeadline()
{
    if (m_pending.isEmpty()) {
        m_deadline->stop();
        return;
    }
    qint64 first = m_pending.first().deadline;
    for (const Pending &p : qAsConst(m_pending))
        first = std::min(first, p.deadline);
    m_deadline->start(int(std::max<qint64>(0, first - QDateTime::currentMSecsSinceEpoch())));
}
