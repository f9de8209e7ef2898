#pragma once

#include <QWidget>

namespace Ui {
class ApplicationLog;
}

// Read-only view of the application log store; follows new lines unless the user has scrolled up.
class ApplicationLog : public QWidget
{
    Q_OBJECT

public:
    explicit ApplicationLog(QWidget *parent = nullptr);
    ~ApplicationLog() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void onToolButtonClear_clicked();
    void onToolButtonPrint_clicked();
    void onToolButtonSave_clicked();
    void onVScrollChanged(int value);
    void onTextChanged();

private:
    Ui::ApplicationLog *ui;
    bool autoScroll = true;
};
