#include "sim/SimOptions.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

// Options that are fault or reading commands of the control channel, run at start.
struct FaultOption
{
    const char *name;
    const char *valueName; // nullptr: a switch
    const char *description;
    const char *command;
};

const FaultOption faultOptions[] = {
    {"silence", "SECONDS",
     QT_TRANSLATE_NOOP("SimOptions", "Answer nothing for SECONDS (\"forever\" for good)."), "silence %1"},
    {"drop-echo", "FRACTION",
     QT_TRANSLATE_NOOP("SimOptions", "Leave out the echo of this fraction of commands (0-1)."),
     "drop-echo %1"},
    {"cr-echo", "FRACTION",
     QT_TRANSLATE_NOOP("SimOptions", "End this fraction of echoes in CR instead of LF."), "cr-echo %1"},
    {"garbage", "FRACTION",
     QT_TRANSLATE_NOOP("SimOptions", "Follow this fraction of answer lines with a line of binary noise."),
     "garbage %1"},
    {"refuse-ready", "COUNT",
     QT_TRANSLATE_NOOP("SimOptions", "Answer the ready query COUNT times with a not-ready status."),
     "refuse-ready %1"},
    {"error", "CODE", QT_TRANSLATE_NOOP("SimOptions", "Raise harmonic-generator error CODE."), "error %1"},
    {"flags", "HEX", QT_TRANSLATE_NOOP("SimOptions", "Raise harmonic-generator status flags HEX."),
     "flags %1"},
    {"shutter", nullptr, QT_TRANSLATE_NOOP("SimOptions", "Report the shutter in the wrong position."),
     "shutter on"},
    {"debug", nullptr, QT_TRANSLATE_NOOP("SimOptions", "Start with the laser's debug output on."),
     "debug on"},
};

} // namespace

SimOptions::Outcome SimOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Simulated Lumetra QZ laser on a pseudo-terminal. Prints the port's path as its first line,\n"
           "then reads control commands from standard input (type \"help\")."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, tr("Show this help."));
    const QCommandLineOption versionOption(QStringLiteral("version"), tr("Show the version."));
    const QCommandLineOption nameOption(
        QStringLiteral("name"), tr("Name of the published port (default %1).").arg(name), tr("NAME"), name);
    const QCommandLineOption dirOption(
        QStringLiteral("port-dir"), tr("Publish the port link in DIR instead of the per-user ports folder."),
        tr("DIR"));
    const QCommandLineOption tcpOption(
        QStringLiteral("tcp"),
        tr("Serve the laser on TCP port PORT of the loopback address (as a serial device server in raw "
           "TCP mode would) instead of a pseudo-terminal; 0 takes a free port."),
        tr("PORT"));
    const QCommandLineOption systemOption(
        QStringLiteral("system"),
        tr("System type: Lumetra-10, Lumetra-3 or Lumetra-2 (default %1).").arg(identity.systemType),
        tr("TYPE"), identity.systemType);
    const QCommandLineOption appOption(
        QStringLiteral("app"), tr("Firmware application name (default %1).").arg(identity.applicationName),
        tr("NAME"), identity.applicationName);
    const QCommandLineOption firmwareOption(
        QStringLiteral("firmware"),
        tr("Firmware version (default %1; V5.0.2 leaves some record values blank).")
            .arg(identity.firmwareVersion),
        tr("VERSION"), identity.firmwareVersion);
    const QCommandLineOption hardwareOption(
        QStringLiteral("hardware"), tr("Hardware version (default %1).").arg(identity.hardwareVersion),
        tr("VERSION"), identity.hardwareVersion);
    const QCommandLineOption serialOption(
        QStringLiteral("serial-number"),
        tr("Serial number in the identification (default %1).").arg(identity.serialNumber), tr("N"),
        identity.serialNumber);
    const QCommandLineOption moduleOption(
        QStringLiteral("module"),
        tr("Harmonic-generator module: none, 0x86 (SHG), 0x8d (THG), 0x90 (SHG, new "
           "generation) or 0x93 (THG, new generation); default %1.")
            .arg(identity.moduleType),
        tr("TYPE"), identity.moduleType);
    const QCommandLineOption modeOption(QStringLiteral("mode"),
                                        tr("AOM mode of operation at start: 2, 3 or 8 (default 2)."),
                                        tr("MODE"), QStringLiteral("2"));
    const QCommandLineOption turnaroundOption(
        QStringLiteral("turnaround"),
        tr("Delay before the echo of each command (default %1 ms).").arg(turnaroundMs), tr("MS"),
        QString::number(turnaroundMs));
    const QCommandLineOption fastOption(QStringLiteral("fast"),
                                        tr("No wire pacing and no turnaround delay (for tests)."));
    const QCommandLineOption baudOption(
        QStringLiteral("baud"),
        tr("Pace the output at this rate, ten bit times a byte (default %1).").arg(baudRate), tr("RATE"),
        QString::number(baudRate));
    const QCommandLineOption logOption(
        QStringLiteral("log"), tr("Write a time-stamped transcript of every line received and sent to FILE."),
        tr("FILE"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        tr("Seed of the noise and fault draws (default 1)."), tr("N"),
                                        QStringLiteral("1"));
    const QCommandLineOption controlOption(
        QStringLiteral("control"),
        tr("Also read control commands from the named pipe PATH (created if missing)."), tr("PATH"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           tr("Trace the simulator's work on standard error."));
    const QCommandLineOption setOption(
        QStringLiteral("set"), tr("Change a reading at start, e.g. --set \"humidity 47\" (repeatable)."),
        tr("\"NAME VALUE\""));
    parser.addOptions({helpOption,   versionOption, nameOption,       dirOption,      tcpOption,
                       systemOption, appOption,     firmwareOption,   hardwareOption, serialOption,
                       moduleOption, modeOption,    turnaroundOption, fastOption,     baudOption,
                       logOption,    seedOption,    controlOption,    verboseOption,  setOption});
    QList<QCommandLineOption> faults;
    for (const FaultOption &fault : faultOptions) {
        const QString description = QCoreApplication::translate("SimOptions", fault.description);
        faults << (fault.valueName ? QCommandLineOption(QLatin1String(fault.name), description,
                                                        QLatin1String(fault.valueName))
                                   : QCommandLineOption(QLatin1String(fault.name), description));
    }
    parser.addOptions(faults);
    helpText = parser.helpText();

    if (!parser.parse(arguments)) {
        errorText = parser.errorText();
        return Outcome::Error;
    }
    if (parser.isSet(helpOption))
        return Outcome::ShowHelp;
    if (parser.isSet(versionOption))
        return Outcome::ShowVersion;
    if (!parser.positionalArguments().isEmpty()) {
        errorText = tr("unexpected argument %1").arg(parser.positionalArguments().constFirst());
        return Outcome::Error;
    }

    name = parser.value(nameOption);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.'))) {
        errorText = tr("invalid port name %1").arg(name);
        return Outcome::Error;
    }
    linkDirectory = parser.value(dirOption);
    if (parser.isSet(tcpOption)) {
        bool isNumber = false;
        tcpPort = parser.value(tcpOption).toInt(&isNumber);
        if (!isNumber || tcpPort < 0 || tcpPort > 65535) {
            errorText = tr("invalid TCP port %1").arg(parser.value(tcpOption));
            return Outcome::Error;
        }
    }
    identity.systemType = parser.value(systemOption);
    identity.applicationName = parser.value(appOption);
    identity.firmwareVersion = parser.value(firmwareOption);
    identity.hardwareVersion = parser.value(hardwareOption);
    identity.serialNumber = parser.value(serialOption);
    // The number goes out inside one answer line: a line break or a control byte would split or
    // corrupt that line, and an empty one is not something a laser reports.
    const bool printable = std::all_of(identity.serialNumber.cbegin(), identity.serialNumber.cend(),
                                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
    if (identity.serialNumber.trimmed().isEmpty() || !printable) {
        errorText = tr("invalid serial number %1").arg(identity.serialNumber);
        return Outcome::Error;
    }
    const QString module = parser.value(moduleOption).toLower();
    static const QStringList modules = {QStringLiteral("none"), QStringLiteral("0x86"),
                                        QStringLiteral("0x8d"), QStringLiteral("0x90"),
                                        QStringLiteral("0x93")};
    if (!modules.contains(module)) {
        errorText = tr("unknown module %1 (none, 0x86, 0x8d, 0x90 or 0x93)").arg(parser.value(moduleOption));
        return Outcome::Error;
    }
    identity.moduleType = module == QLatin1String("none") ? QString() : module;

    bool ok = false;
    identity.modeOfOperation = parser.value(modeOption).toInt(&ok);
    if (!ok ||
        (identity.modeOfOperation != 2 && identity.modeOfOperation != 3 && identity.modeOfOperation != 8)) {
        errorText = tr("invalid mode %1 (2, 3 or 8)").arg(parser.value(modeOption));
        return Outcome::Error;
    }
    turnaroundMs = parser.value(turnaroundOption).toInt(&ok);
    if (!ok || turnaroundMs < 0 || turnaroundMs > 60000) {
        errorText = tr("invalid turnaround %1").arg(parser.value(turnaroundOption));
        return Outcome::Error;
    }
    baudRate = parser.value(baudOption).toInt(&ok);
    if (!ok || baudRate < 50 || baudRate > 4000000) {
        errorText = tr("invalid baud rate %1").arg(parser.value(baudOption));
        return Outcome::Error;
    }
    fast = parser.isSet(fastOption);
    if (fast) {
        turnaroundMs = 0;
        baudRate = 0;
    }
    seed = parser.value(seedOption).toUInt(&ok);
    if (!ok) {
        errorText = tr("invalid seed %1").arg(parser.value(seedOption));
        return Outcome::Error;
    }
    logFile = parser.value(logOption);
    controlFifo = parser.value(controlOption);

    for (int i = 0; i < faults.size(); ++i) {
        if (!parser.isSet(faults[i]))
            continue;
        const QString command = QLatin1String(faultOptions[i].command);
        startupCommands << (faultOptions[i].valueName ? command.arg(parser.value(faults[i])) : command);
    }
    for (QString reading : parser.values(setOption)) {
        const int equals = reading.indexOf(QLatin1Char('='));
        if (equals > 0 && !reading.left(equals).contains(QLatin1Char(' ')))
            reading[equals] = QLatin1Char(' ');
        startupCommands << QStringLiteral("set ") + reading.simplified();
    }
    return Outcome::Run;
}
