#include "app/logger/ConsoleAppender.h"

#include <cstdio>

ConsoleAppender::ConsoleAppender() = default;

void ConsoleAppender::append(const QDateTime &timeStamp, Logger::LogLevel level, const char *file, int line,
                             const char *function, const char *category, const QString &message)
{
    const QByteArray record =
        formattedString(timeStamp, level, file, line, function, category, message).toLocal8Bit();
    std::fwrite(record.constData(), 1, size_t(record.size()), stderr);
    std::fflush(stderr);
}
