#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

namespace Ui {
class SerialMonitor;
}

// Shows every command written to the laser and every line received from it, one coloured line per transfer
// with a hexadecimal dump, and sends raw command lines typed by the user.
class SerialMonitor : public QWidget
{
    Q_OBJECT

public:
    static const int maximumLines = 2000;

    explicit SerialMonitor(QWidget *parent = nullptr);
    ~SerialMonitor() override;

    // One display line as HTML: label prefix, coloured direction tag, text part and hex dump.
    static QString formatLine(const QString &portname, const QString &tag, const QByteArray &bytes);
    static QString hexDump(const QByteArray &bytes);

signals:
    void sigSendCommand(QByteArray command);

public slots:
    void slotBytesReceived(QString portname, QByteArray bytes);
    void slotBytesTransmitted(QString portname, QByteArray bytes);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void onToolButtonClear_clicked();
    void onToolButtonSend_clicked();
    void onVScrollChanged(int value);
    void onTextChanged();

private:
    void appendChunk(const QString &portname, const QString &tag, const QByteArray &bytes);

    Ui::SerialMonitor *ui;
    bool autoScroll = true;
};
