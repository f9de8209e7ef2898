#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

// Turns SIGINT and SIGTERM into a Qt signal, so that the simulator withdraws its port on the event loop
// rather than inside a signal handler.
class SimSignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SimSignalWatcher(QObject *parent = nullptr);
    ~SimSignalWatcher() override;

    bool install();

signals:
    void terminationRequested(int signalNumber);

private:
    static void handler(int signalNumber);
    void onReadable();

    QPointer<QSocketNotifier> notifier;
};
