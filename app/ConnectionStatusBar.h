#pragma once

#include "device/LumetraOperatorState.h"
#include "device/LumetraReconnector.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

// The right end of the main window's status bar: the port, the laser's identity once known, and the
// state of the link, so the operator never has to open the log to learn whether the laser is there.
// While the laser does not answer or the port is gone it keeps the laser's last report in view, with
// its time, and says so when that report had the laser emitting.
class ConnectionStatusBar : public QWidget
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    explicit ConnectionStatusBar(QWidget *parent = nullptr);
    ~ConnectionStatusBar() override;

    void follow(LumetraReconnector *reconnector);
    // Where the bar reads the time; the wall clock unless a test sets its own.
    void setClock(Clock clock);

    QString portText() const;
    QString identityText() const;
    QString stateText() const;
    // "Last report 14:02:11: laser on, output enabled" while the link is not live, else empty.
    QString lastReportText() const;
    // "Emission may continue" while the link is not live and the last report was emitting, else empty.
    QString emissionText() const;

    // The laser's state now, from the link and the last report held here.
    LumetraOperatorState operatorState() const;

    // The state line for a state, its start and the time the laser last answered.
    static QString stateText(LumetraReconnector::State state, const QDateTime &since,
                             const QDateTime &lastLine);

signals:
    // Said once each time a handshake has gone unanswered for long: the line for the application log.
    void noLaserAnswers(QString message);

public slots:
    void refresh();
    // What the laser reports about itself, as the response decoder announces it.
    void setReportedStatus(int statusByte);
    void setReportedSystemState(int systemState);

private:
    LumetraOperatorState::Report heldReport() const;

    QPointer<LumetraReconnector> m_reconnector;
    QLabel *m_port = nullptr;
    QLabel *m_identity = nullptr;
    QLabel *m_state = nullptr;
    QLabel *m_lastReport = nullptr;
    QLabel *m_emission = nullptr;
    QTimer *m_noAnswerTimer = nullptr;
    Clock m_clock;
    QString m_portText;
    QString m_identityText;
    QString m_stateText;
    QString m_lastReportText;
    QString m_emissionText;
    LumetraOperatorState::Report m_report;
    LumetraOperatorState::Kind m_kind = LumetraOperatorState::Kind::Closed;
};
