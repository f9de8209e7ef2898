#include "app/record/LumetraRecorder.h"

#include "app/device/LumetraResponseDecoder.h"
#include "app/device/LumetraSerialHandler.h"
#include "app/record/LumetraAlarmMonitor.h"
#include "app/record/LumetraRecordQuantities.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>

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
      m_alarms(new LumetraAlarmMonitor(this)), m_flushTimer(new QTimer(this)),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    m_lastValue.fill(0.0, LumetraRecordQuantities::count());
    m_lastKept.fill(-1, LumetraRecordQuantities::count());
    m_tapped.fill(false, LumetraRecordQuantities::count());
    connect(m_alarms, &LumetraAlarmMonitor::sigEvent, this, &LumetraRecorder::recordEvent);
    connect(m_flushTimer, &QTimer::timeout, this, &LumetraRecorder::flush);
    m_flushTimer->start(1000);
}

LumetraRecorder::~LumetraRecorder()
{
    flush();
}

void LumetraRecorder::setFlushIntervalMs(int ms)
{
    if (ms <= 0)
        m_flushTimer->stop();
    else
        m_flushTimer->start(ms);
}

void LumetraRecorder::setRetentionDays(int days)
{
    m_retentionDays = std::max(1, days);
    m_nextPruneAt = 0;
}

template <typename T>
void LumetraRecorder::tap(LumetraResponseDecoder *decoder, void (LumetraResponseDecoder::*signal)(T),
                          const char *key, double scale)
{
    const int q = LumetraRecordQuantities::indexOf(QLatin1String(key));
    Q_ASSERT_X(q >= 0, "LumetraRecorder::tap", key);
    if (q < 0)
        return;
    m_tapped[q] = true;
    connect(decoder, signal, this,
            [this, q, scale](T value) { record(q, static_cast<double>(value) * scale); });
}

void LumetraRecorder::attachDecoder(LumetraResponseDecoder *decoder)
{
    using D = LumetraResponseDecoder;
    tap(decoder, &D::siguiTmpChar2Changed, "laser.status_byte");
    tap(decoder, &D::sigSystemStateChanged, "laser.system_state");
    tap(decoder, &D::sigPowerSetting_nJ_Changed, "laser.energy_setpoint");
    tap(decoder, &D::sigPowerSetting_percent_Changed, "laser.power_setpoint_percent");
    tap(decoder, &D::sigfMeasuredLaserPowerChanged, "laser.measured_energy");
    tap(decoder, &D::sigOutputFrequencyChanged, "laser.repetition_rate");
    tap(decoder, &D::sigFrequencyIndexChanged, "laser.frequency_index");
    tap(decoder, &D::sigDivisionFactorChanged, "laser.division_factor");
    tap(decoder, &D::sigiModeOfOperationAOMChanged, "laser.aom_mode");
    tap(decoder, &D::sigiShutterOnOffChanged, "laser.shutter");
    tap(decoder, &D::sigiActualCurrentLDDChanged, "laser.ldd_current");
    tap(decoder, &D::sigfTemperature_actual_1Changed, "temp.actual_1");
    tap(decoder, &D::sigfTemperature_actual_2Changed, "temp.actual_2");
    tap(decoder, &D::sigfTemperature_actual_3Changed, "temp.actual_3");
    tap(decoder, &D::sigfTemperature_actual_4Changed, "temp.actual_4");
    tap(decoder, &D::sigfTemperature_actual_5Changed, "temp.actual_5");
    tap(decoder, &D::sigfTemperature_actual_6Changed, "temp.actual_6");
    tap(decoder, &D::sigfTemperature_actual_7Changed, "temp.actual_7");
    tap(decoder, &D::sigfTemperature_actual_8Changed, "temp.actual_8");
    tap(decoder, &D::sigfTemperature_actual_9Changed, "temp.actual_9");
    tap(decoder, &D::sigfTemperature_actual_10Changed, "temp.actual_10");
    tap(decoder, &D::sigOven1TempActualChanged, "hg.oven1_actual");
    tap(decoder, &D::sigOven2TempActualChanged, "hg.oven2_actual");
    tap(decoder, &D::sigOven1TempSettingChanged, "hg.oven1_setpoint");
    tap(decoder, &D::sigOven2TempSettingChanged, "hg.oven2_setpoint");
    tap(decoder, &D::sigOvenModeChanged, "hg.oven_mode");
    tap(decoder, &D::sigHumidityActualChanged, "hg.humidity");
    tap(decoder, &D::sigSHGOutputPowerChanged, "hg.shg_power");
    tap(decoder, &D::sigTHGOutputPowerChanged, "hg.thg_power");
    tap(decoder, &D::sigHGStatusFlagsChanged, "hg.status_flags");
    tap(decoder, &D::sigHGErrorcodeChanged, "hg.error_code");
    tap(decoder, &D::sigHGCrystalCurSpotChanged, "hg.crystal_spot");
    tap(decoder, &D::sigHGCrystalCurRuntimeChanged, "hg.crystal_runtime", 1.0 / 3600.0);

    // Run times arrive as hours and minutes in two fields; one value in hours is what plots.
    const int onTime = LumetraRecordQuantities::indexOf(QStringLiteral("laser.on_hours"));
    const int emissionTime = LumetraRecordQuantities::indexOf(QStringLiteral("laser.emission_hours"));
    m_tapped[onTime] = m_tapped[emissionTime] = true;
    connect(decoder, &D::sigiCounterLaserOnOff_hChanged, this, [=](int h) {
        m_onHours = h;
        record(onTime, m_onHours + m_onMinutes / 60.0);
    });
    connect(decoder, &D::sigiCounterLaserOnOff_mChanged, this, [=](int m) {
        m_onMinutes = m;
        record(onTime, m_onHours + m_onMinutes / 60.0);
    });
    connect(decoder, &D::sigiCounterLaserEmmisionOnOff_hChanged, this, [=](int h) {
        m_emissionHours = h;
        record(emissionTime, m_emissionHours + m_emissionMinutes / 60.0);
    });
    connect(decoder, &D::sigiCounterLaserEmmisionOnOff_mChanged, this, [=](int m) {
        m_emissionMinutes = m;
        record(emissionTime, m_emissionHours + m_emissionMinutes / 60.0);
    });

    connect(decoder, &D::sigsSerialNumberChanged, this, &LumetraRecorder::slotSerialNumber);
    // The decoder reads a line only up to a NUL; a serial number with one inside still names the laser.
    connect(decoder, &D::sigParsingError, this, [this](const QByteArray &line) {
        static const QByteArray prefix = QByteArrayLiteral("Serial number:");
        if (line.startsWith(prefix) && line.contains('\0'))
            slotSerialNumber(
                QString::fromLatin1(line.constData() + prefix.size(), line.size() - prefix.size()));
    });
    m_alarms->attach(decoder);
}

void LumetraRecorder::attachLink(LumetraSerialHandler *link)
{
    connect(link, &LumetraSerialHandler::sigCommunicationOpened, this, &LumetraRecorder::slotPortOpened);
    connect(link, &LumetraSerialHandler::sigCommunicationClosed, this, &LumetraRecorder::slotPortClosed);
    connect(link, &LumetraSerialHandler::sigConnectedStatus, this, &LumetraRecorder::slotConnectedStatus);
}

void LumetraRecorder::attachLinkAndDecode(LumetraSerialHandler *link)
{
    auto *decoder = new LumetraResponseDecoder(this);
    connect(link, &LumetraSerialHandler::sigLineReceived, decoder, &LumetraResponseDecoder::slotLineReceived);
    connect(link, &LumetraSerialHandler::sigConnectedStatus, decoder,
            &LumetraResponseDecoder::slotConnectedStatus);
    attachDecoder(decoder);
    attachLink(link);
}

QStringList LumetraRecorder::untappedQuantities() const
{
    QStringList untapped;
    for (int i = 0; i < LumetraRecordQuantities::count(); ++i) {
        if (LumetraRecordQuantities::at(i).source == LumetraRecordQuantities::Source::Decoder && !m_tapped[i])
            untapped << QString::fromLatin1(LumetraRecordQuantities::at(i).key);
    }
    return untapped;
}

void LumetraRecorder::record(int quantity, double value)
{
    if (quantity < 0 || quantity >= m_lastValue.size() || !std::isfinite(value))
        return;
    if (m_lastKept[quantity] >= 0 && m_lastValue[quantity] == value)
        return;
    const qint64 t = m_clock();
    m_samples.push_back({t, quantity, value});
    m_lastValue[quantity] = value;
    m_lastKept[quantity] = t;
    if (m_samples.size() > m_memoryBound)
        enforceBound();
}

void LumetraRecorder::recordEvent(RecordEvent event)
{
    if (event.t == 0)
        event.t = m_clock();
    if (event.kind == RecordEvent::AlarmRaised || event.kind == RecordEvent::AlarmCleared)
        qCInfo(lcLumetraRecorder).noquote() << event.text;
    m_events.push_back(event);
    if (m_events.size() > eventBound)
        m_events.remove(0, m_events.size() - eventBound);
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
    recordCommand(text, tr("panel"));
}

void LumetraRecorder::acknowledge(const QString &alarmKey, const QString &user)
{
    RecordEvent e;
    e.kind = RecordEvent::AlarmAcknowledged;
    e.alarmKey = alarmKey;
    e.source = user;
    e.text = tr("Acknowledged by %1").arg(user);
    recordEvent(e);
    m_alarms->acknowledged(alarmKey);
}

void LumetraRecorder::slotSerialNumber(const QString &serial)
{
    const QString trimmed = LumetraRecordStore::laserName(serial);
    if (trimmed == m_serial)
        return;
    // What is pending belongs to the laser before; it goes to that laser's file first.
    if (!m_serial.isEmpty())
        flush();
    m_store.close();
    m_serial = trimmed;
    m_retryAt = 0;
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.text = tr("Identified laser %1").arg(trimmed);
    e.source = m_port;
    recordEvent(e);
    emit sigLaserChanged(m_serial);
    if (trimmed != serial.trimmed())
        announce(tr("The laser reported no usable serial number. It is recorded as %1.").arg(trimmed));
}

void LumetraRecorder::slotPortOpened(const QString &port)
{
    m_port = port;
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.text = tr("Port %1 opened").arg(port);
    e.source = port;
    recordEvent(e);
}

void LumetraRecorder::slotPortClosed(const QString &port)
{
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.text = tr("Port %1 closed").arg(port);
    e.source = port;
    recordEvent(e);
    m_port.clear();
}

void LumetraRecorder::slotConnectedStatus(bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (connected)
        return;
    RecordEvent e;
    e.kind = RecordEvent::Connection;
    e.severity = RecordEvent::Warning;
    e.text = tr("Connection to the laser lost");
    e.source = m_port;
    recordEvent(e);
    m_alarms->slotConnectedStatus(false);
    // The next connection's first readings are recorded whatever they are; no heartbeat meanwhile.
    m_lastKept.fill(-1);
}

void LumetraRecorder::heartbeat(qint64 t)
{
    for (int q = 0; q < m_lastKept.size(); ++q) {
        if (m_lastKept[q] >= 0 && t - m_lastKept[q] >= m_heartbeatMs) {
            m_samples.push_back({t, q, m_lastValue[q]});
            m_lastKept[q] = t;
        }
    }
}

void LumetraRecorder::enforceBound()
{
    if (m_samples.size() <= m_memoryBound)
        return;
    // Drop a tenth at a time, so that a long outage does not shift the whole buffer every reading.
    const int excess = m_samples.size() - m_memoryBound + m_memoryBound / 10;
    const int drop = std::min(excess, m_samples.size());
    m_samples.remove(0, drop);
    m_dropped += drop;
    if (!m_droppedSaid) {
        m_droppedSaid = true;
        qCWarning(lcLumetraRecorder) << "recording memory full; oldest unwritten readings dropped";
    }
}

void LumetraRecorder::reportProblem(const QString &message)
{
    if (m_problem)
        return;
    m_problem = true;
    qCWarning(lcLumetraRecorder).noquote() << message;
    emit sigProblem(message);
}

bool LumetraRecorder::ensureOpen(qint64 t)
{
    if (m_store.isOpen())
        return true;
    if (t < m_retryAt)
        return false;
    QString error;
    const LumetraRecordStore::OpenResult result = m_store.openForLaser(m_folder, m_serial, &error);
    const QString file = m_store.fileName();
    for (const QString &notice : m_store.takeNotices())
        announce(notice);
    if (result == LumetraRecordStore::OpenResult::Failed) {
        m_retryAt = t + m_retryMs;
        reportProblem(tr("Recording paused: %1 cannot be opened (%2). The newest readings are kept in "
                         "memory and the recorder tries again.")
                          .arg(file, error));
        return false;
    }
    m_nextPruneAt = 0;
    return true;
}

void LumetraRecorder::announce(const QString &message)
{
    qCWarning(lcLumetraRecorder).noquote() << message;
    RecordEvent e;
    e.kind = RecordEvent::Recorder;
    e.severity = RecordEvent::Warning;
    e.text = message;
    recordEvent(e);
    emit sigNotice(message);
}

void LumetraRecorder::flush()
{
    const qint64 t = m_clock();
    if (m_connected || !m_serial.isEmpty())
        heartbeat(t);
    enforceBound();
    if (m_serial.isEmpty() || !ensureOpen(t))
        return;
    if (!m_samples.isEmpty() || !m_events.isEmpty()) {
        QString error;
        bool damaged = false;
        if (!m_store.write(m_samples, m_events, &error, &damaged)) {
            for (const QString &notice : m_store.takeNotices())
                announce(notice);
            if (damaged) {
                // Begun anew at once; the batch is written to the new file on the next turn.
                m_store.moveAsideAndReopen(&error);
                for (const QString &notice : m_store.takeNotices())
                    announce(notice);
                if (!m_store.isOpen())
                    m_retryAt = t + m_retryMs;
                return;
            }
            m_store.close();
            m_retryAt = t + m_retryMs;
            reportProblem(tr("Recording paused: writing %1 failed (%2). The newest readings are kept in "
                             "memory and the recorder tries again.")
                              .arg(m_store.fileName(), error));
            return;
        }
        m_samples.clear();
        m_events.clear();
        // Said after the batch, so that its event goes into the file the store began (if it did).
        for (const QString &notice : m_store.takeNotices())
            announce(notice);
        if (m_problem) {
            m_problem = false;
            m_droppedSaid = false;
            const QString message =
                m_dropped > 0
                    ? tr("Recording resumed; %1 readings could not be kept meanwhile.").arg(m_dropped)
                    : tr("Recording resumed.");
            m_dropped = 0;
            qCInfo(lcLumetraRecorder).noquote() << message;
            emit sigRecovered(message);
        }
        emit sigWritten();
    }
    prune(t);
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
