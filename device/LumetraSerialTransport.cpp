#include "device/LumetraSerialTransport.h"

#include <QCoreApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSerialTransport, "lumetra.device.serialtransport")

namespace {

// The texts keep the context they were translated under when the link owned the port.
struct PortErrorText
{
    QSerialPort::SerialPortError error;
    const char *text;
};

const PortErrorText portErrorTexts[] = {
    {QSerialPort::NoError, ""},
    {QSerialPort::DeviceNotFoundError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "An error occurred while attempting to open an non-existing device.")},
    {QSerialPort::PermissionError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "An error occurred while attempting to open an already opened device by another "
                       "process or a user not having enough permission and credentials to open.")},
    {QSerialPort::OpenError,
     QT_TRANSLATE_NOOP(
         "LumetraSerialHandler",
         "An error occurred while attempting to open an already opened device in this object.")},
    {QSerialPort::WriteError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler", "An I/O error occurred while writing the data.")},
    {QSerialPort::ReadError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler", "An I/O error occurred while reading the data.")},
    {QSerialPort::ResourceError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "An I/O error occurred when a resource becomes unavailable, e.g. when the device is "
                       "unexpectedly removed from the system.")},
    {QSerialPort::UnsupportedOperationError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "The requested device operation is not supported or prohibited by the running "
                       "operating system.")},
    {QSerialPort::TimeoutError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "A timeout error occurred. This value was introduced in QtSerialPort 5.2.")},
    {QSerialPort::NotOpenError,
     QT_TRANSLATE_NOOP("LumetraSerialHandler",
                       "This error occurs when an operation is executed that can only be successfully "
                       "performed if the device is open. This value was introduced in QtSerialPort 5.2.")},
};

const char UnidentifiedErrorText[] =
    QT_TRANSLATE_NOOP("LumetraSerialHandler", "An unidentified error occurred.");

} // namespace

LumetraSerialTransport::LumetraSerialTransport(QObject *parent) : LumetraTransport(parent) {}

LumetraSerialTransport::~LumetraSerialTransport()
{
    close();
}

QString LumetraSerialTransport::errorText(QSerialPort::SerialPortError error)
{
    for (const PortErrorText &entry : portErrorTexts) {
        if (entry.error == error)
            return QCoreApplication::translate("LumetraSerialHandler", entry.text);
    }
    return QCoreApplication::translate("LumetraSerialHandler", UnidentifiedErrorText);
}

bool LumetraSerialTransport::open(const QString &portName)
{
    close();
    auto *port = new QSerialPort(portName, this);
    if (!port->open(QIODevice::ReadWrite)) {
        m_errorString = port->errorString();
        m_openError = port->error();
        delete port;
        return false;
    }
    m_port = port;
    port->setBaudRate(QSerialPort::Baud38400, QSerialPort::AllDirections);
    port->setParity(QSerialPort::NoParity);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // Pseudo-terminals and some adapters have no modem lines; the link works without them.
    if (!port->setDataTerminalReady(true))
        qCDebug(lcSerialTransport) << "DTR not supported on" << portName;
    if (!port->setRequestToSend(true))
        qCDebug(lcSerialTransport) << "RTS not supported on" << portName;
    port->clear(QSerialPort::AllDirections);
    connect(port, &QSerialPort::readyRead, this, &LumetraTransport::readyRead);
    connect(port, &QSerialPort::errorOccurred, this, &LumetraSerialTransport::onError);
    m_readErrorsWithoutData = 0;
    return true;
}

void LumetraSerialTransport::close()
{
    if (!m_port)
        return;
    m_port->disconnect(this);
    m_port->close();
    m_port->deleteLater();
    m_port = nullptr;
}

QString LumetraSerialTransport::portName() const
{
    return m_port ? m_port->portName() : QString();
}

void LumetraSerialTransport::write(const QByteArray &bytes)
{
    if (!m_port)
        return;
    m_port->write(bytes);
    // Written now rather than when the port reports room for it: saves the worker a wake-up a command.
    m_port->flush();
}

QByteArray LumetraSerialTransport::read(qint64 maxSize)
{
    if (!m_port)
        return QByteArray();
    const QByteArray bytes = m_port->read(maxSize);
    if (!bytes.isEmpty())
        m_readErrorsWithoutData = 0;
    return bytes;
}

qint64 LumetraSerialTransport::bytesAvailable() const
{
    return m_port ? m_port->bytesAvailable() : 0;
}

void LumetraSerialTransport::setReadBufferSize(qint64 size)
{
    if (m_port)
        m_port->setReadBufferSize(size);
}

void LumetraSerialTransport::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::ReadError) {
        // A peer that hung up (an unplugged adapter, a closed pseudo-terminal) makes every read fail
        // without delivering data; the second such failure in a row means the device is gone.
        ++m_readErrorsWithoutData;
        if (m_readErrorsWithoutData >= 2) {
            emit lost(QString());
            return;
        }
    }
    const bool failing = error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
    emit errorOccurred(errorText(error), failing);
    if (error == QSerialPort::ResourceError)
        emit lost(QString());
}
