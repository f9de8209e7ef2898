// Measures the link's command cycle against a peer that echoes and answers at once on a pseudo-terminal:
// the interval between successive commands arriving at the peer, and the worker thread's CPU time per
// command. Usage: bench_link [commands]   (default 400)

#include "PtyLaser.h"
#include "app/device/LumetraSerialHandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <pthread.h>
#include <time.h>

namespace {

double threadCpuSeconds(pthread_t thread)
{
    clockid_t clock;
    if (pthread_getcpuclockid(thread, &clock) != 0)
        return 0;
    timespec ts;
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(10, atoi(argv[1])) : 400;

    PtyLaser laser;
    laser.setResponder([&laser](const QByteArray &command) {
        QList<QByteArray> reply = laser.defaultReply(command);
        if (command.startsWith("ls_"))
            reply << "ZOR SHG\tHumidity=41%\n";
        return reply;
    });

    auto *handler = new LumetraSerialHandler;
    QThread thread;
    handler->moveToThread(&thread);
    QObject::connect(&thread, SIGNAL(started()), handler, SLOT(slotMainLoop()));
    QObject::connect(&thread, &QThread::finished, handler, &QObject::deleteLater);
    pthread_t worker{};
    QObject::connect(&thread, &QThread::started, [&worker] { worker = pthread_self(); });
    thread.start();

    for (const char *query : {"ls_humidity?", "ls_shg_temp?", "ls_thg_temp?"})
        QMetaObject::invokeMethod(handler, "slotAddMonitorCommand",
                                  Q_ARG(QString, QString::fromLatin1(query)));
    QMetaObject::invokeMethod(handler, "slotOpenCommunication", Q_ARG(QString, laser.portName()));

    QElapsedTimer clock;
    clock.start();
    std::vector<double> arrivals;
    double cpuAtStart = 0;
    bool measuring = false;
    QObject::connect(&laser, &PtyLaser::commandReceived, [&](const QByteArray &command) {
        if (!measuring && command.startsWith("ls_")) {
            measuring = true;
            cpuAtStart = threadCpuSeconds(worker);
        }
        if (!measuring)
            return;
        arrivals.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (int(arrivals.size()) > wanted)
            app.quit();
    });
    QTimer::singleShot(5000 + wanted * 100, &app, [] {
        std::fprintf(stderr, "bench_link: timed out\n");
        QCoreApplication::exit(1);
    });
    if (app.exec() != 0)
        return 1;
    const double cpuUsed = threadCpuSeconds(worker) - cpuAtStart;

    std::vector<double> cycles;
    for (size_t i = 1; i < arrivals.size(); ++i)
        cycles.push_back(arrivals[i] - arrivals[i - 1]);
    const double total = arrivals.back() - arrivals.front();
    std::printf("commands measured:        %zu\n", cycles.size());
    std::printf("cycle median:             %.2f ms\n", percentile(cycles, 0.5));
    std::printf("cycle p10 / p90:          %.2f / %.2f ms\n", percentile(cycles, 0.1),
                percentile(cycles, 0.9));
    std::printf("cycle min / max:          %.2f / %.2f ms\n", percentile(cycles, 0.0),
                percentile(cycles, 1.0));
    std::printf("mean incl. end-of-cycle:  %.2f ms\n", total / double(cycles.size()));
    std::printf("worker CPU per command:   %.1f us (%.2f %% of one core)\n",
                cpuUsed / double(cycles.size()) * 1e6, 100.0 * cpuUsed * 1000.0 / total);

    thread.quit();
    thread.wait(2000);
    return 0;
}
