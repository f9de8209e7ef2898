#include "CsvReader.h"
#include "device/LumetraController.h"
#include "device/LumetraEventText.h"
#include "device/LumetraLinkClock.h"
#include "device/LumetraLinkEngine.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraWriteAudit.h"
#include "record/LumetraAlarmMonitor.h"
#include "record/LumetraControllerTap.h"
#include "record/LumetraCsvExport.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecorder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cmath>
#include <optional>

#include <sys/mount.h>
#include <unistd.h>

namespace {

const qint64 t0 = 1796000000000LL; // an ordinary UTC time, whole seconds

int q(const char *key)
{
    const int index = LumetraRecordQuantities::indexOf(QLatin1String(key));
    Q_ASSERT(index >= 0);
    return index;
}

// An s9 record with every temperature at `celsius` and the given status byte.
QByteArray s9(double celsius, const char *statusByte)
{
    QByteArray line = "s9";
    for (int i = 0; i < 40; ++i)
        line += ' ' + QByteArray::number(celsius, 'f', 2);
    return line + ' ' + statusByte + '\n';
}

// A recorder on a decoder fed by hand, with time moved by hand and its own folder.
struct Rig
{
    QTemporaryDir dir;
    qint64 now = t0;
    LumetraResponseDecoder decoder;
    LumetraRecorder recorder;

    explicit Rig(const QString &folder = QString())
        : recorder(folder.isEmpty() ? dir.path() + "/recordings" : folder)
    {
        recorder.setClock([this] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotConnectedStatus(true);
        recorder.slotConnectedStatus(true);
    }
    void feed(const QByteArray &line)
    {
        recorder.slotLineReceived();
        decoder.slotLineReceived(line);
    }
    QVector<double> values(const char *key) const
    {
        QVector<double> v;
        for (const RecordSample &s : recorder.store().samples(q(key), 0, now))
            v << s.value;
        return v;
    }
    QStringList eventTexts() const
    {
        QStringList texts;
        const QVector<RecordEvent> events = recorder.store().events(0, now, false);
        for (auto it = events.crbegin(); it != events.crend(); ++it)
            texts << it->text;
        return texts;
    }
    // As the Events dock tells them, in the language in use when they are read.
    QStringList shownTexts() const
    {
        QStringList texts;
        const QVector<RecordEvent> events = recorder.store().events(0, now, false);
        for (auto it = events.crbegin(); it != events.crend(); ++it)
            texts << LumetraEventText::shown(*it);
        return texts;
    }
};

// German for the texts read back below, as the program's catalogue has them: a session in English
// records, a German operator reads.
class German : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QString, QString> de = {
            {"LumetraOperatorState|Last report %1: %2", "Letzte Meldung %1: %2"},
            {"LumetraOperatorState|laser on, output enabled", "Laser an, Ausgang freigegeben"},
            {"LumetraOperatorState|standby", "Standby"},
            {"LumetraOperatorState|Emission may continue", "Die Emission kann andauern"},
            {"LumetraRecorder|%1 (not sent: %2)", "%1 (nicht gesendet: %2)"},
            {"LumetraLinkEngine|the laser was not connected", "der Laser war nicht verbunden"},
            {"LumetraRecordStore|The recording %1 was damaged. It was moved to %2 and a new one begun.",
             "Die Aufzeichnung %1 war beschädigt. Sie wurde nach %2 verschoben."},
        };
        return de.value(QLatin1String(context) + '|' + QLatin1String(source));
    }
};

// What `rig` shows with German installed.
QStringList shownInGerman(const Rig &rig)
{
    German german;
    QCoreApplication::installTranslator(&german);
    const QStringList texts = rig.shownTexts();
    QCoreApplication::removeTranslator(&german);
    return texts;
}

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

// A small RAM file system over a folder, filled up to `spare` bytes.
struct FullDisk
{
    FullDisk(const QString &path, int spare) : folder(QFile::encodeName(path))
    {
        mounted = QDir().mkpath(path) && ::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") == 0;
        const QString filler = path + "/filler";
        QFile file(filler);
        if (!mounted || !file.open(QIODevice::WriteOnly))
            return;
        while (file.write(QByteArray(1024, 'f')) == 1024 && file.flush()) {
        }
        file.close();
        QFile::resize(filler, QFileInfo(filler).size() - spare);
    }
    ~FullDisk()
    {
        if (mounted)
            ::umount2(folder.constData(), MNT_DETACH);
    }
    QByteArray folder;
    bool mounted = false;
};

// The command-line export of laser 7 from t0 to `to` into `file`.
int exportTo(const Rig &rig, const QString &file, qint64 to, QString *messages)
{
    QTextStream errors(messages);
    return LumetraCsvExport::run(
        {file, LumetraCsvExport::isoTime(t0), LumetraCsvExport::isoTime(to), "7", {}, rig.recorder.folder()},
        errors);
}

QStringList activeKeys(const LumetraRecordStore &store)
{
    QStringList keys;
    for (const RecordEvent &e : store.activeAlarms())
        keys << e.alarmKey;
    return keys;
}

// A laser's file as the export reads it: every sample of every quantity, and the event texts oldest first.
struct Recording
{
    QVector<RecordSample> samples;
    QStringList events;

    Recording(const QString &folder, const QString &serial)
    {
        LumetraRecordStore store(QStringLiteral("check-") + serial);
        QString error;
        if (store.open(LumetraRecordStore::fileForLaser(folder, serial), &error, true) !=
            LumetraRecordStore::OpenResult::Opened)
            return;
        for (int i = 0; i < LumetraRecordQuantities::count(); ++i)
            samples += store.samples(i, 0, std::numeric_limits<qint64>::max());
        const QVector<RecordEvent> all = store.events(0, std::numeric_limits<qint64>::max(), false);
        for (auto it = all.crbegin(); it != all.crend(); ++it)
            events << it->text;
    }
    qint64 newest() const
    {
        qint64 t = 0;
        for (const RecordSample &s : samples)
            t = std::max(t, s.t);
        return t;
    }
};

} // namespace

class tst_LumetraRecorder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(Rig().recorder.untappedQuantities().isEmpty()); }

    // A reading is kept when it changes and again each heartbeat while it does not; nothing before the
    // laser is identified is lost, and it lands in that laser's file.
    void changeOnlyWithHeartbeat()
    {
        Rig rig;
        rig.recorder.setHeartbeatMs(60000);
        rig.feed("ZOR SHG\tHumidity=45%\n");
        rig.recorder.flush();
        QVERIFY(!rig.recorder.store().isOpen()); // no serial number yet: nothing to name the file by
        rig.feed("Serial number: LQZ/0042\n");
        rig.now += 500;
        rig.feed("ZOR SHG\tHumidity=45%\n");
        rig.feed(s9(21.5, "08"));
        rig.recorder.flush();
        // '/' is not safe in a file name: a hash of the serial number keeps it apart from "LQZ 0042".
        QCOMPARE(rig.recorder.store().fileName(), rig.dir.path() + "/recordings/LQZ_0042-c56d0236.sqlite");
        QCOMPARE(rig.values("hg.humidity"), QVector<double>{45});
        QCOMPARE(rig.values("temp.actual_7"), QVector<double>{21.5});
        QCOMPARE(rig.values("laser.status_byte"), QVector<double>{8});

        rig.now += 30000;
        rig.feed("ZOR SHG\tHumidity=47%\n");
        rig.recorder.flush();
        rig.now += 31000; // 61 s after the status byte, 31 s after the humidity
        rig.recorder.flush();
        QCOMPARE(rig.values("hg.humidity"), (QVector<double>{45, 47}));
        QCOMPARE(rig.values("laser.status_byte"), (QVector<double>{8, 8}));
        const QVector<RecordSample> beat = rig.recorder.store().samples(q("laser.status_byte"), 0, rig.now);
        QCOMPARE(beat.last().t, rig.now);

        // A lost connection: no heartbeat claims the value is still there.
        rig.recorder.slotConnectedStatus(false);
        rig.now += 120000;
        rig.recorder.flush();
        QCOMPARE(rig.values("laser.status_byte").size(), 2);
        QVERIFY(rig.eventTexts().contains("Connection to the laser lost"));
    }

    // Noise inside a quantity's band is not history; a move of the band is, and an analog line keeps
    // the reading before the move so that it bends where the value moved. Counters keep coarse steps.
    void deadbandKeepsMovesNotNoise_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("line"); // %1: the value
        QTest::addColumn<QVector<double>>("fed");
        QTest::addColumn<QVector<double>>("kept");
        QTest::newRow("humidity jitter")
            << QByteArray("hg.humidity") << QByteArray("ZOR SHG\tHumidity=%1%\n")
            << QVector<double>{34, 35, 34, 35, 34, 36, 36, 35} << QVector<double>{34, 34, 36};
        QTest::newRow("oven ramp") << QByteArray("hg.oven1_actual")
                                   << QByteArray("ZOR SHG\tOven Temperature=%1 C\n")
                                   << QVector<double>{151.5, 151.52, 151.55, 151.6, 151.65, 151.7}
                                   << QVector<double>{151.5, 151.55, 151.6, 151.65, 151.7};
        QTest::newRow("error code") << QByteArray("hg.error_code") << QByteArray("ZOR HG\tErrorcode=%1\n")
                                    << QVector<double>{0, 0, 12, 0, 0} << QVector<double>{0, 12, 0};
        QTest::newRow("run time") << QByteArray("hg.crystal_runtime")
                                  << QByteArray("ZOR THG\tCurrent runtime=%1s\n")
                                  << QVector<double>{36000, 36100, 36200, 36360, 36400}
                                  << QVector<double>{10, 10.1};
    }

    void deadbandKeepsMovesNotNoise()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, line);
        QFETCH(QVector<double>, fed);
        Rig rig;
        rig.feed("Serial number: 7\n");
        for (const double value : qAsConst(fed)) {
            rig.feed(QString::fromLatin1(line).arg(value).toLatin1());
            rig.now += 1000;
        }
        rig.recorder.flush();
        QFETCH(QVector<double>, kept);
        const QVector<double> values = rig.values(key);
        QCOMPARE(values.size(), kept.size());
        for (int i = 0; i < kept.size(); ++i)
            QVERIFY2(qFuzzyCompare(values[i], kept[i]), qPrintable(QString::number(values[i])));
    }

    // A night on the test clock with noise on every reading: whatever moved by more than its band (the
    // humidity excursion, the oven ramp, each state change) is still read back at every moment.
    void nightKeepsEveryExcursion()
    {
        Rig rig;
        rig.feed("Serial number: 7\n");
        QHash<QByteArray, QVector<QPair<qint64, double>>> fed;
        quint32 seed = 1;
        const auto noise = [&seed](double amplitude) {
            seed = seed * 1664525u + 1013904223u;
            return amplitude * (double(seed >> 8) / double(1 << 24) * 2 - 1);
        };
        const auto send = [&](const char *key, const QByteArray &text, double value) {
            rig.feed(text);
            fed[key] << qMakePair(rig.now, value);
        };
        for (int s = 0; s < 4 * 3600; ++s) {
            const double humidity = std::round((s >= 3600 && s < 4200 ? 61 : 34) + noise(1));
            send("hg.humidity", "ZOR SHG\tHumidity=" + QByteArray::number(humidity) + "%\n", humidity);
            const double oven =
                std::round((151.5 + std::clamp((s - 7200) / 600.0, 0.0, 1.0) + noise(0.04)) * 100) / 100;
            send("hg.oven1_actual", "ZOR SHG\tOven Temperature=" + QByteArray::number(oven, 'f', 2) + " C\n",
                 oven);
            const double celsius = std::round((25 + noise(0.04)) * 100) / 100;
            const char *status = s < 600 ? "08" : s < 10000 ? "09" : s < 10003 ? "89" : "08";
            send("temp.actual_1", s9(celsius, status), celsius);
            fed["laser.status_byte"] << qMakePair(rig.now, double(QByteArray(status).toInt(nullptr, 16)));
            const int error = s >= 9000 && s < 9010 ? 12 : 0;
            send("hg.error_code", "ZOR HG\tErrorcode=" + QByteArray::number(error) + "\n", error);
            rig.now += 1000;
            if (s % 60 == 59)
                rig.recorder.flush();
        }
        rig.recorder.flush();
        for (auto it = fed.cbegin(); it != fed.cend(); ++it) {
            const int quantity = q(it.key());
            const QVector<RecordSample> kept = rig.recorder.store().samples(quantity, 0, rig.now);
            const double band = LumetraRecordQuantities::deadband(quantity);
            int k = -1;
            for (const auto &[t, value] : it.value()) {
                while (k + 1 < kept.size() && kept[k + 1].t <= t)
                    ++k;
                QVERIFY2(k >= 0 &&
                             (band > 0 ? std::fabs(kept[k].value - value) < band : kept[k].value == value),
                         qPrintable(QStringLiteral("%1 at %2 s: read %3, kept %4")
                                        .arg(QLatin1String(it.key()))
                                        .arg((t - t0) / 1000)
                                        .arg(value)
                                        .arg(k < 0 ? qQNaN() : kept[k].value)));
            }
        }
    }

    // However the link ends, no value is repeated after it: not by a later flush, not by the last one.
    // The end of a link is not the end of an emission: the history says what the laser last reported,
    // and that it may still emit when it was emitting.
    void lastReportWhenTheLinkEnds_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<QByteArray>("statusByte");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("german");
        QTest::newRow("silent while emitting")
            << "silent" << QByteArray("81")
            << "Last report 10:00:05: laser on, output enabled. Emission may continue"
            << "Letzte Meldung 10:00:05: Laser an, Ausgang freigegeben. Die Emission kann andauern";
        QTest::newRow("hung up while emitting")
            << "closed" << QByteArray("81")
            << "Last report 10:00:05: laser on, output enabled. Emission may continue"
            << "Letzte Meldung 10:00:05: Laser an, Ausgang freigegeben. Die Emission kann andauern";
        QTest::newRow("silent in standby") << "silent" << QByteArray("21") << "Last report 10:00:05: standby"
                                           << "Letzte Meldung 10:00:05: Standby";
    }
    void lastReportWhenTheLinkEnds()
    {
        QFETCH(QString, end);
        QFETCH(QByteArray, statusByte);
        QFETCH(QString, said);
        QFETCH(QString, german);
        Rig rig;
        rig.now = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)).toMSecsSinceEpoch();
        rig.recorder.slotPortOpened("/dev/ttyUSB0");
        rig.feed("Serial number: 7\n");
        rig.feed(s9(21.5, statusByte.constData()));
        rig.now += 5000;
        rig.feed(s9(21.5, statusByte.constData())); // unchanged, yet the latest report
        rig.now += 3000;
        if (end == "silent")
            rig.recorder.slotConnectedStatus(false);
        else
            rig.recorder.slotPortClosed("/dev/ttyUSB0");
        rig.recorder.flush();
        QVERIFY2(rig.eventTexts().contains(said), qPrintable(rig.eventTexts().join('|')));
        const QStringList shown = shownInGerman(rig);
        QVERIFY2(shown.contains(german), qPrintable(shown.join('|')));
    }

    // A laser that fell silent before its port closed: the close still ends its own history.
    void closeAfterSilenceIsTheLasersOwn()
    {
        Rig rig;
        rig.recorder.slotPortOpened("/dev/ttyUSB0");
        rig.feed("Serial number: 7\n");
        rig.recorder.flush();
        rig.recorder.slotConnectedStatus(false);
        rig.now += 5000;
        rig.recorder.slotPortClosed("/dev/ttyUSB0");
        rig.recorder.flush();
        QCOMPARE(rig.eventTexts().last(), QString("Port /dev/ttyUSB0 closed"));
    }

    void noSampleAfterTheLinkEnds_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("port closed") << "closed";
        QTest::newRow("connection lost") << "lost";
        QTest::newRow("recorder destroyed") << "destroyed";
    }
    void noSampleAfterTheLinkEnds()
    {
        QFETCH(QString, end);
        QTemporaryDir dir;
        qint64 ended = 0;
        {
            Rig rig(dir.path());
            rig.recorder.slotPortOpened("/dev/ttyUSB0");
            rig.feed("Serial number: 11\n");
            rig.feed("ZOR SHG\tHumidity=45%\n");
            rig.feed(s9(21.5, "08"));
            rig.now += 30000;
            rig.recorder.flush();
            ended = rig.now;
            if (end == "closed")
                rig.recorder.slotPortClosed("/dev/ttyUSB0");
            if (end == "lost") {
                rig.recorder.slotConnectedStatus(false);
                rig.feed("ZOR SHG\tHumidity=46%\n"); // a last line read after the loss is a reading, once
            }
            rig.now += 120000;
            if (end != "destroyed")
                rig.recorder.flush();
        }
        const Recording recording(dir.path(), "11");
        QVERIFY(!recording.samples.isEmpty());
        QVERIFY2(recording.newest() <= ended, qPrintable(QString::number(recording.newest() - ended)));
    }

    // Laser A is polled while its file cannot be opened, goes away, and laser B is refused on the same
    // port: what waited for A stays A's, B's file has only B's story, and nothing is said resumed
    // before A's file has taken A's data.
    void pendingDataStaysWithItsLaser()
    {
        QTemporaryDir dir;
        const QString port = "/dev/ttyUSB0";
        // A plain file where the recordings folder belongs: no laser's file opens, whoever is root.
        const QString folder = dir.filePath("recordings");
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Rig rig(folder);
        QSignalSpy problems(&rig.recorder, &LumetraRecorder::sigProblem);
        QSignalSpy recovered(&rig.recorder, &LumetraRecorder::sigRecovered);
        rig.recorder.slotPortOpened(port);
        rig.feed("Serial number: A-1\n");
        rig.feed("ZOR harmonic generation module (address: 0x21 / type: 0x90)\n");
        rig.feed("ZOR HG\tStatus flags=0100\n");
        for (int i = 0; i < 5; ++i) {
            rig.feed("ZOR SHG\tHumidity=" + QByteArray::number(60 + i) + "%\n");
            rig.now += 1000;
            rig.recorder.flush();
        }
        QCOMPARE(problems.count(), 1);
        const qint64 goneAt = rig.now;
        rig.recorder.slotPortClosed(port);
        rig.decoder.slotConnectedStatus(false);
        rig.now += 50000;
        rig.recorder.flush();

        rig.recorder.slotPortOpened(port);
        rig.feed("Serial number: B-2\n");
        rig.recorder.slotPortClosed(port);
        rig.now += 1000;
        rig.recorder.flush();
        QCOMPARE(recovered.count(), 0);

        QVERIFY(QFile::remove(folder));
        rig.now += 10000;
        rig.recorder.flush();
        QCOMPARE(recovered.count(), problems.count()); // each file that was in trouble, once it has its data
        const Recording b(folder, "B-2");
        QVERIFY(b.samples.isEmpty());
        QCOMPARE(b.events, (QStringList{"Port " + port + " opened", "Identified laser B-2",
                                        "Port " + port + " closed"}));
        const Recording a(folder, "A-1");
        QCOMPARE(a.samples.size(), 5 + 1); // the humidities and the module's status flags
        QVERIFY(a.newest() <= goneAt);
        QVERIFY(a.events.contains("Identified laser A-1"));
        QCOMPARE(a.events.filter("Humidity").size(), 2); // raised, and ended with the connection
    }

    // A retention setting is a whole number of days or refused; refused, the days kept so far hold.
    void retentionSetting_data()
    {
        QTest::addColumn<QVariant>("setting");
        QTest::addColumn<int>("days"); // 0: refused
        QTest::newRow("text") << QVariant("30") << 30;
        QTest::newRow("number") << QVariant(30) << 30;
        QTest::newRow("longest") << QVariant("36500") << 36500;
        QTest::newRow("with unit") << QVariant("90 days") << 0;
        QTest::newRow("ini list") << QVariant(QStringList{"90", "days"}) << 0;
        QTest::newRow("zero") << QVariant("0") << 0;
        QTest::newRow("negative") << QVariant("-5") << 0;
        QTest::newRow("fraction") << QVariant(1.5) << 0;
        QTest::newRow("too long") << QVariant("36501") << 0;
        QTest::newRow("empty") << QVariant("") << 0;
    }
    void retentionSetting()
    {
        QFETCH(QVariant, setting);
        QFETCH(int, days);
        QString refusal;
        QCOMPARE(LumetraRecorder::retentionDaysFrom(setting, &refusal), days);
        QCOMPARE(refusal.isEmpty(), days > 0);
        Rig rig;
        QSignalSpy notices(&rig.recorder, &LumetraRecorder::sigNotice);
        rig.recorder.setRetentionDays(setting);
        QCOMPARE(rig.recorder.retentionDays(), days > 0 ? days : LumetraRecorder::defaultRetentionDays);
        QCOMPARE(notices.count(), days > 0 ? 0 : 1);
    }

    void retentionPrunesOldRowsOnly()
    {
        Rig rig;
        rig.recorder.setRetentionDays(2);
        rig.feed("Serial number: 7\n");
        rig.feed("ZOR SHG\tHumidity=40%\n");
        rig.feed("ZOR HG\tErrorcode=3\n"); // an alarm that still holds is kept however old
        rig.recorder.flush();
        rig.now += 24 * 3600 * 1000LL;
        rig.feed("ZOR SHG\tHumidity=41%\n");
        rig.recorder.flush();
        rig.now += 36 * 3600 * 1000LL; // the first reading is now 2.5 days old
        rig.feed("ZOR SHG\tHumidity=42%\n");
        rig.recorder.setRetentionDays(2); // prune at the next flush rather than in an hour
        rig.recorder.flush();
        const QVector<double> kept = rig.values("hg.humidity");
        QVERIFY2(!kept.contains(40) && kept.contains(41) && kept.contains(42),
                 qPrintable(QString::number(kept.size())));
        QCOMPARE(activeKeys(rig.recorder.store()), QStringList{"hg.error.3"});
        // The per-minute table is pruned with the samples: a week's plot shows nothing older either.
        const QVector<ReducedPoint> week =
            rig.recorder.store().reduced(q("hg.humidity"), t0 - 1, rig.now, 100);
        QVERIFY(!week.isEmpty());
        for (const ReducedPoint &p : week)
            QVERIFY(p.min >= 41);
    }

    // A command typed in the serial monitor comes back through the controller's queue: recorded once,
    // with the monitor as its source; the program's own queries are no operator's commands.
    // A command the link dropped is told with the link's reason in the reader's language.
    void droppedCommandReadInTheLanguageInUse()
    {
        Rig rig;
        LumetraSteadyClock clock;
        LumetraLinkEngine engine(clock);
        QObject::connect(&engine, &LumetraLinkEngine::sigCommandDropped, &rig.recorder,
                         &LumetraRecorder::recordDroppedCommand);
        rig.feed("Serial number: 7\n");
        engine.appendSettingsCommand("ly_lqz2_standby", false);
        engine.discardQueuedCommands();
        rig.recorder.flush();
        const QStringList shown = shownInGerman(rig);
        QVERIFY2(shown.contains("ly_lqz2_standby (nicht gesendet: der Laser war nicht verbunden)"),
                 qPrintable(shown.join('|')));
    }

    void commandSources()
    {
        Rig rig;
        rig.feed("Serial number: 3\n");
        rig.recorder.recordManualCommand(QByteArray("ly_lqz2_standby\n\0junk", 21));
        rig.recorder.recordControllerCommand("ly_lqz2_standby");
        rig.recorder.recordControllerCommand("ls_humidity?");
        rig.recorder.recordControllerCommand("e_power=600");
        rig.recorder.flush();
        QStringList commands;
        for (const RecordEvent &e : rig.recorder.store().events(0, rig.now, false)) {
            if (e.kind == RecordEvent::Command)
                commands.prepend(e.source + ": " + e.text);
        }
        QCOMPARE(commands, (QStringList{"serial monitor: ly_lqz2_standby", "panel: e_power=600"}));
    }

    // One row per write, whoever gave it, with the value before, the value asked for and what became of
    // it; the command rows kept without an audit are not added beside it.
    void auditRows_data()
    {
        using O = LumetraWriteAudit::Origin;
        QTest::addColumn<int>("origin");
        QTest::addColumn<double>("asked");      // µJ, with 0.5 µJ held
        QTest::addColumn<QByteArray>("answer"); // a line from the laser, or what the link did
        QTest::addColumn<QString>("row");
        const QString energy = "Energy set-point 0.500 µJ → 0.600 µJ (ly_lqz2_power=600): ";
        QTest::newRow("panel, reported") << int(O::Panel) << 0.6 << QByteArray("Setted laser power: 600 nJ\n")
                                         << "panel: " + energy + "reported by the laser";
        QTest::newRow("remote, refused")
            << int(O::Remote) << 0.6 << QByteArray("Invalid laser power, use ly_lqz2_power=<nJ>\n")
            << "remote 127.0.0.1:40123: " + energy +
                   "refused by the laser: Invalid laser power, use ly_lqz2_power=<nJ>";
        QTest::newRow("Tango, dropped")
            << int(O::Tango) << 0.6 << QByteArray("dropped")
            << "Tango device: " + energy + "not sent: the laser was not connected";
        QTest::newRow("panel, silent laser") << int(O::Panel) << 0.6 << QByteArray("late")
                                             << "panel: " + energy + "not reported by the laser within 10 s";
        QTest::newRow("panel, link lost")
            << int(O::Panel) << 0.6 << QByteArray("link lost")
            << "panel: " + energy + "the link ended before the laser reported it";
        QTest::newRow("panel, held already")
            << int(O::Panel) << 0.5 << QByteArray()
            << "panel: Energy set-point 0.500 µJ → 0.500 µJ (ly_lqz2_power=500): reported by the laser";
        QTest::newRow("serial monitor, sent") << int(O::SerialMonitor) << 0.6 << QByteArray("Humidity=40%\n")
                                              << "serial monitor: ly_lqz2_power=600: sent to the laser";
    }
    void auditRows()
    {
        QFETCH(int, origin);
        QFETCH(double, asked);
        QFETCH(QByteArray, answer);
        QFETCH(QString, row);
        Rig rig;
        LumetraWriteAudit audit(rig.recorder.model());
        audit.setClock([&rig] { return rig.now; });
        rig.recorder.followAudit(&audit);
        LumetraController controller(nullptr);
        LumetraControllerTap::attach(&rig.recorder, &controller);
        audit.attachController(&controller);
        LumetraSteadyClock clock;
        LumetraLinkEngine engine(clock);
        QObject::connect(&engine, &LumetraLinkEngine::sigCommandDropped, &rig.recorder,
                         &LumetraRecorder::recordDroppedCommand);
        QObject::connect(&engine, &LumetraLinkEngine::sigCommandDropped, &audit,
                         &LumetraWriteAudit::slotCommandDropped);
        rig.feed("Serial number: 3\n");
        rig.feed("Setted laser power: 500 nJ\n");

        const QByteArray typed = "ly_lqz2_power=" + QByteArray::number(qRound(asked * 1000)) + '\n';
        if (origin == int(LumetraWriteAudit::Origin::SerialMonitor)) {
            rig.recorder.recordManualCommand(typed);
            controller.slotSendManualCommand(typed);
        } else {
            const LumetraWriteAudit::Scope scope(origin == int(LumetraWriteAudit::Origin::Panel) ? nullptr
                                                                                                 : &audit,
                                                 LumetraWriteAudit::Origin(origin), "127.0.0.1:40123");
            controller.power_uJ_Changed(asked);
        }
        if (answer == "dropped") {
            engine.appendSettingsCommand(typed.trimmed(), false);
            engine.discardQueuedCommands();
        } else {
            audit.slotBytesTransmitted("ttyS0", typed);
            if (answer == "late") {
                rig.now += LumetraWriteAudit::DefaultConfirmWithinMs;
                audit.checkDeadlines();
            } else if (answer == "link lost") {
                rig.recorder.slotConnectedStatus(false);
            } else if (!answer.isEmpty()) {
                rig.feed(answer);
                audit.slotLineReceived(answer);
            }
        }
        QCOMPARE(audit.waiting(), 0);
        rig.recorder.flush();
        QStringList commands;
        for (const RecordEvent &e : rig.recorder.store().events(0, rig.now, false)) {
            if (e.kind == RecordEvent::Command)
                commands.prepend(e.source + ": " + e.text);
        }
        QCOMPARE(commands, QStringList{row});
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "Humidity [%]"
                               << "Humidity [%]";
        QTest::newRow("comma") << "a,b"
                               << "\"a,b\"";
        QTest::newRow("quote") << "say \"hi\""
                               << "\"say \"\"hi\"\"\"";
        QTest::newRow("line break") << "a\r\nb"
                                    << "\"a\r\nb\"";
    }
    void quoting()
    {
        QFETCH(QString, field);
        QFETCH(QString, quoted);
        QCOMPARE(LumetraCsvExport::quote(field), quoted);
    }

    // Values and times written by the recorder come back unchanged through the command-line export.
    void exportRoundTrip()
    {
        Rig rig;
        rig.feed("Serial number: SN 1,2\n");
        rig.feed("ZOR SHG\tHumidity=45%\n");
        rig.feed(s9(0.1, "08"));
        rig.now += 1234;
        rig.feed(s9(-273.15, "88"));
        rig.now += 1;
        rig.feed("ZOR SHG\tHumidity=61%\n");
        rig.recorder.flush();

        const QString csv = rig.dir.path() + "/out.csv";
        QString messages;
        QTextStream errors(&messages);
        LumetraExportRequest request{csv,
                                     LumetraCsvExport::isoTime(t0),
                                     LumetraCsvExport::isoTime(rig.now),
                                     "SN 1,2",
                                     {"temp.actual_3", "hg.humidity", "laser.status_byte"},
                                     rig.recorder.folder()};
        QCOMPARE(LumetraCsvExport::run(request, errors), 0);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QStringList> rows = readCsv(file.readAll());
        const QList<QStringList> expected{
            {"Time (UTC)", "Temperature 3 [°C]", "Humidity [%]", "Status byte"},
            {LumetraCsvExport::isoTime(t0), "0.1", "45", "8"},
            {LumetraCsvExport::isoTime(t0 + 1234), "-273.15", "", "136"},
            {LumetraCsvExport::isoTime(t0 + 1235), "", "61", ""},
        };
        QCOMPARE(rows, expected);
        QCOMPARE(LumetraCsvExport::parseTime(rows[2][0]).toMSecsSinceEpoch(), t0 + 1234);
        QCOMPARE(rows[1][1].toDouble(), 0.1);

        // Requests that cannot be served say why and write nothing.
        request.laser = "nobody";
        request.file = rig.dir.path() + "/none.csv";
        QCOMPARE(LumetraCsvExport::run(request, errors), 1);
        request.laser = "SN 1,2";
        request.to = "yesterday";
        QCOMPARE(LumetraCsvExport::run(request, errors), 2);
        QVERIFY(!QFile::exists(request.file));
        QVERIFY(messages.contains("Recorded lasers: SN_1_2"));
    }

    // An export never lands on a recording, under any name, nor on a database that may be one; the
    // refusal changes nothing.
    void exportRefusedOntoRecording_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the recording") << "same";
        QTest::newRow("a hard link to it") << "hard";
        QTest::newRow("a symbolic link to it") << "symbolic";
        QTest::newRow("another file in the recordings folder") << "folder";
        QTest::newRow("an SQLite file elsewhere") << "copy";
    }
    void exportRefusedOntoRecording()
    {
        QFETCH(QString, how);
        Rig rig;
        rig.feed("Serial number: 7\n");
        rig.feed("ZOR SHG\tHumidity=45%\n");
        rig.recorder.flush();
        const QString recording = rig.recorder.store().fileName();
        QString file = rig.dir.path() + "/out.csv";
        if (how == "same")
            file = recording;
        else if (how == "hard")
            QCOMPARE(::link(QFile::encodeName(recording).constData(), QFile::encodeName(file).constData()),
                     0);
        else if (how == "symbolic")
            QVERIFY(QFile::link(recording, file));
        else if (how == "folder")
            file = rig.recorder.folder() + "/notes.csv";
        else
            QVERIFY(QFile::copy(recording, file));
        const QByteArray kept = contents(recording);
        const QByteArray target = contents(file);
        const QStringList folder = QDir(rig.recorder.folder()).entryList(QDir::Files);

        QString messages;
        QCOMPARE(exportTo(rig, file, t0 + 1000, &messages), 2);
        QVERIFY2(messages.startsWith("Cannot write " + file + ": it is "), qPrintable(messages));
        QCOMPARE(contents(recording), kept);
        QCOMPARE(contents(file), target);
        QCOMPARE(QDir(rig.recorder.folder()).entryList(QDir::Files), folder);
    }

    // A failed write says why in the system's words and leaves no file: a small export, held in the write
    // buffer until the end, and a disk that fills part way through a write.
    void exportOntoFullDisk_data()
    {
        QTest::addColumn<int>("readings");
        QTest::addColumn<int>("spare");
        QTest::newRow("full, export within the write buffer") << 5 << 0;
        QTest::newRow("filling during the export") << 1000 << 8192;
    }
    void exportOntoFullDisk()
    {
        QFETCH(int, readings);
        QFETCH(int, spare);
        Rig rig;
        rig.feed("Serial number: 7\n");
        for (int i = 0; i < readings; ++i) {
            rig.feed("ZOR SHG\tHumidity=" + QByteArray::number(i % 100) + "%\n");
            rig.now += 1000;
            if (i % 100 == 0)
                rig.recorder.flush();
        }
        rig.recorder.flush();
        // A tmpfs where root may mount one; else /dev/full, which fails every write the same way (as root
        // it is never used: an export that replaced its target would replace the device).
        const QString disk = rig.dir.path() + "/disk";
        const bool root = ::geteuid() == 0;
        std::optional<FullDisk> full;
        if (root)
            full.emplace(disk, spare);
        if (root && !full->mounted)
            QSKIP("this system refuses to mount a small file system");
        const QString file = root ? disk + "/out.csv" : QStringLiteral("/dev/full");

        QString messages;
        QCOMPARE(exportTo(rig, file, rig.now, &messages), 1);
        QCOMPARE(messages, "Cannot write " + file + ": No space left on device\n");
        if (root)
            QCOMPARE(QDir(disk).entryList(QDir::Files), QStringList{"filler"});
    }

    // Alarms come from the same status information as the panel's lamps: raised once, cleared once,
    // acknowledged by name.
    void alarmsFromStatusLines()
    {
        Rig rig;
        rig.feed("Serial number: 42\n");
        rig.feed("ZOR harmonic generation module (address: 0x21 / type: 0x90)\n");
        rig.feed(s9(20, "0E"));                  // error and warning bits
        rig.feed("ZOR HG\tStatus flags=0100\n"); // humidity fault on the new boards
        rig.feed("ZOR HG\tErrorcode=12\n");
        rig.feed("ZOR HG\tShutter in wrong position.\n");
        rig.recorder.flush();
        QCOMPARE(activeKeys(rig.recorder.store()),
                 (QStringList{"status.error", "status.warning", "hg.humidity_fault", "hg.error.12",
                              "hg.warning"}));
        QVERIFY(rig.eventTexts().contains("HG Error code: 12 - Shutter pos sensor 1"));

        rig.now += 1000;
        rig.feed(s9(20, "0A")); // warning gone, error stays
        rig.feed("ZOR HG\tStatus flags=0000\n");
        rig.feed("ZOR HG\tErrorcode=25\n"); // another code replaces the first
        rig.recorder.acknowledge("status.error", "operator1");
        rig.recorder.acknowledge("hg.warning", "operator1"); // announced once, never withdrawn: ends here
        rig.recorder.flush();
        QCOMPARE(activeKeys(rig.recorder.store()), (QStringList{"status.error", "hg.error.25"}));
        const RecordEvent error = rig.recorder.store().activeAlarms().first();
        QCOMPARE(error.acknowledgedBy, QString("operator1"));
        QCOMPARE(error.acknowledgedAt, t0 + 1000);
        QCOMPARE(rig.recorder.store().events(0, rig.now, true).size(), 6);

        // A closed connection ends every alarm; a program restart on the same file does not leave any open.
        rig.recorder.slotConnectedStatus(false);
        rig.recorder.flush();
        QVERIFY(activeKeys(rig.recorder.store()).isEmpty());
    }

    void unwritableFolder()
    {
        // A folder that cannot be made: said once, readings kept within the bound, written once it can.
        QTemporaryDir dir;
        const QString folder = dir.path() + "/blocked";
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Rig rig(folder);
        rig.recorder.setMemoryBound(100);
        rig.recorder.setRetryMs(5000);
        QSignalSpy problems(&rig.recorder, &LumetraRecorder::sigProblem);
        QSignalSpy recovered(&rig.recorder, &LumetraRecorder::sigRecovered);
        rig.feed("Serial number: 9\n");
        for (int i = 0; i < 300; ++i) {
            rig.feed("ZOR SHG\tHumidity=" + QByteArray::number(i) + "%\n");
            rig.now += 1000;
            rig.recorder.flush();
        }
        QCOMPARE(problems.count(), 1);
        QVERIFY(rig.recorder.pendingSamples() <= 100);
        QVERIFY(rig.recorder.droppedSamples() > 0);
        QVERIFY(QFile::remove(folder));
        rig.now += 5000;
        rig.recorder.flush();
        QCOMPARE(recovered.count(), 1);
        const QVector<double> kept = rig.values("hg.humidity");
        QVERIFY(!kept.isEmpty() && kept.size() <= 100);
        QCOMPARE(kept.last(), 298.0); // the newest survive (299 % is inside the band of the 298 kept)
    }

    void overlongSerialNumberStillRecords()
    {
        // File names end at 255 bytes; a longer answer from the laser must not stop the recording, and
        // two lasers alike in their first hundred characters keep their own files.
        QTemporaryDir dir;
        const QByteArray stem(3000, '7');
        for (const QByteArray &last : {QByteArray("A"), QByteArray("B")}) {
            Rig rig(dir.path());
            QSignalSpy problems(&rig.recorder, &LumetraRecorder::sigProblem);
            rig.feed("Serial number: " + stem + last + "\n");
            rig.feed("ZOR SHG\tHumidity=50%\n");
            rig.recorder.flush();
            QCOMPARE(problems.count(), 0);
            QCOMPARE(rig.values("hg.humidity"), QVector<double>{50});
        }
        QCOMPARE(LumetraRecordStore::lasersIn(dir.path()).size(), 2);
    }

    void damagedFileIsMovedAside()
    {
        QTemporaryDir dir;
        const QString file = LumetraRecordStore::fileForLaser(dir.path(), "5");
        QFile garbage(file);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, '\x5a'));
        garbage.close();
        Rig rig(dir.path());
        QSignalSpy notices(&rig.recorder, &LumetraRecorder::sigNotice);
        QSignalSpy problems(&rig.recorder, &LumetraRecorder::sigProblem);
        rig.feed("Serial number: 5\n");
        rig.feed("ZOR SHG\tHumidity=50%\n");
        rig.recorder.flush();
        QCOMPARE(notices.count(), 1);
        QCOMPARE(problems.count(), 0);
        const QString aside = rig.recorder.store().movedAsideTo();
        QVERIFY(aside.startsWith(file + ".damaged-"));
        QFile moved(aside);
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), QByteArray(8192, '\x5a'));
        rig.recorder.flush(); // the batch of the failed turn lands in the new file
        QCOMPARE(rig.values("hg.humidity"), QVector<double>{50});
        // The new file says what became of the old one, in the language of whoever reads it.
        QCOMPARE(rig.eventTexts().filter(aside).size(), 1);
        QCOMPARE(shownInGerman(rig).filter(aside).filter("beschädigt").size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_LumetraRecorder)
#include "tst_LumetraRecorder.moc"
