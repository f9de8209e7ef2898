// Decoder throughput on one core for a full poll cycle of a third-harmonic system, compared with the
// most the serial link can deliver. Usage: bench_LumetraResponseDecoder [seconds]
//
// The cycle is what the laser sends while connected: the identification block, the status records,
// the power and repetition-rate queries, the module queries and every echo before its answer.

#include "device/LumetraResponseDecoder.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>

namespace {

// 38400 baud with ten bits per byte on the wire.
constexpr double linkBytesPerSecond = 3840.0;

QByteArrayList pollCycle()
{
    QByteArray s9 = "s9";
    for (int i = 1; i <= 40; ++i) {
        s9 += ' ' + QByteArray::number(20.0 + i * 0.25);
    }
    s9 += " A5\n";

    return {
        // identification
        "ly_system_info\n", "Lumetra-10 Hardware:1.2 Firmware:V5.0.4\n", "SW.MAIN.LQZ.MR.V5\n",
        "Compiled on: Mar 12 2021 14:02:11\n", "Serial number: LQZ-0042\n",
        "LDD device - Hardware: H3, Software version: 2.1, Revision: 7\n",
        "TEC device - Hardware: T1, Software version: 1.0, Revision: 3\n",
        "Timing Board S/N: TB-17; MCU T/B: 4.2; FPGA T/B: 0x1A\n",
        "Device switch on time (Standby and up): 1234 hours 56 minutes\n",
        "Laser Emission switch on time: 321 hours 5 minutes\n", "ls?\n",
        "ZOR harmonic generation module (address: 0x21 / type: 0x8d)\n", "Firmware version:\t1.4.0\n",
        "Bootloader version:\t0.9\n", "Module serial number:\tHG-77\n", "PCB serial number:\tPCB-5\n",
        // base poll list
        "s6\n", "s6 1234 56 321 5 1 1 0 0 0 0 0 2\n", "s7\n", "s7 1 2 0 1 2048 1 3 812.5 0 0 0 0 0 0 0 2\n",
        "s8\n", "s8 1 250 3.5 4.25 22.5 0.5 0.25 0.125 1 0 1800 9.5\n", "s9\n", s9, "ly_lqz2_power?\n",
        "Setted laser power: 150 nJ\n", "e_power?\n", "Setted laser power in relative unit: 2000\n",
        "e_freq?\n", "Frequency index parameter: 1\n", "e_div?\n", "Notice: Division factor is 2\n",
        // module poll list
        "ls_humidity?\n", "ZOR THG\tHumidity=12.5%\n", "ls_enable?\n", "ZOR HG\tCurrent FSM state=3\n",
        "ls_temp_setpoint?\n", "ZOR THG\tSHG Oven Setpoint=40 C\tMin=25 C\tMax=55 C\n",
        "ZOR THG\tTHG Oven Setpoint=70 C\tMin=30 C\tMax=90 C\n", "ls_temp_oven?\n",
        "ZOR THG\tSHG Oven Temperature=39.5 C\n", "ZOR THG\tTHG Oven Temperature=69.75 C\n",
        "ly_lqz2_output?\n", "Laser output enabled\n", "ls_crystal_allRuntimes?\n",
        "ZOR THG\tAll runtimes=10 20 30 40 50 \n", "ls_crystal_curSpot?\n",
        "ZOR THG\tCurrent crystal spot=4\n", "ls_crystal_curRuntime?\n", "ZOR THG\tCurrent runtime=86400s\n",
        "ls_crystal_maxRuntime?\n", "ZOR THG\tMax runtime=5000000s\n", "ls_wavelength?\n",
        "ZOR THG\tCurrent position=UV\n", "ls_status?\n", "ZOR HG\tStatus flags=00A1\n", "ls_errorcode?\n",
        "ZOR HG\tErrorcode=0\n", "ls_output_power?\n", "ZOR THG Output power = 350 mW\n",
        "ls_module_runtime?\n", "ZOR THG\tRuntime=7384s\n", "ls_dwls_enable?\n",
        "ZOR HG\tDynamic wavelength switching enabled\n", "ls_dwls_default?\n",
        "Dynamic wavelength switching data in memory:\n", "  IR Wavelength Index: 0 IR pulse energy = 1500\n",
        " THG Wavelength Index: 2 IR pulse energy = 650\n", "ly_lqz2_digiop?\n",
        "Active digital gate logic:\tlogic LOW (no connection) = AOM OPEN\n", "Listen = ok\n"};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const double seconds = argc > 1 ? QByteArray(argv[1]).toDouble() : 2.0;

    const QByteArrayList cycle = pollCycle();
    qint64 cycleBytes = 0;
    for (const QByteArray &line : cycle) {
        cycleBytes += line.size();
    }

    LumetraResponseDecoder decoder;
    QElapsedTimer timer;
    timer.start();
    qint64 cycles = 0;
    while (timer.nsecsElapsed() < qint64(seconds * 1e9)) {
        for (const QByteArray &line : cycle) {
            decoder.slotLineReceived(line);
        }
        ++cycles;
        // Every other cycle follows a disconnection, so that half of the lines publish their values.
        if (cycles % 2 == 0) {
            decoder.slotConnectedStatus(false);
        }
    }
    const double elapsed = timer.nsecsElapsed() / 1e9;

    const double linesPerSecond = cycles * cycle.size() / elapsed;
    const double bytesPerSecond = cycles * cycleBytes / elapsed;
    const double linkLinesPerSecond = linkBytesPerSecond * cycle.size() / cycleBytes;
    QTextStream out(stdout);
    out << "poll cycle: " << cycle.size() << " lines, " << cycleBytes << " bytes\n";
    out << "decoder: " << qRound64(linesPerSecond) << " lines/s, " << qRound64(bytesPerSecond) << " bytes/s ("
        << cycles << " cycles in " << elapsed << " s)\n";
    out << "link at most: " << linkBytesPerSecond << " bytes/s, " << qRound64(linkLinesPerSecond)
        << " lines/s of this mix\n";
    out << "ratio decoder/link: " << bytesPerSecond / linkBytesPerSecond << "\n";
    return 0;
}
