#include "app/logger/AbstractStringAppender.h"

#include <QFileInfo>

namespace {

// Placeholder names, looked up in one place so that the format and the renderer cannot drift apart.
enum class Field
{
    Time,
    Type,
    File,
    Line,
    Function,
    Category,
    Message
};

struct FieldName
{
    const char *name;
    Field field;
};

const FieldName fieldNames[] = {
    {"time", Field::Time},       {"type", Field::Type},         {"file", Field::File},
    {"line", Field::Line},       {"function", Field::Function}, {"category", Field::Category},
    {"message", Field::Message},
};

const char *const timeFormat = "yyyy-MM-ddTHH:mm:ss.zzz";

QString text(const char *s)
{
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

AbstractStringAppender::AbstractStringAppender() : m_format(defaultFormat()) {}

AbstractStringAppender::~AbstractStringAppender() = default;

QString AbstractStringAppender::defaultFormat()
{
    // Time, level, the function that wrote the record and the text: enough to find the source of a
    // fatal diagnostic after the program has gone.
    return QStringLiteral("%{time} [%{type}] <%{function}> %{message}\n");
}

QString AbstractStringAppender::format() const
{
    return m_format;
}

void AbstractStringAppender::setFormat(const QString &format)
{
    m_format = format;
}

QString AbstractStringAppender::formattedString(const QDateTime &timeStamp, Logger::LogLevel level,
                                                const char *file, int line, const char *function,
                                                const char *category, const QString &message) const
{
    QString result;
    result.reserve(m_format.size() + message.size() + 64);
    int pos = 0;
    while (pos < m_format.size()) {
        const int start = m_format.indexOf(QLatin1String("%{"), pos);
        if (start < 0) {
            result += m_format.midRef(pos);
            break;
        }
        result += m_format.midRef(pos, start - pos);
        const int end = m_format.indexOf(QLatin1Char('}'), start + 2);
        if (end < 0) {
            result += m_format.midRef(start);
            break;
        }
        const QStringRef name = m_format.midRef(start + 2, end - start - 2);
        bool known = false;
        for (const FieldName &entry : fieldNames) {
            if (name != QLatin1String(entry.name))
                continue;
            known = true;
            switch (entry.field) {
            case Field::Time:
                result += timeStamp.toString(QLatin1String(timeFormat));
                break;
            case Field::Type:
                result += Logger::levelToString(level).leftJustified(7, QLatin1Char(' '));
                break;
            case Field::File:
                result += QFileInfo(text(file)).fileName();
                break;
            case Field::Line:
                result += QString::number(line);
                break;
            case Field::Function:
                // Release builds of Qt pass no source location with their messages; the category still says
                // which part of the program spoke.
                result += function && *function ? text(function) : text(category);
                break;
            case Field::Category:
                result += text(category);
                break;
            case Field::Message:
                result += message;
                break;
            }
            break;
        }
        // An unknown placeholder stays visible so that a typing error in a format shows up in the file.
        if (!known)
            result += m_format.midRef(start, end - start + 1);
        pos = end + 1;
    }
    return result;
}
