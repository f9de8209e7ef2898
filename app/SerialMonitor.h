#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QWidget>

#include <deque>

class LumetraController;
class QAction;
class QTimer;
class QToolButton;

namespace Ui {
class SerialMonitor;
}

// Shows every command written to the laser and every line received from it, one coloured line per transfer
// with a hexadecimal dump, and sends raw command lines typed by the user.
//
// Traffic is only kept while the monitor cannot be seen, and laid out in batches while it can: building
// and laying out a line for every transfer costs more than the rest of the program together. Lines are
// stamped with their time of day and the port's short name ("14:02:11.250 ttyUSB0 >"). Options the
// operator turns on (all off by default) hide the polling, show the link's own labels instead and name
// the port once in the dock's title; the command line keeps a history between runs.
class SerialMonitor : public QWidget
{
    Q_OBJECT

public:
    static const int maximumLines = 2000;
    // New lines show within a quarter of a second, and the view is laid out and painted four times a
    // second rather than for every transfer.
    static constexpr int batchIntervalMs = 250;
    static constexpr int maximumHistory = 50;

    explicit SerialMonitor(QWidget *parent = nullptr);
    ~SerialMonitor() override;

    // One display line as HTML: label prefix, coloured direction tag, text part and hex dump.
    static QString formatLine(const QString &portname, const QString &tag, const QByteArray &bytes);
    // The same with the stamp before the tag given whole, separator included.
    static QString formatStampedLine(const QString &stamp, const QString &tag, const QByteArray &bytes);
    static QString hexDump(const QByteArray &bytes);

    // The link labels a transfer with the port name, a separator and the time as seconds-milliseconds.
    struct Label
    {
        QString port;
        QString separator;
        int seconds = -1;
        int milliseconds = -1;
        bool isValid() const { return seconds >= 0; }
    };
    static Label parseLabel(const QString &label);
    // The full time of day of a transfer labelled with seconds and milliseconds that reached the monitor
    // at `arrival`: the label is never later than the arrival, so a label ahead of it is the last minute's.
    static QTime transferTime(const QTime &arrival, const Label &label);
    // The name an operator knows the port by: "ttyUSB0" for "/dev/ttyUSB0", "COM3" for "\\.\COM3".
    static QString shortPortName(const QString &port);

    // Follows the set of queries the controller polls, which the polling filter hides.
    void followPolling(const LumetraController *controller);
    // Lays out every line that has arrived and is not shown yet (unless paused).
    void renderPending();

signals:
    void sigSendCommand(QByteArray command);

public slots:
    void slotBytesReceived(QString portname, QByteArray bytes);
    void slotBytesTransmitted(QString portname, QByteArray bytes);
    void slotAddPolledCommand(QString command);
    void slotDelPolledCommand(QString command);
    void slotClrPolledCommands();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void onToolButtonClear_clicked();
    void onToolButtonSend_clicked();
    void onVScrollChanged(int value);
    void onTextChanged();

private:
    struct Entry
    {
        QString label;
        QString tag;
        QByteArray bytes;
        QTime arrival;
        bool polling = false;
    };

    void buildExtraControls();
    void appendChunk(const QString &portname, const QString &tag, const QByteArray &bytes);
    bool isPolling(const QString &tag, const QByteArray &bytes);
    QString stamp(const Entry &entry) const;
    void resume();
    void optionsChanged();
    void updateTitle();
    void browseHistory(int step);
    void keepNewestCommands();
    void copyLines();

    Ui::SerialMonitor *ui;
    bool autoScroll = true;

    // Newest last; the lines not yet laid out are the last `unrendered` ones.
    std::deque<Entry> entries;
    int unrendered = 0;
    bool rebuildNeeded = false;
    QTimer *batchTimer = nullptr;

    QSet<QByteArray> polledCommands;
    // Set from a hidden query until the next command goes out: with one command in flight, all that
    // arrives meanwhile is its answer, however many lines it has.
    bool hidingAnswer = false;
    // Commands the operator sent that have not reached the wire yet; they show even when polled.
    QList<QByteArray> typedCommands;
    QString lastPort;

    QToolButton *pauseButton = nullptr;
    QAction *hidePollingAction = nullptr;
    QAction *linkLabelAction = nullptr;
    QAction *portInTitleAction = nullptr;
    QString titleWithoutPort;

    QStringList history;
    int historyIndex = 0;
    QString draft;
};
