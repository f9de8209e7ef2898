#include "ShellTestMain.h"
#include "app/SerialMonitor.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
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

private slots:
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
};

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
    QTextDocument *document = view(monitor)->document();
    QCOMPARE(document->blockCount(), 1);
    QCOMPARE(document->firstBlock().text(), shown);
}

void TestSerialMonitor::slotsTagDirection()
{
    SerialMonitor monitor;
    monitor.slotBytesTransmitted(QStringLiteral("L1"), QByteArray("ls_humidity?\n"));
    monitor.slotBytesReceived(QStringLiteral("L2"), QByteArray("ZOR SHG\tHumidity=12%\r"));
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
    QTextDocument *document = view(monitor)->document();
    QCOMPARE(document->blockCount(), 2000);
    QVERIFY(document->firstBlock().text().startsWith(QLatin1String("L: RX: 0 ")));

    monitor.slotBytesReceived(QStringLiteral("L"), QByteArray("2000"));
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
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(bar->maximum() / 2);
    const int parked = bar->value();
    for (int i = 0; i < 20; ++i)
        monitor.slotBytesReceived(QStringLiteral("L"), QByteArray::number(i));
    QCOMPARE(bar->value(), parked);

    bar->setValue(bar->maximum());
    monitor.slotBytesReceived(QStringLiteral("L"), QByteArray("after"));
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
    QVERIFY(columns->maximum() > 0);
    QCOMPARE(columns->value(), 0);

    columns->setValue(columns->maximum() / 2);
    const int chosen = columns->value();
    monitor.slotBytesTransmitted(QStringLiteral("COM3:07-413"), QByteArray(90, 'y'));
    QCOMPARE(columns->value(), chosen);
}

SHELL_TEST_MAIN(TestSerialMonitor)
#include "tst_serialmonitor.moc"
