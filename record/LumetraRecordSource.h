#pragma once

#include "record/LumetraRecordStore.h"

#include <QObject>
#include <QPointer>
#include <QString>

class LumetraRecorder;

// What a history view reads: the recorder's own file while the chosen laser is the one being recorded,
// otherwise that laser's file opened read-only, so that last night can be looked at before (or
// without) connecting.
class LumetraRecordSource : public QObject
{
    Q_OBJECT
public:
    // recorder may be null (a viewer of files only); folder then says where the files are.
    explicit LumetraRecordSource(LumetraRecorder *recorder, const QString &folder = QString(),
                                 QObject *parent = nullptr);

    const LumetraRecordStore *store() const;
    QString laser() const { return m_laser; }
    QStringList lasers() const;
    QString folder() const { return m_folder; }
    LumetraRecorder *recorder() const { return m_recorder; }
    // The chosen laser is the one being recorded now.
    bool isLive() const;

public slots:
    // The operator's choice (or the start-up default).
    void setLaser(const QString &serial);

signals:
    // The laser or its data changed: views read again.
    void changed();
    void lasersChanged();

private:
    void onRecorderLaser(const QString &serial);
    void show(const QString &serial);

    QPointer<LumetraRecorder> m_recorder;
    QString m_folder;
    QString m_laser;
    bool m_followsRecorder = true;
    LumetraRecordStore m_readOnly;
};
