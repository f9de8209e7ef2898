#pragma once

#include "device/LumetraEventText.h"
#include "device/LumetraResponseDecoder.h"
#include "record/LumetraRecordStore.h"

#include <QHash>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class LumetraLaserModel;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraAlarmMonitor)

// Reads faults and state changes out of the laser's model the way the controller reads them out of its
// decoder (the same status bits, flag masks and error texts) and announces each one once: raised when it
// appears, cleared when it goes. Needs no controller and no window, so a headless server records alarms too.
class LumetraAlarmMonitor : public QObject
{
    Q_OBJECT
public:
    explicit LumetraAlarmMonitor(QObject *parent = nullptr);

    void attach(LumetraLaserModel *model);

    // Alarm keys that are raised now.
    QStringList activeKeys() const { return m_active.keys(); }
    // Acknowledging a warning the laser announces once, and never withdraws, ends it.
    void acknowledged(const QString &key);

public slots:
    void slotStatusByte(uchar statusByte);
    void slotHGErrorcode(quint8 errorcode);
    void slotHGStatusFlags(quint16 flags);
    void slotHGModuleType(const QString &moduleType);
    void slotModuleKind(int moduleKind);
    void slotHGModuleWarning(const QString &message);
    void slotSystemState(SystemState state);
    void slotConnectedStatus(bool connected);

signals:
    // Events without a time: whoever records them stamps them.
    void sigEvent(RecordEvent event);

private:
    void takeChanges(const QSet<int> &ids);
    void takeModule();
    void setAlarm(const QString &key, bool raised, int severity, const LumetraEventText &text);
    void clearAll(const LumetraEventText &reason);
    // Each change of the operating state once, whether a transition line or the status byte tells it.
    void recordState(SystemState state);
    static SystemState steadyState(int statusByte);
    // A text of this class, kept with its key so that it is read in the language in use.
    static LumetraEventText says(const char *source);
    void evaluateFlags();

    struct Active
    {
        LumetraEventText text;
        bool latched = false;
    };
    QPointer<LumetraLaserModel> m_model;
    QHash<QString, Active> m_active;
    QString m_moduleType;
    int m_moduleKind = 0;
    quint16 m_flags = 0;
    bool m_haveFlags = false;
    QString m_hgErrorKey;
    int m_lastState = -1;
};
