#pragma once

#include "sim/SimPort.h"

#include <QLockFile>
#include <QPointer>
#include <QSocketNotifier>

#include <memory>

// The simulator's end of a pseudo-terminal, published as a virtual serial port: a symbolic link to the
// terminal's device in the per-user ports folder, which the program's Connect menu lists. The lock file
// beside the link (its name with ".lock" appended) is held from the first publication until the
// simulator ends, through hang-ups: it tells a running simulator's link from one left by a simulator
// that was killed, which the program does not list and the next simulator replaces.
class SimPty : public SimPort
{
    Q_OBJECT
public:
    explicit SimPty(const QString &linkDirectory, const QString &linkName, QObject *parent = nullptr);
    ~SimPty() override;

    static QString defaultLinkDirectory();

    bool open(QString *error) override;
    // Closes the terminal as an unplugged adapter would and withdraws the published link.
    void hangUp() override;
    bool isOpen() const override { return masterFd >= 0; }
    QString linkPath() const override;
    QString devicePath() const override { return device; }
    qint64 write(const QByteArray &bytes) override;

private:
    void onReadable();
    bool publish(QString *error);
    bool claimName(QString *error);
    void withdraw();

    QString directory;
    QString name;
    QString device;
    int masterFd = -1;
    int slaveFd = -1;
    QPointer<QSocketNotifier> notifier;
    std::unique_ptr<QLockFile> ownership;
};
