#pragma once

#include "app/device/LumetraReconnector.h"

#include <QPointer>
#include <QWidget>

class QLabel;

// The right end of the main window's status bar: the port, the laser's identity once known, and the
// state of the link, so the operator never has to open the log to learn whether the laser is there.
class ConnectionStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit ConnectionStatusBar(QWidget *parent = nullptr);
    ~ConnectionStatusBar() override;

    void follow(LumetraReconnector *reconnector);

    QString portText() const;
    QString identityText() const;
    QString stateText() const;

    // The state line for a state, its start and the time the laser last answered.
    static QString stateText(LumetraReconnector::State state, const QDateTime &since,
                             const QDateTime &lastLine);

public slots:
    void refresh();

private:
    QPointer<LumetraReconnector> m_reconnector;
    QLabel *m_port = nullptr;
    QLabel *m_identity = nullptr;
    QLabel *m_state = nullptr;
    QString m_portText;
    QString m_identityText;
};
