#include "app/CommandLine.h"

#include "app/AppStartup.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

enum class OptionId
{
    Help,
    Version,
    Connect,
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
    {OptionId::Connect,
     {"connect", nullptr},
     "PORT",
     QT_TRANSLATE_NOOP("CommandLine", "Open the serial port PORT at start-up.")},
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

QDateTime CommandLine::readTime(const QString &text)
{
    QString iso = text.trimmed();
    if (iso.size() > 10 && iso.at(10) == QLatin1Char(' '))
        iso[10] = QLatin1Char('T');
    return iso.contains(QLatin1Char('T')) ? QDateTime::fromString(iso, Qt::ISODate) : QDateTime();
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
    result.exportCsv = parser.value(option(OptionId::ExportCsv));
    result.laserSerial = parser.value(option(OptionId::Laser));
    result.language = parser.value(option(OptionId::Language));
    for (const OptionId id : {OptionId::From, OptionId::To}) {
        const QCommandLineOption timeOption = option(id);
        if (!parser.isSet(timeOption))
            continue;
        const QString text = parser.value(timeOption);
        const QDateTime time = readTime(text);
        if (!time.isValid())
            return fail(tr("--%1: cannot read the time \"%2\"; write it as yyyy-MM-ddTHH:mm:ss.")
                            .arg(timeOption.names().first(), text));
        (id == OptionId::From ? result.from : result.to) = time;
    }
    if (result.from.isValid() && result.to.isValid() && result.from > result.to)
        return fail(tr("--from is later than --to."));
    if (result.exportCsv.isEmpty() &&
        (result.from.isValid() || result.to.isValid() || !result.laserSerial.isEmpty()))
        return fail(
            tr("--from, --to and --laser select what --export-csv writes; give --export-csv FILE too."));
    return result;
}
