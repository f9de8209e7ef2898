#include "framekit/SerialportList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QRegExp>
#include <QSerialPortInfo>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

Q_LOGGING_CATEGORY(lcSerialportList, "framekit.serialportlist")

QMap<QString, SerialportListEntry> SerialportList::pipes;

namespace {
int scans = 0;
} // namespace

SerialportList::SerialportList(QObject *parent) : QObject(parent) {}

SerialportList::~SerialportList() = default;

void SerialportList::refreshPipeList()
{
    ++scans;
    QList<PortDescription> ports = systemPorts();
    if (platformNaming() == Naming::AsReported)
        ports += virtualPorts();
    refreshPipeList(ports, platformNaming());
}

QStringList SerialportList::GetPipeNames()
{
    refreshPipeList();
    return pipes.keys();
}

QString SerialportList::GetExtendedPipeName(QString name)
{
    // An entry's description is fixed when its port is first seen, so the last scan's is current.
    auto it = pipes.constFind(name);
    if (it == pipes.constEnd()) {
        refreshPipeList();
        it = pipes.constFind(name);
    }
    return it == pipes.constEnd() ? QString() : it->pipeExtendedName();
}

int SerialportList::scanCount()
{
    return scans;
}

void SerialportList::refreshPipeList(const QList<PortDescription> &ports, Naming naming)
{
    // Later ports of the same name win, as the platform list is read front to back.
    QMap<QString, PortDescription> current;
    for (const PortDescription &port : ports) {
        if (naming == Naming::ComPorts) {
            if (!port.portName.contains(QLatin1String("COM"), Qt::CaseInsensitive))
                continue;
            current.insert(port.portName.toUpper(), port);
        } else if (!port.portName.isEmpty()) {
            current.insert(port.portName, port);
        }
    }

    for (auto it = current.constBegin(); it != current.constEnd(); ++it) {
        if (pipes.contains(it.key()))
            continue;
        PortDescription named = it.value();
        named.portName = it.key();
        const QString description = extendedName(named);
        qCDebug(lcSerialportList) << "port appeared:" << description;
        pipes.insert(it.key(), SerialportListEntry(it.key(), description));
    }

    for (auto it = pipes.begin(); it != pipes.end();) {
        if (current.contains(it.key())) {
            ++it;
        } else {
            qCDebug(lcSerialportList) << "port gone:" << it.key();
            it = pipes.erase(it);
        }
    }
}

QString SerialportList::extendedName(const PortDescription &port)
{
    QString text = port.portName;
    if (!port.manufacturer.isEmpty())
        text += QLatin1Char('-') + port.manufacturer;
    if (port.hasProductIdentifier)
        text += QLatin1Char('-') + QString::number(port.productIdentifier);
    if (port.hasVendorIdentifier)
        text += QLatin1Char('-') + QString::number(port.vendorIdentifier);
    return text;
}

SerialportList::Naming SerialportList::platformNaming()
{
#ifdef Q_OS_WIN
    return Naming::ComPorts;
#else
    return Naming::AsReported;
#endif
}

QList<SerialportList::PortDescription> SerialportList::systemPorts()
{
    QList<PortDescription> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        if (isPortWithoutDevice(info.portName()))
            continue;
        PortDescription port;
        port.portName = info.portName();
        port.manufacturer = info.manufacturer();
        port.hasProductIdentifier = info.hasProductIdentifier();
        port.productIdentifier = info.productIdentifier();
        port.hasVendorIdentifier = info.hasVendorIdentifier();
        port.vendorIdentifier = info.vendorIdentifier();
        ports.append(port);
    }
    return ports;
}

bool SerialportList::isPortWithoutDevice(const QString &portName, const QString &sysfsTtyFolder)
{
#ifdef Q_OS_LINUX
    static const QRegExp legacyName(QStringLiteral("ttyS\\d+"));
    if (!legacyName.exactMatch(portName))
        return false;
    // The serial core reports the UART type; 0 means no UART was found at that address.
    QFile typeFile(sysfsTtyFolder + QLatin1Char('/') + portName + QStringLiteral("/type"));
    if (!typeFile.open(QIODevice::ReadOnly))
        return false;
    return typeFile.readAll().trimmed() == "0";
#else
    Q_UNUSED(portName)
    Q_UNUSED(sysfsTtyFolder)
    return false;
#endif
}

QString SerialportList::virtualPortFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/LUMETRA-QZ/ports");
}

QList<SerialportList::PortDescription> SerialportList::virtualPorts()
{
    QList<PortDescription> ports;
    const QDir folder(virtualPortFolder());
    if (!folder.exists())
        return ports;
    const QFileInfoList entries = folder.entryInfoList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        // exists() follows the link: a simulator that ended without tidying up leaves dangling links.
        if (!entry.isSymLink() || !entry.exists() || !isOwnedLink(entry.absoluteFilePath()))
            continue;
        PortDescription port;
        port.portName = entry.absoluteFilePath();
        ports.append(port);
    }
    return ports;
}

bool SerialportList::isOwnedLink(const QString &linkPath)
{
    const QLockFile lock(linkPath + QStringLiteral(".lock"));
    qint64 pid = 0;
    QString host;
    QString application;
    // Only read: taking the lock, even for a moment, could turn away a simulator starting right now.
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0 || host != QSysInfo::machineHostName())
        return false;
#ifdef Q_OS_UNIX
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
#else
    // The simulator publishes links only where there are pseudo-terminals.
    return false;
#endif
#ifdef Q_OS_LINUX
    // A process number is reused too: the owner must still be the program that took the lock.
    const QFileInfo executable(QStringLiteral("/proc/%1/exe").arg(pid));
    const QString running = QFileInfo(executable.symLinkTarget()).fileName();
    if (!running.isEmpty() && !application.isEmpty() && running != application)
        return false;
#endif
    return true;
}
