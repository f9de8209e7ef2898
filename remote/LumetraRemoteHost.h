#pragma once

#include <QHostAddress>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QThread>

class LumetraController;
class LumetraLaserModel;
class LumetraReconnector;
class LumetraScpiLaser;
class LumetraScpiServer;
class LumetraSerialHandler;
class LumetraWriteAudit;

Q_DECLARE_LOGGING_CATEGORY(lcLumetraRemoteHost)

// The device core without a window, serving the remote interface: for a lab computer without a
// screen, where a script is the only operator. The link runs on its own thread as in the program; the
// reconnection, the model and the interface are the program's own.
class LumetraRemoteHost : public QObject
{
    Q_OBJECT
public:
    explicit LumetraRemoteHost(QObject *parent = nullptr);
    ~LumetraRemoteHost() override;

    // Opens the laser's port and listens for clients; false with the reason when it cannot listen.
    bool start(const QString &portName, const QHostAddress &address, quint16 port, bool allowWrites,
               QString *error);

    LumetraScpiServer *server() const { return m_server; }
    LumetraLaserModel *model() const { return m_model; }
    LumetraWriteAudit *audit() const { return m_audit; }

private:
    QThread m_linkThread;
    QPointer<LumetraSerialHandler> m_handler;
    LumetraController *m_controller = nullptr;
    LumetraReconnector *m_reconnector = nullptr;
    LumetraLaserModel *m_model = nullptr;
    LumetraScpiLaser *m_laser = nullptr;
    LumetraWriteAudit *m_audit = nullptr;
    LumetraScpiServer *m_server = nullptr;
};
