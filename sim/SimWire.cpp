#include "sim/SimWire.h"

#include "sim/SimPort.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSimWire, "lumetra.sim.wire")

namespace {
const int bitsPerByte = 10; // start bit, eight data bits, stop bit
const int tickMs = 2;
const int retryMs = 5;          // the terminal's buffer is full: nobody is reading
const int maxPending = 1 << 20; // beyond this a reader is not coming back for it
} // namespace

SimWire::SimWire(SimPort *line, QObject *parent) : QObject(parent), port(line), timer(new QTimer(this))
{
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, &SimWire::pump);
    clock.start();
}

void SimWire::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (pending.size() + bytes.size() > maxPending) {
        qCWarning(lcSimWire) << "nobody reads the port:" << bytes.size() << "bytes dropped";
        return;
    }
    pending += bytes;
    if (!timer->isActive())
        pump();
}

void SimWire::pump()
{
    if (!port || !port->isOpen()) {
        pending.clear();
        return;
    }
    if (pending.isEmpty())
        return;
    const qint64 now = clock.nsecsElapsed();
    int allowed = pending.size();
    qint64 byteNs = 0;
    if (baudRate > 0) {
        byteNs = qint64(1000000000) * bitsPerByte / baudRate;
        nextByteNs = std::max(nextByteNs, now);
        // Bytes whose start time has come, and the one starting now.
        allowed = int(std::min<qint64>(pending.size(), 1 + (now + tickMs * 1000000 - nextByteNs) / byteNs));
    }
    const qint64 written = port->write(pending.left(allowed));
    if (written < 0) {
        qCDebug(lcSimWire) << "terminal gone," << pending.size() << "bytes dropped";
        pending.clear();
        return;
    }
    pending.remove(0, int(written));
    nextByteNs += written * byteNs;
    if (!pending.isEmpty())
        timer->start(written == 0 ? retryMs : tickMs);
}
