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
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTime>

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

void _AppLog::WriteLogLine(QString logLine)
{
    const QString timeStamp = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    QTextCursor cursor(logDocument);
    cursor.movePosition(QTextCursor::End);

    const QStringList pieces = logLine.split(QRegExp(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        cursor.insertBlock();
        cursor.insertText(timeStamp + QLatin1Char(' ') + piece);
    }
}

void _AppLog::LoadLog()
{
    QFile file(getLogFilePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcAppLog) << "no application log to load at" << file.fileName();
        return;
    }
    QByteArray content = file.readAll();
    const int nul = content.indexOf('\0');
    if (nul >= 0)
        content.truncate(nul);
    logDocument->setPlainText(QString::fromLatin1(content));
}

void _AppLog::SaveLog()
{
    if (!QDir().mkpath(dataDirectory())) {
        qCDebug(lcAppLog) << "cannot create" << dataDirectory();
        return;
    }
    // Written through a temporary file that replaces the old log only once complete, so a crash or a
    // full disk while saving cannot wipe out the history of earlier runs.
    QSaveFile file(getLogFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCDebug(lcAppLog) << "cannot open" << file.fileName() << file.errorString();
        return;
    }
    const QByteArray content = logDocument->toPlainText().toLatin1();
    if (file.write(content) != content.size() || !file.commit())
        qCDebug(lcAppLog) << "cannot save" << file.fileName() << file.errorString();
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

    // A failed write must not leave the user's earlier file half overwritten.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCDebug(lcAppLog) << "cannot open" << fileName << file.errorString();
        return;
    }
    const QByteArray content = logDocument->toPlainText().toLatin1();
    if (file.write(content) != content.size() || !file.commit()) {
        qCDebug(lcAppLog) << "cannot save" << fileName << file.errorString();
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
