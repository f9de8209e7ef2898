#pragma once

#include <QString>

class QCoreApplication;

// Puts the program in the operator's language: the one forced on the command line, or else the system
// locale's. English is the language of the sources and needs no catalogue.
class AppTranslator
{
public:
    // Returns the language in use ("en" when no catalogue applies).
    static QString install(QCoreApplication *app, const QString &forcedLanguage = QString());
    static QStringList availableLanguages();
};
