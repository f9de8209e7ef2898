#include "ShellTestMain.h"
#include "app/SerialMonitor.h"

#include <QAction>
#include <QDockWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTextBlock>
#include <QToolButton>

class TestSerialMonitor : public QObject
{
    Q_OBJECT

private:
    static QPlainTextEdit *view(SerialMonitor &monitor)
    {
        return monitor.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
    }
    static void setOption(SerialMonitor &monitor, const char *name, bool on)
    {
        QAction *action = monitor.findChild<QAction *>(QLatin1String(name));
        QVERIFY2(action, name);
        action->setChecked(on);
    }
    static QStringList shownLines(SerialMonitor &monitor)
    {
        return view(monitor)->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    struct Transfer
    {
        QString label;
        QString tag;
        QByteArray bytes;
    };
    // A mix of traffic as the link delivers it: commands, answers, markup and a NUL among them.
    static QVector<Transfer> trafficMix(int from, int count)
    {
        QVector<Transfer> mix;
        for (int i = from; i < from + count; ++i) {
            const QString label = QStringLiteral("ttyS0%1%2-%3")
                                      .arg(i % 5 ? ':' : '_')
                                      .arg(i / 1000 % 60, 2, 10, QLatin1Char('0'))
                                      .arg(i % 1000, 3, 10, QLatin1Char('0'));
            if (i % 3 == 0)
                mix.append({label, QStringLiteral("TX:"), "s6\n"});
            else
                mix.append({label, QStringLiteral("RX:"),
                            QByteArray("ZOR <S6> ") + QByteArray::number(i) +
                                (i % 7 ? QByteArray("\r") : QByteArray("\0x", 2))});
        }
        return mix;
    }
    static void feed(SerialMonitor &monitor, const QVector<Transfer> &transfers)
    {
        for (const Transfer &transfer : transfers) {
            if (transfer.tag == QLatin1String("TX:"))
                monitor.slotBytesTransmitted(transfer.label, transfer.bytes);
            else
                monitor.slotBytesReceived(transfer.label, transfer.bytes);
        }
    }

private slots:
    void init();
    void lineFormat_data();
    void lineFormat();
    void shownText_data();
    void shownText();
    void slotsTagDirection();
    void blockLimitDropsOldest();
    void sending_data();
    void sending();
    void clearDoesNotAsk();
    void autoScrollFollowsUnlessScrolledUp();
    void longLinesKeepTheColumn();
    void hiddenThenShownEqualsLive_data();
    void hiddenThenShownEqualsLive();
    void pauseKeepsTheLinesForLater();
    void pollingFilter();
    void hidingKeepsTypedAndWholeAnswers_data();
    void hidingKeepsTypedAndWholeAnswers();
    void resumeReturnsToTheEnd_data();
    void resumeReturnsToTheEnd();
    void transferTime_data();
    void transferTime();
    void stampForms_data();
    void stampForms();
    void linkLabelsAndPortInTitle();
    void commandHistory();
};

void TestSerialMonitor::init()
{
    // Options and history are kept between runs; every case starts from the same look. The cases on the
    // line format read the link's labels as they come; the stamp cases choose their own form.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                       QCoreApplication::applicationName());
    settings.remove(QStringLiteral("SerialMonitor"));
    settings.setValue(QStringLiteral("SerialMonitor/linkLabel"), true);
}

void TestSerialMonitor::lineFormat_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("html");

    const QString prefix = QStringLiteral("<font color=#000000>COM3:07-412: </font>");
    QTest::newRow("received OK")
        << "COM3:07-412"
        << "RX:" << QByteArray("OK")
        << prefix + "<font color=#00aaff>RX:</font> OK <font color=#ff00ff>4Fh 4Bh </font>";
    QTest::newRow("transmitted command") << "COM3:07-412"
                                         << "TX:" << QByteArray("e_freq 3\n")
                                         << prefix + "<font color=#0000ff>TX:</font> e_freq 3\n <font "
                                                     "color=#ff00ff>65h 5Fh 66h 72h 65h 71h 20h 33h 0Ah "
                                                     "</font>";
    QTest::newRow("other tag in red")
        << "COM3:07-412"
        << "ER:" << QByteArray("x")
        << prefix + "<font color=#ff0000>ER:</font> x <font color=#ff00ff>78h </font>";
    QTest::newRow("text stops at NUL, dump does not")
        << "COM3:07-412"
        << "RX:" << QByteArray("AB\0CD", 5)
        << prefix + "<font color=#00aaff>RX:</font> AB <font color=#ff00ff>41h 42h 00h 43h 44h </font>";
    QTest::newRow("markup escaped") << "COM3:07-412"
                                    << "RX:" << QByteArray("<b>&amp;</b>")
                                    << prefix + "<font color=#00aaff>RX:</font> &lt;b&gt;&amp;amp;&lt;/b&gt; "
                                                "<font color=#ff00ff>3Ch 62h 3Eh 26h 61h 6Dh 70h 3Bh 3Ch "
                                                "2Fh 62h 3Eh </font>";
    QTest::newRow("empty chunk") << "COM3:07-412"
                                 << "RX:" << QByteArray()
                                 << prefix + "<font color=#00aaff>RX:</font>  <font color=#ff00ff></font>";
    QTest::newRow("label escaped too") << "COM<3>&:07-412"
                                       << "RX:" << QByteArray("x")
                                       << "<font color=#000000>COM&lt;3&gt;&amp;:07-412: </font><font "
                                          "color=#00aaff>RX:</font> x <font color=#ff00ff>78h </font>";
    QTest::newRow("high bytes as Latin-1, hex keeps leading zero")
        << "P:01-002"
        << "RX:" << QByteArray("\xb5\x07", 2)
        << QString::fromLatin1("<font color=#000000>P:01-002: </font><font color=#00aaff>RX:</font> \xb5\x07 "
                               "<font color=#ff00ff>B5h 07h </font>");
}

void TestSerialMonitor::lineFormat()
{
    QFETCH(QString, label);
    QFETCH(QString, tag);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, html);
    QCOMPARE(SerialMonitor::formatLine(label, tag, bytes), html);
}

void TestSerialMonitor::shownText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("OK") << QByteArray("OK") << "COM3:07-412: RX: OK 4Fh 4Bh ";
    QTest::newRow("markup shows as text")
        << QByteArray("<i>x</i>") << "COM3:07-412: RX: <i>x</i> 3Ch 69h 3Eh 78h 3Ch 2Fh 69h 3Eh ";
    QTest::newRow("CR LF collapse to a space") << QByteArray("A\r\n") << "COM3:07-412: RX: A 41h 0Dh 0Ah ";
}

void TestSerialMonitor::shownText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);

    SerialMonitor monitor;
    monitor.slotBytesReceived(QStringLiteral("COM3:07-412"), bytes);
    monitor.renderPending();
    QTextDocument *document = view(monitor)->document();
    QCOMPARE(document->blockCount(), 1);
    QCOMPARE(document->firstBlock().text(), shown);
}

void TestSerialMonitor::slotsTagDirection()
{
    SerialMonitor monitor;
    monitor.slotBytesTransmitted(QStringLiteral("L1"), QByteArray("ls_humidity?\n"));
    monitor.slotBytesReceived(QStringLiteral("L2"), QByteArray("ZOR SHG\tHumidity=12%\r"));
    monitor.renderPending();
    QTextDocument *document = view(monitor)->document();
    QCOMPARE(document->blockCount(), 2);
    QVERIFY(document->findBlockByNumber(0).text().startsWith(QLatin1String("L1: TX: ls_humidity?")));
    QVERIFY(document->findBlockByNumber(1).text().startsWith(QLatin1String("L2: RX: ZOR SHG")));
    // The colour of each tag is what tells the direction apart at a glance.
    QTextCursor cursor(document->findBlockByNumber(0));
    cursor.setPosition(document->findBlockByNumber(0).position() + 5);
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(0x00, 0x00, 0xff));
    cursor.setPosition(document->findBlockByNumber(1).position() + 5);
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(0x00, 0xaa, 0xff));
}

void TestSerialMonitor::blockLimitDropsOldest()
{
    SerialMonitor monitor;
    for (int i = 0; i < SerialMonitor::maximumLines; ++i)
        monitor.slotBytesReceived(QStringLiteral("L"), QByteArray::number(i));
    monitor.renderPending();
    QTextDocument *document = view(monitor)->document();
    QCOMPARE(document->blockCount(), 2000);
    QVERIFY(document->firstBlock().text().startsWith(QLatin1String("L: RX: 0 ")));

    monitor.slotBytesReceived(QStringLiteral("L"), QByteArray("2000"));
    monitor.renderPending();
    QCOMPARE(document->blockCount(), 2000);
    QVERIFY(document->firstBlock().text().startsWith(QLatin1String("L: RX: 1 ")));
    QVERIFY(document->lastBlock().text().startsWith(QLatin1String("L: RX: 2000 ")));
}

void TestSerialMonitor::sending_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("useEnter");
    QTest::addColumn<QList<QByteArray>>("sent");

    QTest::newRow("button") << "ls_humidity?" << false << QList<QByteArray>{"ls_humidity?\n"};
    QTest::newRow("enter") << "e_freq 2" << true << QList<QByteArray>{"e_freq 2\n"};
    QTest::newRow("empty by button") << "" << false << QList<QByteArray>{};
    QTest::newRow("empty by enter") << "" << true << QList<QByteArray>{};
    QTest::newRow("latin-1 kept") << QStringLiteral("x\u00b5") << true << QList<QByteArray>{"x\xb5\n"};
}

void TestSerialMonitor::sending()
{
    QFETCH(QString, typed);
    QFETCH(bool, useEnter);
    QFETCH(QList<QByteArray>, sent);

    SerialMonitor monitor;
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    QSignalSpy spy(&monitor, &SerialMonitor::sigSendCommand);
    auto *line = monitor.findChild<QLineEdit *>(QStringLiteral("lineEditCommand"));
    QVERIFY(line);
    line->setText(typed);
    if (useEnter)
        QTest::keyClick(line, Qt::Key_Return);
    else
        QTest::mouseClick(monitor.findChild<QToolButton *>(QStringLiteral("toolButtonSend")), Qt::LeftButton);

    QCOMPARE(spy.count(), sent.size());
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(spy.at(i).at(0).toByteArray(), sent.at(i));
    QVERIFY(line->text().isEmpty());
}

void TestSerialMonitor::clearDoesNotAsk()
{
    SerialMonitor monitor;
    monitor.show();
    monitor.slotBytesReceived(QStringLiteral("L"), QByteArray("one"));
    monitor.slotBytesReceived(QStringLiteral("L"), QByteArray("two"));
    QTest::mouseClick(monitor.findChild<QToolButton *>(QStringLiteral("toolButtonClear")), Qt::LeftButton);
    // A question box would still be open (and the lines still there) if clearing asked first.
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(view(monitor)->toPlainText().isEmpty());
}

void TestSerialMonitor::autoScrollFollowsUnlessScrolledUp()
{
    SerialMonitor monitor;
    monitor.resize(400, 150);
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    QScrollBar *bar = view(monitor)->verticalScrollBar();
    for (int i = 0; i < 100; ++i)
        monitor.slotBytesReceived(QStringLiteral("L"), QByteArray::number(i));
    monitor.renderPending();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(bar->maximum() / 2);
    const int parked = bar->value();
    for (int i = 0; i < 20; ++i)
        monitor.slotBytesReceived(QStringLiteral("L"), QByteArray::number(i));
    monitor.renderPending();
    QCOMPARE(bar->value(), parked);

    bar->setValue(bar->maximum());
    monitor.slotBytesReceived(QStringLiteral("L"), QByteArray("after"));
    monitor.renderPending();
    QCOMPARE(bar->value(), bar->maximum());
}

void TestSerialMonitor::longLinesKeepTheColumn()
{
    SerialMonitor monitor;
    monitor.resize(300, 150);
    // Traffic arrives while the dock is still hidden, then keeps coming while it is shown.
    for (int i = 0; i < 5; ++i)
        monitor.slotBytesReceived(QStringLiteral("COM3:07-412"), QByteArray(80, 'x'));
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    QScrollBar *columns = view(monitor)->horizontalScrollBar();
    QCOMPARE(columns->value(), 0);
    for (int i = 0; i < 50; ++i)
        monitor.slotBytesReceived(QStringLiteral("COM3:07-412"), QByteArray(80, 'x'));
    monitor.renderPending();
    QVERIFY(columns->maximum() > 0);
    QCOMPARE(columns->value(), 0);

    columns->setValue(columns->maximum() / 2);
    const int chosen = columns->value();
    monitor.slotBytesTransmitted(QStringLiteral("COM3:07-413"), QByteArray(90, 'y'));
    monitor.renderPending();
    QCOMPARE(columns->value(), chosen);
}

void TestSerialMonitor::hiddenThenShownEqualsLive_data()
{
    QTest::addColumn<int>("shownBefore");
    QTest::addColumn<int>("whileHidden");
    QTest::newRow("a few lines") << 0 << 10;
    QTest::newRow("hidden lines push shown ones out") << 300 << 1900;
    QTest::newRow("more than the monitor keeps") << 100 << 2500;
    QTest::newRow("exactly the limit") << 0 << 2000;
}

void TestSerialMonitor::hiddenThenShownEqualsLive()
{
    QFETCH(int, shownBefore);
    QFETCH(int, whileHidden);

    // The reference appends every line alone as it arrives, as the monitor always did.
    QPlainTextEdit live;
    live.setMaximumBlockCount(SerialMonitor::maximumLines);
    for (const Transfer &transfer : trafficMix(0, shownBefore + whileHidden))
        live.appendHtml(SerialMonitor::formatLine(transfer.label, transfer.tag, transfer.bytes));

    SerialMonitor monitor;
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    feed(monitor, trafficMix(0, shownBefore));
    monitor.renderPending();
    monitor.hide();
    const QString beforeHiding = view(monitor)->toPlainText();
    feed(monitor, trafficMix(shownBefore, whileHidden));
    QTest::qWait(3 * SerialMonitor::batchIntervalMs);
    // Nothing is laid out while nobody can see it.
    QCOMPARE(view(monitor)->toPlainText(), beforeHiding);

    monitor.show();
    QTextDocument *shown = view(monitor)->document();
    QCOMPARE(shown->blockCount(), live.document()->blockCount());
    QCOMPARE(shown->toPlainText(), live.document()->toPlainText());
    QCOMPARE(shown->toHtml(), live.document()->toHtml());
}

void TestSerialMonitor::pauseKeepsTheLinesForLater()
{
    SerialMonitor monitor;
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    monitor.slotBytesReceived(QStringLiteral("L"), "before");
    monitor.renderPending();
    auto *pause = monitor.findChild<QToolButton *>(QStringLiteral("toolButtonPause"));
    QVERIFY(pause);
    pause->click();
    monitor.slotBytesReceived(QStringLiteral("L"), "during 1");
    monitor.slotBytesTransmitted(QStringLiteral("L"), "during 2");
    monitor.renderPending();
    QCOMPARE(shownLines(monitor), QStringList{"L: RX: before 62h 65h 66h 6Fh 72h 65h "});

    pause->click();
    const QStringList lines = shownLines(monitor);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(1).startsWith(QLatin1String("L: RX: during 1 ")));
    QVERIFY(lines.at(2).startsWith(QLatin1String("L: TX: during 2 ")));
}

void TestSerialMonitor::pollingFilter()
{
    SerialMonitor monitor;
    monitor.slotAddPolledCommand(QStringLiteral("s6\n"));
    monitor.slotAddPolledCommand(QStringLiteral("e_freq?\n"));
    monitor.slotAddPolledCommand(QStringLiteral("ls_status?\n"));
    monitor.slotDelPolledCommand(QStringLiteral("ls_status?\n"));
    const QList<QPair<bool, QByteArray>> exchange{
        {true, "s6\n"},           {false, "s6\r"},         {false, "S6 1 2 3\r"},   {false, "Standby = ok\r"},
        {true, "ls_humidity?\n"}, {false, "ls_humidity?"}, {false, "Humidity=12%"}, {true, "e_freq?\n"},
        {false, "e_freq=3"},      {false, "Unknown: x"},   {true, "ls_status?\n"},  {false, "status 0"},
    };
    for (const auto &transfer : exchange) {
        if (transfer.first)
            monitor.slotBytesTransmitted(QStringLiteral("L"), transfer.second);
        else
            monitor.slotBytesReceived(QStringLiteral("L"), transfer.second);
    }
    const auto texts = [&] {
        monitor.renderPending();
        QStringList list;
        for (const QString &line : shownLines(monitor))
            list << line.section(QLatin1Char(' '), 1, 2).trimmed();
        return list;
    };
    const QStringList all{"TX: s6",           "RX: s6",           "RX: S6",           "RX: Standby",
                          "TX: ls_humidity?", "RX: ls_humidity?", "RX: Humidity=12%", "TX: e_freq?",
                          "RX: e_freq=3",     "RX: Unknown:",     "TX: ls_status?",   "RX: status"};
    QCOMPARE(texts(), all);

    // Other commands and their replies stay in view; a hidden query's answer runs up to the next command.
    setOption(monitor, "actionHidePolling", true);
    QCOMPARE(texts(), QStringList({"TX: ls_humidity?", "RX: ls_humidity?", "RX: Humidity=12%",
                                   "TX: ls_status?", "RX: status"}));
    // Nothing was lost by hiding it.
    setOption(monitor, "actionHidePolling", false);
    QCOMPARE(texts(), all);
}

void TestSerialMonitor::hidingKeepsTypedAndWholeAnswers_data()
{
    // One exchange: ">" the operator types, "T" the link writes, "R" the laser sends.
    QTest::addColumn<QStringList>("exchange");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("two-line answer of a polled query")
        << QStringList{"Te_freq?",
                       "Re_freq?",
                       "RAOM max frequency fields number is: 8",
                       "RFrequency index parameter: 3",
                       "Tly_lqz2_standby",
                       "RStandby = ok"}
        << QStringList{"TX: ly_lqz2_standby", "RX: Standby"};
    QTest::newRow("typed polled query, then polled again")
        << QStringList{">e_freq?",
                       "Te_freq?",
                       "Re_freq?",
                       "RAOM max frequency fields number is: 8",
                       "RFrequency index parameter: 3",
                       "Te_freq?",
                       "Re_freq?",
                       "RAOM max frequency fields number is: 8",
                       "RFrequency index parameter: 3"}
        << QStringList{"TX: e_freq?", "RX: e_freq?", "RX: AOM", "RX: Frequency"};
}

void TestSerialMonitor::hidingKeepsTypedAndWholeAnswers()
{
    QFETCH(QStringList, exchange);
    QFETCH(QStringList, shown);

    SerialMonitor monitor;
    monitor.slotAddPolledCommand(QStringLiteral("e_freq?\n"));
    setOption(monitor, "actionHidePolling", true);
    auto *line = monitor.findChild<QLineEdit *>(QStringLiteral("lineEditCommand"));
    for (const QString &step : qAsConst(exchange)) {
        const QString text = step.mid(1);
        if (step.startsWith(QLatin1Char('>'))) {
            line->setText(text);
            QTest::keyClick(line, Qt::Key_Return);
        } else if (step.startsWith(QLatin1Char('T'))) {
            monitor.slotBytesTransmitted(QStringLiteral("L"), text.toLatin1() + '\n');
        } else {
            monitor.slotBytesReceived(QStringLiteral("L"), text.toLatin1() + '\r');
        }
    }
    monitor.renderPending();
    QStringList texts;
    for (const QString &shownLine : shownLines(monitor))
        texts << shownLine.section(QLatin1Char(' '), 1, 2).trimmed();
    QCOMPARE(texts, shown);
}

void TestSerialMonitor::resumeReturnsToTheEnd_data()
{
    QTest::addColumn<int>("whilePaused");
    QTest::newRow("lines arrived while paused") << 50;
    QTest::newRow("nothing arrived while paused") << 0;
}

void TestSerialMonitor::resumeReturnsToTheEnd()
{
    QFETCH(int, whilePaused);

    SerialMonitor monitor;
    monitor.resize(400, 150);
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    for (int i = 0; i < 100; ++i)
        monitor.slotBytesReceived(QStringLiteral("L"), QByteArray::number(i));
    monitor.renderPending();
    auto *pause = monitor.findChild<QToolButton *>(QStringLiteral("toolButtonPause"));
    pause->click();
    QScrollBar *bar = view(monitor)->verticalScrollBar();
    bar->setValue(0);
    for (int i = 0; i < whilePaused; ++i)
        monitor.slotBytesReceived(QStringLiteral("L"), "paused");
    pause->click();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    // And it keeps following.
    monitor.slotBytesReceived(QStringLiteral("L"), "after");
    monitor.renderPending();
    QCOMPARE(bar->value(), bar->maximum());
}

void TestSerialMonitor::transferTime_data()
{
    QTest::addColumn<QTime>("arrival");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QTime>("time");
    QTest::newRow("same second") << QTime(10, 15, 30, 100) << "ttyS0:30-050" << QTime(10, 15, 30, 50);
    QTest::newRow("arrived in the next minute")
        << QTime(10, 0, 0, 5) << "ttyS0:59-998" << QTime(9, 59, 59, 998);
    QTest::newRow("arrived just after midnight") << QTime(0, 0, 0, 1) << "p_59-999" << QTime(23, 59, 59, 999);
    QTest::newRow("port with a colon") << QTime(8, 1, 2, 0) << "COM:3:01-500" << QTime(8, 1, 1, 500);
}

void TestSerialMonitor::transferTime()
{
    QFETCH(QTime, arrival);
    QFETCH(QString, label);
    QFETCH(QTime, time);
    const SerialMonitor::Label parsed = SerialMonitor::parseLabel(label);
    QVERIFY(parsed.isValid());
    QCOMPARE(SerialMonitor::transferTime(arrival, parsed), time);
}

void TestSerialMonitor::stampForms_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("linkLabel");
    QTest::addColumn<bool>("portInTitle");
    QTest::addColumn<QString>("line");

    const QString rest = QStringLiteral(" RX: OK 4Fh 4Bh $");
    QTest::newRow("time of day and port")
        << "ttyUSB0:07-412" << false << false << "^\\d\\d:\\d\\d:07\\.412 ttyUSB0 >" + rest;
    QTest::newRow("port by its short name")
        << "/dev/ttyUSB0_07-412" << false << false << "^\\d\\d:\\d\\d:07\\.412 ttyUSB0 >" + rest;
    QTest::newRow("port in the title")
        << "ttyUSB0:07-412" << false << true << "^\\d\\d:\\d\\d:07\\.412 >" + rest;
    QTest::newRow("link label") << "ttyUSB0:07-412" << true << false << "^ttyUSB0:07-412:" + rest;
    QTest::newRow("unlabelled") << "no time label" << false << false << "^no time label >" + rest;
}

void TestSerialMonitor::stampForms()
{
    QFETCH(QString, label);
    QFETCH(bool, linkLabel);
    QFETCH(bool, portInTitle);
    QFETCH(QString, line);

    SerialMonitor monitor;
    setOption(monitor, "actionLinkLabel", linkLabel);
    setOption(monitor, "actionPortInTitle", portInTitle);
    monitor.slotBytesReceived(label, "OK");
    monitor.renderPending();
    const QString shown = shownLines(monitor).value(0);
    QVERIFY2(QRegularExpression(line).match(shown).hasMatch(), qPrintable(shown));
}

void TestSerialMonitor::linkLabelsAndPortInTitle()
{
    QDockWidget dock(QStringLiteral("Serial Monitor"));
    auto *monitor = new SerialMonitor;
    dock.setWidget(monitor);
    dock.show();
    monitor->slotBytesReceived(QStringLiteral("ttyS0:07-412"), "OK");
    monitor->renderPending();
    const QString plain = QStringLiteral("ttyS0:07-412: RX: OK 4Fh 4Bh ");
    QCOMPARE(shownLines(*monitor), QStringList{plain});

    setOption(*monitor, "actionPortInTitle", true);
    monitor->slotBytesReceived(QStringLiteral("ttyS0_08-001"), "x");
    monitor->renderPending();
    QStringList lines = shownLines(*monitor);
    QVERIFY2(lines.value(0).startsWith(QLatin1String("07-412: RX: OK")), qPrintable(lines.value(0)));
    QVERIFY2(lines.value(1).startsWith(QLatin1String("_08-001: RX: x")), qPrintable(lines.value(1)));
    QCOMPARE(dock.windowTitle(), QStringLiteral("Serial Monitor - ttyS0"));
    QCOMPARE(dock.toggleViewAction()->text(), QStringLiteral("Serial Monitor"));

    setOption(*monitor, "actionPortInTitle", false);
    QCOMPARE(shownLines(*monitor).value(0), plain);
    QCOMPARE(dock.windowTitle(), QStringLiteral("Serial Monitor"));

    // The choice outlives the monitor.
    SerialMonitor next;
    QVERIFY(!next.findChild<QAction *>(QStringLiteral("actionPortInTitle"))->isChecked());
    setOption(*monitor, "actionHidePolling", true);
    setOption(*monitor, "actionLinkLabel", false);
    SerialMonitor third;
    QVERIFY(third.findChild<QAction *>(QStringLiteral("actionHidePolling"))->isChecked());
    QVERIFY(!third.findChild<QAction *>(QStringLiteral("actionLinkLabel"))->isChecked());
}

void TestSerialMonitor::commandHistory()
{
    auto monitor = std::make_unique<SerialMonitor>();
    monitor->show();
    QVERIFY(QTest::qWaitForWindowExposed(monitor.get()));
    auto *line = monitor->findChild<QLineEdit *>(QStringLiteral("lineEditCommand"));
    for (const char *command : {"a", "b", "b", "c"}) {
        line->setText(QLatin1String(command));
        QTest::keyClick(line, Qt::Key_Return);
    }
    line->setText(QStringLiteral("half typed"));
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(line, key);
        return line->text();
    };
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("c"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("b"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("a"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("a"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("b"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("c"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("half typed"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("half typed"));

    // Kept between runs, and only the newest commands.
    for (int i = 0; i < SerialMonitor::maximumHistory + 10; ++i) {
        line->setText(QStringLiteral("cmd %1").arg(i));
        QTest::keyClick(line, Qt::Key_Return);
    }
    monitor = std::make_unique<SerialMonitor>();
    monitor->show();
    line = monitor->findChild<QLineEdit *>(QStringLiteral("lineEditCommand"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("cmd %1").arg(SerialMonitor::maximumHistory + 9));
    QString oldest;
    for (int i = 0; i < SerialMonitor::maximumHistory + 5; ++i)
        oldest = press(Qt::Key_Up);
    QCOMPARE(oldest, QStringLiteral("cmd 10"));
    QSignalSpy spy(monitor.get(), &SerialMonitor::sigSendCommand);
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("cmd 10\n"));
}

SHELL_TEST_MAIN(TestSerialMonitor)
#include "tst_serialmonitor.moc"
