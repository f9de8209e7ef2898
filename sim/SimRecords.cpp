#include "sim/SimRecords.h"

#include "sim/SimLaser.h"

namespace {

// Scalar parameters listed before the PCPER rows, as the laser's parameter dump shows them.
const char *const scalarParameters[][2] = {
    {"ERRRST", "0"}, {"AOM80S80", "0"}, {"AOMMODE", "2"}, {"AOMRNG", "4095"},
    {"AOMAMP", "1"}, {"PC1OFF", "12"},  {"PC1ON", "4"},   {"PDSMPL", "3"},
    {"AOMOFF", "0"}, {"AOMEN", "1"},    {"OUT2SEL", "0"}, {"PC2EN", "1"},
    {"PC1EN", "1"},  {"AOMINH", "0"},   {"PC1INH", "0"},  {"PC2INH", "0"},
};

} // namespace

SimLines SimRecords::identification(const SimLaser &l)
{
    const qint64 on = qint64(l.deviceOnSeconds) / 60;
    const qint64 emission = qint64(l.emissionSeconds) / 60;
    return {
        simLine(QStringLiteral("%1 Hardware:%2 Firmware:%3")
                    .arg(l.id.systemType, l.id.hardwareVersion, l.id.firmwareVersion)),
        simLine(l.id.applicationName),
        simLine(QStringLiteral("Compiled on: Nov 12 2026 14:03:11")),
        simLine(QStringLiteral("Serial number: %1").arg(l.id.serialNumber)),
        simLine(QStringLiteral("LDD device - Hardware: LDD-3.1, Software version: 2.4.0, Revision: B")),
        simLine(QStringLiteral("TEC device - Hardware: TEC-2.0, Software version: 1.9.3, Revision: C")),
        simLine(QStringLiteral("Timing Board S/N: TB-1187; MCU T/B: 3.2.1; FPGA T/B: 1.7.0")),
        simLine(QStringLiteral("Device switch on time (Standby and up): %1 hours %2 minutes")
                    .arg(on / 60)
                    .arg(on % 60)),
        simLine(QStringLiteral("Laser Emission switch on time: %1 hours %2 minutes")
                    .arg(emission / 60)
                    .arg(emission % 60)),
    };
}

SimLines SimRecords::record6(const SimLaser &l)
{
    const qint64 on = qint64(l.deviceOnSeconds) / 60;
    const qint64 emission = qint64(l.emissionSeconds) / 60;
    // This firmware leaves the timing-board download states blank until the first download.
    const QString download = l.quirkyFirmware() ? QStringLiteral("-") : QStringLiteral("0");
    QStringList values = {
        QString::number(on / 60),       QString::number(on % 60), QString::number(emission / 60),
        QString::number(emission % 60), QStringLiteral("1"),      QStringLiteral("1")};
    for (int i = 0; i < 5; ++i)
        values << download;
    values << QString::number(l.mode);
    return {simLine(QStringLiteral("s6 ") + values.join(QLatin1Char(' ')))};
}

SimLines SimRecords::record7(const SimLaser &l)
{
    const bool on = l.currentPhase == SimLaser::Phase::On && l.transitionRemaining <= 0;
    const int aomValue = qRound(4095.0 * l.energy_nJ() / l.maxEnergy_nJ(l.freqIndex));
    const QStringList values = {
        QString::number(int(on)),     QString::number(l.mode),
        QString::number(int(on)),     QString::number(int(l.transitionRemaining <= 0)),
        QString::number(aomValue),    QString::number(l.divisionFactor),
        QString::number(l.freqIndex), QString::number(l.measuredEnergy_nJ(), 'f', 1),
        QStringLiteral("1"),          QStringLiteral("0"),
        QStringLiteral("0"),          QStringLiteral("0"),
        QStringLiteral("0"),          QStringLiteral("0"),
        QStringLiteral("0"),          QString::number(l.systemWavelength)};
    return {simLine(QStringLiteral("s7 ") + values.join(QLatin1Char(' ')))};
}

SimLines SimRecords::record8(const SimLaser &l)
{
    const bool pumping = l.currentPhase != SimLaser::Phase::Listen;
    const QString spare = l.quirkyFirmware() ? QStringLiteral("---") : QStringLiteral("0.00");
    QStringList values = {QStringLiteral("1"),
                          QStringLiteral("0"),
                          QString::number(pumping ? 12.5 : 0.0, 'f', 2),
                          QStringLiteral("14.00"),
                          QString::number(l.sensorActual[0] - 0.2, 'f', 2),
                          spare,
                          spare,
                          spare,
                          QStringLiteral("0"),
                          QStringLiteral("0"),
                          QString::number(pumping ? 1250 : 0)};
    // The smallest model has a single-stage driver and leaves out its current limit.
    if (!l.id.systemType.contains(QLatin1String("Lumetra-2"), Qt::CaseInsensitive))
        values << QStringLiteral("15.00");
    return {simLine(QStringLiteral("s8 ") + values.join(QLatin1Char(' ')))};
}

SimLines SimRecords::record9(const SimLaser &l)
{
    QStringList values;
    for (int i = 0; i < l.sensorSet.size(); ++i) {
        values << QString::number(l.sensorSet[i], 'f', 2) << QString::number(l.sensorActual[i], 'f', 2)
               << QString::number(l.sensorSet[i] - 5.0, 'f', 2)
               << QString::number(l.sensorSet[i] + 5.0, 'f', 2);
    }
    values << QString::number(l.statusByte(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return {simLine(QStringLiteral("s9 ") + values.join(QLatin1Char(' ')))};
}

SimLines SimRecords::powerTable(const SimLaser &l)
{
    // Conversion factors from AOM counts to energy: full scale is 4000 counts.
    SimLines lines;
    for (int index = 0; index < l.pcper.size(); ++index) {
        lines << simLine(QStringLiteral("%1 0 %2").arg(index).arg(
            SimLaser::powerCountsFull / l.minEnergy_nJ(index), 0, 'f', 6));
        lines << simLine(QStringLiteral("%1 1 %2").arg(index).arg(
            SimLaser::powerCountsFull / l.maxEnergy_nJ(index), 0, 'f', 6));
    }
    return lines;
}

SimLines SimRecords::parameterTable(const SimLaser &l)
{
    SimLines lines;
    for (const auto &parameter : scalarParameters) {
        QString value = QLatin1String(parameter[1]);
        if (qstrcmp(parameter[0], "AOMMODE") == 0)
            value = QString::number(l.mode);
        else if (qstrcmp(parameter[0], "AOMEN") == 0)
            value = QString::number(int(l.aomOutput));
        lines << simLine(QStringLiteral("%1 %2").arg(QLatin1String(parameter[0]), value));
    }
    for (int index = 0; index < l.pcper.size(); ++index)
        lines << simLine(QStringLiteral("%1 0 PCPER %2").arg(index).arg(l.pcper[index]));
    lines << QByteArrayLiteral("P\r\n"); // the dump's checksum verdict, terminated the old way
    return lines;
}
