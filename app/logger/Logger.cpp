#include "app/logger/Logger.h"

#include "app/logger/AbstractStringAppender.h"

#include <QAtomicPointer>
#include <QDateTime>
#include <QMutexLocker>

namespace {

const char *const levelNames[] = {"Trace", "Debug", "Info", "Warning", "Error", "Fatal"};

QAtomicPointer<void(QtMsgType, const QMessageLogContext &, const QString &)> previousHandler;

// Set while this thread is inside write(): an appender that makes Qt complain must not come back in.
thread_local bool writing = false;

} // namespace

Q_GLOBAL_STATIC(Logger, globalLogger)

Logger::Logger() = default;

Logger::~Logger() = default;

Logger *Logger::globalInstance()
{
    return globalLogger();
}

QString Logger::levelToString(LogLevel level)
{
    if (level < Trace || level > Fatal)
        return QString();
    return QLatin1String(levelNames[level]);
}

Logger::LogLevel Logger::levelFromMessageType(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return Debug;
    case QtInfoMsg:
        return Info;
    case QtWarningMsg:
        return Warning;
    case QtCriticalMsg:
        return Error;
    case QtFatalMsg:
        return Fatal;
    }
    return Debug;
}

void Logger::installMessageHandler()
{
    if (previousHandler.loadAcquire())
        return;
    // qInstallMessageHandler returns Qt's default handler when none was installed, never null.
    previousHandler.storeRelease(qInstallMessageHandler(&Logger::messageHandler));
}

void Logger::messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        if (Logger *logger = globalLogger())
            logger->write(levelFromMessageType(type), context.file, context.line, context.function,
                          context.category, message);
    }
    if (auto handler = previousHandler.loadAcquire())
        handler(type, context, message);
}

void Logger::registerAppender(AbstractStringAppender *appender)
{
    if (!appender)
        return;
    QMutexLocker lock(&m_mutex);
    for (const auto &owned : m_appenders)
        if (owned.get() == appender)
            return;
    m_appenders.emplace_back(appender);
}

void Logger::removeAllAppenders()
{
    QMutexLocker lock(&m_mutex);
    m_appenders.clear();
}

int Logger::appenderCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_appenders.size());
}

void Logger::write(LogLevel level, const char *file, int line, const char *function, const char *category,
                   const QString &message)
{
    if (writing)
        return;
    writing = true;
    const QDateTime now = QDateTime::currentDateTime();
    {
        QMutexLocker lock(&m_mutex);
        for (const auto &appender : m_appenders)
            appender->append(now, level, file, line, function, category, message);
    }
    writing = false;
}
