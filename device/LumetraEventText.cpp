#include "device/LumetraEventText.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString contextKey = QStringLiteral("c");
const QString sourceKey = QStringLiteral("s");
const QString argsKey = QStringLiteral("a");

} // namespace

LumetraEventText::LumetraEventText(const char *context, const char *source)
    : m_context(QString::fromLatin1(context)), m_source(QString::fromUtf8(source))
{
}

LumetraEventText &LumetraEventText::arg(const QString &word)
{
    m_args << word;
    return *this;
}

LumetraEventText &LumetraEventText::arg(const LumetraEventText &text)
{
    m_args << text.toMap();
    return *this;
}

QString LumetraEventText::english() const
{
    return render(false);
}

QString LumetraEventText::translated() const
{
    return render(true);
}

QString LumetraEventText::render(bool translate) const
{
    const QString pattern =
        translate && !m_context.isEmpty()
            ? QCoreApplication::translate(m_context.toLatin1().constData(), m_source.toUtf8().constData())
            : m_source;
    // In one pass, as QString::arg would, but with no argument read for a marker of another: a port
    // or a command with "%1" in it stays as it is.
    QString out;
    out.reserve(pattern.size());
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        int n = 0;
        int j = i + 1;
        while (c == QLatin1Char('%') && j < pattern.size() && j < i + 3 && pattern.at(j).isDigit())
            n = n * 10 + pattern.at(j++).digitValue();
        if (n < 1 || n > m_args.size()) {
            out += c;
            continue;
        }
        const QVariant &a = m_args.at(n - 1);
        out += a.type() == QVariant::Map ? fromMap(a.toMap()).render(translate) : a.toString();
        i = j - 1;
    }
    return out;
}

QVariantMap LumetraEventText::toMap() const
{
    QVariantMap map{{sourceKey, m_source}};
    if (!m_context.isEmpty())
        map.insert(contextKey, m_context);
    if (!m_args.isEmpty())
        map.insert(argsKey, m_args);
    return map;
}

LumetraEventText LumetraEventText::fromMap(const QVariantMap &map)
{
    LumetraEventText text;
    text.m_context = map.value(contextKey).toString();
    text.m_source = map.value(sourceKey).toString();
    text.m_args = map.value(argsKey).toList();
    return text;
}

QString LumetraEventText::toKey() const
{
    if (isNull())
        return QString();
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(toMap())).toJson(QJsonDocument::Compact));
}

LumetraEventText LumetraEventText::fromKey(const QString &key)
{
    if (key.isEmpty())
        return LumetraEventText();
    const QJsonDocument document = QJsonDocument::fromJson(key.toUtf8());
    return document.isObject() ? fromMap(document.object().toVariantMap()) : LumetraEventText();
}
