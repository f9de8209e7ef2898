#pragma once

#include "device/LumetraTransport.h"

#include <QPointer>

// One end of an in-process byte stream, for tests: what one end writes, the other reads. The ends may
// live on different threads; bytes and hang-ups travel as queued signals. An end opens under any
// name once it is joined to another, and closing it is a hang-up for the other end.
class LumetraPipeTransport : public LumetraTransport
{
    Q_OBJECT
public:
    explicit LumetraPipeTransport(QObject *parent = nullptr);

    // Joins two ends; each is joined to at most one other for its life.
    static void join(LumetraPipeTransport *a, LumetraPipeTransport *b);

    bool open(const QString &portName) override;
    void close() override;
    QString portName() const override { return m_portName; }
    QString errorString() const override { return m_errorString; }
    int openError() const override;
    bool isOpen() const { return m_open; }

    void write(const QByteArray &bytes) override;
    QByteArray read(qint64 maxSize) override;
    qint64 bytesAvailable() const override { return m_buffer.size(); }
    void setReadBufferSize(qint64 size) override { Q_UNUSED(size) }

signals:
    void sigSent(QByteArray bytes);
    void sigHungUp();

private:
    void onReceived(const QByteArray &bytes);
    void onPeerHungUp();

    QPointer<LumetraPipeTransport> m_peer;
    QString m_portName;
    QString m_errorString;
    QByteArray m_buffer;
    bool m_open = false;
};
