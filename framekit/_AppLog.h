#pragma once

#include "framekit/FramekitExport.h"

#include <QObject>
#include <QString>

class QTextDocument;
class QTimer;
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
    // Once the history of earlier runs has been loaded, new lines reach the log file within this time,
    // so a killed program loses at most the last moments of its log instead of the whole session.
    static constexpr int persistDelayMs = 2000;

    enum WriteResult
    {
        Written,
        OpenFailed,
        WriteFailed
    };
    // Unless the text reached the file completely, the earlier file is kept intact.
    static WriteResult writeWholeFile(const QString &path, const QByteArray &content,
                                      QString *reason = nullptr);

public slots:
    void WriteLogLine(QString logLine);
    void LoadLog();
    bool SaveLog();
    void ClearLogLines(QWidget *parent);
    void ClearLogLines();
    void SaveLogLines(QWidget *parent);
    void SaveLogLines();
    void PrintLogLines(QWidget *parent);
    void PrintLogLines();

private:
    static QString dataDirectory();
    bool isEmptyMessage(const QString &piece) const;
    bool saveLogFile(QString *reason);
    void schedulePersist();
    void persist();

    QTextDocument *logDocument = nullptr;
    QTimer *persistTimer = nullptr;
    // Consecutive copies of one message become a single line with a count, so a device that repeats
    // itself cannot push the real history out of the bounded document.
    QString lastPiece;
    QString lastParagraph;
    QString firstStamp;
    int repeatCount = 0;
    bool persistent = false;
    bool persistFailureReported = false;
};
