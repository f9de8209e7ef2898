#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// The simulated laser as a child process, publishing its port in a folder the test chooses, with a
// transcript of what it received and sent. Two of them may take turns behind the same port name.
class SimProcess
{
public:
    SimProcess(const QString &simulator, const QString &folder, const QString &transcript)
        : program(simulator), portFolder(folder), transcriptPath(transcript)
    {
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool start(const QStringList &options)
    {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, QStringList{QStringLiteral("--fast"), QStringLiteral("--port-dir"), portFolder,
                                           QStringLiteral("--log"), transcriptPath} +
                                   options);
        if (!process.waitForStarted(5000))
            return false;
        while (!process.canReadLine())
            if (!process.waitForReadyRead(5000))
                return false;
        port = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !port.isEmpty();
    }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.write("quit\n");
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    void control(const QByteArray &line)
    {
        process.write(line + "\n");
        process.waitForBytesWritten(1000);
    }

    QString transcript() const
    {
        QFile file(transcriptPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    // How often the laser received `command`, written as the transcript escapes it ("...\n").
    int receivedCount(const QString &command) const
    {
        return transcript().count(QStringLiteral("RX \"%1\"").arg(command));
    }

    QString port;

private:
    QString program;
    QString portFolder;
    QString transcriptPath;
    QProcess process;
};
