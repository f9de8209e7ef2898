#pragma once

#include "device/LumetraManualClock.h"
#include "device/LumetraPipeTransport.h"
#include "sim/SimControl.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"
#include "sim/Simulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <limits>
#include <memory>

// Until `expr` holds, moves the link's and the laser's time on, for at most `ms` of that time: by the
// runUntil(done, ms) of the test that uses them.
#define SIM_TRY_VERIFY(expr, ms)                                                                             \
    do {                                                                                                     \
        runUntil([&] { return bool(expr); }, ms);                                                            \
        QVERIFY(expr);                                                                                       \
    } while (false)
#define SIM_TRY_COMPARE(actual, expected, ms)                                                                \
    do {                                                                                                     \
        runUntil([&] { return (actual) == (expected); }, ms);                                                \
        QCOMPARE(actual, expected);                                                                          \
    } while (false)

// Lets what the link's thread and the test's sent each other arrive, so that the clock moves on only
// once all is said that the time so far asked for. Without a link, only the test's own events.
inline void settleWithLink(QObject *link)
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
        if (link)
            QMetaObject::invokeMethod(
                link, [] {}, Qt::BlockingQueuedConnection);
    }
    QCoreApplication::processEvents();
}

// What a laser received, as its transcript writes each command ("...\n").
inline int countReceived(const QString &transcriptPath, const QString &command)
{
    QFile file(transcriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return QString::fromLatin1(file.readAll()).count(QStringLiteral("RX \"%1\"").arg(command));
}

// The simulator's end of an in-process line. Each connection is a new pair of ends, as each open of a
// real port is a new file: plugIn() makes the one the link opens next, and a hang-up ends them all.
class PipeSimPort : public SimPort
{
public:
    bool open(QString *) override
    {
        opened = true;
        return true;
    }
    void hangUp() override
    {
        opened = false;
        for (LumetraPipeTransport *end : qAsConst(laserEnds))
            end->close();
    }
    bool isOpen() const override { return opened; }
    QString linkPath() const override { return QStringLiteral("in-process"); }
    QString devicePath() const override { return linkPath(); }
    // To every end still open; one whose link end is not open drops the bytes, as a closed port does.
    qint64 write(const QByteArray &bytes) override
    {
        if (!opened)
            return -1;
        for (LumetraPipeTransport *end : qAsConst(laserEnds))
            end->write(bytes);
        return bytes.size();
    }
    // The link's end of a new connection. It belongs to no thread until the link's transport factory
    // moves it to the link's.
    LumetraPipeTransport *plugIn()
    {
        for (auto it = laserEnds.begin(); it != laserEnds.end();) {
            if ((*it)->isOpen()) {
                ++it;
                continue;
            }
            delete *it;
            it = laserEnds.erase(it);
        }
        auto *laserEnd = new LumetraPipeTransport(this);
        connect(laserEnd, &LumetraTransport::readyRead, this,
                [this, laserEnd] { emit bytesReceived(laserEnd->read(std::numeric_limits<int>::max())); });
        auto *linkEnd = new LumetraPipeTransport;
        LumetraPipeTransport::join(linkEnd, laserEnd);
        laserEnd->open(linkPath());
        laserEnds << laserEnd;
        linkEnd->moveToThread(nullptr);
        return linkEnd;
    }

private:
    QList<LumetraPipeTransport *> laserEnds;
    bool opened = false;
};

// The simulated laser in this process, on the test's clock, with a transcript of what it received.
class InProcessLaser
{
public:
    ~InProcessLaser()
    {
        dropSpareEnd();
        if (simPort && simPort->isOpen())
            unpublish();
    }
    // Names the port by a file at `path` that is there while the port is, for what looks for a port
    // in the file system (the Connect menu's Reconnect entry, the connection at start-up). Two lasers
    // may take turns behind one path. Call before start().
    void publishAt(const QString &path) { port = publishedPath = path; }
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
        linkEnd = simPort->plugIn();
        simulator.reset(new Simulator(parsed, simPort));
        simulator->setTimeSource([clock] { return clock->nowMs(); });
        QString error;
        if (!simulator->start(&error)) {
            return false;
        }
        simControl.reset(new SimControl(simulator.get()));
        publish();
        for (const QString &command : qAsConst(parsed.startupCommands)) {
            if (!simControl->execute(command).startsWith(QLatin1String("ok"))) {
                return false;
            }
        }
        return true;
    }
    // The control channel's answer: "ok..." once done.
    QString control(const QByteArray &line) { return simControl->execute(QString::fromLatin1(line)); }
    // Goes away as an unplugged adapter does, until comeBack().
    void hangUp()
    {
        simulator->hangUp(-1);
        unpublish();
    }
    void comeBack()
    {
        dropSpareEnd();
        linkEnd = simPort->plugIn();
        simulator->comeBack();
        publish();
    }
    // The end for the link's next open, on this thread: none while the port is hung up, and a new one
    // for each open, as a port opened again is a new file.
    LumetraPipeTransport *takeLinkEnd()
    {
        if (!simPort->isOpen())
            return nullptr;
        if (!linkEnd || linkEnd->parent())
            linkEnd = simPort->plugIn();
        return linkEnd;
    }
    QString transcript() const
    {
        QFile file(transcriptPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
    bool received(const QString &command) const { return receivedCount(command) > 0; }
    int receivedCount(const QString &command) const { return countReceived(transcriptPath, command); }

    QString port = QStringLiteral("in-process");
    PipeSimPort *simPort = nullptr;
    // The end the link opens next: taken by the link's transport factory, which gives it the link's
    // thread and parent.
    QPointer<LumetraPipeTransport> linkEnd;
    std::unique_ptr<Simulator> simulator;

private:
    void dropSpareEnd()
    {
        if (linkEnd && !linkEnd->parent())
            delete linkEnd;
    }
    void publish()
    {
        if (!publishedPath.isEmpty())
            QFile(publishedPath).open(QIODevice::WriteOnly);
    }
    void unpublish()
    {
        if (!publishedPath.isEmpty())
            QFile::remove(publishedPath);
    }

    QTemporaryDir dir;
    QString transcriptPath;
    QString publishedPath;
    std::unique_ptr<SimControl> simControl;
};
