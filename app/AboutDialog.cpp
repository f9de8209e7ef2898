#include "app/AboutDialog.h"

#include "ui_AboutDialog.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcAboutDialog, "lumetra.app.about")

const char *const AboutDialog::productLine = "Vandrel LUMETRA QZ laser control software";
const char *const AboutDialog::companyName = "Zorvane";
const char *const AboutDialog::licenceResource = ":/Application/EULA.html";
const char *const AboutDialog::webAddress = "www.zorvane.example";

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint);

    setWindowTitle(tr("About %1").arg(QCoreApplication::applicationName()));
    ui->labelVersion->setText(QLatin1String(productLine) + tr(" - Version ") +
                              QCoreApplication::applicationVersion());

    const QString buildDate = qApp->property("BUILDDATE").toString();
    const QString buildTime = qApp->property("BUILDTIME").toString();
    ui->labelBuild->setText(tr("Build - %1 at %2").arg(buildDate, buildTime));
    ui->labelNotice->setText(
        tr("Copyright (C) %1 %2. All rights reserved. Use of this software is subject to "
           "the licence agreement below.")
            .arg(buildDate.left(4), QLatin1String(companyName)));

    QFile licence(licenceResourceFor(QLocale()));
    if (!licence.open(QIODevice::ReadOnly))
        qFatal("Unable to access the EULA file");
    ui->textBrowserLicence->setHtml(licenceText(licence.readAll()));

    const QString site = QLatin1String(webAddress);
    ui->labelWeb->setText(tr("<p>For updates visit <a href=\"https://%1\"><span style=\"text-decoration: "
                             "underline; color:#0000ff;\">%1</span></a></p>")
                              .arg(site));
    ui->labelWeb->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
    ui->labelWeb->setOpenExternalLinks(true);
    qCDebug(lcAboutDialog) << "shown for build" << buildDate << buildTime;
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

QString AboutDialog::licenceResourceFor(const QLocale &locale)
{
    // Both sit in the program's resources; the language's own wording is the one an operator can read.
    QString translated = QString::fromLatin1(licenceResource);
    translated.insert(translated.lastIndexOf(QLatin1Char('.')),
                      QLatin1Char('_') + locale.name().section(QLatin1Char('_'), 0, 0));
    return QFile::exists(translated) ? translated : QString::fromLatin1(licenceResource);
}

QString AboutDialog::licenceText(const QByteArray &resourceBytes)
{
    const int nul = resourceBytes.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? resourceBytes : resourceBytes.left(nul));
    text.replace(QLatin1String("[COMPANYNAMESTR]"), QLatin1String(companyName), Qt::CaseSensitive);
    text.replace(QLatin1String("[PRODUCTNAME]"), QLatin1String(productLine), Qt::CaseSensitive);
    return text;
}

void AboutDialog::on_buttonBox_accepted()
{
    close();
}
