#pragma once

#include <QCoreApplication>
#include <QString>

// What to tell the operator when a port does not open, beyond the serial library's own words: the
// likely cause and what to do about it.
class PortOpenAdvice
{
    Q_DECLARE_TR_FUNCTIONS(PortOpenAdvice)

public:
    enum class Access
    {
        Allowed,
        Denied,
        Unknown
    };

    // The advice for a failed open of `portName` with a QSerialPort::SerialPortError; empty when
    // there is nothing to add.
    static QString explain(const QString &portName, int error);
    // The same with the file-permission check and the lock's holder already looked up, so each cause
    // can be looked at alone.
    static QString explain(const QString &portName, int error, Access access,
                           const QString &holder = QString());

    // The advice for a network port (socket://HOST:PORT) that did not connect, by its
    // QAbstractSocket::SocketError.
    static QString explainNetwork(const QString &portName, int socketError);

    // Whether this user may read and write the port's device file.
    static Access accessOf(const QString &portName);
    static QString deviceFile(const QString &portName);
};
