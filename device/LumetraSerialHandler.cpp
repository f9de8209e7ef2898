#include "device/LumetraSerialHandler.h"

#include "device/LumetraLineReceipt.h"
#include "device/LumetraLinkTimer.h"
#include "device/LumetraSerialTransport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcSerialHandler, "lumetra.device.serialhandler")

namespace {
LumetraTransport::Factory testTransportFactory;
LumetraLinkClock *testClock = nullptr;
} // namespace

void LumetraSerialHandler::setTestDefaults(LumetraTransport::Factory factory, LumetraLinkClock *clock)
{
    testTransportFactory = std::move(factory);
    testClock = clock;
}

QString LumetraSerialHandler::errorText(QSerialPort::SerialPortError error)
{
    return LumetraSerialTransport::errorText(error);
}

QString LumetraSerialHandler::trafficLabel(const QString &portName, QChar separator, qint64 msecsSinceEpoch,
                                           int utcOffsetSeconds)
{
    qint64 inMinute = (msecsSinceEpoch + qint64(utcOffsetSeconds) * 1000) % 60000;
    if (inMinute < 0)
        inMinute += 60000;
    const int seconds = int(inMinute / 1000);
    const int millis = int(inMinute % 1000);
    const QChar digits[] = {QLatin1Char(char('0' + seconds / 10)),
                            QLatin1Char(char('0' + seconds % 10)),
                            QLatin1Char('-'),
                            QLatin1Char(char('0' + millis / 100)),
                            QLatin1Char(char('0' + millis / 10 % 10)),
                            QLatin1Char(char('0' + millis % 10))};
    QString label;
    label.reserve(portName.size() + 7);
    label += portName;
    label += separator;
    label.append(digits, 6);
    return label;
}

LumetraSerialHandler::LumetraSerialHandler(QObject *parent)
    : QObject(parent), ownClock(testClock ? nullptr : new LumetraSteadyClock),
      clock(testClock ? *testClock : *ownClock)
{
    if (testTransportFactory)
        transportFactory = testTransportFactory;
    setUp();
}

LumetraSerialHandler::LumetraSerialHandler(LumetraLinkClock &linkClock, QObject *parent)
    : QObject(parent), clock(linkClock)
{
    setUp();
}

void LumetraSerialHandler::setUp()
{
    // Asking for the local time per line makes the C library look at the time-zone file each time.
    // Seconds and milliseconds are all a label shows, and they differ from UTC only by the seconds
    // part of the zone's offset, which no zone in use today has; it is read once.
    utcOffsetSeconds = QDateTime::currentDateTime().offsetFromUtc() % 60;

    engine = new LumetraLinkEngine(clock, this);
    connect(engine, &LumetraLinkEngine::sigWrite, this, &LumetraSerialHandler::writeBytes);
    connect(engine, &LumetraLinkEngine::sigLine, this, &LumetraSerialHandler::deliverLine);
    connect(engine, &LumetraLinkEngine::sigStatusMessage, this, &LumetraSerialHandler::sigStatusMessage);
    connect(engine, &LumetraLinkEngine::sigConnectedStatus, this, &LumetraSerialHandler::sigConnectedStatus);
    connect(engine, &LumetraLinkEngine::sigCommandDropped, this, &LumetraSerialHandler::sigCommandDropped);

    // The receipt stays on the thread that creates the link, which is the one its lines go to.
    QCoreApplication *app = QCoreApplication::instance();
    receipt = new LumetraLineReceipt(app && app->thread() == QThread::currentThread() ? app : nullptr);
    connect(this, &LumetraSerialHandler::sigLinesDelivered, receipt.data(),
            &LumetraLineReceipt::slotLinesDelivered, Qt::QueuedConnection);
    connect(receipt.data(), &LumetraLineReceipt::sigLinesConsumed, this,
            &LumetraSerialHandler::slotLinesConsumed, Qt::QueuedConnection);
}

LumetraSerialHandler::~LumetraSerialHandler()
{
    if (openingPort) {
        openingPort->disconnect();
        openingPort->close();
        openingPort->deleteLater();
    }
    if (port) {
        port->disconnect();
        port->close();
        port->deleteLater();
    }
    if (receipt)
        receipt->deleteLater();
}

void LumetraSerialHandler::slotOpenCommunication(QString SerialportName)
{
    if (port || openingPort)
        closeRequested = true;
    openRequested = true;
    requestedPortName = SerialportName;
    scheduleTurn();
}

void LumetraSerialHandler::slotCloseCommunication()
{
    closeRequested = true;
    scheduleTurn();
}

void LumetraSerialHandler::slotAddMonitorCommand(QString command)
{
    engine->addMonitorCommand(command);
    scheduleTurn();
}

void LumetraSerialHandler::slotDelMonitorCommand(QString command)
{
    engine->delMonitorCommand(command);
    scheduleTurn();
}

void LumetraSerialHandler::slotClrAllMonitorCommands()
{
    engine->clrAllMonitorCommands();
    scheduleTurn();
}

void LumetraSerialHandler::slotAppendSettingsCommand(QString command, bool delayed)
{
    engine->appendSettingsCommand(command, delayed);
    scheduleTurn();
}

void LumetraSerialHandler::slotAppendSettingsCommand(QString command)
{
    slotAppendSettingsCommand(command, false);
}

void LumetraSerialHandler::slotDiscardQueuedCommands()
{
    engine->discardQueuedCommands();
    scheduleTurn();
}

// ---------------------------------------------------------------------------------------------
// Main loop and timers

void LumetraSerialHandler::slotMainLoop()
{
    if (!loopTimer) {
        // Made on the link's thread, whose event loop runs them.
        loopTimer = new LumetraLinkTimer(clock, this);
        connect(loopTimer, &LumetraLinkTimer::timeout, this, &LumetraSerialHandler::slotMainLoop);
        commandTimer = new LumetraLinkTimer(clock, this);
        connect(commandTimer, &LumetraLinkTimer::timeout, this, &LumetraSerialHandler::slotCommandTimeout);
        loopOrigin = clock.nowMs();
        scheduledTurnAt = loopOrigin;
    }
    lastTurnAt = scheduledTurnAt;

    if (closeRequested) {
        closeRequested = false;
        // Nothing to close: a close request without a port leaves the link as it is.
        if (port || openingPort)
            closeSequence();
    } else if (engine->state() == LumetraLinkEngine::stPortClosed) {
        stepPortClosed();
    } else {
        engine->turn();
    }
    scheduleTurn();
}

void LumetraSerialHandler::scheduleTurn()
{
    if (!loopTimer)
        return; // the first turn comes from the thread's start
    syncCommandTimer();
    const bool portRequest =
        closeRequested || (openRequested && engine->state() == LumetraLinkEngine::stPortClosed);
    const qint64 wanted = portRequest ? 0 : engine->nextTurnAt();
    if (wanted == LumetraLinkEngine::Never) {
        loopTimer->stop();
        return;
    }
    const qint64 now = clock.nowMs();
    const qint64 earliest = qMax(wanted, qMax(now, lastTurnAt + LumetraLinkEngine::MainLoopIntervalMs));
    const qint64 step = LumetraLinkEngine::MainLoopIntervalMs;
    const qint64 at = loopOrigin + (earliest - loopOrigin + step - 1) / step * step;
    if (loopTimer->isActive() && at == scheduledTurnAt)
        return;
    scheduledTurnAt = at;
    loopTimer->startAt(at);
}

void LumetraSerialHandler::syncCommandTimer()
{
    const qint64 deadline = engine->commandDeadline();
    if (deadline == LumetraLinkEngine::Never) {
        commandTimer->stop();
        return;
    }
    if (commandTimer->isActive() && deadline == armedDeadline)
        return;
    armedDeadline = deadline;
    commandTimer->startAt(deadline);
}

void LumetraSerialHandler::slotCommandTimeout()
{
    if (!port)
        return;
    if (clock.nowMs() >= engine->commandDeadline()) {
        engine->commandTimeout();
        // Given up: on a transport where silence may mean a dead connection, the link starts over
        // as after a loss.
        if (engine->commandDeadline() == LumetraLinkEngine::Never && port->closesWhenSilent() &&
            !closeRequested) {
            emit sigStatusMessage(
                tr("No answer on %1; closing the connection to make it again.").arg(port->portName()));
            closeRequested = true;
        }
    }
    scheduleTurn();
}

// ---------------------------------------------------------------------------------------------
// Port

void LumetraSerialHandler::stepPortClosed()
{
    if (!openRequested)
        return;
    openRequested = false;
    openPort();
}

void LumetraSerialHandler::openPort()
{
    LumetraTransport *newPort = transportFactory(requestedPortName, this);
    openingPortName = requestedPortName;
    if (!newPort->open(requestedPortName)) {
        failOpen(newPort);
        return;
    }
    if (newPort->isOpening()) {
        openingPort = newPort;
        connect(newPort, &LumetraTransport::openFinished, this, &LumetraSerialHandler::slotOpenFinished);
        return;
    }
    finishOpen(newPort);
}

void LumetraSerialHandler::slotOpenFinished(bool opened)
{
    LumetraTransport *newPort = openingPort;
    if (!newPort || sender() != newPort)
        return;
    openingPort = nullptr;
    newPort->disconnect(this);
    if (opened)
        finishOpen(newPort);
    else
        failOpen(newPort);
    scheduleTurn();
}

void LumetraSerialHandler::failOpen(LumetraTransport *newPort)
{
    emit sigStatusMessage(
        tr("Communication port %1 open failed. Reason: %2").arg(openingPortName, newPort->errorString()));
    emit sigOpenFailed(openingPortName, newPort->openError());
    newPort->deleteLater();
}

void LumetraSerialHandler::finishOpen(LumetraTransport *newPort)
{
    port = newPort;
    port->setReadBufferSize(ReadBufferSize);

    connect(port, &LumetraTransport::readyRead, this, &LumetraSerialHandler::slotReadyRead);
    connect(port, &LumetraTransport::errorOccurred, this, &LumetraSerialHandler::slotTransportError);
    connect(port, &LumetraTransport::lost, this, &LumetraSerialHandler::slotTransportLost);

    engine->opened();
    emit sigCommunicationOpened(port->portName());
    emit sigStatusMessage(tr("Communication port %1 successfully opened.").arg(openingPortName));
}

void LumetraSerialHandler::closeSequence()
{
    QString name;
    if (openingPort) {
        // Given up before it was made: told as the close of that port, as when the open had been quick.
        name = openingPort->portName();
        openingPort->disconnect(this);
        openingPort->close();
        openingPort->deleteLater();
        openingPort = nullptr;
    }
    if (port) {
        name = port->portName();
        port->disconnect(this);
        port->close();
        port->deleteLater();
        port = nullptr;
    }
    engine->closed();
    // No sigConnectedStatus(false) here: the program drops its controller and decoder with the port,
    // and a listener that outlives the port (the device server) learns of it from this signal.
    emit sigCommunicationClosed(name);
    emit sigStatusMessage(tr("Communication port %1 closed.").arg(name));
}

void LumetraSerialHandler::writeBytes(const QByteArray &bytes)
{
    if (!port)
        return;
    port->write(bytes);
    emit sigBytesTransmitted(trafficLabel(QLatin1Char(':')), bytes);
}

QString LumetraSerialHandler::trafficLabel(QChar separator) const
{
    return trafficLabel(port ? port->portName() : QString(), separator, QDateTime::currentMSecsSinceEpoch(),
                        utcOffsetSeconds);
}

void LumetraSerialHandler::slotReadyRead()
{
    if (!port || readPaused())
        return;
    readAvailable();
    scheduleTurn();
}

void LumetraSerialHandler::readAvailable()
{
    // The first piece is taken even when empty: the notification itself counts as activity.
    bool first = true;
    while (port && !readPaused()) {
        const QByteArray bytes = port->read(ReadPieceSize);
        if (bytes.isEmpty() && !first)
            break;
        first = false;
        engine->receive(bytes);
        askForReceipt();
        if (bytes.isEmpty())
            break;
    }
}

// One receipt at a time is asked for, and only once enough lines are out: the count of lines in
// flight then errs on the high side by at most the lines since the last receipt, never low.
void LumetraSerialHandler::askForReceipt()
{
    if (receiptPending || linesDelivered - linesConsumed < quint64(LinesPerReceipt))
        return;
    receiptPending = true;
    emit sigLinesDelivered(linesDelivered);
}

void LumetraSerialHandler::slotLinesConsumed(quint64 count)
{
    const bool wasPaused = readPaused();
    receiptPending = false;
    linesConsumed = qMax(linesConsumed, count);
    askForReceipt();
    if (wasPaused && !readPaused() && port && port->bytesAvailable() > 0) {
        readAvailable();
        scheduleTurn();
    }
}

void LumetraSerialHandler::deliverLine(const QByteArray &line, bool partial)
{
    ++linesDelivered;
    emit sigBytesReceived(trafficLabel(partial ? QLatin1Char('_') : QLatin1Char(':')), line);
    emit sigLineReceived(line);
}

void LumetraSerialHandler::slotReadyReadEnded()
{
    if (!port || !engine->partialLinePending())
        return;
    engine->flushPartialLine();
    askForReceipt();
    scheduleTurn();
}

void LumetraSerialHandler::slotTransportError(QString text, bool failing)
{
    // Once the port is condemned, the errors of its last moments add nothing.
    if (closeRequested && failing)
        return;
    engine->reportError(text);
}

void LumetraSerialHandler::slotTransportLost(QString text)
{
    if (closeRequested)
        return;
    if (!text.isEmpty())
        engine->reportError(text);
    closeRequested = true;
    scheduleTurn();
}
