#pragma once

#include "app/logger/AbstractStringAppender.h"

#include <QFile>

// Appends records to one file, flushing each so that the last record before a crash is on disk.
class FileAppender : public AbstractStringAppender
{
public:
    explicit FileAppender(const QString &fileName);
    ~FileAppender() override;

    QString fileName() const;

    void append(const QDateTime &timeStamp, Logger::LogLevel level, const char *file, int line,
                const char *function, const char *category, const QString &message) override;

private:
    bool openFile();

    QFile m_logFile;
};
