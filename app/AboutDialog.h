#pragma once

#include <QByteArray>
#include <QDialog>
#include <QLocale>
#include <QString>

namespace Ui {
class AboutDialog;
}

// Product line, version, build stamp, notice, licence agreement and the maker's web link.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    static const char *const productLine;
    static const char *const companyName;
    static const char *const licenceResource;
    static const char *const webAddress;

    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    // The licence resource as shown: text up to the first NUL, every placeholder replaced.
    static QString licenceText(const QByteArray &resourceBytes);
    // The licence in the language of `locale` where there is one ("EULA_de.html" beside the built-in
    // resource), else the built-in one.
    static QString licenceResourceFor(const QLocale &locale);

private slots:
    // Connected by name to the button box by the generated form.
    void on_buttonBox_accepted();

private:
    Ui::AboutDialog *ui;
};
