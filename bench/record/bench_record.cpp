// Benchmarks of the recorder:
//   bench_record draw FOLDER [DAYS]   a week (by default) of 20 quantities once a second into FOLDER
//                                     (kept for the next run), then the time to query, reduce and draw
//                                     7 days and 10 minutes in the Trends view, side by side
//   bench_record cpu SIM SECONDS      the CPU time of the GUI thread with and without the recorder,
//                                     in alternating phases of one run against the paced simulator SIM
#include "app/history/LumetraTrendsView.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecordSource.h"
#include "record/LumetraRecorder.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

QTextStream out(stdout);

const char *const benchLaser = "BENCH-WEEK";

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int draw(const QString &folder, int days)
{
    const int quantities = 20;
    const qint64 end = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    const qint64 start = end - days * 24 * 3600 * 1000LL;
    const QString file = LumetraRecordStore::fileForLaser(folder, benchLaser);
    if (!QFileInfo::exists(file)) {
        LumetraRecordStore store(QStringLiteral("bench-writer"));
        QString error;
        if (store.open(file, &error) != LumetraRecordStore::OpenResult::Opened) {
            out << "cannot open " << file << ": " << error << "\n";
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        QVector<RecordSample> batch;
        for (qint64 t = start; t < end; t += 1000) {
            for (int q = 0; q < quantities; ++q) {
                const double phase = double(t - start) / 3.6e6 + q;
                batch.push_back(
                    {t, q, 20 + 10 * std::sin(phase) + std::fmod(double(t / 1000 * (q + 3)), 7.0) / 10});
            }
            if (batch.size() >= 3600 * quantities) {
                if (!store.write(batch, {}, &error)) {
                    out << "write failed: " << error << "\n";
                    return 1;
                }
                batch.clear();
            }
        }
        store.write(batch, {}, &error);
        out << "wrote " << (end - start) / 1000 * quantities << " values in " << timer.elapsed() / 1000.0
            << " s\n";
        store.close();
    }
    out << "file " << file << ": " << QFileInfo(file).size() / 1e6 << " MB for " << days << " days of "
        << quantities << " quantities once a second\n";

    LumetraRecordSource source(nullptr, folder);
    source.setLaser(benchLaser);
    LumetraTrendsView view(&source);
    view.resize(1200, 600);
    QStringList keys;
    for (int q = 0; q < quantities; ++q)
        keys << QString::fromLatin1(LumetraRecordQuantities::at(q).key);
    view.setSelectedQuantities(keys);
    view.show();
    QApplication::processEvents();

    // Median of five of the whole (query, reduce, fill the series, draw) and of the drawing alone.
    // The machine is shared: the thread's CPU time says what the work costs when the wall clock also
    // counts the waits for a core.
    const auto timeSpan = [&](qint64 span, double *drawMs, double *cpuMs) {
        QVector<double> all, drawing, cpu;
        for (int run = 0; run < 5; ++run) {
            const double cpuBefore = threadCpuSeconds();
            QElapsedTimer timer;
            timer.start();
            view.setSpan(end - span - run * 1000, end - run * 1000);
            const qint64 loaded = timer.nsecsElapsed();
            view.grab();
            all << timer.nsecsElapsed() / 1e6;
            drawing << (timer.nsecsElapsed() - loaded) / 1e6;
            cpu << (threadCpuSeconds() - cpuBefore) * 1e3;
        }
        std::sort(all.begin(), all.end());
        std::sort(drawing.begin(), drawing.end());
        std::sort(cpu.begin(), cpu.end());
        *drawMs = drawing[2];
        *cpuMs = cpu[2];
        return all[2];
    };
    const auto timeQueries = [&](qint64 span) {
        QElapsedTimer timer;
        timer.start();
        int points = 0;
        for (int q = 0; q < quantities; ++q)
            points += source.store()->reduced(q, end - span, end, 800).size();
        return QStringLiteral("%1 ms for %2 reduced points").arg(timer.nsecsElapsed() / 1e6).arg(points);
    };
    out << "queries alone: " << days << " days " << timeQueries(qint64(days) * 24 * 3600 * 1000)
        << ", 10 min " << timeQueries(10 * 60 * 1000) << "\n";
    double weekDraw = 0, tenMinutesDraw = 0, weekCpu = 0, tenMinutesCpu = 0;
    const double week = timeSpan(qint64(days) * 24 * 3600 * 1000, &weekDraw, &weekCpu);
    const int weekPoints = view.drawnPoints();
    const double tenMinutes = timeSpan(10 * 60 * 1000, &tenMinutesDraw, &tenMinutesCpu);
    const int tenMinutePoints = view.drawnPoints();
    out << "query+reduce+draw, median of 5: " << days << " days " << week << " ms (CPU " << weekCpu
        << " ms, drawing " << weekDraw << " ms, " << weekPoints << " points), 10 min " << tenMinutes
        << " ms (CPU " << tenMinutesCpu << " ms, drawing " << tenMinutesDraw << " ms, " << tenMinutePoints
        << " points)\n";
    return 0;
}

int cpu(const QString &simulator, int seconds)
{
    QProcess sim;
    const QString portDir = QDir::tempPath() + "/bench-record-ports";
    QDir().mkpath(portDir);
    sim.start(simulator, {"--module", "0x93", "--name", "bench-record", "--port-dir", portDir});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000)) {
        out << "simulator did not start\n";
        return 1;
    }
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();

    QThread thread;
    auto *link = new LumetraSerialHandler;
    link->moveToThread(&thread);
    QObject::connect(&thread, SIGNAL(started()), link, SLOT(slotMainLoop()));
    QObject::connect(&thread, &QThread::finished, link, &QObject::deleteLater);
    // The program's own decoder runs in both phases; the recorder brings a second one and its store.
    LumetraResponseDecoder programDecoder;
    QObject::connect(link, &LumetraSerialHandler::sigLineReceived, &programDecoder,
                     &LumetraResponseDecoder::slotLineReceived);
    QObject::connect(link, &LumetraSerialHandler::sigConnectedStatus, &programDecoder,
                     &LumetraResponseDecoder::slotConnectedStatus);
    thread.start();
    QMetaObject::invokeMethod(link, "slotOpenCommunication", Q_ARG(QString, port));
    for (const char *query :
         {"s6", "s7", "s8", "s9", "ly_lqz2_power?", "e_power?", "e_freq?", "e_div?", "ls?", "ls_humidity?",
          "ls_enable?", "ls_temp_setpoint?", "ls_temp_oven?", "ly_lqz2_output?", "ls_status?",
          "ls_errorcode?", "ls_output_power?", "ls_crystal_curSpot?"})
        QMetaObject::invokeMethod(link, "slotAddMonitorCommand", Q_ARG(QString, QString::fromLatin1(query)));
    int lines = 0;
    QObject::connect(link, &LumetraSerialHandler::sigLineReceived, [&] { ++lines; });

    // An event loop that sleeps between events, as the program's does.
    const auto wait = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    wait(3000); // identification and the first poll cycles

    const QString folder = QDir::tempPath() + "/bench-record-cpu";
    QDir(folder).removeRecursively();
    const int phases = 6;
    double with = 0, without = 0, withWall = 0, withoutWall = 0;
    int linesWith = 0, linesWithout = 0;
    for (int phase = 0; phase < phases; ++phase) {
        const bool recording = phase % 2 == 1;
        LumetraRecorder *recorder = nullptr;
        if (recording) {
            recorder = new LumetraRecorder(folder);
            recorder->attachLinkAndDecode(link);
            // It learns the serial number from the identification lines; a reconnecting recorder would
            // see them again, this one is told.
            recorder->slotSerialNumber(QStringLiteral("bench"));
            recorder->slotConnectedStatus(true);
        }
        const int linesBefore = lines;
        QElapsedTimer wall;
        wall.start();
        const double before = threadCpuSeconds();
        wait(seconds * 1000 / phases);
        const double used = threadCpuSeconds() - before;
        (recording ? with : without) += used;
        (recording ? withWall : withoutWall) += wall.elapsed() / 1000.0;
        (recording ? linesWith : linesWithout) += lines - linesBefore;
        delete recorder;
    }
    thread.quit();
    thread.wait(3000);
    sim.terminate();
    sim.waitForFinished(3000);

    const double coreWith = 100 * with / withWall;
    const double coreWithout = 100 * without / withoutWall;
    out << "GUI thread, % of a core: without recorder " << coreWithout << " (" << linesWithout / withoutWall
        << " lines/s), with recorder " << coreWith << " (" << linesWith / withWall
        << " lines/s); recorder adds " << coreWith - coreWithout << " % of a core\n";
    const QString file = LumetraRecordStore::fileForLaser(folder, "bench");
    const qint64 bytes = QFileInfo(file).size() + QFileInfo(file + "-wal").size();
    out << "recording file (with its journal) after " << withWall << " s of recording: " << bytes
        << " bytes, " << bytes / withWall * 86400 / 1e6 << " MB a day at this rate\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "draw")
        return draw(args[2], args.size() > 3 ? args[3].toInt() : 7);
    if (args.size() >= 4 && args[1] == "cpu")
        return cpu(args[2], args[3].toInt());
    out << "usage: bench_record draw FOLDER [DAYS] | bench_record cpu SIM SECONDS\n";
    return 2;
}
