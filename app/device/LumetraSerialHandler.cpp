#include "app/device/LumetraSerialHandler.h"

#include "app/device/LumetraLineReceipt.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

Q_LOGGING_CATEGORY(lcSerialHandler, "lumetra.device.serialhandler")

namespace {

struct PortErrorText
{
    QSerialPort::SerialPortError error;
    const char *text;
};

const PortErrorText portErrorTexts[] = {
    {QSerialPort::NoError, ""},
    {QSerialPort::DeviceNotFoundError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "An error occurred while attempting to open an non-existing device.")},
    {QSerialPort::PermissionError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "An error occurred while attempting to open an already opened device by another "
                       "process or a user not having enough permission and credentials to open.")},
    {QSerialPort::OpenError,
     QT_TRANSLATE_NOOP(
         "LumetraSerialHandler",
         "An error occurred while attempting to open an already opened device in this object.")},
    {QSerialPort::WriteError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler", "An I/O error occurred while writing the data.")},
    {QSerialPort::ReadError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler", "An I/O error occurred while reading the data.")},
    {QSerialPort::ResourceError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "An I/O error occurred when a resource becomes unavailable, e.g. when the device is "
                       "unexpectedly removed from the system.")},
    {QSerialPort::UnsupportedOperationError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "The requested device operation is not supported or prohibited by the running "
                       "operating system.")},
    {QSerialPort::TimeoutError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "A timeout error occurred. This value was introduced in QtSerialPort 5.2.")},
    {QSerialPort::NotOpenError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "This error occurs when an operation is executed that can only be successfully "
                       "performed if the device is open. This value was introduced in QtSerialPort 5.2.")},
};

const char UnidentifiedErrorText[] =
    QT_TRANSLATE_NOOP("LumetraSerialHandler", "An unidentified error occurred.");

} // namespace

QString LumetraSerialHandler::errorText(QSerialPort::SerialPortError error)
{
    for (const PortErrorText &entry : portErrorTexts) {
        if (entry.error == error)
            return tr(entry.text);
    }
    return tr(UnidentifiedErrorText);
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

LumetraSerialHandler::LumetraSerialHandler(QObject *parent) : QObject(parent)
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
    if (port)
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
        // Coarse timers may fire a few percent late, and every late turn would slow the poll cycle.
        loopTimer = new QTimer(this);
        loopTimer->setSingleShot(true);
        loopTimer->setTimerType(Qt::PreciseTimer);
        connect(loopTimer, &QTimer::timeout, this, &LumetraSerialHandler::slotMainLoop);
        commandTimer = new QTimer(this);
        commandTimer->setSingleShot(true);
        commandTimer->setTimerType(Qt::PreciseTimer);
        connect(commandTimer, &QTimer::timeout, this, &LumetraSerialHandler::slotCommandTimeout);
        loopOrigin = clock.nowMs();
        scheduledTurnAt = loopOrigin;
    }
    lastTurnAt = scheduledTurnAt;

    if (closeRequested) {
        closeRequested = false;
        // Nothing to close: a close request without a port leaves the link as it is.
        if (port)
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
    loopTimer->start(int(qMin<qint64>(at - now, std::numeric_limits<int>::max())));
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
    commandTimer->start(int(qMax<qint64>(0, deadline - clock.nowMs())));
}

void LumetraSerialHandler::slotCommandTimeout()
{
    if (!port)
        return;
    if (clock.nowMs() >= engine->commandDeadline())
        engine->commandTimeout();
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
    auto *newPort = new QSerialPort(requestedPortName, this);
    if (!newPort->open(QIODevice::ReadWrite)) {
        emit sigStatusMessage(tr("Communication port %1 open failed. Reason: %2")
                                  .arg(requestedPortName, newPort->errorString()));
        emit sigOpenFailed(requestedPortName, newPort->error());
        newPort->deleteLater();
        return;
    }
    port = newPort;
    port->setBaudRate(QSerialPort::Baud38400, QSerialPort::AllDirections);
    port->setParity(QSerialPort::NoParity);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // Pseudo-terminals and some adapters have no modem lines; the link works without them.
    if (!port->setDataTerminalReady(true))
        qCDebug(lcSerialHandler) << "DTR not supported on" << requestedPortName;
    if (!port->setRequestToSend(true))
        qCDebug(lcSerialHandler) << "RTS not supported on" << requestedPortName;
    port->clear(QSerialPort::AllDirections);
    port->setReadBufferSize(ReadBufferSize);

    connect(port, &QSerialPort::readyRead, this, &LumetraSerialHandler::slotReadyRead);
    connect(port, &QSerialPort::errorOccurred, this, &LumetraSerialHandler::slotErrorOccurred);

    readErrorsWithoutData = 0;
    engine->opened();
    emit sigCommunicationOpened(port->portName());
    emit sigStatusMessage(tr("Communication port %1 successfully opened.").arg(requestedPortName));
}

void LumetraSerialHandler::closeSequence()
{
    QString name;
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
    // Written now rather than when the port reports room for it: saves the worker a wake-up a command.
    port->flush();
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
        if (!bytes.isEmpty())
            readErrorsWithoutData = 0;
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

void LumetraSerialHandler::slotErrorOccurred(QSerialPort::SerialPortError error)
{
    // Once the port is condemned, the errors of its last moments add nothing.
    if (closeRequested && (error == QSerialPort::ReadError || error == QSerialPort::ResourceError))
        return;

    if (error == QSerialPort::ReadError) {
        // A peer that hung up (an unplugged adapter, a closed pseudo-terminal) makes every read fail
        // without delivering data; the second such failure in a row means the device is gone.
        ++readErrorsWithoutData;
        if (readErrorsWithoutData >= 2) {
            closeRequested = true;
            scheduleTurn();
            return;
        }
    }
    engine->reportError(errorText(error));
    if (error == QSerialPort::ResourceError) {
        closeRequested = true;
        scheduleTurn();
    }
}
