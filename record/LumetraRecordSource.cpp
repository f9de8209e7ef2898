#include "record/LumetraRecordSource.h"

#include "record/LumetraRecorder.h"

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
        show(newest);
}

QStringList LumetraRecordSource::lasers() const
{
    QStringList list = LumetraRecordStore::lasersIn(m_folder);
    // A file is named by the serial made safe; the recorded laser and the chosen one are shown by their
    // real serial numbers, so that the box always holds the laser whose history is shown.
    const auto showByName = [&](const QString &serial) {
        if (serial.isEmpty())
            return;
        list.removeAll(QFileInfo(LumetraRecordStore::fileForLaser(m_folder, serial)).completeBaseName());
        list.removeAll(serial);
        list.prepend(serial);
    };
    if (!m_laser.isEmpty() && !isLive())
        showByName(m_laser);
    if (m_recorder)
        showByName(m_recorder->laserSerial());
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
    // Picking the laser being recorded follows it from then on; picking another keeps that one in view
    // when a laser connects.
    m_followsRecorder = !m_recorder || serial == m_recorder->laserSerial();
    show(serial);
}

void LumetraRecordSource::show(const QString &serial)
{
    m_laser = serial;
    m_readOnly.close();
    if (!isLive() && !serial.isEmpty()) {
        QString error;
        m_readOnly.open(LumetraRecordStore::fileForLaser(m_folder, serial), &error, true);
    }
    // The list first: a view refills its box from it and then reads the content, and both must name the
    // same laser.
    emit lasersChanged();
    emit changed();
}

void LumetraRecordSource::onRecorderLaser(const QString &serial)
{
    if (m_followsRecorder || m_laser.isEmpty())
        show(serial);
    else
        emit lasersChanged();
}
