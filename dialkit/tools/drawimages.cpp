// Draws the PNG artwork of the Dialkit library into dialkit/images/.
// Built only on demand:  cmake --build <build> --target dialkit-draw-images
// and run as:            dialkit-draw-images <output folder>
// The sizes follow the style sheet: 16 px radio and toggle arrows, 25 px check boxes, 22 px close
// cross (26 px button less its 2 px border), 22 px warning sign, 20 px settings wheel.

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor red(0x87, 0x21, 0x2E);
const QColor orange(0xED, 0x6E, 0x00);
const QColor grey(0xC6, 0xC6, 0xC6);
const QColor darkGrey(0x44, 0x44, 0x44);
const QColor midGrey(0x99, 0x99, 0x99);

QString outDir;
int written = 0;

void save(const QString &name, int w, int h, const std::function<void(QPainter &)> &draw)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        draw(p);
    }
    const QString path = QDir(outDir).filePath(name);
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    ++written;
}

void radio(QPainter &p, const QColor &ring, bool dot)
{
    p.setPen(QPen(ring, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.25, 1.25, 13.5, 13.5));
    if (dot) {
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    }
}

void checkbox(QPainter &p, const QColor &frame, bool checked)
{
    p.setPen(QPen(frame, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2, 2, 21, 21), 4, 4);
    if (checked) {
        QPen tick(red, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(tick);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(6.5, 12.5);
        path.lineTo(10.5, 17);
        path.lineTo(18.5, 7.5);
        p.drawPath(path);
    }
}

void chevron(QPainter &p, const QRectF &r, bool up, const QColor &c, qreal width)
{
    QPen pen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    const qreal yTop = r.top() + r.height() * 0.3;
    const qreal yBottom = r.top() + r.height() * 0.7;
    if (up) {
        path.moveTo(r.left(), yBottom);
        path.lineTo(r.center().x(), yTop);
        path.lineTo(r.right(), yBottom);
    } else {
        path.moveTo(r.left(), yTop);
        path.lineTo(r.center().x(), yBottom);
        path.lineTo(r.right(), yTop);
    }
    p.drawPath(path);
}

void bigArrow(QPainter &p, bool up, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(1, 1, 38, 38), 8, 8);
    QPainterPath tri;
    if (up) {
        tri.moveTo(9, 27);
        tri.lineTo(20, 12);
        tri.lineTo(31, 27);
    } else {
        tri.moveTo(9, 13);
        tri.lineTo(20, 28);
        tri.lineTo(31, 13);
    }
    tri.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(tri);
}

void cross(QPainter &p, const QColor &c)
{
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 6), QPointF(16, 16));
    p.drawLine(QPointF(16, 6), QPointF(6, 16));
}

void warning(QPainter &p, const QColor &c)
{
    QPainterPath tri;
    tri.moveTo(11, 1.5);
    tri.lineTo(21, 20);
    tri.lineTo(1, 20);
    tri.closeSubpath();
    p.setPen(QPen(c, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    p.drawPath(tri);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 7.5), QPointF(11, 13.5));
    p.drawPoint(QPointF(11, 17));
}

void gear(QPainter &p, const QColor &c)
{
    const QPointF centre(10, 10);
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal r = (i % 2 == 0) ? 9.2 : 7.0;
        for (int k = 0; k < 2; ++k) {
            const qreal a = (i + k * 0.999) * M_PI / teeth - M_PI / (2 * teeth);
            const QPointF pt(centre.x() + r * qCos(a), centre.y() + r * qSin(a));
            if (i == 0 && k == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
    }
    path.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path.subtracted(hole));
}

void logo(QPainter &p, const QString &text, const QColor &mark, const QColor &textColour, int w, int h)
{
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    QPainterPath sweep;
    sweep.moveTo(2, h - 6);
    sweep.cubicTo(h * 0.4, 2, h * 0.9, 2, h + 2, h * 0.55);
    sweep.cubicTo(h * 0.8, h * 0.3, h * 0.45, h * 0.45, 2, h - 6);
    p.drawPath(sweep);
    p.drawEllipse(QRectF(h * 0.75, h * 0.55, 10, 10));
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(int(h * 0.5));
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(f);
    p.setPen(textColour);
    p.drawText(QRectF(h + 8, 0, w - h - 8, h), Qt::AlignVCenter | Qt::AlignLeft, text);
}

void signal(QPainter &p, const std::function<qreal(qreal)> &shape)
{
    // shape maps phase 0..1 to -1..1; two periods across the image
    const int w = 40, h = 24;
    p.setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 1));
    p.drawLine(QPointF(2, h / 2.0), QPointF(w - 2, h / 2.0));
    QPainterPath path;
    const int n = 200;
    for (int i = 0; i <= n; ++i) {
        const qreal t = qreal(i) / n;
        const qreal phase = std::fmod(t * 2.0, 1.0) + (i == n ? 1.0 : 0.0);
        const QPointF pt(3 + t * (w - 6), h / 2.0 - shape(phase > 1.0 ? 1.0 : phase) * (h / 2.0 - 4));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    p.setPen(QPen(red, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);

    save("radio.png", 16, 16, [](QPainter &p) { radio(p, midGrey, false); });
    save("radioHover.png", 16, 16, [](QPainter &p) { radio(p, orange, false); });
    save("radioChecked.png", 16, 16, [](QPainter &p) { radio(p, red, true); });

    save("checkbox.png", 25, 25, [](QPainter &p) { checkbox(p, midGrey, false); });
    save("checkboxHover.png", 25, 25, [](QPainter &p) { checkbox(p, orange, false); });
    save("checkboxChecked.png", 25, 25, [](QPainter &p) { checkbox(p, midGrey, true); });
    save("checkboxCheckedHover.png", 25, 25, [](QPainter &p) { checkbox(p, orange, true); });

    save("downArrow.png", 16, 16, [](QPainter &p) { chevron(p, QRectF(3, 2, 10, 12), false, midGrey, 2); });
    save("downArrowHover.png", 16, 16,
         [](QPainter &p) { chevron(p, QRectF(3, 2, 10, 12), false, orange, 2); });
    save("upArrow.png", 16, 16, [](QPainter &p) { chevron(p, QRectF(3, 2, 10, 12), true, midGrey, 2); });
    save("upArrowHover.png", 16, 16, [](QPainter &p) { chevron(p, QRectF(3, 2, 10, 12), true, orange, 2); });

    save("upArrowBig1.png", 40, 40, [](QPainter &p) { bigArrow(p, true, grey); });
    save("upArrowBig1Hover.png", 40, 40, [](QPainter &p) { bigArrow(p, true, orange); });
    save("dnArrowBig1.png", 40, 40, [](QPainter &p) { bigArrow(p, false, grey); });
    save("dnArrowBig1Hover.png", 40, 40, [](QPainter &p) { bigArrow(p, false, orange); });

    save("cross.png", 22, 22, [](QPainter &p) { cross(p, darkGrey); });
    save("crossHover.png", 22, 22, [](QPainter &p) { cross(p, orange); });

    save("warningGrey.png", 22, 22, [](QPainter &p) { warning(p, grey); });
    save("warningOrange.png", 22, 22, [](QPainter &p) { warning(p, orange); });

    save("settings.png", 20, 20, [](QPainter &p) { gear(p, grey); });
    save("settingsHover.png", 20, 20, [](QPainter &p) { gear(p, orange); });

    save("zorvLogo.png", 200, 50,
         [](QPainter &p) { logo(p, "ZORVANE", red, QColor(0x44, 0x44, 0x44), 200, 50); });
    save("nonameLogo.png", 200, 50, [](QPainter &p) { logo(p, "LOGO", grey, grey, 200, 50); });

    save("sine.png", 40, 24, [](QPainter &p) { signal(p, [](qreal t) { return qSin(2 * M_PI * t); }); });
    save("triangle.png", 40, 24,
         [](QPainter &p) { signal(p, [](qreal t) { return t < 0.5 ? -1 + 4 * t : 3 - 4 * t; }); });
    save("triangleSignal.png", 40, 24, [](QPainter &p) {
        // a symmetric triangle starting at zero, as a generator would output it
        signal(p, [](qreal t) { return t < 0.25 ? 4 * t : (t < 0.75 ? 2 - 4 * t : -4 + 4 * t); });
    });
    save("sawPosRamp.png", 40, 24, [](QPainter &p) { signal(p, [](qreal t) { return -1 + 2 * t; }); });
    save("sawNegRamp.png", 40, 24, [](QPainter &p) { signal(p, [](qreal t) { return 1 - 2 * t; }); });

    std::printf("%d images written to %s\n", written, qPrintable(outDir));
    return 0;
}
