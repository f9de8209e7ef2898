#include "dialkit/SignalGraph.h"

#include <QImage>
#include <QtTest>

namespace {
const QRgb LineRgb = 0xFF87212E;

// Rows that hold at least one pixel of the plotted line, right of the axis.
QList<int> lineRows(const QImage &image)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 46; x < image.width(); ++x) {
            if (image.pixel(x, y) == LineRgb) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

QImage render(SignalGraph &graph, int width)
{
    graph.resize(width, graph.height());
    return graph.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class TestSignalGraph : public QObject
{
    Q_OBJECT
private slots:
    void demonstrationSine();
    void insertRules_data();
    void insertRules();
    void clearedGraphDrawsNoLine();
    void lineSpansTheStrip_data();
    void lineSpansTheStrip();
    void zeroLineOnlyWhenZeroIsInRange();
};

void TestSignalGraph::demonstrationSine()
{
    SignalGraph graph;
    QVERIFY(graph.hasData());
    QCOMPARE(graph.height(), 200);
    QCOMPARE(graph.samples().size(), 314);
    QCOMPARE(graph.samples().at(0), short(0));
    QCOMPARE(graph.samples().at(16), short(9996));    // sin(1.6) = 0.99957
    QCOMPARE(graph.samples().at(47), short(-9999));   // sin(4.7) = -0.99992
    QCOMPARE(graph.samples().at(110), short(-10000)); // sin(11.0) = -0.999990
    QCOMPARE(graph.samples().at(267), short(10000));  // sin(26.7) = 0.999977
    QCOMPARE(graph.maximumSample(), short(10000));
    QCOMPARE(graph.minimumSample(), short(-10000));
}

void TestSignalGraph::insertRules_data()
{
    QTest::addColumn<QVector<short>>("initial");
    QTest::addColumn<QVector<short>>("data");
    QTest::addColumn<uint>("position");
    QTest::addColumn<int>("count");
    QTest::addColumn<QVector<short>>("expected");
    QTest::addColumn<short>("minimum");
    QTest::addColumn<short>("maximum");

    const QVector<short> base{10, 20, 30};
    QTest::newRow("into empty graph") << QVector<short>{} << QVector<short>{5, 7} << 0u << 2
                                      << QVector<short>{5, 7} << short(5) << short(7);
    QTest::newRow("at the front") << base << QVector<short>{1} << 0u << 1 << QVector<short>{1, 10, 20, 30}
                                  << short(1) << short(30);
    QTest::newRow("in the middle, in order") << base << QVector<short>{-4, 99} << 1u << 2
                                             << QVector<short>{10, -4, 99, 20, 30} << short(-4) << short(99);
    QTest::newRow("appended at the end")
        << base << QVector<short>{15} << 3u << 5 << QVector<short>{10, 20, 30, 15} << short(10) << short(30);
    QTest::newRow("position beyond the end")
        << base << QVector<short>{1} << 4u << 1 << base << short(10) << short(30);
    QTest::newRow("count below one") << base << QVector<short>{1} << 0u << 0 << base << short(10)
                                     << short(30);
    QTest::newRow("more values than count")
        << base << QVector<short>{1, 2, 3} << 0u << 2 << base << short(10) << short(30);
    QTest::newRow("no values") << QVector<short>{} << QVector<short>{} << 0u << 3 << QVector<short>{}
                               << short(0) << short(0);
    QTest::newRow("16-bit extremes") << QVector<short>{} << QVector<short>{-32768, 32767} << 0u << 2
                                     << QVector<short>{-32768, 32767} << short(-32768) << short(32767);
}

void TestSignalGraph::insertRules()
{
    QFETCH(QVector<short>, initial);
    QFETCH(QVector<short>, data);
    QFETCH(uint, position);
    QFETCH(int, count);
    QFETCH(QVector<short>, expected);
    QFETCH(short, minimum);
    QFETCH(short, maximum);

    SignalGraph graph;
    graph.clearData();
    graph.insertData(initial, 0, initial.size());
    graph.insertData(data, position, count);
    QCOMPARE(graph.samples(), expected);
    QCOMPARE(graph.hasData(), !expected.isEmpty());
    if (!expected.isEmpty()) {
        QCOMPARE(graph.minimumSample(), minimum);
        QCOMPARE(graph.maximumSample(), maximum);
    }
}

void TestSignalGraph::clearedGraphDrawsNoLine()
{
    SignalGraph graph;
    QVERIFY(!lineRows(render(graph, 400)).isEmpty());
    graph.clearData();
    QVERIFY(!graph.hasData());
    QVERIFY(lineRows(render(graph, 400)).isEmpty());

    // A single sample is no line either.
    graph.insertData({123}, 0, 1);
    QVERIFY(graph.hasData());
    QVERIFY(lineRows(render(graph, 400)).isEmpty());
}

void TestSignalGraph::lineSpansTheStrip_data()
{
    QTest::addColumn<QVector<short>>("data");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");

    // The largest sample is plotted near the top and the smallest near the bottom, whatever the signs.
    QTest::newRow("both signs") << QVector<short>{-1000, 1000, -1000, 1000} << 2 << 199;
    QTest::newRow("all positive") << QVector<short>{100, 300, 200} << 2 << 199;
    QTest::newRow("all negative") << QVector<short>{-300, -100, -200} << 2 << 199;
    // A flat signal has no spread: it runs along the middle instead of dividing by zero.
    QTest::newRow("constant") << QVector<short>{42, 42, 42, 42} << 99 << 101;
    QTest::newRow("constant zero") << QVector<short>{0, 0, 0} << 99 << 101;
}

void TestSignalGraph::lineSpansTheStrip()
{
    QFETCH(QVector<short>, data);
    QFETCH(int, top);
    QFETCH(int, bottom);

    SignalGraph graph;
    graph.clearData();
    graph.insertData(data, 0, data.size());
    const QList<int> rows = lineRows(render(graph, 300));
    QVERIFY(!rows.isEmpty());
    // The pen is 2 px wide: allow one pixel either way around the computed extremes.
    QVERIFY2(qAbs(rows.first() - top) <= 1, qPrintable(QString::number(rows.first())));
    QVERIFY2(qAbs(rows.last() - bottom) <= 1, qPrintable(QString::number(rows.last())));
}

void TestSignalGraph::zeroLineOnlyWhenZeroIsInRange()
{
    SignalGraph graph;
    graph.clearData();
    // Symmetric: the zero line is the middle, y = round(197 * 100 / 200) + 1 = 100 (rounded half up).
    graph.insertData({-100, 100}, 0, 2);
    QCOMPARE(qRound(graph.valueToY(0, 200)) - 1, 100);
    QImage image = render(graph, 300);
    QCOMPARE(image.pixel(200, 100), qRgb(0x44, 0x44, 0x44));

    graph.clearData();
    graph.insertData({100, 200}, 0, 2);
    image = render(graph, 300);
    int axisColoured = 0;
    for (int y = 0; y < image.height(); ++y)
        axisColoured += image.pixel(250, y) == qRgb(0x44, 0x44, 0x44) ? 1 : 0;
    QCOMPARE(axisColoured, 0);
}

QTEST_MAIN(TestSignalGraph)
#include "tst_signalgraph.moc"
