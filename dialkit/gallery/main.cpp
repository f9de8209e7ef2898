#include "dialkit/Dialkit.h"
#include "dialkit/gallery/GalleryWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dialkit-gallery"));
    Dialkit::loadApplicationFonts();
    app.setStyleSheet(Dialkit::getApplicationStylesheet());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows every Dialkit widget with the application style."));
    parser.addHelpOption();
    QCommandLineOption shots(QStringLiteral("screenshots"),
                             QStringLiteral("Write one PNG per tab into <folder> and quit."),
                             QStringLiteral("folder"));
    parser.addOption(shots);
    parser.process(app);

    GalleryWindow window;
    window.show();
    if (parser.isSet(shots)) {
        QTimer::singleShot(300, &window, [&]() {
            const int n = window.saveScreenshots(parser.value(shots));
            std::printf("%d screenshots written\n", n);
            app.quit();
        });
    }
    return app.exec();
}
