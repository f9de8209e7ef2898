#pragma once

#include <QMutex>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

class AbstractStringAppender;

// The diagnostic log: one process-wide instance that hands every record to its registered appenders.
// The program writes its start-up record here; Qt's warnings, critical and fatal messages follow once
// installMessageHandler() has run, so a fatal diagnostic leaves its trace in the file before the process
// ends.
class Logger
{
public:
    enum LogLevel
    {
        Trace,
        Debug,
        Info,
        Warning,
        Error,
        Fatal
    };

    Logger();
    ~Logger();
    Logger(const Logger &) = delete;
    Logger &operator=(const Logger &) = delete;

    static Logger *globalInstance();
    static QString levelToString(LogLevel level);
    static LogLevel levelFromMessageType(QtMsgType type);

    // Routes Qt's warnings, critical and fatal messages to the global instance and then on to the handler
    // that was installed before; debug and info messages go to the earlier handler only, so the 10 ms loops
    // do not flood the file. Calling it twice has no further effect.
    static void installMessageHandler();

    // The logger takes ownership of the appender.
    void registerAppender(AbstractStringAppender *appender);
    void removeAllAppenders();
    int appenderCount() const;

    void write(LogLevel level, const char *file, int line, const char *function, const char *category,
               const QString &message);

private:
    static void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    // Qt calls message handlers synchronously on whichever thread complains, and a fatal message ends the
    // process right after, so records cannot be queued to one thread; the mutex keeps file records whole.
    mutable QMutex m_mutex;
    std::vector<std::unique_ptr<AbstractStringAppender>> m_appenders;
};
