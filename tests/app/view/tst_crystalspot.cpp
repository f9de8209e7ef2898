#include "app/view/LumetraProgressTicker.h"
#include "app/view/LumetraRuntimeTable.h"
#include "app/view/LumetraSpotChangeDialog.h"
#include "dialkit/Button.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestCrystalSpot : public QObject
{
    Q_OBJECT
private:
    static void tick(LumetraProgressTicker &ticker)
    {
        QVERIFY(QMetaObject::invokeMethod(&ticker, "slotTickHandler"));
    }
    static QStringList gridTexts(QWidget &table)
    {
        QStringList texts;
        for (QLabel *label : table.findChildren<QLabel *>()) {
            texts << label->text();
        }
        return texts;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void tickerStartsEmpty()
    {
        LumetraProgressTicker ticker;
        QCOMPARE(ticker.minimum(), 0);
        QCOMPARE(ticker.maximum(), 1);
        QCOMPARE(ticker.value(), 0);
        QVERIFY(!ticker.isTextVisible());
        QCOMPARE(ticker.property("flat").toBool(), true);
        QVERIFY(!ticker.isTicking());
    }

    void tickerFillsOneStepPerTick()
    {
        LumetraProgressTicker ticker;
        QSignalSpy elapsed(&ticker, &LumetraProgressTicker::sigTimeElapsed);
        ticker.startTicker(20);
        QCOMPARE(ticker.maximum(), 20);
        QCOMPARE(ticker.value(), 1);
        QVERIFY(ticker.isTicking());
        const auto timer = ticker.findChild<QTimer *>();
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(!timer->isSingleShot());
        for (int step = 2; step < 20; ++step) {
            tick(ticker);
            QCOMPARE(ticker.value(), step);
        }
        QCOMPARE(elapsed.count(), 0);
        tick(ticker);
        QCOMPARE(ticker.value(), 20);
        QCOMPARE(elapsed.count(), 1);
        QVERIFY(!ticker.isTicking());
        tick(ticker);
        QCOMPARE(ticker.value(), 20);
        QCOMPARE(elapsed.count(), 1);
    }

    void tickerRestartsFromOne()
    {
        LumetraProgressTicker ticker;
        ticker.startTicker(30);
        tick(ticker);
        tick(ticker);
        QCOMPARE(ticker.value(), 3);
        ticker.stopTicker();
        QVERIFY(!ticker.isTicking());
        ticker.startTicker(10);
        QCOMPARE(ticker.value(), 1);
        QCOMPARE(ticker.maximum(), 10);
        QVERIFY(ticker.isTicking());
    }

    void spotWindowClosesWhenTimeRunsOut()
    {
        QWidget parent;
        parent.show();
        LumetraSpotChangeDialog dialog(&parent);
        dialog.showMove(10);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.isModal());
        QCOMPARE(dialog.ticker()->maximum(), 10);
        for (int i = 0; i < 9; ++i) {
            tick(*dialog.ticker());
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void spotWindowCancelStopsTheBar()
    {
        QWidget parent;
        parent.show();
        LumetraSpotChangeDialog dialog(&parent);
        dialog.showMove(20);
        QList<Button *> buttons;
        for (Button *button : dialog.findChildren<Button *>()) {
            if (button->isVisible()) {
                buttons << button;
            }
        }
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->text(), QString("Cancel"));
        QTest::mouseClick(buttons.first(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.ticker()->isTicking());
        QStringList texts;
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            texts << label->text();
        }
        QVERIFY(texts.contains("** Attention **"));
        QVERIFY(texts.contains("The current spot is changing, please wait"));
    }

    void runtimeTable_data()
    {
        QTest::addColumn<quint64>("runtime");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << "0 hours 0 minutes";
        QTest::newRow("59 s") << quint64(59) << "0 hours 0 minutes";
        QTest::newRow("one hour") << quint64(3600) << "1 hours 0 minutes";
        QTest::newRow("just under two hours") << quint64(7199) << "1 hours 59 minutes";
        QTest::newRow("large") << quint64(3600) * 100000 + 61 << "100000 hours 1 minutes";
    }

    void runtimeTable()
    {
        QFETCH(quint64, runtime);
        QFETCH(QString, text);
        QMap<int, quint64> runtimes{{3, runtime}, {1, 60}};
        LumetraRuntimeTable table(runtimes, 7199);
        auto *grid = table.findChild<QGridLayout *>();
        QVERIFY(grid);
        QCOMPARE(grid->rowCount(), 3);
        auto cell = [grid](int row, int column) {
            return qobject_cast<QLabel *>(grid->itemAtPosition(row, column)->widget())->text();
        };
        QCOMPARE(cell(0, 0), QString("Spot"));
        QCOMPARE(cell(0, 1), QString("Current runtime"));
        QCOMPARE(cell(0, 2), QString("Maximum runtime"));
        // Ascending spot order whatever order the map was filled in.
        QCOMPARE(cell(1, 0), QString("1"));
        QCOMPARE(cell(1, 1), QString("0 hours 1 minutes"));
        QCOMPARE(cell(2, 0), QString("3"));
        QCOMPARE(cell(2, 1), text);
        QCOMPARE(cell(1, 2), QString("1 hours 59 minutes"));
        QCOMPARE(cell(2, 2), QString("1 hours 59 minutes"));
        QCOMPARE(grid->itemAtPosition(0, 0)->widget()->property("type").toString(), QString("label-header"));
    }

    void emptyRuntimeTableHasOnlyItsHeader()
    {
        LumetraRuntimeTable table({}, 0);
        auto *grid = table.findChild<QGridLayout *>();
        QVERIFY(grid);
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(gridTexts(table).size(), 3);
    }
};

QTEST_MAIN(TestCrystalSpot)
#include "tst_crystalspot.moc"
