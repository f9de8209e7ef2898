#include "app/PortOpenAdvice.h"

#include "device/LumetraPortHolder.h"
#include "device/LumetraTransport.h"

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QFile>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

QString PortOpenAdvice::deviceFile(const QString &portName)
{
    if (portName.contains(QLatin1Char('/')))
        return portName;
    const QSerialPortInfo info(portName);
    return info.isNull() ? QString() : info.systemLocation();
}

PortOpenAdvice::Access PortOpenAdvice::accessOf(const QString &portName)
{
#ifdef Q_OS_UNIX
    const QString file = deviceFile(portName);
    if (file.isEmpty())
        return Access::Unknown;
    if (::access(QFile::encodeName(file).constData(), R_OK | W_OK) == 0)
        return Access::Allowed;
    return errno == EACCES ? Access::Denied : Access::Unknown;
#else
    Q_UNUSED(portName)
    return Access::Unknown;
#endif
}

QString PortOpenAdvice::explain(const QString &portName, int error)
{
    if (error != QSerialPort::PermissionError)
        return explain(portName, error, Access::Unknown);
    const Access access = accessOf(portName);
    return explain(portName, error, access,
                   access == Access::Denied ? QString() : LumetraPortHolder::of(portName));
}

QString PortOpenAdvice::explain(const QString &portName, int error, Access access, const QString &holder)
{
    if (LumetraTransport::isNetworkPort(portName))
        return explainNetwork(portName, error - LumetraTransport::NetworkErrorBase);
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return tr("%1 does not exist any more; it is no longer listed in the Connect menu.").arg(portName);
    case QSerialPort::PermissionError:
        if (access == Access::Denied) {
#ifdef Q_OS_LINUX
            return tr("You may not use %1. Serial ports belong to the group \"dialout\": add yourself with "
                      "\"sudo usermod -aG dialout $USER\", then log out and in again (the new group counts "
                      "only from a new login). Or install the program's udev rule "
                      "(70-lumetra-qz-serial.rules, "
                      "part of its package), which lets the user at the computer open the usual USB serial "
                      "adapters.")
                .arg(portName);
#else
            return tr("You may not use %1; ask for access to it.").arg(portName);
#endif
        }
        if (!holder.isEmpty())
            return tr("%1 is in use by %2: close it there (or its connection) and open the port again.")
                .arg(portName, holder);
        return tr("%1 is held by another program: close that program (or its "
                  "connection) and open the port again.")
            .arg(portName);
    case QSerialPort::OpenError:
        return tr("%1 is already open in this program.").arg(portName);
    default:
        return QString();
    }
}

QString PortOpenAdvice::explainNetwork(const QString &portName, int socketError)
{
    switch (socketError) {
    case QAbstractSocket::ConnectionRefusedError:
        return tr("The host of %1 is there, but nothing accepts connections on that port: check the port "
                  "number, and that the serial device server offers its serial port there in raw TCP mode. "
                  "Many servers take one connection at a time; another program may hold it.")
            .arg(portName);
    case QAbstractSocket::HostNotFoundError:
        return tr("The host name in %1 is not known here: check its spelling, or give the serial device "
                  "server's address instead.")
            .arg(portName);
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::SocketAccessError:
    case QAbstractSocket::UnsupportedSocketOperationError:
        return tr("%1 cannot be reached from this computer: check the network cable and settings, and that "
                  "the serial device server is in a network this computer reaches.")
            .arg(portName);
    case QAbstractSocket::SocketTimeoutError:
        return tr("Nothing answered the connection to %1: the serial device server is switched off, not "
                  "connected, or at another address, or a firewall drops the connection.")
            .arg(portName);
    default:
        return QString();
    }
}
