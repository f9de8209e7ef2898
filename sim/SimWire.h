#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class SimPort;

// The laser's transmitter: bytes leave at the pace of the serial line (ten bit times a byte), or all at
// once when pacing is off.
class SimWire : public QObject
{
    Q_OBJECT
public:
    explicit SimWire(SimPort *port, QObject *parent = nullptr);

    void setBaudRate(int baud) { baudRate = baud; }
    void send(const QByteArray &bytes);
    void clear() { pending.clear(); }
    bool isIdle() const { return pending.isEmpty(); }

private:
    void pump();

    QPointer<SimPort> port;
    QByteArray pending;
    QTimer *timer;
    QElapsedTimer clock;
    qint64 nextByteNs = 0;
    int baudRate = 38400;
};
