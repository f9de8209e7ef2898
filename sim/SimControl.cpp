#include "sim/SimControl.h"

#include "sim/SimFaults.h"
#include "sim/SimLaser.h"
#include "sim/SimReadings.h"
#include "sim/Simulator.h"

#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSimControl, "lumetra.sim.control")

namespace {

bool fraction(const QString &text, double *value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && *value >= 0 && *value <= 1;
}

bool count(const QString &text, int *value, int high)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= 0 && *value <= high;
}

bool onOff(const QString &text, bool *value)
{
    *value = text == QLatin1String("on");
    return text == QLatin1String("on") || text == QLatin1String("off");
}

// Seconds, or "forever" (-1); "off" is zero.
bool duration(const QString &text, double *value)
{
    if (text == QLatin1String("forever")) {
        *value = -1;
        return true;
    }
    if (text == QLatin1String("off")) {
        *value = 0;
        return true;
    }
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && *value >= 0 && *value <= 86400;
}

} // namespace

struct SimControl::Command
{
    const char *name;
    const char *syntax;
    const char *description;
    // Returns an empty text on success, else what was wrong.
    QString (*run)(SimControl &control, Simulator &sim, const QStringList &args);
};

const QVector<SimControl::Command> &SimControl::commandTable()
{
    static const QVector<Command> table = {
        {"help", "", QT_TR_NOOP("list the control commands and readings"),
         [](SimControl &, Simulator &, const QStringList &) {
             return QString();
         }},
        {"status", "", QT_TR_NOOP("show the laser's state and the active faults"),
         [](SimControl &, Simulator &, const QStringList &) {
             return QString();
         }},
        {"silence", "SECONDS|forever|off", QT_TR_NOOP("stop answering for a while, for good, or no longer"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             double seconds = 0;
             if (a.size() != 1 || !duration(a[0], &seconds))
                 return tr("silence needs SECONDS, forever or off");
             s.faults()->setSilence(seconds);
             return QString();
         }},
        {"drop-echo", "FRACTION", QT_TR_NOOP("leave out the echo of this fraction of commands"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             double value = 0;
             if (a.size() != 1 || !fraction(a[0], &value))
                 return tr("drop-echo needs a FRACTION from 0 to 1");
             s.faults()->setDropEchoFraction(value);
             return QString();
         }},
        {"cr-echo", "FRACTION", QT_TR_NOOP("end this fraction of echoes in CR instead of LF"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             double value = 0;
             if (a.size() != 1 || !fraction(a[0], &value))
                 return tr("cr-echo needs a FRACTION from 0 to 1");
             s.faults()->setCrEchoFraction(value);
             return QString();
         }},
        {"garbage", "FRACTION",
         QT_TR_NOOP("follow this fraction of answer lines with a line of binary noise"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             double value = 0;
             if (a.size() != 1 || !fraction(a[0], &value))
                 return tr("garbage needs a FRACTION from 0 to 1");
             s.faults()->setGarbageFraction(value);
             return QString();
         }},
        {"garbage-now", "LENGTH", QT_TR_NOOP("send one line of LENGTH noise bytes (NUL included) now"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             int length = 0;
             if (a.size() != 1 || !count(a[0], &length, 65536) || length == 0)
                 return tr("garbage-now needs a LENGTH from 1 to 65536");
             s.sendGarbage(length);
             return QString();
         }},
        {"partial", "LENGTH", QT_TR_NOOP("send LENGTH bytes with no line terminator now"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             int length = 0;
             if (a.size() != 1 || !count(a[0], &length, 1 << 20) || length == 0)
                 return tr("partial needs a LENGTH from 1 to 1048576");
             s.sendUnterminated(length);
             return QString();
         }},
        {"refuse-ready", "COUNT", QT_TR_NOOP("answer the ready query COUNT times with a not-ready status"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             int times = 0;
             if (a.size() != 1 || !count(a[0], &times, 1000))
                 return tr("refuse-ready needs a COUNT");
             s.laser()->refuseReady(times);
             return QString();
         }},
        {"hangup", "[SECONDS|forever]",
         QT_TR_NOOP("close the port like an unplugged adapter; back after 3 s or SECONDS"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             double seconds = 3;
             if (a.size() > 1 ||
                 (a.size() == 1 && (!duration(a[0], &seconds) || a[0] == QLatin1String("off"))))
                 return tr("hangup takes SECONDS or forever");
             s.hangUp(seconds);
             return QString();
         }},
        {"error", "CODE", QT_TR_NOOP("raise a harmonic-generator error code (0 clears it)"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             QString problem;
             if (a.size() != 1 || !SimReadings::set(*s.laser(), QStringLiteral("errorcode"), a[0], &problem))
                 return problem.isEmpty() ? tr("error needs a CODE") : problem;
             return QString();
         }},
        {"flags", "HEX", QT_TR_NOOP("raise harmonic-generator status flags (0 clears them)"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             QString problem;
             if (a.size() != 1 || !SimReadings::set(*s.laser(), QStringLiteral("flags"), a[0], &problem))
                 return problem.isEmpty() ? tr("flags needs a HEX value") : problem;
             return QString();
         }},
        {"shutter", "on|off", QT_TR_NOOP("report the shutter in the wrong position, or no longer"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             bool on = false;
             if (a.size() != 1 || !onOff(a[0], &on))
                 return tr("shutter needs on or off");
             if (!s.laser()->module())
                 return tr("the laser has no harmonic-generator module");
             s.laser()->setShutterWarning(on);
             return QString();
         }},
        {"debug", "on|off", QT_TR_NOOP("switch the laser's debug output on or off"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             bool on = false;
             if (a.size() != 1 || !onOff(a[0], &on))
                 return tr("debug needs on or off");
             s.laser()->setDebugOutput(on);
             return QString();
         }},
        {"set", "NAME VALUE", QT_TR_NOOP("change a reading (see the list below)"),
         [](SimControl &, Simulator &s, const QStringList &a) {
             QString problem;
             if (a.size() < 2)
                 return tr("set needs NAME VALUE");
             if (!SimReadings::set(*s.laser(), a[0], a.mid(1).join(QLatin1Char(' ')), &problem))
                 return problem;
             return QString();
         }},
        {"quit", "", QT_TR_NOOP("stop the simulator"),
         [](SimControl &c, Simulator &, const QStringList &) {
             emit c.quitRequested();
             return QString();
         }},
    };
    return table;
}

SimControl::SimControl(Simulator *simulator, QObject *parent) : QObject(parent), sim(simulator) {}

SimControl::~SimControl()
{
    for (const Channel &channel : qAsConst(channels)) {
        if (channel.fd != STDIN_FILENO)
            ::close(channel.fd);
    }
    if (!fifoPath.isEmpty())
        QFile::remove(fifoPath);
}

QStringList SimControl::help()
{
    QStringList lines = {tr("Control commands:")};
    for (const Command &command : commandTable())
        lines << QStringLiteral("  %1 - %2")
                     .arg(QStringLiteral("%1 %2")
                              .arg(QLatin1String(command.name), QLatin1String(command.syntax))
                              .trimmed(),
                          tr(command.description));
    lines << tr("Readings for set:");
    for (const QString &reading : SimReadings::help())
        lines << QStringLiteral("  ") + reading;
    return lines;
}

QString SimControl::execute(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.constFirst().startsWith(QLatin1Char('#')))
        return QString();
    if (!sim)
        return tr("error: the simulator has stopped");
    for (const Command &command : commandTable()) {
        if (words.constFirst() != QLatin1String(command.name))
            continue;
        const QString problem = command.run(*this, *sim, words.mid(1));
        if (!problem.isEmpty())
            return tr("error: %1").arg(problem);
        qCDebug(lcSimControl) << "control:" << line.simplified();
        if (words.constFirst() == QLatin1String("help"))
            return help().join(QLatin1Char('\n'));
        if (words.constFirst() == QLatin1String("status"))
            return sim->describe();
        return QStringLiteral("ok ") + words.join(QLatin1Char(' '));
    }
    return tr("error: unknown control command %1 (try help)").arg(words.constFirst());
}

bool SimControl::listenToStandardInput()
{
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0)
        return false;
    watch(STDIN_FILENO);
    return true;
}

bool SimControl::openFifo(const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::stat(native.constData(), &info) == 0) {
        if (!S_ISFIFO(info.st_mode)) {
            *error = tr("%1 exists and is not a named pipe").arg(path);
            return false;
        }
    } else if (::mkfifo(native.constData(), 0600) != 0) {
        *error =
            tr("cannot create the named pipe %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    } else {
        fifoPath = path;
    }
    // Opened for writing too, so the pipe never reports end of file between two writers.
    const int fd = ::open(native.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error =
            tr("cannot open the named pipe %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    watch(fd);
    return true;
}

void SimControl::watch(int fd)
{
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd] { onReadable(fd); });
    channels.append({fd, notifier, QByteArray()});
}

void SimControl::onReadable(int fd)
{
    auto channel =
        std::find_if(channels.begin(), channels.end(), [fd](const Channel &c) { return c.fd == fd; });
    if (channel == channels.end())
        return;
    char buffer[1024];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) {
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // End of input: the channel is done, the simulator goes on.
        if (channel->notifier)
            channel->notifier->setEnabled(false);
        return;
    }
    channel->buffer.append(buffer, int(got));
    int newline;
    while ((newline = channel->buffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(channel->buffer.left(newline));
        channel->buffer.remove(0, newline + 1);
        const QString answer = execute(line);
        if (!answer.isEmpty())
            emit reply(answer);
    }
    if (channel->buffer.size() > 4096)
        channel->buffer.clear();
}
