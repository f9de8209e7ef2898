#include "framekit/_AppLog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

QStringList paragraphs(const QTextDocument *document)
{
    QStringList list;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        list << block.text();
    return list;
}

// Answers every modal dialog that opens while it exists, each once, with the given handler.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(std::function<void(QWidget *)> answer) : handler(std::move(answer))
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == answered)
                return;
            answered = modal;
            ++count;
            this->handler(modal);
        });
        timer.start();
    }
    int count = 0;

private:
    std::function<void(QWidget *)> handler;
    QPointer<QWidget> answered;
    QTimer timer;
};

// Lowers the largest file this process may write, so a write fails the way it does on a full disk,
// without needing a disk to fill.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{bytes, previous.rlim_max};
        active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous); }
    bool active = false;

private:
    rlimit previous{};
};

// A small RAM file system over a folder, filled to the last byte.
class FullDisk
{
public:
    explicit FullDisk(const QString &path) : folder(QFile::encodeName(path))
    {
        mounted = ::mount("tmpfs", this->folder.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk()
    {
        if (mounted)
            ::umount2(folder.constData(), MNT_DETACH);
    }
    void fill()
    {
        QFile filler(QString::fromLocal8Bit(folder) + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    bool mounted = false;

private:
    QByteArray folder;
};

QString withoutStamps(QString paragraph)
{
    return paragraph.replace(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d")), QStringLiteral("T"));
}

} // namespace

class TestAppLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void instanceOncePerProcess();
    void lineFormat_data();
    void lineFormat();
    void blockLimit();
    void repeatsFolded_data();
    void repeatsFolded();
    void saveLoadRoundTrip();
    void loadStopsAtNul();
    void loadMissingFileKeepsDocument();
    void loadKeepsNewestBlocks();
    void saveReplacesWholeFile();
    void clearConfirmation_data();
    void clearConfirmation();
    void saveLogLinesToChosenFile();
    void saveLogLinesMissingFolder_data();
    void saveLogLinesMissingFolder();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void keptOnDiskWhileRunning();

private:
    QTemporaryDir home;
};

void TestAppLog::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Zorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("LUMETRA-QZ"));
    QVERIFY(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).startsWith(home.path()));
}

void TestAppLog::instanceOncePerProcess()
{
    // Several threads asking at the same moment must all get the one store, living on the GUI thread.
    std::vector<_AppLog *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = _AppLog::instance(); });
    for (std::thread &thread : threads)
        thread.join();
    _AppLog *log = _AppLog::instance();
    QVERIFY(log);
    for (_AppLog *other : seen)
        QCOMPARE(other, log);
    QCOMPARE(log->thread(), QCoreApplication::instance()->thread());
    QCOMPARE(log->getLogFilename(), QStringLiteral("LUMETRA-QZ.log"));

    // The store is deleted at process exit, after the application object and this view are gone.
    QPlainTextEdit view;
    view.setDocument(log->getLogDocument());
    log->WriteLogLine(QStringLiteral("shown line"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setDocument(nullptr);
}

void TestAppLog::lineFormat_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("plain") << "Port opened" << QStringList{"Port opened"};
    QTest::newRow("crlf") << "first\r\nsecond" << QStringList{"first", "second"};
    QTest::newRow("cr and lf") << "a\rb\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("trailing newline") << "ends\n" << QStringList{"ends"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only breaks") << "\r\n\n\r" << QStringList{};
    QTest::newRow("spaces kept") << "  indented " << QStringList{"  indented "};
    QTest::newRow("blank pieces dropped") << " \t\r\nkept\n  " << QStringList{"kept"};
}

void TestAppLog::lineFormat()
{
    QFETCH(QString, message);
    QFETCH(QStringList, pieces);

    _AppLog log;
    log.WriteLogLine(QStringLiteral("before"));
    const QStringList initial = paragraphs(log.getLogDocument());
    QCOMPARE(initial.size(), 2);
    QCOMPARE(initial.first(), QString());

    log.WriteLogLine(message);
    const QStringList after = paragraphs(log.getLogDocument());
    QCOMPARE(after.mid(0, 2), initial);
    const QStringList added = after.mid(2);
    QCOMPARE(added.size(), pieces.size());

    const QRegularExpression format(QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d) (.*)$"),
                                    QRegularExpression::DotMatchesEverythingOption);
    QString stamp;
    for (int i = 0; i < added.size(); ++i) {
        const QRegularExpressionMatch match = format.match(added.at(i));
        QVERIFY2(match.hasMatch(), qPrintable(added.at(i)));
        QCOMPARE(match.captured(2), pieces.at(i));
        QVERIFY(QTime::fromString(match.captured(1), QStringLiteral("hh:mm:ss")).isValid());
        if (i == 0)
            stamp = match.captured(1);
        QCOMPARE(match.captured(1), stamp);
    }
}

void TestAppLog::blockLimit()
{
    _AppLog log;
    for (int i = 0; i < 2100; ++i)
        log.WriteLogLine(QStringLiteral("line %1").arg(i));
    const QStringList list = paragraphs(log.getLogDocument());
    QCOMPARE(list.size(), 2000);
    QVERIFY2(list.first().endsWith(QLatin1String(" line 100")), qPrintable(list.first()));
    QVERIFY2(list.last().endsWith(QLatin1String(" line 2099")), qPrintable(list.last()));
}

void TestAppLog::repeatsFolded_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("three in a row") << QStringList{"a", "x", "x", "x"}
                                    << QStringList{"T a", "T x (3 times, last at T)"};
    QTest::newRow("interrupted repeat starts over")
        << QStringList{"x", "x", "y", "x"} << QStringList{"T x (2 times, last at T)", "T y", "T x"};
    QTest::newRow("pieces of one message fold too")
        << QStringList{"x\nx\ny"} << QStringList{"T x (2 times, last at T)", "T y"};
    QTest::newRow("blank lines between repeats do not count")
        << QStringList{"x", "  ", "x"} << QStringList{"T x (2 times, last at T)"};
    QTest::newRow("a line only looking like the count is no repeat")
        << QStringList{"x", "x", "x (2 times"} << QStringList{"T x (2 times, last at T)", "T x (2 times"};
}

void TestAppLog::repeatsFolded()
{
    QFETCH(QStringList, messages);
    QFETCH(QStringList, shown);
    _AppLog log;
    for (const QString &message : messages)
        log.WriteLogLine(message);
    QStringList list = paragraphs(log.getLogDocument());
    QCOMPARE(list.takeFirst(), QString());
    std::transform(list.begin(), list.end(), list.begin(), withoutStamps);
    QCOMPARE(list, shown);
}

void TestAppLog::saveLoadRoundTrip()
{
    _AppLog writer;
    writer.WriteLogLine(QStringLiteral("Temperature 25 \u00b0C, energy 12 \u00b5J, Gr\u00fc\u00dfe"));
    writer.WriteLogLine(QStringLiteral("Resistance 5 \u03a9"));
    writer.WriteLogLine(QStringLiteral("last"));
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    writer.SaveLog();
    QVERIFY(QFile::exists(writer.getLogFilePath()));

    QFile file(writer.getLogFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("25 \xb0"
                           "C"));
    QVERIFY(bytes.contains("12 \xb5J"));

    _AppLog reader;
    reader.WriteLogLine(QStringLiteral("replaced by the load"));
    reader.LoadLog();
    QString expected = writer.getLogDocument()->toPlainText();
    expected.replace(QChar(0x03a9), QLatin1Char('?'));
    QCOMPARE(reader.getLogDocument()->toPlainText(), expected);
    QVERIFY(paragraphs(reader.getLogDocument()).at(1).endsWith(QStringLiteral("Gr\u00fc\u00dfe")));
}

void TestAppLog::loadStopsAtNul()
{
    _AppLog log;
    QVERIFY(QDir().mkpath(QFileInfo(log.getLogFilePath()).absolutePath()));
    QFile file(log.getLogFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("\n10:00:00 kept\n10:00:01 cut", 27) + QByteArray(1, '\0') + "garbage after");
    file.close();
    log.LoadLog();
    QCOMPARE(paragraphs(log.getLogDocument()), QStringList({"", "10:00:00 kept", "10:00:01 cut"}));
}

void TestAppLog::loadMissingFileKeepsDocument()
{
    _AppLog log;
    QFile::remove(log.getLogFilePath());
    log.WriteLogLine(QStringLiteral("still here"));
    const QString before = log.getLogDocument()->toPlainText();
    log.LoadLog();
    QCOMPARE(log.getLogDocument()->toPlainText(), before);
}

void TestAppLog::loadKeepsNewestBlocks()
{
    _AppLog log;
    QVERIFY(QDir().mkpath(QFileInfo(log.getLogFilePath()).absolutePath()));
    QFile file(log.getLogFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    for (int i = 0; i < 2500; ++i)
        file.write(QStringLiteral("\n09:00:00 old %1").arg(i).toLatin1());
    file.close();
    log.LoadLog();
    const QStringList list = paragraphs(log.getLogDocument());
    QCOMPARE(list.size(), 2000);
    QCOMPARE(list.last(), QStringLiteral("09:00:00 old 2499"));
    QCOMPARE(list.first(), QStringLiteral("09:00:00 old 500"));
}

void TestAppLog::saveReplacesWholeFile()
{
    _AppLog log;
    const QString path = log.getLogFilePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write(QByteArray(10000, 'x'));
    old.close();

    log.WriteLogLine(QStringLiteral("short"));
    log.SaveLog();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLatin1(saved.readAll()), log.getLogDocument()->toPlainText());
    // No temporary file is left next to the log.
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{log.getLogFilename()});
}

void TestAppLog::clearConfirmation_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("enter declines") << "enter" << false;
    QTest::newRow("no") << "no" << false;
    QTest::newRow("yes") << "yes" << true;
}

void TestAppLog::clearConfirmation()
{
    QFETCH(QString, answer);
    QFETCH(bool, cleared);

    _AppLog log;
    log.WriteLogLine(QStringLiteral("keep me"));
    QWidget parent;
    QString question;
    ModalAnswer responder([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        question = box->text();
        QCOMPARE(box->parentWidget(), &parent);
        if (answer == QLatin1String("enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->button(answer == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    log.ClearLogLines(&parent);
    QCOMPARE(responder.count, 1);
    QCOMPARE(question, QStringLiteral("Clear all log data?"));
    QCOMPARE(log.getLogDocument()->toPlainText().contains(QLatin1String("keep me")), !cleared);
    if (cleared)
        QVERIFY(log.getLogDocument()->isEmpty());
}

void TestAppLog::saveLogLinesToChosenFile()
{
    _AppLog log;
    log.WriteLogLine(QStringLiteral("saved \u00e9v\u00e9nement"));
    QTemporaryDir target;
    QVERIFY(target.isValid());
    const QString chosen = target.filePath(QStringLiteral("run.log"));

    QString caption;
    {
        ModalAnswer responder([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            caption = dialog->windowTitle();
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(chosen);
            static_cast<QDialog *>(dialog)->accept();
        });
        log.SaveLogLines();
        QCOMPARE(responder.count, 1);
    }
    QCOMPARE(caption, QStringLiteral("Save application log file"));

    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLatin1(file.readAll()), log.getLogDocument()->toPlainText());

    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zorvane"),
                       QStringLiteral("LUMETRA-QZ"));
    QVERIFY(settings.fileName().startsWith(home.path()));
    QCOMPARE(settings.value(QStringLiteral("Application/AppLogPath")).toString(), chosen);

    // The next dialog starts where the last one left off; cancelling writes nothing.
    QString startFolder;
    ModalAnswer canceller([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal))
            startFolder = dialog->directory().absolutePath();
        modal->close();
    });
    QVERIFY(QFile::remove(chosen));
    log.SaveLogLines();
    QCOMPARE(canceller.count, 1);
    QCOMPARE(startFolder, QDir(target.path()).absolutePath());
    QVERIFY(!QFile::exists(chosen));
}

void TestAppLog::saveLogLinesMissingFolder_data()
{
    QTest::addColumn<bool>("create");
    QTest::newRow("ok creates the folder") << true;
    QTest::newRow("cancel writes nothing") << false;
}

void TestAppLog::saveLogLinesMissingFolder()
{
    QFETCH(bool, create);

    _AppLog log;
    log.WriteLogLine(QStringLiteral("into a new folder"));
    QTemporaryDir target;
    QVERIFY(target.isValid());
    const QString folder = target.filePath(QStringLiteral("new/deeper"));
    const QString chosen = folder + QStringLiteral("/app.txt");

    QString warning;
    ModalAnswer responder([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(chosen);
            static_cast<QDialog *>(dialog)->accept();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            warning = box->windowTitle() + QLatin1Char('|') + box->text();
            box->button(create ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        } else {
            modal->close();
        }
    });
    log.SaveLogLines(nullptr);
    QCOMPARE(responder.count, 2);

    QCOMPARE(warning, QStringLiteral("Warning|The directory \"%1\" does not exist.\nShould we create it?")
                          .arg(QFileInfo(chosen).absolutePath()));
    QCOMPARE(QFile::exists(chosen), create);
    QCOMPARE(QDir(folder).exists(), create);
}

void TestAppLog::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<bool>("chosenFile");
    QTest::addColumn<bool>("realDisk");
    QTest::newRow("shutdown save, write refused") << false << false;
    QTest::newRow("shutdown save, full file system") << false << true;
    QTest::newRow("menu save, write refused") << true << false;
    QTest::newRow("menu save, full file system") << true << true;
}

void TestAppLog::fullDiskKeepsOldFile()
{
    QFETCH(bool, chosenFile);
    QFETCH(bool, realDisk);
    if (realDisk && geteuid() != 0)
        QSKIP("mounting a small file system needs root");

    QTemporaryDir target;
    QVERIFY(target.isValid());
    _AppLog log;
    const QString folder =
        chosenFile ? target.filePath(QStringLiteral("disk")) : QFileInfo(log.getLogFilePath()).absolutePath();
    const QString path = chosenFile ? folder + QStringLiteral("/kept.log") : log.getLogFilePath();
    QVERIFY(QDir().mkpath(folder));
    QFile::remove(path);

    std::unique_ptr<FullDisk> disk;
    if (realDisk) {
        disk.reset(new FullDisk(folder));
        if (!disk->mounted)
            QSKIP("this system refuses to mount a small file system");
    }
    const QByteArray earlier("\n09:00:00 earlier run\n");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write(earlier), qint64(earlier.size()));
    }
    for (int i = 0; i < 100; ++i)
        log.WriteLogLine(QStringLiteral("line %1 of a session that does not fit").arg(i));

    QStringList messages;
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (realDisk)
            disk->fill();
        else
            limit.reset(new FileSizeLimit(512));
        QVERIFY(realDisk || limit->active);
        if (chosenFile) {
            QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zorvane"),
                               QStringLiteral("LUMETRA-QZ"));
            settings.setValue(QStringLiteral("Application/AppLogPath"), path);
            settings.sync();
            ModalAnswer responder([&](QWidget *modal) {
                if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                    // Past the dialog's own "replace it?" question: replacing is what is being tried.
                    dialog->selectFile(path);
                    static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
                } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                    messages << box->windowTitle() + QLatin1Char('|') + box->text();
                    box->button(QMessageBox::Ok)->click();
                } else {
                    modal->close();
                }
            });
            log.SaveLogLines(nullptr);
        } else {
            QVERIFY(!log.SaveLog());
        }
    }
    if (chosenFile)
        QCOMPARE(messages, QStringList{"Warning|Saving application log, failed!"});

    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), earlier);
    QStringList left = QDir(folder).entryList(QDir::Files);
    left.removeAll(QStringLiteral("filler"));
    QCOMPARE(left, QStringList{QFileInfo(path).fileName()});
}

void TestAppLog::keptOnDiskWhileRunning()
{
    _AppLog probe;
    const QString path = probe.getLogFilePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    {
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        earlier.write("\n09:00:00 earlier run");
    }

    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(APPLOG_WRITER),
                 {QStringLiteral("first event"), QStringLiteral("second event")});
    QVERIFY(writer.waitForStarted());
    QVERIFY(writer.waitForReadyRead(30000));
    QCOMPARE(writer.readLine().trimmed(), QByteArray("written"));

    // The program keeps running; its lines must reach the file without waiting for it to end.
    const auto onDisk = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(onDisk().contains(QLatin1String(" second event")), 30000);
    QCOMPARE(writer.state(), QProcess::Running);
    writer.kill();
    QVERIFY(writer.waitForFinished());

    const QStringList lines = onDisk().split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 2), QStringList({"", "09:00:00 earlier run"}));
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(2).endsWith(QLatin1String(" first event")));
    QVERIFY(lines.at(3).endsWith(QLatin1String(" second event")));
}

QTEST_MAIN(TestAppLog)
#include "tst_applog.moc"
