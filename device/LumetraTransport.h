#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

// The byte stream under the link: a serial port, a TCP connection to a serial device server, or an
// in-process pair in tests. It moves bytes and reports the stream's life; what the bytes mean is the
// link engine's business. A transport is made for one open and thrown away after its close.
class LumetraTransport : public QObject
{
    Q_OBJECT
public:
    // Makes the transport for a port name; tests hand the link one of their own.
    using Factory = std::function<LumetraTransport *(const QString &portName, QObject *parent)>;

    static constexpr char NetworkScheme[] = "socket://";
    // A network port's open error is this plus its QAbstractSocket::SocketError, so that it never
    // reads as a serial port's.
    static constexpr int NetworkErrorBase = 1000;

    // A TCP connection for "socket://HOST:PORT", the serial port of that name for anything else.
    static LumetraTransport *create(const QString &portName, QObject *parent);
    static bool isNetworkPort(const QString &portName);
    // Host and port of "socket://HOST:PORT" (an IPv6 host in brackets); false when it is not one.
    static bool parseNetworkPort(const QString &portName, QString *host, quint16 *port);

    explicit LumetraTransport(QObject *parent = nullptr) : QObject(parent) {}

    // Opens and configures the stream. On failure, errorString() tells why in words an operator
    // understands, and openError() is a QSerialPort::SerialPortError (or NetworkErrorBase plus a
    // QAbstractSocket::SocketError) for callers that explain it. A stream that takes time to open
    // returns true while isOpening(), and tells the outcome by openFinished().
    virtual bool open(const QString &portName) = 0;
    virtual bool isOpening() const { return false; }
    virtual void close() = 0;
    virtual QString portName() const = 0;
    virtual QString errorString() const = 0;
    virtual int openError() const = 0;

    // Hands the bytes on at once rather than when the stream reports room for them.
    virtual void write(const QByteArray &bytes) = 0;
    virtual QByteArray read(qint64 maxSize) = 0;
    virtual qint64 bytesAvailable() const = 0;
    // What is buffered beyond the link's reads before the rest is left to the kernel.
    virtual void setReadBufferSize(qint64 size) = 0;
    // A peer that stays silent may be a connection that died without a word (a network path or a
    // device server that went away): the link then closes it and the reconnection takes over. A
    // serial port that goes silent is still the laser's port.
    virtual bool closesWhenSilent() const { return false; }

signals:
    void openFinished(bool opened);
    void readyRead();
    // Worth a status message; the stream goes on. `failing` marks the kind a dying stream gives in
    // its last moments, which say nothing once the link has decided to close it.
    void errorOccurred(QString text, bool failing);
    // The stream is gone (an unplugged adapter, a dropped connection); the text says why, if known.
    void lost(QString text);
};
