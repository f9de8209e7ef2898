#include "app/record/LumetraRecordSource.h"

#include "app/record/LumetraRecorder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

LumetraRecordSource::LumetraRecordSource(LumetraRecorder *recorder, const QString &folder, QObject *parent)
    : QObject(parent), m_recorder(recorder), m_folder(recorder ? recorder->folder() : folder),
      m_readOnly(QStringLiteral("lumetra-record-source-%1").arg(quintptr(this), 0, 16))
{
    if (recorder) {
        connect(recorder, &LumetraRecorder::sigLaserChanged, this, &LumetraRecordSource::onRecorderLaser);
        connect(recorder, &LumetraRecorder::sigWritten, this, [this] {
            if (isLive())
                emit changed();
        });
    }
    // Until a laser is connected, the one recorded last is the one most likely wanted.
    QString newest;
    QDateTime newestTime;
    for (const QString &serial : lasers()) {
        const QDateTime modified =
            QFileInfo(LumetraRecordStore::fileForLaser(m_folder, serial)).lastModified();
        if (!newestTime.isValid() || modified > newestTime) {
            newest = serial;
            newestTime = modified;
        }
    }
    if (recorder && !recorder->laserSerial().isEmpty())
        newest = recorder->laserSerial();
    if (!newest.isEmpty())
        setLaser(newest);
}

QStringList LumetraRecordSource::lasers() const
{
    QStringList list = LumetraRecordStore::lasersIn(m_folder);
    if (m_recorder && !m_recorder->laserSerial().isEmpty()) {
        // The file name is the serial made safe; show the recorded laser by its real serial.
        const QString safe = QFileInfo(LumetraRecordStore::fileForLaser(m_folder, m_recorder->laserSerial()))
                                 .completeBaseName();
        list.removeAll(safe);
        list.prepend(m_recorder->laserSerial());
    }
    return list;
}

bool LumetraRecordSource::isLive() const
{
    return m_recorder && !m_laser.isEmpty() && m_laser == m_recorder->laserSerial();
}

const LumetraRecordStore *LumetraRecordSource::store() const
{
    if (isLive())
        return &m_recorder->store();
    return &m_readOnly;
}

void LumetraRecordSource::setLaser(const QString &serial)
{
    m_laser = serial;
    m_readOnly.close();
    if (!isLive() && !serial.isEmpty()) {
        QString error;
        m_readOnly.open(LumetraRecordStore::fileForLaser(m_folder, serial), &error, true);
    }
    emit changed();
}

void LumetraRecordSource::onRecorderLaser(const QString &serial)
{
    emit lasersChanged();
    setLaser(serial);
}
