#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The program's command-line options, in one table, and what a given command line asks for.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion,
        ListQuantities,
        Fail
    };

    // Exit status of a command line that cannot be used, as command-line tools have it.
    static constexpr int UsageErrorStatus = 2;

    struct Options
    {
        Action action = Action::Run;
        QString message; // what is wrong
        QString connectPort;
        // "[ADDRESS:]PORT" of the remote interface, empty when it stays off.
        QString remote;
        bool remoteAllow = false;
        // Export of recorded values, read here and carried out elsewhere.
        QString exportCsv;
        QDateTime from;
        QDateTime to;
        QString laserSerial;
        // Forced language of the user interface; empty for the system locale's.
        QString language;
    };

    // `arguments` as the program received them, the program's own name first.
    static Options parse(const QStringList &arguments);
    // The same from the bytes main() was given: an argument that is no text in the system's encoding is
    // refused rather than read as another name.
    static Options parse(int argc, const char *const argv[]);
    // The version and build date as the window title shows them.
    static QString versionText(const QString &buildDate);
    // Usage and the option table; needs an application object for the program's name.
    static QString helpText();
    // Every quantity the program knows, as a Markdown table: key, label, unit, kind, writable, limits.
    // The README and the manual carry this very text.
    static QString quantityList();
    // "yyyy-MM-ddTHH:mm[:ss]", with a blank allowed for the T, local time unless a "Z" or an offset
    // follows; invalid if unreadable. inGap is set for a local time that the change to daylight-saving
    // time skips.
    static QDateTime readTime(const QString &text, bool *inGap = nullptr);
};
