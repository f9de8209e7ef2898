// CPU share of the whole program while it is connected and polling, first with the Serial Monitor dock
// hidden, then with it shown and following the traffic. Run it on a real display server next to a
// simulated laser paced at the real baud rate, for example:
//   build/sim/lumetra-sim --name bench &
//   xvfb-run -a build/bench/shell/bench_shell_cpu "$XDG_RUNTIME_DIR/LUMETRA-QZ/ports/bench" 60
// Figures from a shared machine only mean something next to another build measured at the same time.
#include "app/AppStartup.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QDockWidget>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void run(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Share of one core used by the process while the event loop runs for the given time.
double measure(int seconds)
{
    const double before = cpuSeconds();
    run(seconds * 1000);
    return 100.0 * (cpuSeconds() - before) / seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppStartup::setIdentity();
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_shell_cpu PORT [seconds per phase]\n");
        return 2;
    }
    const int seconds = arguments.size() > 2 ? arguments.at(2).toInt() : 60;

    MainWindow window;
    window.show();
    run(500);
    window.connectMenuHandler(arguments.at(1));
    // Identification and the first round of set-up queries are not what is being measured.
    run(10000);

    auto *dock = window.findChild<QDockWidget *>(QStringLiteral("Serial Monitor"));
    if (!dock) {
        std::fprintf(stderr, "no Serial Monitor dock\n");
        return 1;
    }
    dock->hide();
    run(1000);
    const double hidden = measure(seconds);
    dock->show();
    dock->raise();
    run(1000);
    const double shown = measure(seconds);

    const auto *text = dock->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
    std::printf("monitor hidden %.2f %% of a core, shown %.2f %%, %d lines in the monitor\n", hidden, shown,
                text ? text->document()->blockCount() : -1);
    return 0;
}
