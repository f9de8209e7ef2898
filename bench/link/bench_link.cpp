// Measures the link's command cycle and the cost of its worker thread.
//
//   bench_link [commands]              against a peer on a pseudo-terminal that echoes and answers at
//                                      once: the interval between successive commands at the peer
//   bench_link --port PATH [seconds]   against a laser on a real or simulated port (lumetra-sim paced
//                                      at 38400 baud), polling the program's full list for a THG
//                                      module; pass the simulator's --log transcript to
//                                      cycle_from_transcript.py for the cycle
//
// Both report the worker's CPU time and how often it woke (voluntary context switches of its thread).

#include "PtyLaser.h"
#include "device/LumetraCommandTable.h"
#include "device/LumetraSerialHandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

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

// Voluntary context switches of one thread of this process: how often it went to sleep and woke.
long threadSwitches(long tid)
{
    QFile status(QStringLiteral("/proc/self/task/%1/status").arg(tid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    long total = 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return total;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

struct Worker
{
    pthread_t thread{};
    long tid = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool external = args.size() > 2 && args.at(1) == QLatin1String("--port");
    const QString portPath = external ? args.at(2) : QString();
    const int wanted = external ? 0 : (argc > 1 ? std::max(10, atoi(argv[1])) : 400);
    const int seconds = external ? (args.size() > 3 ? std::max(1, args.at(3).toInt()) : 30) : 0;

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
    Worker worker;
    QObject::connect(
        &thread, &QThread::started, handler,
        [&worker] {
            worker.thread = pthread_self();
            worker.tid = long(syscall(SYS_gettid));
        },
        Qt::DirectConnection);
    thread.start();

    QStringList queries;
    if (external) {
        queries = LumetraCommandTable::basePollList() + LumetraCommandTable::ovenPollList() +
                  LumetraCommandTable::crystalPollList() + LumetraCommandTable::modulePollList();
        queries << QString::fromLatin1(LumetraCommandTable::HumidityQuery);
    } else {
        queries = QStringList{"ls_humidity?", "ls_shg_temp?", "ls_thg_temp?"};
    }
    for (const QString &query : qAsConst(queries))
        QMetaObject::invokeMethod(handler, "slotAddMonitorCommand", Q_ARG(QString, query));
    QMetaObject::invokeMethod(handler, "slotOpenCommunication",
                              Q_ARG(QString, external ? portPath : laser.portName()));

    QElapsedTimer clock;
    clock.start();

    // Quiet gaps, taken on the worker thread as things happen there: from the last line received to
    // the next command written. The loop's own rules make them 16 to 26 ms, 21 ms on average, and
    // once a cycle 10 ms more for the turn that sends nothing.
    std::vector<double> gaps;
    double lastLineAt = -1;
    std::atomic<bool> recordGaps{false};
    QObject::connect(
        handler, &LumetraSerialHandler::sigLineReceived, handler,
        [&] { lastLineAt = double(clock.nsecsElapsed()) / 1e6; }, Qt::DirectConnection);
    QObject::connect(
        handler, &LumetraSerialHandler::sigBytesTransmitted, handler,
        [&] {
            const double now = double(clock.nsecsElapsed()) / 1e6;
            if (recordGaps && lastLineAt >= 0)
                gaps.push_back(now - lastLineAt);
            lastLineAt = -1;
        },
        Qt::DirectConnection);
    std::vector<double> arrivals;
    double cpuAtStart = 0;
    long switchesAtStart = 0;
    qint64 startNs = 0;
    long lines = 0;
    bool measuring = false;
    auto startMeasuring = [&] {
        measuring = true;
        recordGaps = true;
        cpuAtStart = threadCpuSeconds(worker.thread);
        switchesAtStart = threadSwitches(worker.tid);
        startNs = clock.nsecsElapsed();
    };

    if (external) {
        QObject::connect(handler, &LumetraSerialHandler::sigConnectedStatus, &app, [&](bool connected) {
            if (!connected || measuring)
                return;
            startMeasuring();
            QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        });
        QObject::connect(handler, &LumetraSerialHandler::sigBytesTransmitted, &app,
                         [&](const QString &, const QByteArray &) {
                             if (measuring)
                                 arrivals.push_back(double(clock.nsecsElapsed()) / 1e6);
                         });
        QObject::connect(handler, &LumetraSerialHandler::sigLineReceived, &app, [&] { lines += measuring; });
    } else {
        QObject::connect(&laser, &PtyLaser::commandReceived, [&](const QByteArray &command) {
            if (!measuring && command.startsWith("ls_"))
                startMeasuring();
            if (!measuring)
                return;
            arrivals.push_back(double(clock.nsecsElapsed()) / 1e6);
            if (int(arrivals.size()) > wanted)
                app.quit();
        });
    }
    QTimer::singleShot(external ? (seconds + 10) * 1000 : 5000 + wanted * 100, &app, [] {
        std::fprintf(stderr, "bench_link: timed out\n");
        QCoreApplication::exit(1);
    });
    if (app.exec() != 0 || arrivals.size() < 2)
        return 1;
    const double cpuUsed = threadCpuSeconds(worker.thread) - cpuAtStart;
    const long wakes = threadSwitches(worker.tid) - switchesAtStart;
    const double elapsed = double(clock.nsecsElapsed() - startNs) / 1e9;

    std::vector<double> cycles;
    for (size_t i = 1; i < arrivals.size(); ++i)
        cycles.push_back(arrivals[i] - arrivals[i - 1]);
    const double total = arrivals.back() - arrivals.front();
    std::printf("commands measured:        %zu\n", cycles.size());
    std::printf("command interval median:  %.2f ms\n", percentile(cycles, 0.5));
    std::printf("interval p10 / p90:       %.2f / %.2f ms\n", percentile(cycles, 0.1),
                percentile(cycles, 0.9));
    std::printf("mean incl. end-of-cycle:  %.2f ms\n", total / double(cycles.size()));
    if (external)
        std::printf("lines received:           %ld\n", lines);
    std::printf("worker CPU per command:   %.1f us (%.2f %% of one core)\n",
                cpuUsed / double(cycles.size()) * 1e6, 100.0 * cpuUsed / elapsed);
    std::printf("worker wake-ups:          %.0f per second\n", double(wakes) / elapsed);

    thread.quit();
    thread.wait(2000);
    if (!gaps.empty()) {
        double sum = 0;
        for (const double gap : gaps)
            sum += gap;
        std::printf(
            "quiet gap mean:           %.2f ms (p10 %.2f, p90 %.2f; the rules give 21 + 10 / queries)\n",
            sum / double(gaps.size()), percentile(gaps, 0.1), percentile(gaps, 0.9));
    }
    return 0;
}
