#include "app/RemoteInterface.h"

#include "device/LumetraRefusal.h"
#include "device/LumetraSerialHandler.h"
#include "remote/LumetraScpiLaser.h"
#include "remote/LumetraScpiServer.h"

#include <QAction>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>

Q_LOGGING_CATEGORY(lcRemoteInterface, "lumetra.app.remoteinterface")

namespace {

const char *const addressKey = "Remote/Address";

// Beside the program's other settings.
QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                     QCoreApplication::applicationName());
}

} // namespace

RemoteInterface::RemoteInterface(LumetraLaserModel *model, LumetraSerialHandler *link, QWidget *window)
    : QObject(window), m_window(window), m_laser(new LumetraScpiLaser(model, nullptr, this)),
      m_server(new LumetraScpiServer(m_laser, this)), m_menu(new QMenu(tr("&Remote control"), window)),
      m_status(new QLabel(window))
{
    m_address = settings()
                    .value(QLatin1String(addressKey), QString::number(LumetraScpiServer::DefaultPort))
                    .toString();
    connect(link, &LumetraSerialHandler::sigLineReceived, m_laser, [this](const QByteArray &line) {
        const QString refusal = LumetraRefusal::in(line);
        if (!refusal.isEmpty())
            m_laser->slotRefused(refusal);
    });
    connect(m_server, &LumetraScpiServer::sigMessage, this, &RemoteInterface::logLine);
    connect(m_server, &LumetraScpiServer::sigClientsChanged, this, &RemoteInterface::showClients);
    connect(m_laser, &LumetraScpiLaser::sigWritesAllowedChanged, this, [this](bool allowed) {
        emit logLine(allowed ? tr("Remote control allowed: scripts may change the laser.")
                             : tr("Local: remote scripts may only ask."));
        updateActions();
    });

    m_listenAct = m_menu->addAction(tr("Listen for scripts"));
    m_listenAct->setCheckable(true);
    connect(m_listenAct, &QAction::triggered, this, [this](bool on) {
        QString error;
        if (!on)
            stop();
        else if (!listen(m_address, &error))
            QMessageBox::warning(m_window, tr("Remote control"),
                                 tr("Cannot listen on %1: %2").arg(m_address, error));
        updateActions();
    });
    connect(m_menu->addAction(tr("Address…")), &QAction::triggered, this, &RemoteInterface::askAddress);
    m_menu->addSeparator();
    m_allowAct = m_menu->addAction(tr("Allow remote control"));
    m_allowAct->setCheckable(true);
    connect(m_allowAct, &QAction::triggered, this, &RemoteInterface::setWritesAllowed);
    m_localAct = m_menu->addAction(tr("Local"));
    connect(m_localAct, &QAction::triggered, this, [this] { setWritesAllowed(false); });
    m_status->hide();
    updateActions();
}

void RemoteInterface::setController(LumetraController *controller)
{
    m_laser->setController(controller);
}

void RemoteInterface::setAudit(LumetraWriteAudit *audit)
{
    m_laser->setAudit(audit);
}

bool RemoteInterface::listen(const QString &address, QString *error)
{
    QHostAddress host;
    quint16 port = 0;
    if (!LumetraScpiServer::parseListenAddress(address, &host, &port)) {
        if (error)
            *error = tr("\"%1\" is no [ADDRESS:]PORT").arg(address);
        return false;
    }
    if (!m_server->listen(host, port, error))
        return false;
    m_address = address;
    settings().setValue(QLatin1String(addressKey), address);
    emit logLine(tr("Remote control listening on %1").arg(m_server->address()));
    updateActions();
    return true;
}

void RemoteInterface::stop()
{
    if (!m_server->isListening())
        return;
    m_server->close();
    emit logLine(tr("Remote control stopped"));
    updateActions();
}

void RemoteInterface::setWritesAllowed(bool allowed)
{
    m_laser->setWritesAllowed(allowed);
    updateActions();
}

bool RemoteInterface::writesAllowed() const
{
    return m_laser->writesAllowed();
}

void RemoteInterface::askAddress()
{
    bool ok = false;
    const QString address = QInputDialog::getText(
        m_window, tr("Remote control"),
        tr("Address and port for scripts, [ADDRESS:]PORT (loopback when no address is given):"),
        QLineEdit::Normal, m_address, &ok);
    if (!ok || address.trimmed().isEmpty())
        return;
    QHostAddress host;
    quint16 port = 0;
    if (!LumetraScpiServer::parseListenAddress(address, &host, &port)) {
        QMessageBox::warning(m_window, tr("Remote control"), tr("\"%1\" is no [ADDRESS:]PORT").arg(address));
        return;
    }
    m_address = address.trimmed();
    settings().setValue(QLatin1String(addressKey), m_address);
    if (m_server->isListening()) {
        QString error;
        if (!listen(m_address, &error))
            QMessageBox::warning(m_window, tr("Remote control"),
                                 tr("Cannot listen on %1: %2").arg(m_address, error));
    }
    updateActions();
}

void RemoteInterface::updateActions()
{
    const bool listening = m_server->isListening();
    m_listenAct->setChecked(listening);
    m_listenAct->setText(listening ? tr("Listen for scripts on %1").arg(m_server->address())
                                   : tr("Listen for scripts on %1").arg(m_address));
    m_allowAct->setChecked(m_laser->writesAllowed());
    m_localAct->setEnabled(m_laser->writesAllowed());
}

void RemoteInterface::showClients(const QStringList &clients)
{
    m_status->setText(tr("Remote: %1").arg(clients.join(QLatin1String(", "))));
    m_status->setVisible(!clients.isEmpty());
}
