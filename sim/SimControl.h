#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

class Simulator;

// The control channel: one command a line, from standard input and optionally from a named pipe, to
// switch faults on and off and to change readings while the simulator runs. Replies go to standard output.
class SimControl : public QObject
{
    Q_OBJECT
public:
    explicit SimControl(Simulator *simulator, QObject *parent = nullptr);
    ~SimControl() override;

    // Runs one control command and returns its reply ("ok ..." or "error: ...").
    QString execute(const QString &line);
    bool listenToStandardInput();
    bool openFifo(const QString &path, QString *error);
    static QStringList help();

signals:
    void reply(const QString &text);
    void quitRequested();

private:
    struct Channel
    {
        int fd;
        QPointer<QSocketNotifier> notifier;
        QByteArray buffer;
    };
    struct Command;
    static const QVector<Command> &commandTable();
    void watch(int fd);
    void onReadable(int fd);

    QPointer<Simulator> sim;
    QList<Channel> channels;
    QString fifoPath;
};
