#pragma once

#include "framekit/FramekitExport.h"
#include "framekit/SerialportListEntry.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

// Process-wide table of the serial ports present right now, keyed by the name to open. Listing the
// names rescans first, so the Connect menu always reflects what is plugged in when it opens; the
// description of a listed port is read from that scan, since a scan costs tens of milliseconds a port
// and the menu asks for every entry's description.
// Not thread-safe: all callers are on the GUI thread.
class FRAMEKIT_EXPORT SerialportList : public QObject
{
    Q_OBJECT
public:
    // What the platform tells about one port; kept separate from QSerialPortInfo so the naming and
    // table rules can be fed with any set of ports.
    struct PortDescription
    {
        QString portName;
        QString manufacturer;
        bool hasProductIdentifier = false;
        quint16 productIdentifier = 0;
        bool hasVendorIdentifier = false;
        quint16 vendorIdentifier = 0;
    };

    enum class Naming
    {
        // Windows: only "COM" ports, named in upper case.
        ComPorts,
        // Everywhere else: names exactly as the system reports them, since the name is what gets opened.
        AsReported
    };

    explicit SerialportList(QObject *parent = nullptr);
    ~SerialportList() override;

    static void refreshPipeList();
    static QStringList GetPipeNames();
    // Rescans only for a name the last scan did not list.
    static QString GetExtendedPipeName(QString name);
    // How many times the system's ports have been scanned since the program started.
    static int scanCount();

    // The table update itself, for a given list of ports.
    static void refreshPipeList(const QList<PortDescription> &ports, Naming naming);
    static QString extendedName(const PortDescription &port);
    static Naming platformNaming();

    // Ports the system reports for real hardware.
    static QList<PortDescription> systemPorts();
    // Legacy on-board ports (ttyS) are announced by the kernel whether or not a UART sits behind them.
    static bool isPortWithoutDevice(const QString &portName,
                                    const QString &sysfsTtyFolder = QStringLiteral("/sys/class/tty"));

    // Folder in which the laser simulator publishes its pseudo-terminals as symbolic links. A link
    // counts only while the simulator that made it runs: it holds the lock file named after the link
    // with ".lock" appended. A killed simulator leaves both behind, and once its terminal's number is
    // reused the link would lead to an unrelated terminal.
    static QString virtualPortFolder();
    static QList<PortDescription> virtualPorts();
    static bool isOwnedLink(const QString &linkPath);

    static QMap<QString, SerialportListEntry> pipes;
};
