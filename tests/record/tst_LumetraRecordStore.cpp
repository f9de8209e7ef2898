#include "device/LumetraResponseDecoder.h"
#include "record/LumetraRecordQuantities.h"
#include "record/LumetraRecordStore.h"
#include "record/LumetraRecorder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <limits>

namespace {

const qint64 t0 = 1796000000000LL;

QStringList warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

// A recorder on a decoder fed by hand, writing into `folder`, with time moved by hand.
struct Rig
{
    qint64 now = t0;
    LumetraResponseDecoder decoder;
    LumetraRecorder recorder;
    QSignalSpy notices{&recorder, &LumetraRecorder::sigNotice};
    QSignalSpy problems{&recorder, &LumetraRecorder::sigProblem};

    explicit Rig(const QString &folder) : recorder(folder)
    {
        recorder.setClock([this] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        decoder.slotConnectedStatus(true);
        recorder.slotConnectedStatus(true);
    }
    void feed(const QByteArray &line) { decoder.slotLineReceived(line); }
    void humidity(int percent)
    {
        now += 1000;
        feed("ZOR SHG\tHumidity=" + QByteArray::number(percent) + "%\n");
        recorder.flush();
    }
};

// What a later session or the export reads from a file.
struct Contents
{
    QVector<double> humidity;
    QStringList events;
};

Contents read(const QString &file)
{
    LumetraRecordStore store(QStringLiteral("tst-reader"));
    QString error;
    Contents contents;
    if (store.open(file, &error, true) == LumetraRecordStore::OpenResult::Opened) {
        const int q = LumetraRecordQuantities::indexOf(QStringLiteral("hg.humidity"));
        for (const RecordSample &s : store.samples(q, 0, t0 + 3600 * 1000))
            contents.humidity << s.value;
        for (const RecordEvent &e : store.events(0, t0 + 3600 * 1000, false))
            contents.events << e.text;
    }
    return contents;
}

QByteArray checksum(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : "";
}

// A database made by hand, the way another program (or an older version of this one) made it.
void makeDatabase(const QString &file, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst-maker"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString &sql : statements)
            QVERIFY2(query.exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tst-maker"));
}

// The values of one quantity as the file holds them, read past the store.
QVector<double> rawValues(const QString &file, const QString &key)
{
    QVector<double> values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst-raw"));
        db.setDatabaseName(file);
        QSqlQuery query(db);
        if (db.open() &&
            query.exec(QStringLiteral("SELECT v FROM sample JOIN quantity ON quantity.id = sample.q "
                                      "WHERE key = '%1' ORDER BY t")
                           .arg(key))) {
            while (query.next())
                values << query.value(0).toDouble();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tst-raw"));
    return values;
}

} // namespace

class tst_LumetraRecordStore : public QObject
{
    Q_OBJECT

private slots:
    void recordingBeforeUnitsReadsInTodaysUnits_data();
    void recordingBeforeUnitsReadsInTodaysUnits();
    void init()
    {
        warnings.clear();
        qInstallMessageHandler(keepWarnings);
    }
    void cleanup() { qInstallMessageHandler(nullptr); }

    // A laser that reports no usable serial number is recorded all the same, under a name that says so,
    // and the operator is told.
    void laserWithoutUsableSerial_data()
    {
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QString>("name"); // a pattern for the file's name
        QTest::addColumn<int>("notices");
        QTest::newRow("plain") << QByteArray("LQZ10-2611.0042") << "LQZ10-2611\\.0042\\.sqlite" << 0;
        QTest::newRow("empty") << QByteArray() << "unknown-serial\\.sqlite" << 1;
        QTest::newRow("blank") << QByteArray(" \t ") << "unknown-serial\\.sqlite" << 1;
        QTest::newRow("NUL inside") << QByteArray("AB\0CD", 5) << "AB-[0-9a-f]{8}\\.sqlite" << 1;
        QTest::newRow("NUL only") << QByteArray(4, '\0') << "unknown-serial-[0-9a-f]{8}\\.sqlite" << 1;
    }
    void laserWithoutUsableSerial()
    {
        QFETCH(QByteArray, serial);
        QFETCH(QString, name);
        QFETCH(int, notices);
        QTemporaryDir dir;
        Rig rig(dir.path());
        rig.feed("Serial number: " + serial + "\n");
        rig.humidity(50);
        const QString file = rig.recorder.store().fileName();
        QVERIFY2(QRegularExpression('^' + name + '$').match(QFileInfo(file).fileName()).hasMatch(),
                 qPrintable(file));
        QCOMPARE(read(file).humidity, QVector<double>{50});
        QCOMPARE(rig.notices.count(), notices);
        QCOMPARE(rig.problems.count(), 0);
    }

    // "LQZ10/2611-0042" and "LQZ10 2611-0042" both made LQZ10_2611-0042.sqlite; the laser that made it
    // keeps it.
    void collidingSerialsGetTheirOwnFiles()
    {
        QTemporaryDir dir;
        const QString old = dir.filePath("LQZ10_2611-0042.sqlite");
        // As the program wrote it before its files carried a marker: our tables and nothing else.
        makeDatabase(old,
                     {"CREATE TABLE quantity(id INTEGER PRIMARY KEY, key TEXT UNIQUE NOT NULL)",
                      "CREATE TABLE sample(q INTEGER, t INTEGER, v REAL, PRIMARY KEY(q, t)) WITHOUT ROWID",
                      "CREATE TABLE minute(q, m, vmin, vmax, tmin, PRIMARY KEY(q, m)) WITHOUT ROWID",
                      "CREATE TABLE event(id INTEGER PRIMARY KEY, t, kind, severity, alarm_key, text, "
                      "source, cleared_at, ack_by, ack_at)",
                      "INSERT INTO quantity(id, key) VALUES(1, 'hg.humidity')",
                      QStringLiteral("INSERT INTO sample VALUES(1, %1, 40)").arg(t0),
                      QStringLiteral("INSERT INTO event(t, kind, severity, text, source) "
                                     "VALUES(%1, 0, 0, 'Port /dev/ttyUSB0 closed', '/dev/ttyUSB0')")
                          .arg(t0)});
        // Its events, which have no keys to be translated from, read as they were written, before and
        // after the recorder adds what the file lacks.
        QCOMPARE(read(old).events, QStringList{"Port /dev/ttyUSB0 closed"});
        QStringList files;
        for (const QByteArray serial : {"LQZ10/2611-0042", "LQZ10 2611-0042", "LQZ10/2611-0042"}) {
            Rig rig(dir.path());
            rig.now += files.size() * 60000;
            rig.feed("Serial number: " + serial + "\n");
            rig.humidity(50 + files.size());
            files << rig.recorder.store().fileName();
            QCOMPARE(rig.notices.count(), 0);
        }
        QCOMPARE(files[0], old);
        QCOMPARE(files[2], old);
        QVERIFY(files[1] != old);
        QCOMPARE(read(old).humidity, (QVector<double>{40, 50, 52}));
        QCOMPARE(read(old).events.last(), QString("Port /dev/ttyUSB0 closed"));
        QCOMPARE(read(files[1]).humidity, QVector<double>{51});
        QCOMPARE(LumetraRecordStore::lasersIn(dir.path()).size(), 2);
        QVERIFY(LumetraRecordStore::lasersIn(dir.path()).contains("LQZ10_2611-0042"));
    }

    // Deleted or moved away while being written: what follows goes into a new file of the same name,
    // which says so, and the operator is told.
    void fileGoneWhileRecording_data()
    {
        QTest::addColumn<bool>("moved");
        QTest::newRow("deleted") << false;
        QTest::newRow("moved away") << true;
    }
    void fileGoneWhileRecording()
    {
        QFETCH(bool, moved);
        QTemporaryDir dir;
        Rig rig(dir.path());
        rig.feed("Serial number: 5\n");
        rig.humidity(50);
        const QString file = rig.recorder.store().fileName();
        const QString away = dir.filePath("elsewhere.db");
        QVERIFY(moved ? QFile::rename(file, away) : QFile::remove(file));
        // Each a move beyond the humidity's band, so that each is written.
        rig.humidity(52);
        rig.humidity(54);
        QCOMPARE(rig.recorder.store().fileName(), file);
        QCOMPARE(read(file).humidity, (QVector<double>{52, 54}));
        if (moved)
            QCOMPARE(read(away).humidity, QVector<double>{50});
        QCOMPARE(rig.notices.count(), 1);
        QCOMPARE(rig.problems.count(), 0);
        QVERIFY(read(file).events.contains(rig.notices.at(0).at(0).toString()));
    }

    // What sits under a recording's name and is not one is moved aside as it is (a link as a link)
    // and a new recording begun; nothing it points to is written.
    void notOursIsLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("damaged file") << "garbage";
        QTest::newRow("another database") << "foreign";
        QTest::newRow("link to /dev/zero") << "zero";
        QTest::newRow("link to a recording elsewhere") << "link";
    }
    void notOursIsLeftAlone()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QTemporaryDir outside;
        const QString file = LumetraRecordStore::fileForLaser(dir.path(), "5");
        QString target; // what a link points to
        if (kind == "garbage") {
            QFile garbage(file);
            QVERIFY(garbage.open(QIODevice::WriteOnly));
            garbage.write(QByteArray(8192, '\x5a'));
        } else if (kind == "foreign") {
            makeDatabase(file, {"CREATE TABLE invoice(number INTEGER, amount REAL)",
                                "INSERT INTO invoice VALUES(1, 2.5)"});
        } else if (kind == "zero") {
            target = QStringLiteral("/dev/zero");
        } else {
            target = LumetraRecordStore::fileForLaser(outside.path(), "5");
            Rig other(outside.path());
            other.feed("Serial number: 5\n");
            other.humidity(40);
        }
        if (!target.isEmpty())
            QVERIFY(QFile::link(target, file));
        const QByteArray before = kind == "zero" ? QByteArray() : checksum(kind == "link" ? target : file);

        Rig rig(dir.path());
        rig.feed("Serial number: 5\n");
        rig.humidity(50);
        rig.humidity(52);
        QCOMPARE(rig.notices.count(), 1);
        QCOMPARE(rig.problems.count(), 0);
        const QString aside = rig.recorder.store().movedAsideTo();
        QVERIFY2(aside.startsWith(file + ".damaged-"), qPrintable(aside));
        QCOMPARE(QFileInfo(aside).symLinkTarget(),
                 target.isEmpty() ? QString() : QFileInfo(target).canonicalFilePath());
        if (kind != "zero")
            QCOMPARE(checksum(kind == "link" ? target : aside), before);
        if (kind == "link")
            QCOMPARE(read(target).humidity, QVector<double>{40});
        QVERIFY(!QFileInfo(file).isSymLink());
        QCOMPARE(read(file).humidity, (QVector<double>{50, 52}));
        QVERIFY(read(file).events.filter(aside).size() == 1);
        QVERIFY2(warnings.filter("removeDatabase").isEmpty(), qPrintable(warnings.join('\n')));
    }
};

// A recording made by the program before every quantity was stored in the panel's unit (two minutes
// of an emitting laser with a third-harmonic module, energies in nJ, harmonic powers in mW) reads in
// today's units, converted once, whether a reader or the recorder opens it first.
void tst_LumetraRecordStore::recordingBeforeUnitsReadsInTodaysUnits_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("readOnly");
    for (const bool readOnly : {true, false}) {
        const QByteArray how = readOnly ? " by a reader" : " by the recorder";
        QTest::newRow("energy set-point" + how) << "laser.energy_setpoint" << 1e-3 << readOnly;
        QTest::newRow("measured energy" + how) << "laser.measured_energy" << 1e-3 << readOnly;
        QTest::newRow("THG power" + how) << "hg.thg_power" << 1e-3 << readOnly;
        QTest::newRow("humidity" + how) << "hg.humidity" << 1.0 << readOnly;
    }
}

void tst_LumetraRecordStore::recordingBeforeUnitsReadsInTodaysUnits()
{
    QFETCH(QString, key);
    QFETCH(double, factor);
    QFETCH(bool, readOnly);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("LQZ10-2611-0042.sqlite"));
    QVERIFY(QFile::copy(QStringLiteral(RECORD_FIXTURES "/recording-before-units.sqlite"), file));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    const QVector<double> before = rawValues(file, key);
    QVERIFY(std::any_of(before.cbegin(), before.cend(), [](double v) { return v > 1; }));

    const int q = LumetraRecordQuantities::indexOf(key);
    for (int opening = 0; opening < 2; ++opening) {
        LumetraRecordStore store(QStringLiteral("tst-units"));
        QString error;
        QCOMPARE(int(store.open(file, &error, readOnly)), int(LumetraRecordStore::OpenResult::Opened));
        const QVector<RecordSample> samples = store.samples(q, 0, std::numeric_limits<qint64>::max());
        QCOMPARE(samples.size(), before.size());
        for (int i = 0; i < samples.size(); ++i)
            QVERIFY2(
                qFuzzyCompare(1.0 + samples[i].value, 1.0 + before[i] * factor),
                qPrintable(QStringLiteral("%1: %2 for %3").arg(key).arg(samples[i].value).arg(before[i])));
    }
}

QTEST_GUILESS_MAIN(tst_LumetraRecordStore)
#include "tst_LumetraRecordStore.moc"
