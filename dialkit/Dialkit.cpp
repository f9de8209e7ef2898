#include "dialkit/Dialkit.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QStringList>

#include <cmath>

Q_LOGGING_CATEGORY(lcDialkit, "dialkit.dialkit")

namespace {

struct EmbeddedFont
{
    const char *file;
    const char *family; // the family name the style sheet and the widgets ask for
};

const EmbeddedFont embeddedFonts[] = {
    {"calibri.ttf", "Calibri"},
    {"Zorvane.ttf", "Zorvane"},
    {"Vossery.ttf", "Vossery"},
};

} // namespace

void Dialkit::loadApplicationFonts()
{
    QFontDatabase::removeAllApplicationFonts();
    for (const EmbeddedFont &font : embeddedFonts) {
        const QString path = QStringLiteral(":/Dialkit/fonts/fonts/") + QLatin1String(font.file);
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            qFatal("Unable to load %s", font.file);
        // The embedded files are free look-alikes whose internal family names differ from the
        // names the style sheet uses; a substitution makes the sheet's names resolve to them.
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty() && families.first() != QLatin1String(font.family))
            QFont::insertSubstitution(QLatin1String(font.family), families.first());
        qCDebug(lcDialkit) << "font" << font.file << "registered as" << families;
    }
}

QString Dialkit::getApplicationStylesheet()
{
    QFile file(QStringLiteral(":/Dialkit/css/stylesheet.qss"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Failed to open the stylesheet.qss, check the resource path");
    const QByteArray bytes = file.readAll();
    const int nul = bytes.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul));
}

QString Dialkit::formatSignificant(double value, int digits, bool integerOnly)
{
    if (digits <= 0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0.0)
        return formatFixed(0.0, integerOnly ? 0 : digits - 1);
    // The magnitude of a negative value is that of its absolute value.
    const int e = int(std::floor(std::log10(std::fabs(value))));
    const int decimals = digits - e - 1;
    if (decimals >= 0)
        return formatFixed(value, integerOnly ? 0 : decimals);
    const double unit = std::pow(10.0, e - digits + 1);
    return formatFixed(std::round(value / unit) * unit, 0);
}

QLocale Dialkit::numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QString Dialkit::formatFixed(double value, int decimals)
{
    return numberLocale().toString(value, 'f', qMax(0, decimals));
}

double Dialkit::parseNumber(const QString &text, bool *ok)
{
    QString plain = text.trimmed();
    plain.replace(numberLocale().decimalPoint(), QLatin1Char('.'));
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    return plain.toDouble(ok);
}
