#include "device/LumetraQuantityTable.h"
#include "remote/LumetraScpiHeader.h"
#include "remote/LumetraScpiTree.h"

#include <QTest>

// The command tree made from the quantity table: every quantity reachable, every header one node's.
class tst_LumetraScpiTree : public QObject
{
    Q_OBJECT

private slots:
    void mnemonicRule_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("mnemonic");
        QTest::newRow("fourth letter a consonant") << "Temperature"
                                                   << "TEMPerature";
        QTest::newRow("fourth letter a vowel") << "Humidity"
                                               << "HUMidity";
        QTest::newRow("short word") << "Spot"
                                    << "SPOT";
        QTest::newRow("acronym") << "IR"
                                 << "IR";
        QTest::newRow("number kept on both forms") << "Oven1"
                                                   << "OVEN1";
        QTest::newRow("long word with a number") << "Temperature10"
                                                 << "TEMPerature10";
    }
    void mnemonicRule()
    {
        QFETCH(QString, word);
        QFETCH(QString, mnemonic);
        QCOMPARE(LumetraScpiTree::mnemonic(word), mnemonic);
    }

    void everyQuantityHasOneNode()
    {
        QStringList keys;
        for (const auto &node : LumetraScpiTree::nodes())
            keys << node.key;
        for (int id = 0; id < LumetraQuantityTable::count(); ++id)
            QCOMPARE(keys.count(QString::fromLatin1(LumetraQuantityTable::row(id).key)), 1);
    }

    // Whatever form a script writes a header in, it reaches one node only.
    void noHeaderReachesTwoNodes()
    {
        const auto &nodes = LumetraScpiTree::nodes();
        for (const auto &a : nodes) {
            const LumetraScpiHeader header(a.header);
            for (const QString &form : {header.shortForm(), header.longForm()}) {
                int reached = 0;
                for (const auto &b : nodes)
                    reached += LumetraScpiHeader(b.header).matches(form.split(':')) ? 1 : 0;
                QVERIFY2(reached == 1,
                         qPrintable(QStringLiteral("%1 reaches %2 nodes").arg(form).arg(reached)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_LumetraScpiTree)
#include "tst_LumetraScpiTree.moc"
