#pragma once

#include "framekit/FramekitExport.h"

#include <QObject>
#include <QString>

class QTextDocument;
class QWidget;

// The application's event log: one time-stamped paragraph per event, kept in a text document that
// views display live and that survives from one run of the program to the next in a file in the
// user's application-data folder. There is one instance per process, reached through instance().
class FRAMEKIT_EXPORT _AppLog : public QObject
{
    Q_OBJECT
public:
    // Created on first use, safe against concurrent first use, deleted at process exit.
    static _AppLog *instance();

    explicit _AppLog(QObject *parent = nullptr);
    ~_AppLog() override;

    QString getLogFilename() const;
    // Full path of the persistent log file in the application-data folder.
    QString getLogFilePath() const;
    QTextDocument *getLogDocument() const { return logDocument; }

    static constexpr int maximumBlocks = 2000;

public slots:
    void WriteLogLine(QString logLine);
    void LoadLog();
    void SaveLog();
    void ClearLogLines(QWidget *parent);
    void ClearLogLines();
    void SaveLogLines(QWidget *parent);
    void SaveLogLines();
    void PrintLogLines(QWidget *parent);
    void PrintLogLines();

private:
    static QString dataDirectory();

    QTextDocument *logDocument = nullptr;
};
