#include "device/LumetraReconnector.h"

#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraTransport.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>

Q_LOGGING_CATEGORY(lcReconnector, "lumetra.device.reconnector")

LumetraReconnector::LumetraReconnector(QObject *parent)
    : QObject(parent), m_since(QDateTime::currentDateTime()), m_watch(new QTimer(this))
{
    m_watch->setInterval(DefaultWatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &LumetraReconnector::watchTick);
}

LumetraReconnector::~LumetraReconnector() = default;

void LumetraReconnector::attach(LumetraSerialHandler *link)
{
    m_link = link;
    connect(this, &LumetraReconnector::sigOpenCommunication, link,
            &LumetraSerialHandler::slotOpenCommunication);
    connect(this, &LumetraReconnector::sigCloseCommunication, link,
            &LumetraSerialHandler::slotCloseCommunication);
    connect(this, &LumetraReconnector::sigDiscardQueuedCommands, link,
            &LumetraSerialHandler::slotDiscardQueuedCommands);
    connect(link, &LumetraSerialHandler::sigCommunicationOpened, this,
            &LumetraReconnector::slotCommunicationOpened);
    connect(link, &LumetraSerialHandler::sigCommunicationClosed, this,
            &LumetraReconnector::slotCommunicationClosed);
    connect(link, &LumetraSerialHandler::sigOpenFailed, this, &LumetraReconnector::slotOpenFailed);
    connect(link, &LumetraSerialHandler::sigLineReceived, this, &LumetraReconnector::slotLineReceived);
    connect(link, &LumetraSerialHandler::sigConnectedStatus, this, &LumetraReconnector::slotConnectedStatus);
}

void LumetraReconnector::setWatchInterval(int ms)
{
    m_watch->setInterval(ms);
}

bool LumetraReconnector::portExists(const QString &portName)
{
    if (LumetraTransport::isNetworkPort(portName))
        return true;
    if (portName.contains(QLatin1Char('/')))
        return QFileInfo::exists(portName);
    return !QSerialPortInfo(portName).isNull();
}

QList<LumetraReconnector::PortEntry> LumetraReconnector::systemPorts()
{
    QList<PortEntry> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        PortEntry entry;
        entry.location = info.systemLocation();
        entry.serialNumber = info.serialNumber();
        entry.vendorId = info.hasVendorIdentifier() ? info.vendorIdentifier() : 0;
        entry.productId = info.hasProductIdentifier() ? info.productIdentifier() : 0;
        ports << entry;
    }
    return ports;
}

// Taken while the port is there: once it is gone, the system no longer lists what was behind it.
void LumetraReconnector::rememberAdapter()
{
    m_adapter = PortEntry();
    if (LumetraTransport::isNetworkPort(m_portName))
        return;
    // The operator may have named the device file, a link to it (/dev/serial/by-id/...) or its plain name.
    const QString canonical = QFileInfo(m_portName).canonicalFilePath();
    const QList<PortEntry> ports = m_listPorts();
    for (const PortEntry &entry : ports) {
        if (entry.location == m_portName || entry.location == canonical ||
            QFileInfo(entry.location).fileName() == m_portName) {
            if (!entry.serialNumber.isEmpty())
                m_adapter = entry;
            return;
        }
    }
}

bool LumetraReconnector::isPresent(const QString &portName) const
{
    if (portExists(portName))
        return true;
    const QList<PortEntry> ports = m_listPorts();
    return std::any_of(ports.cbegin(), ports.cend(),
                       [&portName](const PortEntry &entry) { return entry.location == portName; });
}

// Where the lost port's adapter is listed now under another name; empty when it is not.
QString LumetraReconnector::adapterLocation() const
{
    if (m_adapter.serialNumber.isEmpty())
        return QString();
    const QList<PortEntry> ports = m_listPorts();
    for (const PortEntry &entry : ports) {
        if (entry.serialNumber == m_adapter.serialNumber && entry.vendorId == m_adapter.vendorId &&
            entry.productId == m_adapter.productId && entry.location != m_adapter.location)
            return entry.location;
    }
    return QString();
}

QString LumetraReconnector::stateName(State state)
{
    switch (state) {
    case State::Closed:
        return tr("Closed");
    case State::Waiting:
        return tr("Connecting: waiting 2 s");
    case State::Handshake:
        return tr("Connecting: handshake");
    case State::Connected:
        return tr("Connected");
    case State::Unavailable:
        return tr("Unavailable");
    case State::Lost:
        return tr("Lost, waiting for the port");
    case State::OtherLaser:
        return tr("Closed: another laser answered");
    }
    return QString();
}

QString LumetraReconnector::clock(const QDateTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("--:--:--");
}

void LumetraReconnector::setState(State state, const QString &logText)
{
    if (state == m_state)
        return;
    m_state = state;
    // Only the wait before the handshake cares what is sent. Listening to every poll as well would
    // wake this object's thread for each command, for days.
    if (state == State::Waiting && !m_transmitted && m_link) {
        m_transmitted = connect(m_link, &LumetraSerialHandler::sigBytesTransmitted, this,
                                &LumetraReconnector::slotBytesTransmitted);
    } else if (state != State::Waiting && m_transmitted) {
        disconnect(m_transmitted);
        m_transmitted = {};
    }
    m_since = QDateTime::currentDateTime();
    qCDebug(lcReconnector) << "state" << stateName(state) << m_portName;
    emit logLine(logText);
    emit stateChanged(state);
}

void LumetraReconnector::slotOpenRequested(QString portName)
{
    // The lost port asked for again: if it is still missing, the wait for it goes on as before; if
    // it opens, it is the operator's new connection.
    if (m_state == State::Lost && portName == m_portName) {
        m_operatorRetry = true;
        m_operatorClosing = false;
        m_openPending = true;
        return;
    }
    // A port the operator chooses is a new connection: whatever laser answers there is accepted.
    m_operatorRetry = false;
    m_watch->stop();
    if (m_state == State::Lost)
        setState(State::Closed, tr("Stopped waiting for %1 to return.").arg(m_portName));
    m_reopening = false;
    m_rejecting = false;
    // A port still open is closed by the link before the new one opens: a close asked for, no loss.
    m_operatorClosing = m_state == State::Waiting || m_state == State::Handshake ||
                        m_state == State::Connected || m_state == State::Unavailable;
    m_expectedType.clear();
    m_expectedSerial.clear();
    m_adapter = PortEntry();
    m_portName = portName;
    m_openPending = true;
}

void LumetraReconnector::slotCloseRequested()
{
    m_operatorClosing = true;
}

void LumetraReconnector::cancel()
{
    if (m_state != State::Lost && !m_reopening)
        return;
    m_watch->stop();
    m_reopening = false;
    if (m_state == State::Lost) {
        setState(State::Closed, tr("Stopped waiting for %1 to return.").arg(m_portName));
    } else {
        // Reopened but not yet confirmed: the operator no longer wants it.
        m_operatorClosing = true;
        emit sigCloseCommunication();
    }
}

void LumetraReconnector::startDecoder()
{
    delete m_decoder;
    m_decoder = new LumetraResponseDecoder(this);
    connect(m_decoder, &LumetraResponseDecoder::sigsLumetraTypeChanged, this,
            &LumetraReconnector::identifiedType);
    connect(m_decoder, &LumetraResponseDecoder::sigsSerialNumberChanged, this,
            &LumetraReconnector::identifiedSerial);
}

void LumetraReconnector::slotCommunicationOpened(QString portName)
{
    m_openPending = false;
    if (m_operatorRetry) {
        m_operatorRetry = false;
        m_watch->stop();
        m_reopening = false;
        m_expectedType.clear();
        m_expectedSerial.clear();
    }
    if (m_portName.isEmpty())
        m_portName = portName;
    rememberAdapter();
    m_lastLineMs = 0;
    m_systemType.clear();
    m_serialNumber.clear();
    m_foundType.clear();
    m_foundSerial.clear();
    startDecoder();
    emit identityChanged(m_systemType, m_serialNumber);
    setState(State::Waiting, m_reopening ? tr("%1 is back: reopened, waiting for the laser.").arg(m_portName)
                                         : tr("Connecting to %1.").arg(m_portName));
}

void LumetraReconnector::slotCommunicationClosed(QString portName)
{
    Q_UNUSED(portName)
    delete m_decoder;
    m_decoder = nullptr;
    const bool operatorClosed = m_operatorClosing;
    const bool rejected = m_rejecting;
    m_operatorClosing = false;
    m_rejecting = false;

    if (rejected) {
        m_reopening = false;
        setState(State::OtherLaser,
                 tr("Another laser answered on %1 (%2 %3 instead of %4 %5); the connection "
                    "stays closed.")
                     .arg(m_portName, m_foundType, m_foundSerial, m_expectedType, m_expectedSerial));
        return;
    }
    if (operatorClosed || m_state == State::Closed) {
        m_reopening = false;
        m_watch->stop();
        setState(State::Closed, tr("Connection to %1 closed.").arg(m_portName));
        return;
    }
    // Not asked for: the device went away. The laser to expect back is the one that was there; a loss
    // during a reconnection keeps the laser expected before it.
    if (!m_reopening) {
        m_expectedType = m_systemType;
        m_expectedSerial = m_serialNumber;
    }
    m_reopening = true;
    m_ticksToNextAttempt = 0;
    m_retrySpacing = 1;
    setState(State::Lost, tr("Connection to %1 lost at %2; reconnecting when it returns.")
                              .arg(m_portName, clock(QDateTime::currentDateTime())));
    m_watch->start();
}

void LumetraReconnector::slotOpenFailed(QString portName, int error)
{
    Q_UNUSED(portName)
    Q_UNUSED(error)
    m_openPending = false;
    // Right after an unplug the device node may be back before its permissions are; try again on the
    // next tick while still watching. The same holds for an open the operator asked for meanwhile.
    if (m_operatorRetry) {
        m_operatorRetry = false;
        if (m_state == State::Lost)
            emit logLine(tr("%1 is not back yet; still waiting for it to return.").arg(m_portName));
    }
}

void LumetraReconnector::watchTick()
{
    if (m_state != State::Lost || m_openPending)
        return;
    if (LumetraTransport::isNetworkPort(m_portName)) {
        if (m_ticksToNextAttempt > 0) {
            --m_ticksToNextAttempt;
            return;
        }
        m_ticksToNextAttempt = m_retrySpacing - 1;
        m_retrySpacing = qMin(m_retrySpacing * 2, MaxNetworkRetryTicks);
    } else if (!isPresent(m_portName)) {
        // After an unplug the system may give the adapter another device name; the laser behind it
        // still has to prove to be the same one.
        const QString location = adapterLocation();
        if (location.isEmpty())
            return;
        emit logLine(tr("The adapter of %1 (USB serial number %2) is back as %3.")
                         .arg(m_portName, m_adapter.serialNumber, location));
        m_portName = location;
    }
    qCDebug(lcReconnector) << m_portName << "is back";
    // Commands the operator gave before or during the loss must not reach the laser by surprise.
    emit sigDiscardQueuedCommands();
    m_openPending = true;
    emit sigOpenCommunication(m_portName);
}

void LumetraReconnector::slotLineReceived(QByteArray line)
{
    m_lastLineMs = QDateTime::currentMSecsSinceEpoch();
    // The identity comes with the handshake; later lines are the controller's business, and decoding
    // them twice would only cost time.
    if (m_decoder && (m_state == State::Waiting || m_state == State::Handshake))
        m_decoder->slotLineReceived(line);
}

void LumetraReconnector::slotBytesTransmitted(QString label, QByteArray bytes)
{
    Q_UNUSED(label)
    Q_UNUSED(bytes)
    if (m_state == State::Waiting)
        setState(State::Handshake, tr("Identifying the laser on %1.").arg(m_portName));
}

void LumetraReconnector::identifiedType(QString systemType)
{
    m_systemType = systemType;
    emit identityChanged(m_systemType, m_serialNumber);
    checkIdentity(false);
}

void LumetraReconnector::identifiedSerial(QString serialNumber)
{
    m_serialNumber = serialNumber;
    emit identityChanged(m_systemType, m_serialNumber);
    checkIdentity(false);
}

// True while the identity seen so far fits the laser expected back. With `complete`, a part the laser
// has not told by now counts as a mismatch of that part only if one was expected.
bool LumetraReconnector::checkIdentity(bool complete)
{
    if (!m_reopening || m_rejecting)
        return !m_rejecting;
    const auto differs = [complete](const QString &expected, const QString &found) {
        if (expected.isEmpty())
            return false;
        return found.isEmpty() ? complete : found != expected;
    };
    if (!differs(m_expectedType, m_systemType) && !differs(m_expectedSerial, m_serialNumber))
        return true;
    m_foundType = m_systemType;
    m_foundSerial = m_serialNumber;
    m_rejecting = true;
    m_watch->stop();
    qCDebug(lcReconnector) << "another laser on" << m_portName << m_systemType << m_serialNumber;
    emit sigCloseCommunication();
    return false;
}

void LumetraReconnector::slotConnectedStatus(bool connected)
{
    switch (m_state) {
    case State::Waiting:
    case State::Handshake:
    case State::Unavailable:
        if (!connected || !checkIdentity(true))
            return;
        if (m_reopening) {
            m_reopening = false;
            m_watch->stop();
            setState(State::Connected,
                     tr("Connected again to %1 (%2 %3).").arg(m_portName, m_systemType, m_serialNumber));
        } else {
            setState(State::Connected,
                     tr("Connected to %1 (%2 %3).").arg(m_portName, m_systemType, m_serialNumber));
        }
        break;
    case State::Connected:
        if (!connected)
            setState(State::Unavailable,
                     tr("Laser on %1 unavailable: no echo since %2.").arg(m_portName, clock(lastLineTime())));
        break;
    default:
        break;
    }
}
