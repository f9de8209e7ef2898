#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The simulator's end of the line the program opens: a pseudo-terminal, or a TCP port as a serial
// device server offers one.
class SimPort : public QObject
{
    Q_OBJECT
public:
    explicit SimPort(QObject *parent = nullptr) : QObject(parent) {}

    virtual bool open(QString *error) = 0;
    // Goes away as an unplugged adapter (or a device server that lost power) would.
    virtual void hangUp() = 0;
    virtual bool isOpen() const = 0;
    // The name the program opens it by.
    virtual QString linkPath() const = 0;
    // What is behind that name, for the transcript.
    virtual QString devicePath() const = 0;
    // Writes what the port takes now; returns the number of bytes taken, -1 when closed.
    virtual qint64 write(const QByteArray &bytes) = 0;

signals:
    void bytesReceived(const QByteArray &bytes);
};
