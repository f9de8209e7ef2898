#include "framekit/_AppLog.h"

#include <QAtomicInt>
#include <QAtomicPointer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPlainTextDocumentLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegExp>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTime>
#include <QTimer>

#include <cstdlib>

Q_LOGGING_CATEGORY(lcAppLog, "framekit.applog")

namespace {

enum CreationState
{
    NotStarted = 0,
    InProgress = 1,
    Done = 2
};

QBasicAtomicInt creationState = Q_BASIC_ATOMIC_INITIALIZER(NotStarted);
QBasicAtomicPointer<_AppLog> theInstance = Q_BASIC_ATOMIC_INITIALIZER(nullptr);

void deleteInstanceAtExit()
{
    delete theInstance.fetchAndStoreOrdered(nullptr);
}

const char settingsKeyLogPath[] = "Application/AppLogPath";

} // namespace

_AppLog *_AppLog::instance()
{
    // Three states rather than a mutex: the first caller builds the store, any caller arriving while
    // that is under way yields until it is finished, everybody after that takes the fast path.
    for (;;) {
        const int state = creationState.loadAcquire();
        if (state == Done)
            return theInstance.loadAcquire();
        if (state == NotStarted && creationState.testAndSetOrdered(NotStarted, InProgress)) {
            auto *log = new _AppLog;
            // The store belongs to the GUI thread even when a worker happens to be its first user.
            if (QCoreApplication *app = QCoreApplication::instance())
                log->moveToThread(app->thread());
            theInstance.storeRelease(log);
            std::atexit(deleteInstanceAtExit);
            creationState.storeRelease(Done);
            return theInstance.loadAcquire();
        }
        QThread::yieldCurrentThread();
    }
}

_AppLog::_AppLog(QObject *parent) : QObject(parent)
{
    logDocument = new QTextDocument(this);
    logDocument->setDocumentLayout(new QPlainTextDocumentLayout(logDocument));
    logDocument->setMaximumBlockCount(maximumBlocks);
    logDocument->setDocumentMargin(2.0);

    persistTimer = new QTimer(this);
    persistTimer->setSingleShot(true);
    persistTimer->setInterval(persistDelayMs);
    connect(persistTimer, &QTimer::timeout, this, &_AppLog::persist);
    connect(logDocument, &QTextDocument::contentsChanged, this, &_AppLog::schedulePersist);
}

_AppLog::~_AppLog() = default;

QString _AppLog::getLogFilename() const
{
    return QCoreApplication::applicationName() + QStringLiteral(".log");
}

QString _AppLog::getLogFilePath() const
{
    return QDir(dataDirectory()).absoluteFilePath(getLogFilename());
}

QString _AppLog::dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool _AppLog::isEmptyMessage(const QString &piece) const
{
    // Blank lines say nothing; a burst of them would only crowd real events out of the bounded history.
    return piece.trimmed().isEmpty();
}

void _AppLog::WriteLogLine(QString logLine)
{
    const QString timeStamp = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    QTextCursor cursor(logDocument);

    const QStringList pieces = logLine.split(QRegExp(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        if (isEmptyMessage(piece))
            continue;
        const QTextBlock last = logDocument->lastBlock();
        // Only a repeat of the line still standing at the end is folded in: after a clear or a load
        // the same text starts a line of its own.
        if (repeatCount > 0 && piece == lastPiece && last.text() == lastParagraph) {
            ++repeatCount;
            lastParagraph = firstStamp + QLatin1Char(' ') + piece +
                            tr(" (%n times, last at %1)", nullptr, repeatCount).arg(timeStamp);
            QTextCursor line(last);
            line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            line.insertText(lastParagraph);
            continue;
        }
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
        lastParagraph = timeStamp + QLatin1Char(' ') + piece;
        cursor.insertText(lastParagraph);
        lastPiece = piece;
        firstStamp = timeStamp;
        repeatCount = 1;
    }
}

void _AppLog::LoadLog()
{
    QFile file(getLogFilePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcAppLog) << "no application log to load at" << file.fileName();
        // With no file there is no history to overwrite; a file that exists but cannot be read is
        // left alone rather than replaced by this session's lines.
        if (!file.exists())
            persistent = true;
        return;
    }
    QByteArray content = file.readAll();
    const int nul = content.indexOf('\0');
    if (nul >= 0)
        content.truncate(nul);
    logDocument->setPlainText(QString::fromLatin1(content));
    persistent = true;
}

_AppLog::WriteResult _AppLog::writeWholeFile(const QString &path, const QByteArray &content, QString *reason)
{
    // Through a temporary file that replaces the old one only once complete. A small write is only
    // buffered, so a full disk shows up at the flush; committing after that would still rename the
    // truncated temporary file over the good one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (reason)
            *reason = file.errorString();
        return OpenFailed;
    }
    if (file.write(content) != content.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        file.cancelWriting();
        return WriteFailed;
    }
    if (!file.commit()) {
        if (reason)
            *reason = file.errorString();
        return WriteFailed;
    }
    return Written;
}

bool _AppLog::saveLogFile(QString *reason)
{
    persistTimer->stop();
    if (!QDir().mkpath(dataDirectory())) {
        *reason = tr("cannot create the folder %1").arg(dataDirectory());
        return false;
    }
    return writeWholeFile(getLogFilePath(), logDocument->toPlainText().toLatin1(), reason) == Written;
}

bool _AppLog::SaveLog()
{
    QString reason;
    if (saveLogFile(&reason))
        return true;
    qCWarning(lcAppLog) << "cannot save" << getLogFilePath() << reason;
    return false;
}

void _AppLog::schedulePersist()
{
    if (persistent && !persistTimer->isActive())
        persistTimer->start();
}

void _AppLog::persist()
{
    QString reason;
    if (saveLogFile(&reason)) {
        persistFailureReported = false;
        return;
    }
    qCWarning(lcAppLog) << "cannot keep" << getLogFilePath() << "up to date:" << reason;
    // Said once in the log itself, where the operator is looking; the next line tries again.
    if (!persistFailureReported) {
        persistFailureReported = true;
        WriteLogLine(tr("The application log cannot be written to %1 (%2); the file keeps its earlier text.")
                         .arg(QDir::toNativeSeparators(getLogFilePath()), reason));
    }
}

void _AppLog::ClearLogLines(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, tr("Application Log"), tr("Clear all log data?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes)
        logDocument->clear();
}

void _AppLog::ClearLogLines()
{
    ClearLogLines(nullptr);
}

void _AppLog::SaveLogLines(QWidget *parent)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                       QCoreApplication::applicationName());
    const QString defaultPath = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) +
                                QStringLiteral("/Application.log");
    const QString lastPath = settings.value(QLatin1String(settingsKeyLogPath), defaultPath).toString();

    const QString fileName = QFileDialog::getSaveFileName(parent, tr("Save application log file"), lastPath,
                                                          tr("Log files (*.log *.txt)"));
    if (fileName.isEmpty())
        return;
    settings.setValue(QLatin1String(settingsKeyLogPath), fileName);

    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir(folder).exists()) {
        const auto answer =
            QMessageBox::warning(parent, tr("Warning"),
                                 tr("The directory \"%1\" does not exist.\nShould we create it?").arg(folder),
                                 QMessageBox::Ok | QMessageBox::Cancel);
        if (answer != QMessageBox::Ok)
            return;
        QDir().mkpath(folder);
    }

    // A failed write must not leave the user's earlier file half overwritten or emptied.
    QString reason;
    const WriteResult result = writeWholeFile(fileName, logDocument->toPlainText().toLatin1(), &reason);
    if (result != Written)
        qCWarning(lcAppLog) << "cannot save" << fileName << reason;
    if (result == WriteFailed) {
        QMessageBox::critical(parent, tr("Warning"), tr("Saving application log, failed!"), QMessageBox::Ok);
    }
}

void _AppLog::SaveLogLines()
{
    SaveLogLines(nullptr);
}

void _AppLog::PrintLogLines(QWidget *parent)
{
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer.setCreator(QCoreApplication::applicationName());
    printer.setDocName(tr("Application Log"));
    logDocument->print(&printer);
}

void _AppLog::PrintLogLines()
{
    PrintLogLines(nullptr);
}
