#include "app/device/LumetraSerialHandler.h"

#include "app/device/LumetraStatusBits.h"

#include <QLoggingCategory>
#include <QTime>
#include <QTimer>

Q_LOGGING_CATEGORY(lcSerialHandler, "lumetra.device.serialhandler")

namespace {

constexpr int MainLoopIntervalMs = 10;
constexpr int PartialLineTimeoutMs = 60;
constexpr int CommandTimeoutMs = 2000;
constexpr int QuietAfterOpenMs = 2000;
constexpr int HandshakeQuietMs = 16;
constexpr int SchedulerQuietMs = 15;
constexpr int ReadyChecks = 10;

const char IdentQuery[] = "ly_system_info\n";
const char StatusQuery[] = "ly_lqz2_dev_status?\n";
const char IdentEchoPrefix[] = "ly_system_info";
const char IdentLinePrefix[] = "Lumetra-";
const char StatusEchoPrefix[] = "ly_lqz2_dev_status?";
const char StatusLinePrefix[] = "ly_lqz2_dev_status ";

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

LumetraSerialHandler::LumetraSerialHandler(QObject *parent) : QObject(parent)
{
    lastActivity.start();
}

LumetraSerialHandler::~LumetraSerialHandler()
{
    if (port) {
        port->disconnect();
        port->close();
        port->deleteLater();
    }
}

QString LumetraSerialHandler::errorText(QSerialPort::SerialPortError error)
{
    for (const PortErrorText &entry : portErrorTexts) {
        if (entry.error == error)
            return tr(entry.text);
    }
    return tr(UnidentifiedErrorText);
}

void LumetraSerialHandler::slotOpenCommunication(QString SerialportName)
{
    if (port)
        closeRequested = true;
    openRequested = true;
    requestedPortName = SerialportName;
}

void LumetraSerialHandler::slotCloseCommunication()
{
    closeRequested = true;
}

QString LumetraSerialHandler::withLineFeed(const QString &command)
{
    return command.endsWith(QLatin1Char('\n')) ? command : command + QLatin1Char('\n');
}

void LumetraSerialHandler::slotAddMonitorCommand(QString command)
{
    if (command.isEmpty())
        return;
    command = withLineFeed(command);
    const int existing = monitorCommands.indexOf(command);
    if (existing >= 0)
        monitorCommands[existing] = command;
    else
        monitorCommands.append(command);
}

void LumetraSerialHandler::slotDelMonitorCommand(QString command)
{
    monitorCommands.removeOne(withLineFeed(command));
}

void LumetraSerialHandler::slotClrAllMonitorCommands()
{
    monitorCommands.clear();
    delayedCommands.clear();
}

void LumetraSerialHandler::slotAppendSettingsCommand(QString command, bool delayed)
{
    if (command.isEmpty())
        return;
    command = withLineFeed(command);
    if (delayed)
        delayedCommands.append(command);
    else
        settingsCommands.append(command);
}

void LumetraSerialHandler::slotAppendSettingsCommand(QString command)
{
    slotAppendSettingsCommand(command, false);
}

void LumetraSerialHandler::slotDiscardQueuedCommands()
{
    const int dropped = settingsCommands.size() + delayedCommands.size();
    if (dropped == 0)
        return;
    QStringList texts;
    for (const QString &command : qAsConst(settingsCommands) + delayedCommands)
        texts.append(command.trimmed());
    settingsCommands.clear();
    delayedCommands.clear();
    emit sigStatusMessage(
        tr("Dropped %n command(s) given while the laser was not connected: %1", nullptr, dropped)
            .arg(texts.join(QStringLiteral(", "))));
}

void LumetraSerialHandler::slotMainLoop()
{
    if (closeRequested) {
        closeRequested = false;
        // Nothing to close: a close request without a port leaves the link as it is.
        if (port) {
            linkState = stClosePort;
            closeSequence();
        }
    } else {
        switch (linkState) {
        case stInit:
            stepInit();
            break;
        case stPortClosed:
            stepPortClosed();
            break;
        case stWaitAfterOpen:
            stepWaitAfterOpen();
            break;
        case stSendConnectCmd:
            stepSendConnectCmd();
            break;
        case stWaitReadyCmd:
            stepWaitReadyCmd();
            break;
        case stRunning:
            stepRunning();
            break;
        case stClosePort:
            closeSequence();
            break;
        }
    }
    QTimer::singleShot(MainLoopIntervalMs, this, &LumetraSerialHandler::slotMainLoop);
}

void LumetraSerialHandler::stepInit()
{
    if (!rxTimer) {
        rxTimer = new QTimer(this);
        rxTimer->setSingleShot(true);
        rxTimer->setInterval(PartialLineTimeoutMs);
    }
    if (!commandTimer) {
        commandTimer = new QTimer(this);
        commandTimer->setSingleShot(true);
        commandTimer->setInterval(CommandTimeoutMs);
        connect(commandTimer, &QTimer::timeout, this, &LumetraSerialHandler::slotCommandTimeout);
    }
    expectIdentLine = false;
    systemIdentified = false;
    expectStatusLine = false;
    deviceReady = false;
    readyChecksLeft = ReadyChecks;
    monitorIndex = 0;
    emit sigConnectedStatus(false);
    linkState = stPortClosed;
}

void LumetraSerialHandler::stepPortClosed()
{
    if (!openRequested)
        return;
    openRequested = false;
    openPort();
    if (port)
        linkState = stWaitAfterOpen;
}

void LumetraSerialHandler::stepWaitAfterOpen()
{
    if (quietTime() > QuietAfterOpenMs)
        linkState = stSendConnectCmd;
}

bool LumetraSerialHandler::canSendHandshakeQuery() const
{
    return quietTime() >= HandshakeQuietMs && !rxTimer->isActive() && pendingCommand.isEmpty();
}

void LumetraSerialHandler::stepSendConnectCmd()
{
    qCDebug(lcSerialHandler) << "stSendConnectCmd";
    if (systemIdentified) {
        linkState = stWaitReadyCmd;
        return;
    }
    if (canSendHandshakeQuery())
        sendCommand(QString::fromLatin1(IdentQuery));
    deviceReady = false;
}

void LumetraSerialHandler::stepWaitReadyCmd()
{
    qCDebug(lcSerialHandler) << "stWaitReadyCmd";
    if (!systemIdentified) {
        linkState = stWaitAfterOpen;
        return;
    }
    if (deviceReady) {
        monitorRoundDone = false;
        monitorIndex = monitorCommands.size();
        linkState = stRunning;
        emit sigConnectedStatus(true);
        return;
    }
    if (canSendHandshakeQuery())
        sendCommand(QString::fromLatin1(StatusQuery));
}

void LumetraSerialHandler::stepRunning()
{
    if (quietTime() <= SchedulerQuietMs && settingsCommands.isEmpty())
        return;
    if (rxTimer->isActive())
        return;
    if (!pendingCommand.isEmpty())
        return;
    if (!systemIdentified) {
        linkState = stSendConnectCmd;
        return;
    }
    if (monitorRoundDone && !settingsCommands.isEmpty()) {
        sendCommand(settingsCommands.takeFirst());
        return;
    }
    // Commands queued as delayed wait until every ordinary settings command has gone out and the
    // line has been quiet, then take the place of the next monitored query.
    if (monitorRoundDone && !delayedCommands.isEmpty() && quietTime() > SchedulerQuietMs) {
        sendCommand(delayedCommands.takeFirst());
        return;
    }

    const int n = monitorCommands.size();
    if (monitorIndex < n) {
        ++monitorIndex;
        if (monitorIndex == n)
            return;
    } else {
        monitorIndex = 0;
        if (n == 0)
            return;
    }
    sendCommand(monitorCommands.at(monitorIndex));
    if (monitorIndex == n - 1)
        monitorRoundDone = true;
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

    connect(port, &QSerialPort::readyRead, this, &LumetraSerialHandler::slotReadyRead);
    connect(port, &QSerialPort::errorOccurred, this, &LumetraSerialHandler::slotErrorOccurred);

    rxBuffer.clear();
    discardingLine = false;
    readErrorsWithoutData = 0;
    lastErrorText.clear();
    emit sigCommunicationOpened(port->portName());
    emit sigStatusMessage(tr("Communication port %1 successfully opened.").arg(requestedPortName));
    expectIdentLine = false;
    systemIdentified = false;
    expectStatusLine = false;
    deviceReady = false;
    readyChecksLeft = ReadyChecks;
    pendingCommand.clear();
    lastActivity.restart();
}

void LumetraSerialHandler::closeSequence()
{
    if (rxTimer)
        rxTimer->stop();
    if (commandTimer)
        commandTimer->stop();
    QString name;
    if (port) {
        name = port->portName();
        port->disconnect(this);
        port->close();
        port->deleteLater();
        port = nullptr;
    }
    rxBuffer.clear();
    discardingLine = false;
    monitorCommands.clear();
    delayedCommands.clear();
    // A command cut off by the close can never be echoed; it must not block the next connection.
    pendingCommand.clear();
    emit sigCommunicationClosed(name);
    emit sigStatusMessage(tr("Communication port %1 closed.").arg(name));
    linkState = stPortClosed;
}

void LumetraSerialHandler::sendCommand(const QString &command)
{
    pendingCommand = command;
    retriesLeft = 1;
    commandTimer->start();
    writeCommand(command);
}

void LumetraSerialHandler::writeCommand(const QString &command)
{
    lastActivity.restart();
    const QByteArray bytes = command.toLatin1();
    port->write(bytes);
    emit sigBytesTransmitted(trafficLabel(QStringLiteral(":")), bytes);
}

QString LumetraSerialHandler::trafficLabel(const QString &separator) const
{
    const QString name = port ? port->portName() : QString();
    return name + separator + QTime::currentTime().toString(QStringLiteral("ss-zzz"));
}

qint64 LumetraSerialHandler::quietTime() const
{
    return lastActivity.elapsed();
}

void LumetraSerialHandler::slotReadyRead()
{
    if (!port)
        return;
    lastActivity.restart();
    rxTimer->start();
    const QByteArray bytes = port->readAll();
    if (!bytes.isEmpty())
        readErrorsWithoutData = 0;
    for (const char byte : bytes) {
        const bool terminator = byte == '\r' || byte == '\n';
        if (discardingLine) {
            // Drop the rest of an overlong line; the next line starts after its terminator.
            if (terminator)
                discardingLine = false;
            continue;
        }
        rxBuffer.append(byte);
        if (!terminator) {
            if (byte == '>' && rxBuffer.size() == 1) {
                rxBuffer.clear();
            } else if (rxBuffer.size() >= MaxLineLength) {
                rxBuffer.clear();
                discardingLine = true;
                reportError(tr("Received line longer than %1 bytes discarded.").arg(MaxLineLength));
            }
            continue;
        }
        if (rxBuffer.size() < 2) {
            rxBuffer.clear();
            continue;
        }
        handleLine(rxBuffer);
        rxBuffer.clear();
    }
    if (!rxBuffer.isEmpty() || discardingLine)
        rxTimer->start();
    else
        rxTimer->stop();
}

void LumetraSerialHandler::handleLine(const QByteArray &line)
{
    echoCheck(line);
    emit sigBytesReceived(trafficLabel(QStringLiteral(":")), line);
    emit sigLineReceived(line);
}

void LumetraSerialHandler::slotReadyReadEnded()
{
    if (!port || rxBuffer.isEmpty())
        return;
    const QByteArray line = rxBuffer;
    echoCheck(line);
    emit sigBytesReceived(trafficLabel(QStringLiteral("_")), line);
    emit sigLineReceived(line);
    rxBuffer.clear();
}

void LumetraSerialHandler::echoCheck(const QByteArray &line)
{
    if (!pendingCommand.isEmpty()) {
        if (!line.startsWith(pendingCommand.toUtf8()))
            return;
        commandTimer->stop();
        lastActivity.restart();
        pendingCommand.clear();
        expectIdentLine = !systemIdentified && line.startsWith(IdentEchoPrefix);
        if (deviceReady)
            expectStatusLine = false;
        else
            expectStatusLine = line.startsWith(StatusEchoPrefix);
        return;
    }

    if (expectIdentLine && line.startsWith(IdentLinePrefix)) {
        systemIdentified = true;
        expectIdentLine = false;
        expectStatusLine = false;
        return;
    }
    if (expectStatusLine && line.startsWith(StatusLinePrefix)) {
        const QStringList parts = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::KeepEmptyParts);
        if (parts.size() >= 2) {
            if (readyChecksLeft > 0) {
                --readyChecksLeft;
                bool ok = false;
                const int status = parts.at(1).toInt(&ok, 10);
                if (ok && (status & LumetraStatusBits::Operating)) {
                    deviceReady = true;
                } else {
                    deviceReady = false;
                    systemIdentified = false;
                }
            } else {
                deviceReady = true;
            }
        }
        expectStatusLine = false;
    }
}

void LumetraSerialHandler::slotCommandTimeout()
{
    if (!port || pendingCommand.isEmpty())
        return;
    if (retriesLeft > 0) {
        --retriesLeft;
        commandTimer->start();
        writeCommand(pendingCommand);
        return;
    }
    qCDebug(lcSerialHandler) << "giving up" << pendingCommand;
    pendingCommand.clear();
    systemIdentified = false;
    deviceReady = false;
    emit sigConnectedStatus(false);
    readyChecksLeft = ReadyChecks;
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
            return;
        }
    }
    reportError(errorText(error));
    if (error == QSerialPort::ResourceError)
        closeRequested = true;
}

void LumetraSerialHandler::reportError(const QString &text)
{
    if (!text.isEmpty() && text == lastErrorText && lastErrorTime.isValid() &&
        lastErrorTime.elapsed() < ErrorRepeatWindowMs)
        return;
    lastErrorText = text;
    lastErrorTime.start();
    emit sigStatusMessage(text);
}
