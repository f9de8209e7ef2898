#pragma once

#include <QFile>
#include <QObject>

// The time-stamped record of a session: every command line received, every line sent, and the faults
// and port events in between. Bytes are written as quoted C strings so that binary noise stays readable.
class SimTranscript : public QObject
{
    Q_OBJECT
public:
    explicit SimTranscript(QObject *parent = nullptr);

    bool open(const QString &path, QString *error);
    bool isOpen() const { return file.isOpen(); }
    void received(const QByteArray &line);
    void sent(const QByteArray &bytes);
    void note(const QString &text);

    static QString quoted(const QByteArray &bytes);

private:
    void write(const char *direction, const QString &text);

    QFile file;
};
