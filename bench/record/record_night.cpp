// Records a night of the simulated laser at speed and, on request, pictures the Trends and Events
// docks over it:
//   record_night FOLDER [--hours H] [--screenshots DIR] [--pictures-only]
// The simulated laser is polled once a simulated second with the program's poll list; its answers go
// through the real decoder into the real recorder, whose clock is the simulated one. The night has an
// operator's evening start, a humidity excursion with its fault, a harmonic-module error that comes
// and goes, and a return to Standby in the morning.
#include "app/history/LumetraEventsView.h"
#include "app/history/LumetraTrendsView.h"
#include "device/LumetraResponseDecoder.h"
#include "record/LumetraRecordSource.h"
#include "record/LumetraRecorder.h"
#include "sim/SimHgModule.h"
#include "sim/SimLaser.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimeZone>

#include <cstdio>

namespace {

const char *const pollList[] = {"s6",
                                "s7",
                                "s8",
                                "s9",
                                "ly_lqz2_power?",
                                "e_power?",
                                "e_freq?",
                                "e_div?",
                                "ls_humidity?",
                                "ls_enable?",
                                "ls_temp_setpoint?",
                                "ls_temp_oven?",
                                "ly_lqz2_output?",
                                "ls_status?",
                                "ls_errorcode?",
                                "ls_output_power?",
                                "ls_crystal_curSpot?",
                                "ls_crystal_curRuntime?"};

struct Night
{
    SimLaser laser;
    LumetraResponseDecoder decoder;
    LumetraRecorder recorder;
    qint64 now;

    Night(const SimIdentity &identity, const QString &folder, qint64 start)
        : laser(identity, 7), recorder(folder), now(start)
    {
        recorder.setClock([this] { return now; });
        recorder.setFlushIntervalMs(0);
        recorder.attachDecoder(&decoder);
        QObject::connect(&laser, &SimLaser::spontaneousLine, &decoder,
                         &LumetraResponseDecoder::slotLineReceived);
        decoder.slotConnectedStatus(true);
        recorder.slotPortOpened(QStringLiteral("/dev/ttyUSB0"));
        recorder.slotConnectedStatus(true);
    }
    void send(const char *command, bool operatorCommand = false)
    {
        if (operatorCommand)
            recorder.recordCommand(QString::fromLatin1(command), QStringLiteral("panel"));
        for (const QByteArray &line : laser.execute(command))
            decoder.slotLineReceived(line);
    }
    void second()
    {
        for (const char *command : pollList)
            send(command);
        laser.advance(1.0);
        now += 1000;
        recorder.flush();
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    if (args.isEmpty()) {
        out << "usage: record_night FOLDER [--hours H] [--screenshots DIR]\n";
        return 2;
    }
    const QString folder = args.takeFirst();
    double hours = 12;
    QString shots;
    // Pictures of a night recorded before, without recording it again.
    const bool record = !args.removeOne(QStringLiteral("--pictures-only"));
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--hours")
            hours = args[i + 1].toDouble();
        else if (args[i] == "--screenshots")
            shots = args[i + 1];
    }

    SimIdentity identity;
    identity.moduleType = QStringLiteral("0x93");
    // An evening at 19:00 UTC: the pictures show a night whatever the machine's zone.
    const qint64 start = QDateTime(QDate(2026, 12, 7), QTime(19, 0), Qt::UTC).toMSecsSinceEpoch();
    QElapsedTimer timer;
    timer.start();
    if (record) {
        Night night(identity, folder, start);
        night.send("ly_system_info");
        night.send("ls?");
        const int seconds = int(hours * 3600);
        for (int s = 0; s < seconds; ++s) {
            const double h = s / 3600.0;
            if (s == 600)
                night.send("ly_lqz2_standby", true);
            if (s == 1800)
                night.send("ly_lqz2_enabled", true);
            if (s == int(2.5 * 3600))
                night.send("e_power=600", true);
            if (s == int(7.5 * 3600))
                night.laser.module()->setHumidity(61);
            if (s == int(7.7 * 3600))
                night.recorder.acknowledge(QStringLiteral("hg.humidity_fault"), QStringLiteral("jdoe"));
            if (s == int(10.5 * 3600))
                night.laser.setShutterWarning(true);
            if (s == int(8.2 * 3600))
                night.laser.module()->setHumidity(34);
            if (s == int(8.0 * 3600))
                night.laser.setErrorcode(12);
            if (s == int(8.05 * 3600))
                night.laser.setErrorcode(0);
            if (s == int(9.0 * 3600))
                night.send("ls_temp_setpoint=151.5", true);
            if (s == int(11.0 * 3600))
                night.send("ly_lqz2_standby", true);
            night.second();
            if (s % 3600 == 0)
                fprintf(stderr, "%.0f h simulated\n", h);
        }
        night.recorder.flush();
        out << "recorded " << hours << " h in " << timer.elapsed() / 1000.0 << " s into "
            << night.recorder.store().fileName() << "\n";
    }

    if (shots.isEmpty())
        return 0;
    QDir().mkpath(shots);
    LumetraRecordSource source(nullptr, folder);
    LumetraTrendsView trends(&source);
    trends.resize(1300, 600);
    trends.setSelectedQuantities({"hg.humidity", "hg.oven1_actual", "hg.oven2_actual", "hg.thg_power",
                                  "laser.measured_energy", "hg.error_code"});
    trends.show();
    app.processEvents();
    trends.setSpan(start, start + qint64(hours * 3600 * 1000));
    app.processEvents();
    trends.reload();
    app.processEvents();
    trends.grab().save(shots + "/trends-night.png");

    LumetraEventsView events(&source);
    events.resize(1300, 420);
    events.show();
    app.processEvents();
    events.grab().save(shots + "/events-night.png");
    out << "pictures in " << shots << "\n";
    return 0;
}
