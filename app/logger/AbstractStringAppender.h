#pragma once

#include "app/logger/Logger.h"

#include <QDateTime>
#include <QString>

// Base of every diagnostic-log destination: turns one record into text with a format made of
// %{time}, %{type}, %{file}, %{line}, %{function}, %{category} and %{message} placeholders.
class AbstractStringAppender
{
public:
    AbstractStringAppender();
    virtual ~AbstractStringAppender();
    AbstractStringAppender(const AbstractStringAppender &) = delete;
    AbstractStringAppender &operator=(const AbstractStringAppender &) = delete;

    static QString defaultFormat();

    QString format() const;
    void setFormat(const QString &format);

    QString formattedString(const QDateTime &timeStamp, Logger::LogLevel level, const char *file, int line,
                            const char *function, const char *category, const QString &message) const;

    // Called by the logger, which serialises all calls.
    virtual void append(const QDateTime &timeStamp, Logger::LogLevel level, const char *file, int line,
                        const char *function, const char *category, const QString &message) = 0;

private:
    QString m_format;
};
