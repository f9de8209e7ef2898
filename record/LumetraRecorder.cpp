#include "record/LumetraRecorder.h"

#include "device/LumetraLaserModel.h"
#include "device/LumetraOperatorState.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "record/LumetraAlarmMonitor.h"
#include "record/LumetraRecordQuantities.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

Q_LOGGING_CATEGORY(lcLumetraRecorder, "lumetra.record.recorder")

namespace {

constexpr qint64 dayMs = 24 * 3600 * 1000LL;
// Rows deleted per flush while old data is being removed, so that a large backlog never holds the
// file (or the thread) for long.
constexpr int pruneStepRows = 20000;
constexpr qint64 pruneIntervalMs = 3600 * 1000LL;
constexpr int eventBound = 20000;

} // namespace

LumetraRecorder::LumetraRecorder(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder),
      m_store(QStringLiteral("lumetra-recorder-%1").arg(quintptr(this), 0, 16)),
      m_alarms(new LumetraAlarmMonitor(this)), m_model(new LumetraLaserModel(this)),
      m_flushTimer(new QTimer(this)), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    m_pending.append(Pending());
    connect(m_alarms, &LumetraAlarmMonitor::sigEvent, this, &LumetraRecorder::recordEvent);
    connect(m_model, &LumetraLaserModel::changed, this, &LumetraRecorder::recordChanges);
    // Whatever decoders feed the model: each reading reaches the alarms and the module's readings once.
    m_alarms->attach(m_model);
    followModule();
    connect(m_flushTimer, &QTimer::timeout, this, &LumetraRecorder::flush);
    m_flushTimer->start(1000);
}

LumetraRecorder::~LumetraRecorder()
{
    // The link's own word that it closed may still be on its way from its thread: nothing is repeated
    // past this moment, what was read is written.
    m_connected = false;
    m_keeper.endSeries(m_pending.last().samples);
    flush();
    if (!m_pending.last().serial.isEmpty() || m_pending.last().isEmpty())
        return;
    qCInfo(lcLumetraRecorder) << "readings of a laser never identified are not kept:"
                              << m_pending.last().samples.size() << "readings,"
                              << m_pending.last().events.size() << "events";
}

void LumetraRecorder::setFlushIntervalMs(int ms)
{
    if (ms <= 0)
        m_flushTimer->stop();
    else
        m_flushTimer->start(ms);
}

int LumetraRecorder::retentionDaysFrom(const QVariant &value, QString *refusal)
{
    qint64 days = 0;
    bool whole = false;
    switch (static_cast<QMetaType::Type>(value.type())) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        days = value.toLongLong(&whole);
        break;
    case QMetaType::ULongLong:
        whole = value.toULongLong() <= quint64(maxRetentionDays);
        days = whole ? value.toLongLong() : 0;
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        whole = std::isfinite(d) && std::floor(d) == d && std::fabs(d) <= maxRetentionDays;
        days = whole ? qint64(d) : 0;
        break;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        // Digits only: "90 days", "1e3" or "0x10" are not read as some other number of days.
        const QString text = value.toString().trimmed();
        whole = !text.isEmpty() && text.size() <= 9;
        for (const QChar c : text)
            whole = whole && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        days = whole ? text.toLongLong() : 0;
        break;
    }
    default:
        break;
    }
    if (whole && days >= 1 && days <= maxRetentionDays)
        return int(days);
    if (refusal) {
        const QString shown = value.type() == QVariant::StringList
                                  ? value.toStringList().join(QStringLiteral(", "))
                                  : value.toString();
        *refusal = tr("The recorder's retention setting \"%1\" is not a whole number of days from 1 to %2.")
                       .arg(shown)
                       .arg(maxRetentionDays);
    }
    return 0;
}

bool LumetraRecorder::setRetentionDays(const QVariant &days)
{
    QString refusal;
    const int parsed = retentionDaysFrom(days, &refusal);
    if (parsed == 0) {
        const QString message =
            tr("%1 Recordings are kept for %2 days instead.").arg(refusal).arg(m_retentionDays);
        qCWarning(lcLumetraRecorder).noquote() << message;
        emit sigNotice(message);
        return false;
    }
    m_retentionDays = parsed;
    m_nextPruneAt = 0;
    return true;
}

// A value that is no longer valid is not a new reading: the file keeps the last one and the link's end.
void LumetraRecorder::recordChanges(const QSet<int> &ids)
{
    for (const int q : ids) {
        if (q < LumetraRecordQuantities::count() && m_model->isValid(q))
            record(q, m_model->number(q));
    }
}

void LumetraRecorder::attachDecoder(LumetraResponseDecoder *decoder)
{
    using D = LumetraResponseDecoder;
    m_model->attachDecoder(decoder);

    connect(decoder, &D::sigsSerialNumberChanged, this, &LumetraRecorder::slotSerialNumber);
    // The decoder reads a line only up to a NUL; a serial number with one inside still names the laser.
    connect(decoder, &D::sigParsingError, this, [this](const QByteArray &line) {
        static const QByteArray prefix = QByteArrayLiteral("Serial number:");
        if (line.startsWith(prefix) && line.contains('\0'))
            slotSerialNumber(
                QString::fromLatin1(line.constData() + prefix.size(), line.size() - prefix.size()));
    });
}

// The module the laser reports is the one whose readings are offered; every report says so again, also
// after a new laser was identified on a link that never ended.
void LumetraRecorder::followModule()
{
    connect(m_model, &LumetraLaserModel::moduleReported, this,
            [this] { setReporters(LumetraRecordQuantities::Laser | m_model->modules()); });
}

void LumetraRecorder::setReporters(LumetraRecordQuantities::Reporters reporters)
{
    if (reporters == m_reporters)
        return;
    m_reporters = reporters;
    emit sigReportersChanged();
}

void LumetraRecorder::attachLink(LumetraSerialHandler *link)
{
    m_linked = true;
    connect(link, &LumetraSerialHandler::sigCommunicationOpened, this, &LumetraRecorder::slotPortOpened);
    connect(link, &LumetraSerialHandler::sigCommunicationClosed, this, &LumetraRecorder::slotPortClosed);
    connect(link, &LumetraSerialHandler::sigConnectedStatus, this, &LumetraRecorder::slotConnectedStatus);
    // From the link, not the controller: the commands discarded when a lost port returns are dropped
    // after the controller that queued them has gone with the port.
    connect(link, &LumetraSerialHandler::sigCommandDropped, this, &LumetraRecorder::recordDroppedCommand);
}

void LumetraRecorder::followConnection(LumetraReconnector *watch)
{
    m_watch = watch;
    using Link = LumetraReconnector::State;
    // Giving up on a lost port closes nothing, yet ends the wait the history last told of: the file of
    // the laser that was lost says the operator stopped waiting for it.
    connect(watch, &LumetraReconnector::stateChanged, this, [this, last = Link::Closed](Link state) mutable {
        const Link before = std::exchange(last, state);
        if (before != Link::Lost || state != Link::Closed || m_serial.isEmpty() || !m_watch)
            return;
        RecordEvent e;
        e.kind = RecordEvent::Connection;
        e.source = m_watch->portName();
        e.t = m_clock();
        says(QT_TR_NOOP("Stopped waiting for %1 to return")).arg(e.source).into(e);
        batchOf(m_serial).events.push_back(e);
    });
}

LumetraEventText LumetraRecorder::says(const char *source)
{
    return LumetraEventText(staticMetaObject.className(), source);
}

void LumetraRecorder::attachLinkAndDecode(LumetraSerialHandler *link)
{
    auto *decoder = new LumetraResponseDecoder(this);
    connect(link, &LumetraSerialHandler::sigLineReceived, this, &LumetraRecorder::slotLineReceived);
    connect(link, &LumetraSerialHandler::sigLineReceived, decoder, &LumetraResponseDecoder::slotLineReceived);
    connect(link, &LumetraSerialHandler::sigConnectedStatus, decoder,
            &LumetraResponseDecoder::slotConnectedStatus);
    // A closed port ends the connection too, though the link says so only by closing: whoever answers
    // next is identified again, and its first readings are announced whatever they are.
    connect(link, &LumetraSerialHandler::sigCommunicationClosed, decoder,
            [decoder] { decoder->slotConnectedStatus(false); });
    attachDecoder(decoder);
    attachLink(link);
}

QStringList LumetraRecorder::untappedQuantities() const
{
    QStringList untapped;
    for (int i = 0; i < LumetraRecordQuantities::count(); ++i) {
        const QString key = QString::fromLatin1(LumetraRecordQuantities::at(i).key);
        if (!key.startsWith(QLatin1String("ctl.")) && !m_model->isFed(i))
            untapped << key;
    }
    return untapped;
}

void LumetraRecorder::record(int quantity, double value)
{
    m_keeper.offer(quantity, m_clock(), value, m_pending.last().samples);
    enforceBound();
}

int LumetraRecorder::pendingSamples() const
{
    int count = 0;
    for (const Pending &p : m_pending)
        count += p.samples.size();
    return count;
}

qint64 LumetraRecorder::droppedSamples() const
{
    qint64 count = 0;
    for (const qint64 n : m_dropped)
        count += n;
    return count;
}

void LumetraRecorder::slotLineReceived()
{
    // Unchanged readings are not recorded, yet each line says the laser still reported them.
    m_lastReadingAt = m_clock();
}

void LumetraRecorder::recordEvent(RecordEvent event)
{
    if (event.t == 0)
        event.t = m_clock();
    if (event.kind == RecordEvent::AlarmRaised || event.kind == RecordEvent::AlarmCleared)
        qCInfo(lcLumetraRecorder).noquote() << event.text;
    m_pending.last().events.push_back(event);
    int excess = -eventBound;
    for (const Pending &p : m_pending)
        excess += p.events.size();
    for (Pending &p : m_pending) {
        if (excess <= 0)
            break;
        const int drop = std::min(excess, int(p.events.size()));
        p.events.remove(0, drop);
        excess -= drop;
    }
}

void LumetraRecorder::recordCommand(const QString &text, const QString &source)
{
    const QString command = text.trimmed();
    if (command.isEmpty())
        return;
    RecordEvent e;
    e.kind = RecordEvent::Command;
    e.text = command;
    e.source = source;
    recordEvent(e);
}

void LumetraRecorder::recordManualCommand(const QByteArray &command)
{
    const int nul = command.indexOf('\0');
    const QString text = QString::fromLatin1(nul < 0 ? command : command.left(nul)).trimmed();
    if (text.isEmpty())
        return;
    if (m_linked && m_port.isEmpty()) {
        // No port, no controller to queue it: the command goes nowhere, and the operator who typed it
        // must not think the laser got it.
        const bool lost = m_watch && m_watch->state() == LumetraReconnector::State::Lost;
        const LumetraEventText reason =
            lost ? says(QT_TR_NOOP("the port is lost")) : says(QT_TR_NOOP("no port is open"));
        const QString message = tr("Command \"%1\" dropped: %2").arg(text, reason.translated());
        qCWarning(lcLumetraRecorder).noquote() << message;
        emit sigNotice(message);
        RecordEvent e;
        e.kind = RecordEvent::Command;
        e.severity = RecordEvent::Warning;
        e.source = tr("serial monitor");
        says(QT_TR_NOOP("%1 (not sent: %2)")).arg(text).arg(reason).into(e);
        recordEvent(e);
        return;
    }
    // The audit hears of it from the controller and tells it in full; a question is no write.
    if (m_audit && !text.endsWith('?'))
        return;
    m_manualEcho << text;
    // Without a controller no copy comes back to match; the list must not grow for ever.
    while (m_manualEcho.size() > 32)
        m_manualEcho.removeFirst();
    recordCommand(text, tr("serial monitor"));
}

void LumetraRecorder::recordControllerCommand(const QString &command)
{
    const QString text = command.trimmed();
    if (m_manualEcho.removeOne(text))
        return;
    // Queries are the program asking, not an operator commanding.
    if (text.endsWith('?'))
        return;
    if (m_audit && m_audit->tells(text))
        return;
    recordCommand(text, tr("panel"));
}

void LumetraRecorder::followAudit(LumetraWriteAudit *audit)
{
    m_audit = audit;
    connect(audit, &LumetraWriteAudit::sigSettled, this, &LumetraRecorder::recordWrite);
}

void LumetraRecorder::recordWrite(const LumetraWriteAudit::Write &write)
{
    using Outcome = LumetraWriteAudit::Outcome;
    RecordEvent e;
    e.kind = RecordEvent::Command;
    e.severity = write.outcome == Outcome::Reported || write.outcome == Outcome::Sent ? RecordEvent::Info
                                                                                      : RecordEvent::Warning;
    e.t = write.time;
    e.source = LumetraWriteAudit::originText(write);
    LumetraWriteAudit::text(write).into(e);
    recordEvent(e);
}

void LumetraRecorder::recordDroppedCommand(const QString &command, const QString &reason,
                                           const QString &reasonKey)
{
    const QString text = command.trimmed();
    // Polled queries are the program's own; only what someone commanded is history.
    if (text.isEmpty() || text.endsWith('?'))
        return;
    // The write's own row says it was not sent.
    if (m_audit && m_audit->tells(text))
        return;
    RecordEvent e;
    e.kind = RecordEvent::Command;
    e.severity = RecordEvent::Warning;
    LumetraEventText said = says(QT_TR_NOOP("%1 (not sent: %2)")).arg(text);
    const LumetraEventText keyed = LumetraEventText::fromKey(reasonKey);
    (keyed.isNull() ? said.arg(reason) : said.arg(keyed)).into(e);
    recordEvent(e);
}

void LumetraRecorder::acknowledge(const QString &alarmKey, const QString &user)
{
    RecordEvent e;
    e.kind = RecordEvent::AlarmAcknowledged;
    e.alarmKey = alarmKey;
    e.source = user;
    says(QT_TR_NOOP("Acknowledged by %1")).arg(user).into(e);
    recordEvent(e);
    m_alarms->acknowledged(alarmKey);
}

void LumetraRecorder::slotSerialNumber(const QString &serial)
{
    // A laser without a usable serial number is still recorded, under a stand-in name.
    const QString trimmed = LumetraRecordStore::laserName(serial);
    // Another laser on a link that never ended: the values of the one before are not this one's.
    const QString before = m_pending.last().serial;
    if (!before.isEmpty() && before != trimmed)
        m_keeper.endSeries(m_pending.last().samples);
    identify(trimmed);
    m_linkLaser = trimmed;
    // Said once a connection; the same laser back on the port is identified again, in its own file.
    if (m_identified && trimmed == m_serial)
        return;
    m_identified = true;
    const bool another = trimmed != m_serial;
    if (another) {
        // What waits for the laser before stays marked as its own and goes to its file only.
        m_store.close();
        m_serial = trimmed;
        m_retryAt.remove(m_serial);
    }
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    says(QT_TR_NOOP("Identified laser %1")).arg(trimmed).into(e);
    e.source = m_port;
    recordEvent(e);
    if (!another)
        return;
    // Its module is known once it says which it carries.
    setReporters(LumetraRecordQuantities::Laser);
    emit sigLaserChanged(m_serial);
    if (trimmed != serial.trimmed())
        announce(m_serial,
                 says(QT_TR_NOOP("The laser reported no usable serial number. It is recorded as %1."))
                     .arg(trimmed));
}

void LumetraRecorder::slotPortOpened(const QString &port)
{
    // Whoever answers on the port is not known until it says its serial number.
    endLink();
    m_port = port;
    m_linkLaser.clear();
    recordConnection(RecordEvent::Info, says(QT_TR_NOOP("Port %1 opened")).arg(port), port);
}

void LumetraRecorder::recordConnection(int severity, const LumetraEventText &text, const QString &port)
{
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.severity = severity;
    e.source = port;
    text.into(e);
    // A laser that fell silent and was not heard from again before the port closed: the close ends its
    // story, not that of whichever laser identifies itself next.
    if (m_pending.last().serial.isEmpty() && !m_linkLaser.isEmpty()) {
        e.t = m_clock();
        batchOf(m_linkLaser).events.push_back(e);
        return;
    }
    recordEvent(e);
}

void LumetraRecorder::recordOtherLaser(const QString &port)
{
    const QString expected = m_watch->expectedSerialNumber();
    if (expected.isEmpty())
        return;
    // Told in the file of the laser that was expected back: its history shows why it never returned.
    const QString found = QStringList{m_watch->foundSystemType(), m_watch->foundSerialNumber()}
                              .join(QLatin1Char(' '))
                              .trimmed();
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.severity = RecordEvent::Warning;
    e.source = port;
    e.t = m_clock();
    says(QT_TR_NOOP("Another laser answered on %1: %2. The connection stays closed."))
        .arg(port)
        .arg(found)
        .into(e);
    batchOf(LumetraRecordStore::laserName(expected)).events.push_back(e);
}

void LumetraRecorder::slotPortClosed(const QString &port)
{
    using Link = LumetraReconnector::State;
    const Link link = m_watch ? m_watch->state() : Link::Closed;
    // What the laser last said comes before the close, which stays the last word of the recording.
    if (m_connected)
        recordLastReport(Link::Lost);
    // A port that went away is not one the operator closed: in a dispute that is the difference
    // between an unplugged cable and a deliberate stop.
    if (link == Link::Lost)
        recordConnection(RecordEvent::Warning, says(QT_TR_NOOP("Port %1 lost")).arg(port), port);
    else
        recordConnection(RecordEvent::Info, says(QT_TR_NOOP("Port %1 closed")).arg(port), port);
    if (link == Link::OtherLaser && m_watch)
        recordOtherLaser(port);
    // The link does not say it lost the laser when the port goes: the same end as a lost connection,
    // also for a laser that never finished its handshake.
    m_connected = false;
    m_alarms->slotConnectedStatus(false);
    endLink();
    m_port.clear();
    m_linkLaser.clear();
}

void LumetraRecorder::slotConnectedStatus(bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (connected) {
        // The model tells others (the remote interface) that what it holds is the present.
        m_model->setLinkLive(true);
        return;
    }
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.severity = RecordEvent::Warning;
    says(QT_TR_NOOP("Connection to the laser lost")).into(e);
    e.source = m_port;
    recordEvent(e);
    recordLastReport(LumetraReconnector::State::Unavailable);
    m_alarms->slotConnectedStatus(false);
    endLink();
}

void LumetraRecorder::recordLastReport(LumetraReconnector::State link)
{
    // In a dispute the history must say what the laser last reported when the link ended, and that a
    // laser reported emitting may still be: the end of the link is not the end of the emission.
    static const int statusByte = LumetraRecordQuantities::indexOf(QStringLiteral("laser.status_byte"));
    static const int systemState = LumetraRecordQuantities::indexOf(QStringLiteral("laser.system_state"));
    LumetraOperatorState::Report report;
    if (m_keeper.hasKept(statusByte))
        report.statusByte = int(m_keeper.lastKept(statusByte));
    if (m_keeper.hasKept(systemState))
        report.systemState = int(m_keeper.lastKept(systemState));
    if (report.statusByte < 0 && report.systemState == 0)
        return;
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(m_clock());
    report.time = QDateTime::fromMSecsSinceEpoch(m_lastReadingAt);
    const LumetraOperatorState state = LumetraOperatorState::evaluate(link, m_port, now, report, now);
    if (state.lastReportText().isEmpty())
        return;
    RecordEvent e;
    e.kind = RecordEvent::State;
    e.severity = state.emitting() ? RecordEvent::Warning : RecordEvent::Info;
    if (state.emitting())
        LumetraEventText(nullptr, "%1. %2").arg(state.lastReport()).arg(state.emission()).into(e);
    else
        state.lastReport().into(e);
    e.source = m_port;
    recordEvent(e);
}

void LumetraRecorder::endLink()
{
    // The next connection's first readings are recorded whatever they are; no heartbeat meanwhile.
    m_keeper.endSeries(m_pending.last().samples);
    m_model->setLinkLive(false);
    m_identified = false;
    // Whatever comes next waits unmarked until the laser on the link says its serial number.
    if (!m_pending.last().serial.isEmpty())
        m_pending.append(Pending());
}

void LumetraRecorder::identify(const QString &serial)
{
    Pending &current = m_pending.last();
    if (current.serial == serial)
        return;
    if (!current.serial.isEmpty()) {
        m_pending.append(Pending{serial, {}, {}});
        return;
    }
    current.serial = serial;
    if (const qint64 dropped = m_dropped.take(QString()))
        m_dropped[serial] += dropped;
    compact();
}

LumetraRecorder::Pending &LumetraRecorder::batchOf(const QString &serial)
{
    for (int i = m_pending.size() - 1; i >= 0; --i) {
        if (m_pending[i].serial == serial)
            return m_pending[i];
    }
    m_pending.insert(m_pending.size() - 1, Pending{serial, {}, {}});
    return m_pending[m_pending.size() - 2];
}

void LumetraRecorder::compact()
{
    for (int i = m_pending.size() - 2; i >= 0; --i) {
        Pending &next = m_pending[i + 1];
        if (m_pending[i].isEmpty()) {
            m_pending.remove(i);
        } else if (m_pending[i].serial == next.serial) {
            // Ordered as they came: the older batch first.
            m_pending[i].samples += next.samples;
            m_pending[i].events += next.events;
            m_pending.remove(i + 1);
        }
    }
}

void LumetraRecorder::enforceBound()
{
    const int count = pendingSamples();
    if (count <= m_memoryBound)
        return;
    // Drop a tenth at a time, so that a long outage does not shift the whole buffer every reading.
    int excess = count - m_memoryBound + m_memoryBound / 10;
    for (Pending &p : m_pending) {
        if (excess <= 0)
            break;
        const int drop = std::min(excess, int(p.samples.size()));
        if (drop == 0)
            continue;
        p.samples.remove(0, drop);
        m_dropped[p.serial] += drop;
        excess -= drop;
    }
    if (!m_droppedSaid) {
        m_droppedSaid = true;
        qCWarning(lcLumetraRecorder) << "recording memory full; oldest unwritten readings dropped";
    }
}

void LumetraRecorder::reportProblem(const QString &serial, const QString &message)
{
    if (m_troubled.contains(serial))
        return;
    m_troubled.insert(serial);
    qCWarning(lcLumetraRecorder).noquote() << message;
    emit sigProblem(message);
}

bool LumetraRecorder::ensureOpen(LumetraRecordStore &store, const QString &serial, qint64 t)
{
    if (store.isOpen())
        return true;
    if (t < m_retryAt.value(serial))
        return false;
    QString error;
    const LumetraRecordStore::OpenResult result = store.openForLaser(m_folder, serial, &error);
    const QString file = store.fileName();
    announceNotices(store, serial);
    if (result == LumetraRecordStore::OpenResult::Failed) {
        m_retryAt[serial] = t + m_retryMs;
        reportProblem(serial, tr("Recording paused: %1 cannot be opened (%2). The newest readings are kept "
                                 "in memory and the recorder tries again.")
                                  .arg(file, error));
        return false;
    }
    if (&store == &m_store)
        m_nextPruneAt = 0;
    return true;
}

void LumetraRecorder::announceNotices(LumetraRecordStore &store, const QString &serial)
{
    const QList<LumetraEventText> notices = store.takeNotices();
    for (const LumetraEventText &notice : notices)
        announce(serial, notice);
}

void LumetraRecorder::announce(const QString &serial, const LumetraEventText &text)
{
    const QString message = text.translated();
    qCWarning(lcLumetraRecorder).noquote() << message;
    RecordEvent e;
    e.kind = RecordEvent::Recorder;
    e.severity = RecordEvent::Warning;
    text.into(e);
    e.t = m_clock();
    // Told in the file of the laser it belongs to, whichever laser is on the link now.
    batchOf(serial).events.push_back(e);
    emit sigNotice(message);
}

void LumetraRecorder::flush()
{
    const qint64 t = m_clock();
    // A value is repeated only while the link that read it is up.
    if (m_connected)
        m_keeper.beat(t, m_heartbeatMs, m_pending.last().samples);
    enforceBound();
    // Each laser's data to its own file, the current laser's also when nothing waits, so that the docks
    // can read it.
    QStringList lasers;
    for (const Pending &p : m_pending) {
        if (!p.serial.isEmpty() && !lasers.contains(p.serial))
            lasers << p.serial;
    }
    for (const QString &serial : qAsConst(m_troubled)) {
        if (!lasers.contains(serial))
            lasers << serial;
    }
    if (!m_serial.isEmpty() && !lasers.contains(m_serial))
        lasers << m_serial;
    bool currentWritten = false;
    for (const QString &serial : qAsConst(lasers)) {
        if (writePending(serial, t) && serial == m_serial)
            currentWritten = true;
    }
    compact();
    if (currentWritten)
        prune(t);
}

bool LumetraRecorder::writePending(const QString &serial, qint64 t)
{
    const bool current = serial == m_serial;
    const bool troubled = m_troubled.contains(serial);
    const auto waiting = [this, &serial] {
        return std::any_of(m_pending.cbegin(), m_pending.cend(),
                           [&serial](const Pending &p) { return p.serial == serial && !p.isEmpty(); });
    };
    if (!current && !troubled && !waiting())
        return true;
    // Another laser's file is opened for the write only; the docks keep reading the current one's.
    std::unique_ptr<LumetraRecordStore> other;
    if (!current)
        other = std::make_unique<LumetraRecordStore>(
            QStringLiteral("lumetra-recorder-%1-other").arg(quintptr(this), 0, 16));
    LumetraRecordStore &store = current ? m_store : *other;
    if (!ensureOpen(store, serial, t))
        return false;
    // Gathered once the file is open: opening it may have added the story of a damaged one.
    QVector<RecordSample> samples;
    QVector<RecordEvent> events;
    for (const Pending &p : qAsConst(m_pending)) {
        if (p.serial == serial) {
            samples += p.samples;
            events += p.events;
        }
    }
    if (!samples.isEmpty() || !events.isEmpty()) {
        QString error;
        bool damaged = false;
        if (!store.write(samples, events, &error, &damaged)) {
            announceNotices(store, serial);
            if (damaged) {
                // Begun anew at once; the batch is written to the new file on the next turn.
                store.moveAsideAndReopen(&error);
                announceNotices(store, serial);
                if (!store.isOpen())
                    m_retryAt[serial] = t + m_retryMs;
                return false;
            }
            const QString file = store.fileName();
            store.close();
            m_retryAt[serial] = t + m_retryMs;
            reportProblem(serial, tr("Recording paused: writing %1 failed (%2). The newest readings are "
                                     "kept in memory and the recorder tries again.")
                                      .arg(file, error));
            return false;
        }
        for (Pending &p : m_pending) {
            if (p.serial == serial) {
                p.samples.clear();
                p.events.clear();
            }
        }
        // Said after the batch, so that its event goes into the file the store began (if it did).
        announceNotices(store, serial);
    }
    m_retryAt.remove(serial);
    const qint64 dropped = m_dropped.take(serial);
    if (m_dropped.isEmpty())
        m_droppedSaid = false;
    if (troubled) {
        m_troubled.remove(serial);
        QString message;
        if (current)
            message = dropped > 0
                          ? tr("Recording resumed; %1 readings could not be kept meanwhile.").arg(dropped)
                          : tr("Recording resumed.");
        else
            message = dropped > 0 ? tr("The readings of laser %1 kept in memory were written to %2; %3 "
                                       "readings could not be kept meanwhile.")
                                        .arg(serial, store.fileName())
                                        .arg(dropped)
                                  : tr("The readings of laser %1 kept in memory were written to %2.")
                                        .arg(serial, store.fileName());
        qCInfo(lcLumetraRecorder).noquote() << message;
        emit sigRecovered(message);
    }
    if (current && (!samples.isEmpty() || !events.isEmpty()))
        emit sigWritten();
    return true;
}

void LumetraRecorder::prune(qint64 t)
{
    if (t < m_nextPruneAt)
        return;
    const int deleted = m_store.prune(t - m_retentionDays * dayMs, pruneStepRows);
    // More to do continues on the next flush; otherwise look again in an hour.
    if (deleted < pruneStepRows)
        m_nextPruneAt = t + pruneIntervalMs;
}
