#pragma once

#include "app/device/LumetraManualClock.h"
#include "app/device/LumetraPipeTransport.h"
#include "sim/SimControl.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"
#include "sim/Simulator.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <limits>
#include <memory>

// What a laser received, as its transcript writes each command ("...\n").
inline int countReceived(const QString &transcriptPath, const QString &command)
{
    QFile file(transcriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return QString::fromLatin1(file.readAll()).count(QStringLiteral("RX \"%1\"").arg(command));
}

// The simulator's end of an in-process line: bytes and a hang-up go to the link's end.
class PipeSimPort : public SimPort
{
public:
    PipeSimPort()
    {
        connect(&end, &LumetraTransport::readyRead, this,
                [this] { emit bytesReceived(end.read(std::numeric_limits<int>::max())); });
    }
    bool open(QString *) override { return end.open(linkPath()); }
    void hangUp() override { end.close(); }
    bool isOpen() const override { return end.isOpen(); }
    QString linkPath() const override { return QStringLiteral("in-process"); }
    QString devicePath() const override { return linkPath(); }
    qint64 write(const QByteArray &bytes) override
    {
        if (!end.isOpen())
            return -1;
        end.write(bytes);
        return bytes.size();
    }
    LumetraPipeTransport end;
};

// The simulated laser in this process, on the test's clock, with a transcript of what it received.
class InProcessLaser
{
public:
    ~InProcessLaser()
    {
        if (linkEnd && !linkEnd->parent())
            delete linkEnd;
    }
    bool start(const QStringList &options, LumetraManualClock *clock)
    {
        if (!dir.isValid()) {
            return false;
        }
        transcriptPath = dir.filePath("transcript.log");
        SimOptions parsed;
        if (parsed.parse(QStringList{"lumetra-sim", "--fast", "--log", transcriptPath} + options) !=
            SimOptions::Outcome::Run) {
            return false;
        }
        simPort = new PipeSimPort;
        // The link's end goes to the link's thread when the link opens it; until then it has none.
        linkEnd = new LumetraPipeTransport;
        LumetraPipeTransport::join(linkEnd, &simPort->end);
        linkEnd->moveToThread(nullptr);
        simulator.reset(new Simulator(parsed, simPort));
        simulator->setTimeSource([clock] { return clock->nowMs(); });
        QString error;
        if (!simulator->start(&error)) {
            return false;
        }
        simControl.reset(new SimControl(simulator.get()));
        for (const QString &command : qAsConst(parsed.startupCommands)) {
            if (!simControl->execute(command).startsWith(QLatin1String("ok"))) {
                return false;
            }
        }
        return true;
    }
    void control(const QByteArray &line) { simControl->execute(QString::fromLatin1(line)); }
    bool received(const QString &command) const { return receivedCount(command) > 0; }
    int receivedCount(const QString &command) const { return countReceived(transcriptPath, command); }

    const QString port = QStringLiteral("in-process");
    PipeSimPort *simPort = nullptr;
    // The end the link opens: taken by the link's transport factory, which gives it the link's thread.
    QPointer<LumetraPipeTransport> linkEnd;
    std::unique_ptr<Simulator> simulator;

private:
    QTemporaryDir dir;
    QString transcriptPath;
    std::unique_ptr<SimControl> simControl;
};
