#include "app/AppTranslator.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QStringList>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcTranslator, "lumetra.app.translator")

namespace {

// Numbers, dates and Qt's own widgets follow the language the texts are in: a German text with English
// digits reads wrong, and so does an English one with German digits. The system's own country is kept
// when it speaks that language (de_AT, en_GB); entry fields carry no group separators.
void followLanguage(const QLocale &chosen)
{
    const QLocale system = QLocale::system();
    QLocale shown = system.language() == chosen.language() ? system : chosen;
    shown.setNumberOptions(shown.numberOptions() | QLocale::OmitGroupSeparator);
    QLocale::setDefault(shown);
}

} // namespace

// Resources of a static library are registered by hand, from the global namespace.
static void initTranslationResources()
{
    Q_INIT_RESOURCE(translations);
}

QStringList AppTranslator::availableLanguages()
{
    initTranslationResources();
    QStringList languages{QStringLiteral("en")};
    const QStringList catalogues =
        QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("lumetra-qz_*.qm")});
    for (const QString &file : catalogues)
        languages.append(file.mid(11, file.size() - 11 - 3));
    return languages;
}

QString AppTranslator::install(QCoreApplication *app, const QString &forcedLanguage)
{
    initTranslationResources();
    const QLocale locale = forcedLanguage.isEmpty() ? QLocale::system() : QLocale(forcedLanguage);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) {
        followLanguage(QLocale(QLocale::English));
        return QStringLiteral("en");
    }

    auto *own = new QTranslator(app);
    if (!own->load(locale, QStringLiteral("lumetra-qz"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        qCInfo(lcTranslator) << "no catalogue for" << locale.name() << "- staying with English";
        delete own;
        followLanguage(QLocale(QLocale::English));
        return QStringLiteral("en");
    }
    app->installTranslator(own);
    followLanguage(locale);

    // Qt's own dialogs (file dialogs, message box buttons) in the same language, where Debian has them.
    auto *qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app->installTranslator(qt);
    else
        delete qt;
    return locale.name().section(QLatin1Char('_'), 0, 0);
}
