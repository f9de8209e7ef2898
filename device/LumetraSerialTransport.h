#pragma once

#include "device/LumetraTransport.h"

#include <QPointer>
#include <QSerialPort>

// A local serial port at the laser's settings: 38400 baud, 8 data bits, no parity, one stop bit, no
// flow control, DTR and RTS raised where the port has them.
class LumetraSerialTransport : public LumetraTransport
{
    Q_OBJECT
public:
    explicit LumetraSerialTransport(QObject *parent = nullptr);
    ~LumetraSerialTransport() override;

    static QString errorText(QSerialPort::SerialPortError error);

    bool open(const QString &portName) override;
    void close() override;
    QString portName() const override;
    QString errorString() const override { return m_errorString; }
    int openError() const override { return m_openError; }

    void write(const QByteArray &bytes) override;
    QByteArray read(qint64 maxSize) override;
    qint64 bytesAvailable() const override;
    void setReadBufferSize(qint64 size) override;

private:
    void onError(QSerialPort::SerialPortError error);

    QPointer<QSerialPort> m_port;
    QString m_errorString;
    int m_openError = QSerialPort::NoError;
    // A hung-up peer reports read errors endlessly without data.
    int m_readErrorsWithoutData = 0;
};
