#include "record/LumetraAlarmMonitor.h"

#include "device/LumetraCommandTable.h"
#include "device/LumetraEventText.h"
#include "device/LumetraHGErrorTable.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraStatusBits.h"

#include <iterator>

Q_LOGGING_CATEGORY(lcLumetraAlarmMonitor, "lumetra.record.alarms")

namespace {

// Alarm keys: stable, stored with the events so that a clear or an acknowledgement finds its alarm.
const char *const keyStatusError = "status.error";
const char *const keyStatusWarning = "status.warning";
const char *const keyOvenFault = "hg.oven_fault";
const char *const keyHumidityFault = "hg.humidity_fault";
const char *const keyHGWarning = "hg.warning";
const char *const keyHGErrorPrefix = "hg.error.";

// Indexed by SystemState.
const char *const stateTexts[] = {
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Unknown"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Listen"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Listen -> Standby"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Standby"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Standby -> Listen"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Standby -> On, output disabled"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "Standby -> On, output enabled"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "On, output disabled"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "On, output enabled"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "On, output disabled -> Standby"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "On, output enabled -> Standby"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "On, output disabled -> Listen"),
    QT_TRANSLATE_NOOP("LumetraAlarmMonitor", "On, output enabled -> Listen"),
};
static_assert(std::size(stateTexts) == SystemStateEnabledToListen + 1, "one text per system state");

} // namespace

LumetraAlarmMonitor::LumetraAlarmMonitor(QObject *parent) : QObject(parent)
{
    LumetraResponseDecoder::registerMetaTypes();
    qRegisterMetaType<RecordEvent>("RecordEvent");
}

void LumetraAlarmMonitor::attach(LumetraLaserModel *model)
{
    m_model = model;
    connect(model, &LumetraLaserModel::changed, this, &LumetraAlarmMonitor::takeChanges);
    // The module report decides which oven bits count, as it does for the controller's lamps.
    connect(model, &LumetraLaserModel::moduleReported, this, &LumetraAlarmMonitor::takeModule);
}

// A value no longer valid is no report: the link's end clears the alarms on its own.
void LumetraAlarmMonitor::takeChanges(const QSet<int> &ids)
{
    namespace Q = LumetraQuantityTable;
    // The module type first: it tells how the flags and the error code of the same changes read.
    static const int read[] = {Q::HgModuleType,  Q::StatusByte,  Q::SystemState,
                               Q::HgStatusFlags, Q::HgErrorCode, Q::HgModuleWarning};
    for (const int id : read) {
        if (!ids.contains(id) || !m_model->isValid(id))
            continue;
        const LumetraLaserModel::Value &v = m_model->value(id);
        switch (id) {
        case Q::HgModuleType:
            slotHGModuleType(v.text);
            break;
        case Q::StatusByte:
            slotStatusByte(uchar(v.number));
            break;
        case Q::SystemState:
            slotSystemState(SystemState(int(v.number)));
            break;
        case Q::HgStatusFlags:
            slotHGStatusFlags(quint16(v.number));
            break;
        case Q::HgErrorCode:
            slotHGErrorcode(quint8(v.number));
            break;
        case Q::HgModuleWarning:
            slotHGModuleWarning(v.text);
            break;
        }
    }
}

void LumetraAlarmMonitor::takeModule()
{
    namespace Q = LumetraQuantityTable;
    using Cmd = LumetraCommandTable;
    const unsigned modules = m_model->modules();
    if (modules & Q::Shg)
        slotModuleKind(Cmd::moduleSequence(Cmd::ModuleSHG).moduleKind);
    else if (modules & Q::Thg)
        slotModuleKind(Cmd::moduleSequence(Cmd::ModuleTHG).moduleKind);
    else if (modules & Q::Thgi)
        slotModuleKind(Cmd::moduleSequence(Cmd::ModuleTHGi).moduleKind);
}

void LumetraAlarmMonitor::slotStatusByte(uchar statusByte)
{
    const QString hex = QStringLiteral("%1").arg(statusByte, 2, 16, QChar('0'));
    setAlarm(QLatin1String(keyStatusError), statusByte & LumetraStatusBits::Error, RecordEvent::Error,
             says(QT_TR_NOOP("Laser error (status byte 0x%1)")).arg(hex));
    setAlarm(QLatin1String(keyStatusWarning), statusByte & LumetraStatusBits::Warning, RecordEvent::Warning,
             says(QT_TR_NOOP("Laser warning (status byte 0x%1)")).arg(hex));
    // The byte is polled all the time, whatever commanded the change (the panel, another program, the
    // laser's own key switch): it is the witness of emission going on and off. A change under way is
    // told by the laser's transition line.
    if (!(statusByte & LumetraStatusBits::DeviceSetup))
        recordState(steadyState(statusByte));
}

SystemState LumetraAlarmMonitor::steadyState(int statusByte)
{
    namespace Bits = LumetraStatusBits;
    if (statusByte & Bits::LaserOn)
        return SystemStateEnabled;
    if (statusByte & Bits::LaserOnPending)
        return SystemStateDisabled;
    if (statusByte & Bits::Standby)
        return SystemStateStandby;
    if (statusByte & Bits::Listen)
        return SystemStateListen;
    return SystemStateUnknown;
}

LumetraEventText LumetraAlarmMonitor::says(const char *source)
{
    return LumetraEventText(staticMetaObject.className(), source);
}

void LumetraAlarmMonitor::slotHGErrorcode(quint8 errorcode)
{
    const QString key =
        errorcode == 0 ? QString() : QLatin1String(keyHGErrorPrefix) + QString::number(errorcode);
    if (key == m_hgErrorKey)
        return;
    if (!m_hgErrorKey.isEmpty())
        setAlarm(m_hgErrorKey, false, RecordEvent::Error, LumetraEventText());
    m_hgErrorKey = key;
    if (!key.isEmpty()) {
        setAlarm(key, true, RecordEvent::Error,
                 says(QT_TR_NOOP("HG Error code: %1 - %2"))
                     .arg(QString::number(errorcode))
                     .arg(LumetraHGErrorTable::describe(m_moduleType, errorcode)));
    }
}

void LumetraAlarmMonitor::slotHGStatusFlags(quint16 flags)
{
    m_flags = flags;
    m_haveFlags = true;
    evaluateFlags();
}

void LumetraAlarmMonitor::slotHGModuleType(const QString &moduleType)
{
    m_moduleType = moduleType;
    evaluateFlags();
}

void LumetraAlarmMonitor::slotModuleKind(int moduleKind)
{
    m_moduleKind = moduleKind;
    evaluateFlags();
}

void LumetraAlarmMonitor::evaluateFlags()
{
    if (!m_haveFlags)
        return;
    const QString hex = QStringLiteral("%1").arg(m_flags, 4, 16, QChar('0'));
    setAlarm(QLatin1String(keyOvenFault),
             m_flags & LumetraHGErrorTable::ovenFaultMask(m_moduleType, m_moduleKind), RecordEvent::Error,
             says(QT_TR_NOOP("Oven fault (HG status flags 0x%1)")).arg(hex));
    setAlarm(QLatin1String(keyHumidityFault), m_flags & LumetraHGErrorTable::humidityFaultMask(m_moduleType),
             RecordEvent::Error, says(QT_TR_NOOP("Humidity fault (HG status flags 0x%1)")).arg(hex));
}

void LumetraAlarmMonitor::slotHGModuleWarning(const QString &message)
{
    const QString key = QLatin1String(keyHGWarning);
    if (message.isEmpty() || m_active.contains(key))
        return;
    setAlarm(key, true, RecordEvent::Warning, says(QT_TR_NOOP("HG warning: %1")).arg(message));
    m_active[key].latched = true;
}

void LumetraAlarmMonitor::acknowledged(const QString &key)
{
    const auto it = m_active.constFind(key);
    if (it != m_active.constEnd() && it->latched)
        setAlarm(key, false, RecordEvent::Warning, LumetraEventText());
}

void LumetraAlarmMonitor::slotSystemState(SystemState state)
{
    recordState(state);
}

void LumetraAlarmMonitor::recordState(SystemState state)
{
    if (state <= SystemStateUnknown || int(state) >= int(std::size(stateTexts)) || int(state) == m_lastState)
        return;
    m_lastState = int(state);
    RecordEvent e;
    e.kind = RecordEvent::State;
    says(QT_TR_NOOP("State: %1")).arg(says(stateTexts[state])).into(e);
    emit sigEvent(e);
}

void LumetraAlarmMonitor::slotConnectedStatus(bool connected)
{
    if (connected)
        return;
    clearAll(says(QT_TR_NOOP("connection closed")));
    m_moduleType.clear();
    m_moduleKind = 0;
    m_flags = 0;
    m_haveFlags = false;
    m_hgErrorKey.clear();
    m_lastState = -1;
}

void LumetraAlarmMonitor::clearAll(const LumetraEventText &reason)
{
    const QStringList keys = m_active.keys();
    for (const QString &key : keys) {
        RecordEvent e;
        e.kind = RecordEvent::AlarmCleared;
        e.alarmKey = key;
        says(QT_TR_NOOP("Cleared (%1): %2")).arg(reason).arg(m_active.value(key).text).into(e);
        m_active.remove(key);
        emit sigEvent(e);
    }
}

void LumetraAlarmMonitor::setAlarm(const QString &key, bool raised, int severity,
                                   const LumetraEventText &text)
{
    const bool active = m_active.contains(key);
    if (raised == active)
        return;
    RecordEvent e;
    e.alarmKey = key;
    if (raised) {
        e.kind = RecordEvent::AlarmRaised;
        e.severity = severity;
        text.into(e);
        m_active.insert(key, {text, false});
        qCInfo(lcLumetraAlarmMonitor) << "raised" << key << e.text;
    } else {
        e.kind = RecordEvent::AlarmCleared;
        says(QT_TR_NOOP("Cleared: %1")).arg(m_active.value(key).text).into(e);
        m_active.remove(key);
        qCInfo(lcLumetraAlarmMonitor) << "cleared" << key;
    }
    emit sigEvent(e);
}
