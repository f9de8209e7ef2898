// Measures how long the control panel takes to build on the GUI thread and to appear in a window that is
// already on screen, as the program places it: side by side in the same run, with the frame's style sheet
// set up front (every widget styled again as it is added, and against a second copy of the application's
// sheet) and deferred (styled once, by the application's sheet alone). Both ways must look the same: with
// --grab the bench also renders every page both ways and compares the pixels.
// Usage: QT_QPA_PLATFORM=offscreen bench_view [builds] [--grab folder]   (default 20 builds)

#include "app/view/LumetraView.h"
#include "dialkit/Dialkit.h"
#include "dialkit/stackWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using Timing = MainView::StyleSheetTiming;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One build, including the first show, which is when the remaining polishing and layout happen.
double buildOnce(Timing timing, QWidget *window)
{
    QElapsedTimer clock;
    clock.start();
    auto *view = new LumetraView(nullptr, timing);
    window->layout()->addWidget(view);
    QApplication::processEvents();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    delete view;
    QApplication::processEvents();
    return ms;
}

QList<QImage> grabPages(Timing timing)
{
    LumetraView view(nullptr, timing);
    view.resize(1100, 800);
    view.show();
    QApplication::processEvents();
    QList<QImage> images;
    for (int page = 0; page < view.pageStack()->count(); ++page) {
        view.setControlPage(page);
        QApplication::processEvents();
        images << view.grab().toImage();
    }
    return images;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int builds = 20;
    QString grabFolder;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--grab") && i + 1 < argc) {
            grabFolder = QString::fromLocal8Bit(argv[++i]);
        } else {
            builds = std::max(3, arg.toInt());
        }
    }
    // As the program starts: fonts and the application-wide sheet first.
    Dialkit::loadApplicationFonts();
    app.setStyleSheet(Dialkit::getApplicationStylesheet());

    // The program places the panel into a window that is already on screen.
    QWidget window;
    new QVBoxLayout(&window);
    window.resize(1366, 768);
    window.show();
    QApplication::processEvents();

    buildOnce(Timing::Deferred,
              &window); // warm-up: fonts, images and the parsed sheet are cached from here on
    buildOnce(Timing::Immediate, &window);
    std::vector<double> deferred, immediate;
    for (int i = 0; i < builds; ++i) {
        // Alternated, so that the machine's load falls on both alike.
        immediate.push_back(buildOnce(Timing::Immediate, &window));
        deferred.push_back(buildOnce(Timing::Deferred, &window));
    }
    const double before = median(immediate);
    const double after = median(deferred);
    std::printf("builds: %d each, median ms per build (construction + first show)\n", builds);
    std::printf("  sheet applied up front   : %8.1f ms\n", before);
    std::printf("  sheet applied once at end: %8.1f ms\n", after);
    std::printf("  ratio up front / at end  : %8.2f\n", before / after);

    if (!grabFolder.isEmpty()) {
        QDir().mkpath(grabFolder);
        const QList<QImage> up = grabPages(Timing::Immediate);
        const QList<QImage> end = grabPages(Timing::Deferred);
        int differing = 0;
        for (int page = 0; page < up.size(); ++page) {
            up.at(page).save(QStringLiteral("%1/page%2-upfront.png").arg(grabFolder).arg(page));
            end.at(page).save(QStringLiteral("%1/page%2-atend.png").arg(grabFolder).arg(page));
            const bool same = page < end.size() && up.at(page) == end.at(page);
            differing += same ? 0 : 1;
            std::printf("  page %d: %s\n", page, same ? "identical" : "DIFFERS");
        }
        return differing == 0 ? 0 : 1;
    }
    return 0;
}
