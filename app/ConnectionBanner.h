#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// A strip across the top of its parent (the central area: welcome page or control panel) that tells
// what happened to the connection, without blocking the window the way a dialog would. It keeps its
// place and width as the parent resizes.
class ConnectionBanner : public QFrame
{
    Q_OBJECT
public:
    explicit ConnectionBanner(QWidget *parent);
    ~ConnectionBanner() override;

    QString text() const;
    QString buttonText() const;
    QString lastReportText() const;
    QString warningText() const;

    // The message with a button; the button hides the banner and, for a wait, cancels it.
    void showWait(const QString &message);
    void showNotice(const QString &message);
    // The laser's last report, and the warning that goes with it (emission may continue), under the
    // message; empty texts hide them.
    void setLastReport(const QString &report, const QString &warning);

signals:
    // The operator no longer wants to wait.
    void cancelled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void showWith(const QString &message, const QString &button, bool cancels);

    QLabel *m_label = nullptr;
    QLabel *m_report = nullptr;
    QLabel *m_warning = nullptr;
    QPushButton *m_button = nullptr;
    bool m_cancels = false;
};
