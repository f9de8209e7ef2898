#pragma once

#include "app/logger/AbstractStringAppender.h"

// Writes records to the standard error stream; used when no diagnostic log file can be created.
class ConsoleAppender : public AbstractStringAppender
{
public:
    ConsoleAppender();

    void append(const QDateTime &timeStamp, Logger::LogLevel level, const char *file, int line,
                const char *function, const char *category, const QString &message) override;
};
