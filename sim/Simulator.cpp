#include "sim/Simulator.h"

#include "sim/SimFaults.h"
#include "sim/SimLaser.h"
#include "sim/SimPty.h"
#include "sim/SimTcpPort.h"
#include "sim/SimTranscript.h"
#include "sim/SimWire.h"

#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSimulator, "lumetra.sim")

namespace {
const int maxCommandLength = 1024; // a real controller's line buffer; longer input is thrown away
const int clockTickMs = 100;
const int comebackRetryMs = 1000;
} // namespace

Simulator::Simulator(const SimOptions &simOptions, QObject *parent)
    : Simulator(simOptions,
                simOptions.tcpPort >= 0
                    ? static_cast<SimPort *>(new SimTcpPort(quint16(simOptions.tcpPort)))
                    : new SimPty(simOptions.linkDirectory.isEmpty() ? SimPty::defaultLinkDirectory()
                                                                    : simOptions.linkDirectory,
                                 simOptions.name),
                parent)
{
}

Simulator::Simulator(const SimOptions &simOptions, SimPort *simPort, QObject *parent)
    : QObject(parent), options(simOptions), port(simPort), wire(new SimWire(port, this)),
      model(new SimLaser(simOptions.identity, simOptions.seed, this)),
      faultState(new SimFaults(simOptions.seed + 7, this)), log(new SimTranscript(this)),
      answerTimer(new QTimer(this)), clockTimer(new QTimer(this)), comebackTimer(new QTimer(this))
{
    port->setParent(this);
    wire->setBaudRate(options.baudRate);
    answerTimer->setSingleShot(true);
    answerTimer->setTimerType(Qt::PreciseTimer);
    comebackTimer->setSingleShot(true);
    connect(port, &SimPort::bytesReceived, this, &Simulator::onBytesReceived);
    connect(answerTimer, &QTimer::timeout, this, &Simulator::answerDueCommands);
    connect(clockTimer, &QTimer::timeout, this, &Simulator::onClockTick);
    connect(comebackTimer, &QTimer::timeout, this, &Simulator::comeBack);
    connect(model, &SimLaser::spontaneousLine, this, &Simulator::onSpontaneousLine);
}

bool Simulator::start(QString *error)
{
    if (!options.logFile.isEmpty() && !log->open(options.logFile, error))
        return false;
    if (!port->open(error))
        return false;
    clock.start();
    lastTickMs = nowMs();
    clockTimer->start(clockTickMs);
    log->note(QStringLiteral("port %1 -> %2, %3 %4, module %5")
                  .arg(port->linkPath(), port->devicePath(), options.identity.systemType,
                       options.identity.applicationName,
                       options.identity.moduleType.isEmpty() ? QStringLiteral("none")
                                                             : options.identity.moduleType));
    return true;
}

void Simulator::shutdown()
{
    clockTimer->stop();
    comebackTimer->stop();
    answerTimer->stop();
    wire->clear();
    if (port->isOpen())
        log->note(QStringLiteral("shut down"));
    port->hangUp();
}

QString Simulator::portPath() const
{
    return port->linkPath();
}

bool Simulator::isHungUp() const
{
    return !port->isOpen();
}

void Simulator::onBytesReceived(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        const bool terminator = byte == '\n' || byte == '\r';
        if (!terminator) {
            lastByteWasCr = false;
            if (inputLine.size() < maxCommandLength)
                inputLine += byte;
            else
                inputOverflow = true;
            continue;
        }
        // CR LF from a terminal program ends one line, not two.
        const bool pairedLf = byte == '\n' && lastByteWasCr && inputLine.isEmpty();
        lastByteWasCr = byte == '\r';
        if (pairedLf)
            continue;
        log->received(inputLine + byte);
        if (inputOverflow) {
            log->note(QStringLiteral("command longer than %1 bytes thrown away").arg(maxCommandLength));
            inputOverflow = false;
            inputLine.clear();
            continue;
        }
        if (inputLine.isEmpty())
            continue;
        if (faultState->isSilent()) {
            log->note(QStringLiteral("silent: no answer"));
        } else {
            pendingCommands.append({inputLine, nowMs() + options.turnaroundMs});
        }
        inputLine.clear();
    }
    scheduleAnswers();
}

void Simulator::scheduleAnswers()
{
    if (pendingCommands.isEmpty() || answerTimer->isActive())
        return;
    const qint64 wait = pendingCommands.constFirst().dueMs - nowMs();
    if (wait <= 0)
        answerDueCommands();
    else
        answerTimer->start(int(wait));
}

void Simulator::answerDueCommands()
{
    while (!pendingCommands.isEmpty() && pendingCommands.constFirst().dueMs <= nowMs()) {
        const QByteArray line = pendingCommands.takeFirst().line;
        if (faultState->isSilent() || isHungUp())
            continue;
        // Time has moved since the last tick; answers reflect the laser as it is now.
        onClockTick();
        QByteArray out;
        if (faultState->drawDropEcho())
            log->note(QStringLiteral("echo dropped"));
        else
            out += line + (faultState->drawCrEcho() ? '\r' : '\n');
        for (const QByteArray &answer : model->execute(line)) {
            out += answer;
            if (faultState->drawGarbage())
                out += faultState->garbageLine(8 + int(line.size() % 24));
        }
        transmit(out);
    }
    scheduleAnswers();
}

void Simulator::onClockTick()
{
    const qint64 now = nowMs();
    const double seconds = (now - lastTickMs) / 1000.0;
    lastTickMs = now;
    model->advance(seconds);
}

void Simulator::onSpontaneousLine(const QByteArray &line)
{
    if (faultState->isSilent() || isHungUp())
        return;
    transmit(line);
}

void Simulator::transmit(const QByteArray &bytes)
{
    if (bytes.isEmpty() || isHungUp())
        return;
    // One transcript entry a line, as the program will cut them.
    int start = 0;
    while (start < bytes.size()) {
        int end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        log->sent(bytes.mid(start, end - start));
        start = end;
    }
    wire->send(bytes);
}

void Simulator::hangUp(double seconds)
{
    comebackTimer->stop();
    if (!isHungUp()) {
        wire->clear();
        pendingCommands.clear();
        inputLine.clear();
        port->hangUp();
        log->note(QStringLiteral("hung up"));
        emit portLost();
    }
    if (seconds >= 0)
        comebackTimer->start(int(seconds * 1000.0));
}

void Simulator::comeBack()
{
    QString error;
    if (!port->open(&error)) {
        qCWarning(lcSimulator) << "port not back yet:" << error;
        comebackTimer->start(comebackRetryMs);
        return;
    }
    log->note(QStringLiteral("port back: %1 -> %2").arg(port->linkPath(), port->devicePath()));
    emit portRestored(port->linkPath());
}

void Simulator::sendGarbage(int length)
{
    const QByteArray noise = faultState->garbageLine(length);
    transmit(noise);
}

void Simulator::sendUnterminated(int length)
{
    transmit(faultState->unterminatedLine(length));
}

QString Simulator::describe() const
{
    return QStringLiteral("port %1 (%2)%3\n%4\n%5")
        .arg(port->linkPath(), port->devicePath(), isHungUp() ? QStringLiteral(", hung up") : QString(),
             model->describe(), faultState->describe());
}
