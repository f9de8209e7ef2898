#pragma once

#include <QHostAddress>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>

class LumetraController;
class LumetraLaserModel;
class LumetraScpiLaser;
class LumetraScpiServer;
class LumetraSerialHandler;
class LumetraWriteAudit;
class QAction;
class QLabel;
class QMenu;
class QWidget;

Q_DECLARE_LOGGING_CATEGORY(lcRemoteInterface)

// The remote interface in the program: off until the operator turns it on (or --remote does), on
// loopback unless an address is given. Scripts may ask at once; they may change the laser only once
// the operator allows remote control, and Local takes that back at once, as on an instrument's front
// panel. The panel stays the operator's throughout.
class RemoteInterface : public QObject
{
    Q_OBJECT
public:
    RemoteInterface(LumetraLaserModel *model, LumetraSerialHandler *link, QWidget *window);

    // The controller of the open port; the remote interface writes through it.
    void setController(LumetraController *controller);
    // Where remote writes are told with the client's address.
    void setAudit(LumetraWriteAudit *audit);

    // "[ADDRESS:]PORT" as --remote and the menu take it; false with the reason when it cannot listen.
    bool listen(const QString &address, QString *error);
    void stop();
    void setWritesAllowed(bool allowed);
    bool writesAllowed() const;

    QMenu *menu() const { return m_menu; }
    // "Remote: 127.0.0.1:40312" while a client is connected; for the status bar.
    QLabel *statusLabel() const { return m_status; }
    LumetraScpiServer *server() const { return m_server; }

signals:
    void logLine(QString line);

private:
    void askAddress();
    void updateActions();
    void showClients(const QStringList &clients);

    QWidget *m_window;
    LumetraScpiLaser *m_laser;
    LumetraScpiServer *m_server;
    QMenu *m_menu;
    QAction *m_listenAct;
    QAction *m_allowAct;
    QAction *m_localAct;
    QLabel *m_status;
    QString m_address;
};
