#include "ShellTestMain.h"
#include "app/ApplicationLog.h"
#include "framekit/_AppLog.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>

class TestApplicationLog : public QObject
{
    Q_OBJECT

private:
    static QPlainTextEdit *view(ApplicationLog &log)
    {
        return log.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
    }
    static void writeLines(int count, const QString &text)
    {
        for (int i = 0; i < count; ++i)
            _AppLog::instance()->WriteLogLine(text.arg(i));
    }

private slots:
    void init();
    void showsTheStoreDocumentReadOnly();
    void newLineScrollsIntoView();
    void scrolledUpStaysUntilBackAtBottom();
    void showingAgainShowsNewest();
    void longLinesWrap();
    void clear_data();
    void clear();
};

void TestApplicationLog::init()
{
    _AppLog::instance()->getLogDocument()->clear();
}

void TestApplicationLog::showsTheStoreDocumentReadOnly()
{
    ApplicationLog log;
    QPlainTextEdit *text = view(log);
    QCOMPARE(text->document(), _AppLog::instance()->getLogDocument());
    QVERIFY(text->isReadOnly());
    _AppLog::instance()->WriteLogLine(QStringLiteral("port opened"));
    QVERIFY(text->toPlainText().endsWith(QLatin1String(" port opened")));
    for (const char *name : {"toolButtonClear", "toolButtonSave", "toolButtonPrint"}) {
        QToolButton *button = log.findChild<QToolButton *>(QLatin1String(name));
        QVERIFY2(button && !button->icon().isNull(), name);
        QCOMPARE(button->iconSize(), QSize(16, 16));
    }
}

void TestApplicationLog::newLineScrollsIntoView()
{
    ApplicationLog log;
    log.resize(300, 120);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    QScrollBar *bar = view(log)->verticalScrollBar();
    writeLines(60, QStringLiteral("line %1"));
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestApplicationLog::scrolledUpStaysUntilBackAtBottom()
{
    ApplicationLog log;
    log.resize(300, 120);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    QScrollBar *bar = view(log)->verticalScrollBar();
    writeLines(60, QStringLiteral("line %1"));

    bar->setValue(3);
    writeLines(10, QStringLiteral("more %1"));
    QCOMPARE(bar->value(), 3);

    bar->setValue(bar->maximum());
    writeLines(10, QStringLiteral("again %1"));
    QCOMPARE(bar->value(), bar->maximum());
}

void TestApplicationLog::showingAgainShowsNewest()
{
    ApplicationLog log;
    log.resize(300, 120);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    writeLines(30, QStringLiteral("line %1"));
    log.hide();
    writeLines(60, QStringLiteral("while hidden %1"));
    log.show();
    QScrollBar *bar = view(log)->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(view(log)
                ->cursorForPosition(QPoint(5, view(log)->viewport()->height() - 5))
                .block()
                .text()
                .contains(QLatin1String("while hidden 5")));
}

void TestApplicationLog::longLinesWrap()
{
    ApplicationLog log;
    log.resize(250, 200);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    _AppLog::instance()->WriteLogLine(QStringLiteral("Communication port ttyUSB0 open failed. Reason: ") +
                                      QString(120, QLatin1Char('x')));
    // All of it is on screen: no sideways scrolling, the paragraph folds over several lines instead.
    QCOMPARE(view(log)->horizontalScrollBar()->maximum(), 0);
    QVERIFY(_AppLog::instance()->getLogDocument()->lastBlock().layout()->lineCount() > 2);
}

void TestApplicationLog::clear_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("declined") << int(QMessageBox::No) << false;
    QTest::newRow("confirmed") << int(QMessageBox::Yes) << true;
}

void TestApplicationLog::clear()
{
    QFETCH(int, answer);
    QFETCH(bool, cleared);
    ApplicationLog log;
    log.show();
    writeLines(5, QStringLiteral("keep %1"));
    QString question;
    QTimer::singleShot(0, &log, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        question = box->text();
        box->button(QMessageBox::StandardButton(answer))->click();
    });
    QTest::mouseClick(log.findChild<QToolButton *>(QStringLiteral("toolButtonClear")), Qt::LeftButton);
    QCOMPARE(question, QStringLiteral("Clear all log data?"));
    QCOMPARE(view(log)->toPlainText().contains(QLatin1String("keep 4")), !cleared);
}

SHELL_TEST_MAIN(TestApplicationLog)
#include "tst_applicationlog.moc"
