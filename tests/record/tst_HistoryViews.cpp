#include "app/history/LumetraCsvFileName.h"
#include "app/history/LumetraEventsView.h"
#include "app/history/LumetraTrendsView.h"
#include "device/LumetraResponseDecoder.h"
#include "record/LumetraAlarmMonitor.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecordSource.h"
#include "record/LumetraRecorder.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

#include <pwd.h>
#include <unistd.h>

namespace {

const qint64 t0 = 1796000000000LL;

// German for the texts the rows below read, as the program's catalogue has them.
class German : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QString, QString> de = {
            {"LumetraRecorder|Identified laser %1", "Laser %1 identifiziert"},
            {"LumetraAlarmMonitor|State: %1", "Zustand: %1"},
            {"LumetraAlarmMonitor|On, output enabled", "An, Ausgang freigegeben"},
            {"LumetraRecorder|Port %1 closed", "Schnittstelle %1 geschlossen"},
        };
        return de.value(QLatin1String(context) + '|' + QLatin1String(source));
    }
};

} // namespace

// The docks over a real recording: what an operator reads off them.
class tst_HistoryViews : public QObject
{
    Q_OBJECT

private slots:
    // An acknowledgement names the account even where the environment does not.
    void acknowledgerWithoutUserVariable()
    {
        const QByteArray user = qgetenv("USER"), userName = qgetenv("USERNAME");
        qunsetenv("USER");
        qunsetenv("USERNAME");
        const QString name = LumetraEventsView::userName();
        if (!user.isNull())
            qputenv("USER", user);
        if (!userName.isNull())
            qputenv("USERNAME", userName);
        const passwd *account = getpwuid(getuid());
        QVERIFY(account);
        QCOMPARE(name, QString::fromLocal8Bit(account->pw_name));
    }

    void eventsListActiveAlarmsFirst()
    {
        QTemporaryDir dir;
        qint64 now = t0;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([&] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotConnectedStatus(true);
        decoder.slotLineReceived("Serial number: 11\n");
        decoder.slotLineReceived("ZOR HG\tErrorcode=3\n");
        now += 1000;
        decoder.slotLineReceived("Standby -> Listen\n");
        recorder.recordCommand("e_power=600", "panel");
        recorder.flush();

        LumetraRecordSource source(&recorder);
        LumetraEventsView view(&source);
        view.show();
        QVERIFY(source.isLive());
        // The alarm is older than the state change and the command, and still comes first.
        QCOMPARE(view.rowCount(), 4); // alarm; command, state, identification
        QVERIFY(view.rowText(0, 2).startsWith("HG Error code: 3"));
        QCOMPARE(view.rowText(1, 2), QString("e_power=600"));
        // The export offers a name that says which laser and span, in the documents folder.
        const QFileInfo offered(view.suggestedFileName());
        QCOMPARE(offered.path(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QCOMPARE(offered.fileName(),
                 QDateTime::fromMSecsSinceEpoch(t0).toString("'11_events_'yyyy-MM-dd_HHmm") +
                     QDateTime::fromMSecsSinceEpoch(now).toString("'_to_'yyyy-MM-dd_HHmm'.csv'"));
        QCOMPARE(QFileInfo(LumetraCsvFileName::suggestIn("/tmp/out", "../LQZ/x", "trends", 0, 0)).fileName(),
                 QString("___LQZ_x_trends.csv"));

        recorder.acknowledge("hg.error.3", "jdoe");
        recorder.flush();
        QVERIFY(view.rowText(0, 5).startsWith("jdoe, "));

        view.setFilter(LumetraEventsView::FilterAll, "e_power");
        QCOMPARE(view.rowCount(), 1);
        view.setFilter(LumetraEventsView::FilterAlarms);
        QCOMPARE(view.rowCount(), 1); // the raised alarm; its acknowledgement is no alarm
        // The filter's clear button fades out; Qt never frees that animation if the edit is destroyed
        // while it runs, which the leak checker would blame on this test.
        QTest::qWait(400);
    }

    // The Laser box and the rows below it name the same laser through a change of laser, and follow the
    // connected one unless the operator picked another.
    void docksFollowTheConnectedLaser()
    {
        QTemporaryDir dir;
        qint64 now = t0;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([&] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotConnectedStatus(true);
        decoder.slotLineReceived("Serial number: 11\n");
        recorder.flush();
        LumetraRecordSource source(&recorder);
        LumetraEventsView events(&source);
        LumetraTrendsView trends(&source);
        events.show();
        trends.show();
        const auto shows = [&](const QString &laser) {
            for (QWidget *view : {static_cast<QWidget *>(&events), static_cast<QWidget *>(&trends)}) {
                const auto *box = view->findChild<QComboBox *>("laserBox");
                if (!box || box->currentText() != laser)
                    return false;
            }
            return source.laser() == laser && events.rowText(events.rowCount() - 1, 2).endsWith(laser);
        };
        QVERIFY(shows("11"));

        now += 1000;
        decoder.slotLineReceived("Serial number: 22\n"); // another laser answered on the port
        recorder.flush();
        QVERIFY(shows("22"));

        source.setLaser("11"); // the operator looks back at the first laser
        now += 1000;
        decoder.slotLineReceived("Serial number: 33\n");
        recorder.flush();
        QVERIFY(shows("11"));
        QVERIFY(events.findChild<QComboBox *>("laserBox")->findText("33") >= 0);
    }

    void eventTextCanBeReadWhole()
    {
        QTemporaryDir dir;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([] { return t0; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotLineReceived("Serial number: 13\n");
        const QString text = QStringLiteral("ls_dwls_default=2,") + QString(120, QLatin1Char('7'));
        recorder.recordCommand(text, "monitor");
        recorder.flush();

        LumetraRecordSource source(&recorder);
        LumetraEventsView view(&source);
        view.resize(500, 300);
        view.show();
        auto *table = view.findChild<QTreeWidget *>();
        QVERIFY(table);
        const QList<QTreeWidgetItem *> rows = table->findItems(text, Qt::MatchExactly, 2);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first()->toolTip(2), text);
        // The operator drags the column wider to read it in place.
        table->header()->resizeSection(2, 900);
        QCOMPARE(table->header()->sectionSize(2), 900);
    }

    // Recorded in an English session, read in a German one: the Events dock shows German, except what a
    // recording made before texts kept their keys says, which stays as it was written.
    void eventReadInTheLanguageInUse_data()
    {
        QTest::addColumn<int>("statusByte"); // -1: none
        QTest::addColumn<bool>("oldRow");
        QTest::addColumn<QString>("shown");
        QTest::newRow("identification") << -1 << false << "Laser 11 identifiziert";
        QTest::newRow("emission on, its state in words")
            << 0x81 << false << "Zustand: An, Ausgang freigegeben";
        QTest::newRow("old recording, text only") << -1 << true << "Port /dev/ttyUSB0 closed";
    }
    void eventReadInTheLanguageInUse()
    {
        QFETCH(int, statusByte);
        QFETCH(bool, oldRow);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        qint64 now = t0;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([&] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotLineReceived("Serial number: 11\n");
        now += 1000;
        if (statusByte >= 0)
            recorder.alarms()->slotStatusByte(uchar(statusByte));
        recorder.flush();
        if (oldRow) {
            LumetraRecordStore file("tst-old-row");
            QCOMPARE(file.open(recorder.store().fileName(), nullptr), LumetraRecordStore::OpenResult::Opened);
            RecordEvent e;
            e.t = now;
            e.text = "Port /dev/ttyUSB0 closed";
            QVERIFY(file.write({}, {e}, nullptr));
        }

        German german;
        QVERIFY(QCoreApplication::installTranslator(&german));
        LumetraRecordSource source(&recorder);
        LumetraEventsView view(&source);
        view.show();
        const QString text = view.rowText(0, 2);
        QCoreApplication::removeTranslator(&german);
        QCOMPARE(text, shown);
    }

    // The readout says what is drawn under the pointer: the level a step holds, the point a line passes.
    void trendCursorReadsWhatIsDrawn_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("line"); // %1: the value
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<QString>("halfway");
        QTest::addColumn<QString>("justBefore");
        QTest::addColumn<bool>("step");
        QTest::newRow("humidity: a line")
            << "hg.humidity" << QByteArray("ZOR SHG\tHumidity=%1%\n") << 40.0 << 52.0 << "Humidity: 46 %"
            << "Humidity: 52 %" << false;
        QTest::newRow("error code: a step")
            << "hg.error_code" << QByteArray("ZOR HG\tErrorcode=%1\n") << 3.0 << 5.0 << "Error code: 3"
            << "Error code: 3" << true;
        QTest::newRow("run time: a step")
            << "hg.crystal_runtime" << QByteArray("ZOR THG\tCurrent runtime=%1s\n") << 36000.0 << 43200.0
            << "Crystal spot run time: 10 h"
            << "Crystal spot run time: 10 h" << true;
    }

    void trendCursorReadsWhatIsDrawn()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, line);
        QFETCH(double, first);
        QFETCH(double, second);
        QTemporaryDir dir;
        qint64 now = t0;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([&] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotLineReceived("Serial number: 12\n");
        decoder.slotLineReceived(QString::fromLatin1(line).arg(first).toLatin1());
        now += 60000;
        decoder.slotLineReceived(QString::fromLatin1(line).arg(second).toLatin1());
        recorder.flush();

        LumetraRecordSource source(&recorder);
        LumetraTrendsView view(&source);
        view.resize(800, 400);
        view.show();
        view.setSelectedQuantities({key});
        view.setSpan(t0 - 1000, t0 + 120000);
        const QString label = LumetraRecordQuantities::label(LumetraRecordQuantities::indexOf(key));
        QVERIFY(view.readoutAt(t0 - 500).contains(label + ": –"));
        QFETCH(QString, halfway);
        QVERIFY2(view.readoutAt(t0 + 30000).endsWith(halfway), qPrintable(view.readoutAt(t0 + 30000)));
        QFETCH(QString, justBefore);
        QVERIFY2(view.readoutAt(t0 + 59999).endsWith(justBefore), qPrintable(view.readoutAt(t0 + 59999)));
        // A step rises where the new value came, from the level held until then; a line has no corner.
        const double scale = key == "hg.crystal_runtime" ? 1 / 3600.0 : 1.0;
        QFETCH(bool, step);
        QCOMPARE(view.drawnSeries(key).contains(QPointF(t0 + 60000, first * scale)), step);
        QVERIFY(view.drawnSeries(key).contains(QPointF(t0 + 60000, second * scale)));
    }

    // The list offers what the laser on the link reports: the default module has no humidity sensor.
    void trendsOfferWhatTheModuleReports_data()
    {
        QTest::addColumn<QByteArray>("moduleType");
        QTest::addColumn<bool>("humidity");
        QTest::addColumn<bool>("crystal");
        QTest::newRow("third harmonic") << QByteArray("0x8d") << false << true;
        QTest::newRow("third harmonic with humidity sensor") << QByteArray("0x93") << true << true;
        QTest::newRow("second harmonic") << QByteArray("0x86") << true << false;
    }

    void trendsOfferWhatTheModuleReports()
    {
        QFETCH(QByteArray, moduleType);
        QTemporaryDir dir;
        qint64 now = t0;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([&] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotConnectedStatus(true);
        recorder.slotConnectedStatus(true);
        decoder.slotLineReceived("Serial number: 14\n");
        recorder.flush();

        LumetraRecordSource source(&recorder);
        LumetraTrendsView view(&source);
        view.show();
        QVERIFY(view.offeredQuantities().contains("laser.measured_energy"));
        QVERIFY(!view.offeredQuantities().contains("hg.oven1_actual")); // no module said so yet
        decoder.slotLineReceived("ZOR harmonic generation module (address: 0x24 / type: " + moduleType +
                                 ")\n");
        decoder.slotLineReceived("PCB serial number:\tPCB-4471-B\n");
        const QStringList offered = view.offeredQuantities();
        QVERIFY(offered.contains("hg.oven1_actual"));
        QFETCH(bool, humidity);
        QFETCH(bool, crystal);
        QCOMPARE(offered.contains("hg.humidity"), humidity);
        QCOMPARE(offered.contains("hg.crystal_runtime"), crystal);
    }

    // A code of a few units is not drawn on the floor of a scale that a flag word of 256 needs.
    void unitlessQuantitiesKeepTheirOwnScale()
    {
        QTemporaryDir dir;
        qint64 now = t0;
        LumetraResponseDecoder decoder;
        LumetraRecorder recorder(dir.path());
        recorder.setClock([&] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotLineReceived("Serial number: 15\n");
        decoder.slotLineReceived("ZOR HG\tErrorcode=3\n");
        decoder.slotLineReceived("ZOR HG\tStatus flags=100\n");
        now += 60000;
        recorder.flush();

        LumetraRecordSource source(&recorder);
        LumetraTrendsView view(&source);
        view.resize(800, 400);
        view.show();
        view.setSelectedQuantities({"hg.error_code", "hg.status_flags"});
        view.setSpan(t0 - 1000, t0 + 120000);
        auto *chart = view.findChild<QtCharts::QChartView *>()->chart();
        for (QtCharts::QAbstractSeries *series : chart->series()) {
            const auto axes = series->attachedAxes();
            const auto *scale = qobject_cast<QtCharts::QValueAxis *>(axes.last());
            QVERIFY(scale);
            const double drawn = series->name().startsWith("Error code") ? 3 : 256;
            QVERIFY2(scale->min() <= drawn && drawn <= scale->max() && scale->max() - scale->min() <= 2,
                     qPrintable(series->name() + QString(" %1..%2").arg(scale->min()).arg(scale->max())));
        }
    }
};

QTEST_MAIN(tst_HistoryViews)
#include "tst_HistoryViews.moc"
