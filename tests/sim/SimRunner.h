#pragma once

// A running lumetra-sim and the test's end of its port, shared by the simulator's test suites.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

const int simWaitMs = 5000; // an upper bound for answers that normally take a millisecond

// One running simulator and our end of its port.
class SimRunner
{
public:
    explicit SimRunner(const QTemporaryDir &dir) : folder(dir.path()) {}
    ~SimRunner() { stop(); }

    bool start(const QStringList &arguments = {}, const QString &name = QStringLiteral("laser"))
    {
        process.setProgram(QStringLiteral(LUMETRA_SIM_PATH));
        process.setArguments(QStringList{QStringLiteral("--fast"), QStringLiteral("--port-dir"), folder,
                                         QStringLiteral("--name"), name, QStringLiteral("--log"), logPath()} +
                             arguments);
        process.start();
        if (!process.waitForStarted(simWaitMs) || !process.waitForReadyRead(simWaitMs))
            return false;
        path = QString::fromLocal8Bit(process.readLine()).trimmed();
        return openPort();
    }

    bool openPort()
    {
        closePort();
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return false;
        termios settings{};
        ::tcgetattr(fd, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(fd, TCSANOW, &settings);
        received.clear();
        return true;
    }

    void closePort()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void stop()
    {
        closePort();
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(simWaitMs))
                process.kill();
            process.waitForFinished(simWaitMs);
        }
    }

    QString logPath() const { return folder + QStringLiteral("/transcript.log"); }

    void send(const QByteArray &bytes)
    {
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }

    // Reads until the received bytes contain the marker; false when the port closed or nothing came.
    bool readUntil(const QByteArray &marker)
    {
        QElapsedTimer timer;
        timer.start();
        while (!received.contains(marker)) {
            if (timer.elapsed() > simWaitMs)
                return false;
            pollfd item{fd, POLLIN, 0};
            if (::poll(&item, 1, 20) > 0) {
                char buffer[4096];
                const ssize_t got = ::read(fd, buffer, sizeof buffer);
                if (got <= 0)
                    return false;
                received.append(buffer, int(got));
            }
        }
        return true;
    }

    // Sends one command and a marker behind it; returns the raw bytes that came before the marker's
    // echo (or before its answer, when echoes are being dropped).
    QByteArray exchangeRaw(const QByteArray &command)
    {
        const QByteArray marker = "sync-" + QByteArray::number(++syncs);
        send(command + '\n' + marker + '\n');
        const QByteArray end = "Unknown command: " + marker + '\n';
        if (!readUntil(end))
            return QByteArray("<no answer>");
        const int at = received.indexOf(end);
        QByteArray bytes = received.left(at);
        received.remove(0, at + end.size());
        if (bytes.endsWith(marker + '\n') || bytes.endsWith(marker + '\r'))
            bytes.chop(marker.size() + 1);
        return bytes;
    }

    QList<QByteArray> exchange(const QByteArray &command)
    {
        QList<QByteArray> lines;
        const QByteArray bytes = exchangeRaw(command);
        int start = 0;
        while (start < bytes.size()) {
            int end = bytes.indexOf('\n', start);
            end = end < 0 ? bytes.size() : end + 1;
            lines << bytes.mid(start, end - start);
            start = end;
        }
        return lines;
    }

    // Next reply line on standard output that is not a port event; events are collected.
    QString control(const QString &command)
    {
        process.write(command.toLocal8Bit() + '\n');
        for (;;) {
            while (!process.canReadLine()) {
                if (!process.waitForReadyRead(simWaitMs))
                    return QStringLiteral("<no reply>");
            }
            const QString line = QString::fromLocal8Bit(process.readLine()).trimmed();
            if (line.startsWith(QLatin1String("event ")))
                events << line;
            else
                return line;
        }
    }

    bool waitForEvent(const QString &event)
    {
        QElapsedTimer timer;
        timer.start();
        while (!events.contains(event)) {
            if (process.canReadLine()) {
                events << QString::fromLocal8Bit(process.readLine()).trimmed();
                continue;
            }
            if (timer.elapsed() > simWaitMs || !process.waitForReadyRead(simWaitMs))
                return false;
        }
        return true;
    }

    QString transcript() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    bool waitForTranscript(const QString &needle) const
    {
        QElapsedTimer timer;
        timer.start();
        while (!transcript().contains(needle)) {
            if (timer.elapsed() > simWaitMs)
                return false;
            QThread::msleep(10);
        }
        return true;
    }

    QString folder;
    QProcess process;
    QString path;
    int fd = -1;
    QByteArray received;
    QStringList events;
    int syncs = 0;
};

// Cuts received bytes into lines the way the program's serial link does: a line ends at CR or LF and
// keeps its terminator, empty lines vanish, a prompt '>' at the start of a line is dropped.
inline QList<QByteArray> splitLikeTheLink(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    QByteArray line;
    for (const char byte : bytes) {
        line += byte;
        if (byte != '\r' && byte != '\n') {
            if (byte == '>' && line.size() == 1)
                line.clear();
            continue;
        }
        if (line.size() >= 2)
            lines << line;
        line.clear();
    }
    return lines;
}
