#include "app/logger/FileAppender.h"

#include <cstdio>

FileAppender::FileAppender(const QString &fileName) : m_logFile(fileName) {}

FileAppender::~FileAppender()
{
    m_logFile.close();
}

QString FileAppender::fileName() const
{
    return m_logFile.fileName();
}

bool FileAppender::openFile()
{
    if (m_logFile.isOpen())
        return true;
    // Appending keeps the records of earlier runs of the same day in the same file.
    if (m_logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return true;
    // A warning through Qt would come back to this appender; say it on stderr directly instead.
    std::fprintf(stderr, "Cannot open diagnostic log file %s: %s\n", qPrintable(m_logFile.fileName()),
                 qPrintable(m_logFile.errorString()));
    return false;
}

void FileAppender::append(const QDateTime &timeStamp, Logger::LogLevel level, const char *file, int line,
                          const char *function, const char *category, const QString &message)
{
    if (!openFile())
        return;
    m_logFile.write(formattedString(timeStamp, level, file, line, function, category, message).toUtf8());
    m_logFile.flush();
}
