#include "ShellTestMain.h"
#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void licencePlaceholders_data();
    void licencePlaceholders();
    void builtInLicenceFullyReplaced();
    void licenceInTheLanguage_data();
    void licenceInTheLanguage();
    void labelsOfABuild();
    void webLinkOpensInBrowser();
    void modalRunEnds_data();
    void modalRunEnds();
};

void TestAboutDialog::init()
{
    qApp->setProperty("BUILDDATE", QStringLiteral("2021-02-18"));
    qApp->setProperty("BUILDTIME", QStringLiteral("11:42:49"));
}

void TestAboutDialog::licencePlaceholders_data()
{
    QTest::addColumn<QByteArray>("resource");
    QTest::addColumn<QString>("shown");

    QTest::newRow("every occurrence")
        << QByteArray("[COMPANYNAMESTR] [PRODUCTNAME] [COMPANYNAMESTR][PRODUCTNAME]")
        << "Zorvane Vandrel LUMETRA QZ laser control software "
           "ZorvaneVandrel LUMETRA QZ laser control software";
    QTest::newRow("case-sensitive") << QByteArray("[companynamestr] [ProductName]")
                                    << "[companynamestr] [ProductName]";
    QTest::newRow("text ends at NUL") << QByteArray("A [PRODUCTNAME]\0[COMPANYNAMESTR]", 32)
                                      << "A Vandrel LUMETRA QZ laser control software";
    QTest::newRow("no placeholders") << QByteArray("<p>plain</p>") << "<p>plain</p>";
}

void TestAboutDialog::licencePlaceholders()
{
    QFETCH(QByteArray, resource);
    QFETCH(QString, shown);
    QCOMPARE(AboutDialog::licenceText(resource), shown);
}

void TestAboutDialog::builtInLicenceFullyReplaced()
{
    QFile resource(QStringLiteral(":/Application/EULA.html"));
    QVERIFY(resource.open(QIODevice::ReadOnly));
    const QByteArray raw = resource.readAll();
    // Both placeholders must be in the wording, or the replacement would be untested by the real text.
    QVERIFY(raw.count("[COMPANYNAMESTR]") >= 2);
    QVERIFY(raw.count("[PRODUCTNAME]") >= 2);

    AboutDialog dialog;
    const QString shown = dialog.findChild<QTextBrowser *>()->toPlainText();
    QVERIFY(!shown.contains(QLatin1String("[COMPANYNAMESTR]")));
    QVERIFY(!shown.contains(QLatin1String("[PRODUCTNAME]")));
    QVERIFY(shown.contains(QLatin1String("Zorvane")));
    QCOMPARE(shown.count(QLatin1String("Vandrel LUMETRA QZ laser control software")),
             raw.count("[PRODUCTNAME]"));
}

void TestAboutDialog::licenceInTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("heading");
    QTest::newRow("German") << "de_DE"
                            << "Endbenutzer-Lizenzvertrag";
    QTest::newRow("English") << "en_GB"
                             << "End-User Licence Agreement";
    QTest::newRow("no licence of its own") << "fr_FR"
                                           << "End-User Licence Agreement";
}

void TestAboutDialog::licenceInTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, heading);
    const QLocale before;
    QLocale::setDefault(QLocale(language));
    AboutDialog dialog;
    QLocale::setDefault(before);
    const QString shown = dialog.findChild<QTextBrowser *>()->toPlainText();
    QVERIFY2(shown.startsWith(heading), qPrintable(shown.left(60)));
    QVERIFY(!shown.contains(QLatin1Char('[')));
}

void TestAboutDialog::labelsOfABuild()
{
    AboutDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About LUMETRA-QZ"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelVersion"))->text(),
             QStringLiteral("Vandrel LUMETRA QZ laser control software - Version 1.0.25.680"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelBuild"))->text(),
             QStringLiteral("Build - 2021-02-18 at 11:42:49"));
    const QString notice = dialog.findChild<QLabel *>(QStringLiteral("labelNotice"))->text();
    QVERIFY2(notice.contains(QLatin1String("2021")) && notice.contains(QLatin1String("Zorvane")),
             qPrintable(notice));
    QVERIFY(dialog.windowFlags().testFlag(Qt::Tool));
    QVERIFY(dialog.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QLabel *logo = dialog.findChild<QLabel *>(QStringLiteral("labelLogo"));
    QVERIFY(logo && !logo->pixmap(Qt::ReturnByValue).isNull());
}

void TestAboutDialog::webLinkOpensInBrowser()
{
    AboutDialog dialog;
    QLabel *web = dialog.findChild<QLabel *>(QStringLiteral("labelWeb"));
    QVERIFY(web->text().contains(QLatin1String("For updates visit ")));
    QVERIFY(web->text().contains(QLatin1String("href=\"https://www.zorvane.example\"")));
    QVERIFY(web->text().contains(QLatin1String(">www.zorvane.example<")));
    QVERIFY(web->openExternalLinks());
    QVERIFY(web->textInteractionFlags().testFlag(Qt::LinksAccessibleByKeyboard));
    QVERIFY(web->textInteractionFlags().testFlag(Qt::LinksAccessibleByMouse));
    QVERIFY(web->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
}

void TestAboutDialog::modalRunEnds_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("OK button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close button") << 2;
}

void TestAboutDialog::modalRunEnds()
{
    QFETCH(int, how);
    AboutDialog dialog;
    bool closedByTimer = false;
    QTimer::singleShot(0, &dialog, [&] {
        QVERIFY(dialog.isVisible());
        switch (how) {
        case 0:
            dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            break;
        case 1:
            QTest::keyClick(&dialog, Qt::Key_Escape);
            break;
        default:
            dialog.close();
        }
        closedByTimer = true;
    });
    // A fail-safe so that a dialog that ignores the request ends the test instead of hanging it.
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(99); });
    const int result = dialog.exec();
    QVERIFY(closedByTimer);
    QVERIFY(result != 99);
    QCOMPARE(result, how == 0 ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

SHELL_TEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
