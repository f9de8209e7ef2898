#include "remote/LumetraRemoteHost.h"

#include "device/LumetraController.h"
#include "device/LumetraLaserModel.h"
#include "device/LumetraReconnector.h"
#include "device/LumetraRefusal.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraWriteAudit.h"
#include "remote/LumetraScpiLaser.h"
#include "remote/LumetraScpiServer.h"

#include <QCoreApplication>

Q_LOGGING_CATEGORY(lcLumetraRemoteHost, "lumetra.remote.host")

LumetraRemoteHost::LumetraRemoteHost(QObject *parent) : QObject(parent)
{
    LumetraResponseDecoder::registerMetaTypes();
    auto *handler = new LumetraSerialHandler;
    m_handler = handler;
    handler->moveToThread(&m_linkThread);
    connect(&m_linkThread, SIGNAL(started()), handler, SLOT(slotMainLoop()));
    connect(&m_linkThread, &QThread::finished, handler, &QObject::deleteLater);

    m_controller = new LumetraController(handler, this);
    m_controller->setLogSink([](const QString &line) { qCInfo(lcLumetraRemoteHost).noquote() << line; });
    m_reconnector = new LumetraReconnector(this);
    m_reconnector->attach(handler);
    connect(m_reconnector, &LumetraReconnector::logLine, this,
            [](const QString &line) { qCInfo(lcLumetraRemoteHost).noquote() << line; });
    connect(handler, &LumetraSerialHandler::sigStatusMessage, this,
            [](const QString &text) { qCInfo(lcLumetraRemoteHost).noquote() << text; });

    m_model = new LumetraLaserModel(this);
    m_model->attach(m_controller);
    m_model->attachReconnector(m_reconnector);
    connect(handler, &LumetraSerialHandler::sigConnectedStatus, m_model, &LumetraLaserModel::setLinkLive);
    connect(handler, &LumetraSerialHandler::sigCommunicationClosed, this, [this] {
        m_model->setLinkLive(false);
        m_controller->slotLinkEnded();
    });

    // Without an event history here, who changed the laser goes to the log.
    m_audit = new LumetraWriteAudit(m_model, this);
    m_audit->attachController(m_controller);
    m_audit->attachLink(handler);
    connect(m_audit, &LumetraWriteAudit::sigSettled, this, [](const LumetraWriteAudit::Write &write) {
        qCInfo(lcLumetraRemoteHost).noquote()
            << LumetraWriteAudit::originText(write) << LumetraWriteAudit::text(write).translated();
    });

    m_laser = new LumetraScpiLaser(m_model, m_controller, this);
    m_laser->setAudit(m_audit);
    connect(handler, &LumetraSerialHandler::sigLineReceived, m_laser, [this](const QByteArray &line) {
        const QString refusal = LumetraRefusal::in(line);
        if (!refusal.isEmpty())
            m_laser->slotRefused(refusal);
    });
    m_server = new LumetraScpiServer(m_laser, this);
    connect(m_server, &LumetraScpiServer::sigMessage, this,
            [](const QString &text) { qCInfo(lcLumetraRemoteHost).noquote() << text; });
    m_linkThread.start();
    QMetaObject::invokeMethod(m_controller, "slotMainLoop", Qt::QueuedConnection);
}

LumetraRemoteHost::~LumetraRemoteHost()
{
    m_server->close();
    m_reconnector->slotCloseRequested();
    if (m_handler)
        QMetaObject::invokeMethod(m_handler, "slotCloseCommunication", Qt::QueuedConnection);
    // The controller goes before its link so that nothing queues to a link that is gone.
    delete m_laser;
    delete m_controller;
    m_linkThread.quit();
    m_linkThread.wait();
    // What the link said while it closed is queued here still, for objects that are gone.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

bool LumetraRemoteHost::start(const QString &portName, const QHostAddress &address, quint16 port,
                              bool allowWrites, QString *error)
{
    if (!m_server->listen(address, port, error))
        return false;
    m_laser->setWritesAllowed(allowWrites);
    m_model->setPortName(portName);
    m_reconnector->slotOpenRequested(portName);
    QMetaObject::invokeMethod(m_handler, "slotOpenCommunication", Qt::QueuedConnection,
                              Q_ARG(QString, portName));
    return true;
}
