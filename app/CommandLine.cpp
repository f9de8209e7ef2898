#include "app/CommandLine.h"

#include "app/AppStartup.h"
#include "app/AppTranslator.h"
#include "device/LumetraQuantityTable.h"
#include "record/LumetraCsvExport.h"
#include "remote/LumetraScpiServer.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QLocale>
#include <QTextCodec>
#include <QTimeZone>

namespace {

enum class OptionId
{
    Help,
    Version,
    ListQuantities,
    Connect,
    Remote,
    RemoteAllow,
    ExportCsv,
    From,
    To,
    Laser,
    Language,
    Toolkit
};

struct OptionRow
{
    OptionId id;
    const char *names[2];
    const char *valueName; // nullptr for a switch
    const char *description;
};

const OptionRow optionTable[] = {
    {OptionId::Help, {"h", "help"}, nullptr, QT_TRANSLATE_NOOP("CommandLine", "Show this help and exit.")},
    {OptionId::Version,
     {"v", "version"},
     nullptr,
     QT_TRANSLATE_NOOP("CommandLine", "Show the version and build date and exit.")},
    {OptionId::ListQuantities,
     {"list-quantities", nullptr},
     nullptr,
     QT_TRANSLATE_NOOP(
         "CommandLine",
         "List the quantities of the laser (key, label, unit, kind, writable, limits) and exit.")},
    {OptionId::Connect,
     {"connect", nullptr},
     "PORT",
     QT_TRANSLATE_NOOP("CommandLine", "Open the serial port PORT at start-up.")},
    {OptionId::Remote,
     {"remote", nullptr},
     "[ADDRESS:]PORT",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Serve the laser to scripts on PORT (loopback unless ADDRESS is given), as File › "
                       "Remote control › Listen for scripts does.")},
    {OptionId::RemoteAllow,
     {"remote-allow", nullptr},
     nullptr,
     QT_TRANSLATE_NOOP("CommandLine",
                       "With --remote: allow scripts to change the laser from the start, as File › "
                       "Remote control › Allow remote control does.")},
    {OptionId::ExportCsv,
     {"export-csv", nullptr},
     "FILE",
     QT_TRANSLATE_NOOP("CommandLine", "Write the recorded values to FILE as CSV.")},
    {OptionId::From,
     {"from", nullptr},
     "TIME",
     QT_TRANSLATE_NOOP("CommandLine", "Export values from TIME on (yyyy-MM-ddTHH:mm:ss).")},
    {OptionId::To,
     {"to", nullptr},
     "TIME",
     QT_TRANSLATE_NOOP("CommandLine", "Export values up to TIME (yyyy-MM-ddTHH:mm:ss).")},
    {OptionId::Laser,
     {"laser", nullptr},
     "SERIAL",
     QT_TRANSLATE_NOOP("CommandLine", "Export only the laser with serial number SERIAL.")},
    {OptionId::Language,
     {"lang", nullptr},
     "LANGUAGE",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Show the program in LANGUAGE (en or de) instead of the system's language.")},
    // The toolkit's own options: accepted and left to it, so that a command line can be judged before
    // the window system is started.
    {OptionId::Toolkit, {"platform", nullptr}, "NAME", nullptr},
    {OptionId::Toolkit, {"platformpluginpath", nullptr}, "PATH", nullptr},
    {OptionId::Toolkit, {"platformtheme", nullptr}, "NAME", nullptr},
    {OptionId::Toolkit, {"plugin", nullptr}, "NAME", nullptr},
    {OptionId::Toolkit, {"qwindowgeometry", "geometry"}, "GEOMETRY", nullptr},
    {OptionId::Toolkit, {"qwindowtitle", "title"}, "TITLE", nullptr},
    {OptionId::Toolkit, {"qwindowicon", "icon"}, "FILE", nullptr},
    {OptionId::Toolkit, {"display", nullptr}, "DISPLAY", nullptr},
    {OptionId::Toolkit, {"name", nullptr}, "NAME", nullptr},
    {OptionId::Toolkit, {"session", nullptr}, "ID", nullptr},
    {OptionId::Toolkit, {"style", nullptr}, "STYLE", nullptr},
    {OptionId::Toolkit, {"stylesheet", nullptr}, "FILE", nullptr},
    {OptionId::Toolkit, {"reverse", nullptr}, nullptr, nullptr},
    {OptionId::Toolkit, {"nograb", nullptr}, nullptr, nullptr},
    {OptionId::Toolkit, {"dograb", nullptr}, nullptr, nullptr},
    {OptionId::Toolkit, {"widgetcount", nullptr}, nullptr, nullptr},
};

QCommandLineOption makeOption(const OptionRow &row)
{
    QStringList names{QLatin1String(row.names[0])};
    if (row.names[1])
        names << QLatin1String(row.names[1]);
    const QString description = row.description ? CommandLine::tr(row.description) : QString();
    QCommandLineOption option = row.valueName
                                    ? QCommandLineOption(names, description, QLatin1String(row.valueName))
                                    : QCommandLineOption(names, description);
    if (!row.description)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

QString CommandLine::versionText(const QString &buildDate)
{
    return QLatin1String(AppStartup::applicationName) + QStringLiteral(" - Version ") +
           QLatin1String(AppStartup::applicationVersion) + QStringLiteral(" - Date ") + buildDate;
}

QDateTime CommandLine::readTime(const QString &text, bool *inGap)
{
    return LumetraCsvExport::parseTime(text, Qt::LocalTime, inGap);
}

using OptionList = QList<QPair<OptionId, QCommandLineOption>>;

static OptionList setUp(QCommandLineParser &parser)
{
    parser.setApplicationDescription(CommandLine::tr("Controls a Lumetra QZ laser over its serial port."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    OptionList options;
    for (const OptionRow &row : optionTable) {
        options.append({row.id, makeOption(row)});
        parser.addOption(options.last().second);
    }
    return options;
}

QString CommandLine::quantityList()
{
    namespace Q = LumetraQuantityTable;
    const auto line = [](const QStringList &cells) {
        return QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    };
    QString text = line({tr("Key"), tr("Label"), tr("Unit"), tr("Kind"), tr("Writable"), tr("Limits")});
    text += QStringLiteral("| --- | --- | --- | --- | --- | --- |\n");
    for (int id = 0; id < Q::count(); ++id) {
        const Q::Row &r = Q::row(id);
        text += line({QStringLiteral("`%1`").arg(QLatin1String(r.key)), Q::label(id), Q::unit(id),
                      QLatin1String(Q::kindName(r.kind)), r.write ? tr("yes") : tr("no"), Q::limitsText(id)});
    }
    return text;
}

QString CommandLine::helpText()
{
    QCommandLineParser parser;
    setUp(parser);
    return parser.helpText();
}

CommandLine::Options CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const OptionList options = setUp(parser);
    const auto option = [&options](OptionId id) {
        for (const auto &entry : qAsConst(options))
            if (entry.first == id)
                return entry.second;
        Q_UNREACHABLE();
    };

    Options result;
    const bool parsed = parser.parse(arguments);
    // Help and version win over anything else on the line, as the operator asked for information.
    if (parser.isSet(option(OptionId::Help))) {
        result.action = Action::ShowHelp;
        return result;
    }
    if (parser.isSet(option(OptionId::Version))) {
        result.action = Action::ShowVersion;
        return result;
    }
    if (parser.isSet(option(OptionId::ListQuantities))) {
        result.action = Action::ListQuantities;
        result.language = parser.value(option(OptionId::Language));
        return result;
    }
    const auto fail = [&result](const QString &message) {
        result.action = Action::Fail;
        result.message = message;
        return result;
    };
    if (!parsed)
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(tr("Unexpected argument: %1").arg(parser.positionalArguments().first()));

    result.connectPort = parser.value(option(OptionId::Connect));
    result.remote = parser.value(option(OptionId::Remote));
    result.remoteAllow = parser.isSet(option(OptionId::RemoteAllow));
    QHostAddress remoteHost;
    quint16 remotePort = 0;
    if (parser.isSet(option(OptionId::Remote)) &&
        !LumetraScpiServer::parseListenAddress(result.remote, &remoteHost, &remotePort))
        return fail(
            tr("--remote: \"%1\" is no [ADDRESS:]PORT (a port from 1 to 65535, an IP address before it "
               "if scripts are to reach the laser from another computer).")
                .arg(result.remote));
    if (result.remoteAllow && result.remote.isEmpty())
        return fail(
            tr("--remote-allow allows what scripts on --remote may do; give --remote [ADDRESS:]PORT too."));
    result.exportCsv = parser.value(option(OptionId::ExportCsv));
    result.laserSerial = parser.value(option(OptionId::Laser));
    result.language = parser.value(option(OptionId::Language));
    if (parser.isSet(option(OptionId::Language))) {
        const QStringList languages = AppTranslator::availableLanguages();
        if (!languages.contains(QLocale(result.language).name().section(QLatin1Char('_'), 0, 0)))
            return fail(tr("--lang: there is no translation for \"%1\"; the languages are %2.")
                            .arg(result.language, languages.join(QLatin1String(", "))));
    }
    for (const OptionId id : {OptionId::From, OptionId::To}) {
        const QCommandLineOption timeOption = option(id);
        if (!parser.isSet(timeOption))
            continue;
        const QString text = parser.value(timeOption);
        bool inGap = false;
        const QDateTime time = readTime(text, &inGap);
        if (inGap)
            return fail(
                tr("--%1: the local time \"%2\" does not exist in the time zone %3: it falls in the "
                   "change to daylight-saving time. Give a time outside the change, or in UTC with "
                   "a Z.")
                    .arg(timeOption.names().first(), text, QString::fromUtf8(QTimeZone::systemTimeZoneId())));
        if (!time.isValid())
            return fail(tr("--%1: cannot read the time \"%2\"; write it as yyyy-MM-ddTHH:mm:ss.")
                            .arg(timeOption.names().first(), text));
        (id == OptionId::From ? result.from : result.to) = time;
    }
    if (result.from.isValid() && result.to.isValid() && result.from >= result.to)
        return fail(tr("The span from --from %1 to --to %2 is empty: --to must be later than --from.")
                        .arg(parser.value(option(OptionId::From)), parser.value(option(OptionId::To))));
    if (result.exportCsv.isEmpty()) {
        if (result.from.isValid() || result.to.isValid() || !result.laserSerial.isEmpty())
            return fail(
                tr("--from, --to and --laser select what --export-csv writes; give --export-csv FILE too."));
        return result;
    }
    if (!result.from.isValid() || !result.to.isValid())
        return fail(tr("--from and --to are required with --export-csv: the span of time to export (for "
                       "example --from 2026-12-07T20:00 --to 2026-12-08T06:00)."));
    if (result.laserSerial.trimmed().isEmpty())
        return fail(tr("--laser is required with --export-csv: the serial number of the laser whose "
                       "recording to export."));
    return result;
}

CommandLine::Options CommandLine::parse(int argc, const char *const argv[])
{
    QStringList arguments;
    QString unreadable;
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        arguments << QFile::decodeName(bytes);
        // A file name that is no text would be read with replacement characters: another name.
        if (i > 0 && unreadable.isNull() && QFile::encodeName(arguments.last()) != bytes)
            unreadable = arguments.last();
    }
    Options result = parse(arguments);
    if (result.action == Action::Run && !unreadable.isNull()) {
        result.action = Action::Fail;
        result.message = tr("The argument \"%1\" is not valid text in the system's encoding (%2); give names "
                            "and values in that encoding.")
                             .arg(unreadable, QString::fromLatin1(QTextCodec::codecForLocale()->name()));
    }
    return result;
}
