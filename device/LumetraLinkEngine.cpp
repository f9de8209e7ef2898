#include "device/LumetraLinkEngine.h"

#include "device/LumetraLinkClock.h"
#include "device/LumetraStatusBits.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLinkEngine, "lumetra.device.linkengine")

namespace {

const char IdentQuery[] = "ly_system_info\n";
const char StatusQuery[] = "ly_lqz2_dev_status?\n";
const char IdentEchoPrefix[] = "ly_system_info";
const char IdentLinePrefix[] = "Lumetra-";
const char StatusEchoPrefix[] = "ly_lqz2_dev_status?";
const char StatusLinePrefix[] = "ly_lqz2_dev_status ";

// A refused command is named in the log, but a pasted novel need not be.
constexpr int RefusedCommandShown = 60;

QString shownCommand(const QString &command)
{
    const QString text = command.trimmed();
    return text.size() <= RefusedCommandShown ? text : text.left(RefusedCommandShown) + QStringLiteral("...");
}

} // namespace

LumetraLinkEngine::LumetraLinkEngine(const LumetraLinkClock &linkClock, QObject *parent)
    : QObject(parent), clock(linkClock)
{
    lastActivity = clock.nowMs();
}

qint64 LumetraLinkEngine::quietTime() const
{
    return clock.nowMs() - lastActivity;
}

bool LumetraLinkEngine::rxTimerActive() const
{
    return rxActive && clock.nowMs() - rxStartedAt < PartialLineTimeoutMs;
}

bool LumetraLinkEngine::partialLinePending() const
{
    return !rxBuffer.isEmpty();
}

// ---------------------------------------------------------------------------------------------
// Port life

void LumetraLinkEngine::opened()
{
    rxBuffer.clear();
    discardingLine = false;
    rxActive = false;
    lastErrorText.clear();
    errorReported = false;
    expectIdentLine = false;
    systemIdentified = false;
    expectStatusLine = false;
    deviceReady = false;
    readyChecksLeft = ReadyChecks;
    pendingCommand.clear();
    resendWithheld = false;
    lastActivity = clock.nowMs();
    linkState = stWaitAfterOpen;
}

void LumetraLinkEngine::closed()
{
    rxActive = false;
    rxBuffer.clear();
    discardingLine = false;
    monitorCommands.clear();
    delayedCommands.clear();
    // A command cut off by the close can never be echoed; it must not block the next connection.
    if (resendWithheld && !pendingCommand.isEmpty())
        reportDropped(pendingCommand, silenceReason(pendingQueuedAt));
    pendingCommand.clear();
    resendWithheld = false;
    linkState = stPortClosed;
}

// ---------------------------------------------------------------------------------------------
// Main-loop turn

void LumetraLinkEngine::turn()
{
    // Commands wait while the laser is silent or being identified again; none of them may go out
    // late, and the operator hears about it when the bound passes, not whenever the laser returns.
    if (linkState != stInit && linkState != stPortClosed && linkState != stClosePort) {
        dropStaleCommands(settingsCommands);
        dropStaleCommands(delayedCommands);
    }
    switch (linkState) {
    case stInit:
        stepInit();
        break;
    case stPortClosed:
    case stClosePort:
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
    }
}

qint64 LumetraLinkEngine::nextTurnAt() const
{
    if (linkState == stPortClosed || linkState == stClosePort)
        return Never;
    // The handshake states write a debug line every turn and are short: they keep every turn.
    if (linkState != stRunning || !systemIdentified)
        return 0;
    return qMin(schedulerTurnAt(), staleAt());
}

qint64 LumetraLinkEngine::schedulerTurnAt() const
{
    if (!pendingCommand.isEmpty())
        return Never; // an echo or the time-out comes first
    const bool queued = !settingsCommands.isEmpty();
    if (!queued && monitorCommands.isEmpty() && monitorIndex == 0 &&
        (delayedCommands.isEmpty() || !monitorRoundDone))
        return Never; // nothing to send until a command is queued
    qint64 at = 0;
    if (!queued)
        at = lastActivity + SchedulerQuietMs + 1;
    if (rxActive)
        at = qMax(at, rxStartedAt + PartialLineTimeoutMs);
    return at;
}

// The turn at which the oldest queued command has grown stale; Never when none is queued.
qint64 LumetraLinkEngine::staleAt() const
{
    qint64 oldest = Never;
    if (!settingsCommands.isEmpty())
        oldest = settingsCommands.first().queuedAt;
    if (!delayedCommands.isEmpty())
        oldest = qMin(oldest, delayedCommands.first().queuedAt);
    return oldest == Never ? Never : oldest + StaleCommandMs + 1;
}

bool LumetraLinkEngine::isStale(qint64 queuedAt) const
{
    return clock.nowMs() - queuedAt > StaleCommandMs;
}

void LumetraLinkEngine::dropStaleCommands(QList<QueuedCommand> &queue)
{
    while (!queue.isEmpty() && isStale(queue.first().queuedAt)) {
        const QueuedCommand command = queue.takeFirst();
        reportDropped(command.bytes, silenceReason(command.queuedAt));
    }
}

LumetraEventText LumetraLinkEngine::silenceReason(qint64 queuedAt) const
{
    return LumetraEventText(staticMetaObject.className(), QT_TR_NOOP("the laser did not answer for %1 s"))
        .arg(QString::number((clock.nowMs() - queuedAt) / 1000));
}

void LumetraLinkEngine::reportDropped(const QByteArray &command, const LumetraEventText &reason)
{
    const QString text = QString::fromLatin1(command.chopped(1));
    emit sigStatusMessage(tr("Command \"%1\" dropped: %2").arg(shownCommand(text), reason.translated()));
    emit sigCommandDropped(text, reason.translated(), reason.toKey());
}

void LumetraLinkEngine::stepInit()
{
    expectIdentLine = false;
    systemIdentified = false;
    expectStatusLine = false;
    deviceReady = false;
    readyChecksLeft = ReadyChecks;
    monitorIndex = 0;
    emit sigConnectedStatus(false);
    linkState = stPortClosed;
}

void LumetraLinkEngine::stepWaitAfterOpen()
{
    if (quietTime() > QuietAfterOpenMs)
        linkState = stSendConnectCmd;
}

bool LumetraLinkEngine::canSendHandshakeQuery() const
{
    return quietTime() >= HandshakeQuietMs && !rxTimerActive() && pendingCommand.isEmpty();
}

void LumetraLinkEngine::stepSendConnectCmd()
{
    qCDebug(lcLinkEngine) << "stSendConnectCmd";
    if (systemIdentified) {
        linkState = stWaitReadyCmd;
        return;
    }
    if (canSendHandshakeQuery())
        sendCommand(QByteArray(IdentQuery));
    deviceReady = false;
}

void LumetraLinkEngine::stepWaitReadyCmd()
{
    qCDebug(lcLinkEngine) << "stWaitReadyCmd";
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
        sendCommand(QByteArray(StatusQuery));
}

void LumetraLinkEngine::stepRunning()
{
    if (quietTime() <= SchedulerQuietMs && settingsCommands.isEmpty())
        return;
    if (rxTimerActive())
        return;
    if (!pendingCommand.isEmpty())
        return;
    if (!systemIdentified) {
        linkState = stSendConnectCmd;
        return;
    }
    if (monitorRoundDone && !settingsCommands.isEmpty()) {
        sendQueued(settingsCommands.takeFirst());
        return;
    }
    // Commands queued as delayed wait until every ordinary settings command has gone out and the
    // line has been quiet, then take the place of the next monitored query.
    if (monitorRoundDone && !delayedCommands.isEmpty() && quietTime() > SchedulerQuietMs) {
        sendQueued(delayedCommands.takeFirst());
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

// ---------------------------------------------------------------------------------------------
// Sending, echo and time-out

void LumetraLinkEngine::sendCommand(const QByteArray &command)
{
    pendingCommand = command;
    pendingQueued = false;
    resendWithheld = false;
    retriesLeft = 1;
    writeCommand();
}

void LumetraLinkEngine::sendQueued(const QueuedCommand &command)
{
    sendCommand(command.bytes);
    pendingQueued = true;
    pendingQueuedAt = command.queuedAt;
}

void LumetraLinkEngine::writeCommand()
{
    lastActivity = clock.nowMs();
    commandSentAt = lastActivity;
    emit sigWrite(pendingCommand);
}

qint64 LumetraLinkEngine::commandDeadline() const
{
    return pendingCommand.isEmpty() ? Never : commandSentAt + CommandTimeoutMs;
}

void LumetraLinkEngine::commandTimeout()
{
    if (pendingCommand.isEmpty() || linkState == stPortClosed)
        return;
    if (retriesLeft > 0) {
        --retriesLeft;
        if (pendingQueued && isStale(pendingQueuedAt)) {
            // Written again now, it would reach the laser long after it was given. The first write
            // may still be echoed within the time the resend would have had; only if it is not is
            // the command lost, and said to be.
            resendWithheld = true;
            commandSentAt = clock.nowMs();
            return;
        }
        writeCommand();
        return;
    }
    qCDebug(lcLinkEngine) << "giving up" << pendingCommand;
    if (resendWithheld)
        reportDropped(pendingCommand, silenceReason(pendingQueuedAt));
    resendWithheld = false;
    pendingCommand.clear();
    systemIdentified = false;
    deviceReady = false;
    emit sigConnectedStatus(false);
    readyChecksLeft = ReadyChecks;
}

void LumetraLinkEngine::echoCheck(const QByteArray &line)
{
    if (!pendingCommand.isEmpty()) {
        // The command went out as Latin-1 bytes and the laser echoes those bytes.
        if (!line.startsWith(pendingCommand))
            return;
        lastActivity = clock.nowMs();
        pendingCommand.clear();
        resendWithheld = false;
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
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() >= 2) {
            if (readyChecksLeft > 0) {
                --readyChecksLeft;
                bool ok = false;
                const int status = QString::fromLatin1(parts.at(1)).toInt(&ok, 10);
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

// ---------------------------------------------------------------------------------------------
// Line assembly

void LumetraLinkEngine::receive(const QByteArray &bytes)
{
    lastActivity = clock.nowMs();
    rxStartedAt = lastActivity;
    rxActive = true;
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
        const QByteArray line = rxBuffer;
        rxBuffer.clear();
        handleLine(line, false);
    }
    rxActive = !rxBuffer.isEmpty() || discardingLine;
}

void LumetraLinkEngine::flushPartialLine()
{
    if (rxBuffer.isEmpty())
        return;
    const QByteArray line = rxBuffer;
    rxBuffer.clear();
    handleLine(line, true);
}

void LumetraLinkEngine::handleLine(const QByteArray &line, bool partial)
{
    echoCheck(line);
    emit sigLine(line, partial);
}

// ---------------------------------------------------------------------------------------------
// Command queues

QByteArray LumetraLinkEngine::encodeCommand(const QString &command, QString *refusal)
{
    const QString text = command.endsWith(QLatin1Char('\n')) ? command : command + QLatin1Char('\n');
    const int body = text.size() - 1;
    // A bare line feed is an empty command, ignored as such: the laser's echo of it is an empty
    // line, which is never handed on, so it could only time out.
    if (body == 0)
        return {};
    if (text.startsWith(QLatin1Char('>'))) {
        // Line assembly drops the laser's prompt character at the start of a line, so the echo of
        // such a command would never match it.
        if (refusal)
            *refusal =
                tr("Command not sent, it begins with the prompt character >: %1").arg(shownCommand(command));
        return {};
    }
    for (int i = 0; i < body; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() > 0xff) {
            // Sent as '?', the command would become a query the operator never typed.
            if (refusal)
                *refusal = tr("Command not sent, the laser cannot receive the character %1: %2")
                               .arg(QString(c), shownCommand(command));
            return {};
        }
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            // The laser would take it for two commands, and the echo of the first never matches.
            if (refusal)
                *refusal = tr("Command not sent, it holds a line break: %1").arg(shownCommand(command));
            return {};
        }
    }
    if (body > MaxCommandLength) {
        if (refusal)
            *refusal = tr("Command not sent, it is longer than the %1 characters the laser accepts: %2")
                           .arg(MaxCommandLength)
                           .arg(shownCommand(command));
        return {};
    }
    return text.toLatin1();
}

QByteArray LumetraLinkEngine::acceptCommand(const QString &command)
{
    QString refusal;
    const QByteArray bytes = encodeCommand(command, &refusal);
    if (bytes.isEmpty() && !refusal.isEmpty())
        emit sigStatusMessage(refusal);
    return bytes;
}

void LumetraLinkEngine::addMonitorCommand(const QString &command)
{
    if (command.isEmpty())
        return;
    const QByteArray bytes = acceptCommand(command);
    if (bytes.isEmpty())
        return;
    const int existing = monitorCommands.indexOf(bytes);
    if (existing >= 0)
        monitorCommands[existing] = bytes;
    else
        monitorCommands.append(bytes);
}

void LumetraLinkEngine::delMonitorCommand(const QString &command)
{
    // A command that cannot be encoded was never added.
    const QByteArray bytes = encodeCommand(command, nullptr);
    if (!bytes.isEmpty())
        monitorCommands.removeOne(bytes);
}

void LumetraLinkEngine::clrAllMonitorCommands()
{
    monitorCommands.clear();
    delayedCommands.clear();
}

void LumetraLinkEngine::appendSettingsCommand(const QString &command, bool delayed)
{
    if (command.isEmpty())
        return;
    const QByteArray bytes = acceptCommand(command);
    if (bytes.isEmpty())
        return;
    const QueuedCommand queued{bytes, clock.nowMs()};
    if (delayed)
        delayedCommands.append(queued);
    else
        settingsCommands.append(queued);
}

void LumetraLinkEngine::discardQueuedCommands()
{
    const int dropped = settingsCommands.size() + delayedCommands.size();
    if (dropped == 0)
        return;
    const QList<QueuedCommand> commands = settingsCommands + delayedCommands;
    settingsCommands.clear();
    delayedCommands.clear();
    QStringList texts;
    for (const QueuedCommand &command : commands)
        texts.append(QString::fromLatin1(command.bytes).trimmed());
    emit sigStatusMessage(
        tr("Dropped %n command(s) given while the laser was not connected: %1", nullptr, dropped)
            .arg(texts.join(QStringLiteral(", "))));
    const LumetraEventText reason(staticMetaObject.className(), QT_TR_NOOP("the laser was not connected"));
    for (const QueuedCommand &command : commands)
        emit sigCommandDropped(QString::fromLatin1(command.bytes.chopped(1)), reason.translated(),
                               reason.toKey());
}

void LumetraLinkEngine::reportError(const QString &text)
{
    const qint64 now = clock.nowMs();
    if (!text.isEmpty() && text == lastErrorText && errorReported && now - lastErrorAt < ErrorRepeatWindowMs)
        return;
    lastErrorText = text;
    lastErrorAt = now;
    errorReported = true;
    emit sigStatusMessage(text);
}
