#pragma once

#include "framekit/ZORVMainWindow.h"

#include "device/LumetraReconnector.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class ConnectionBanner;
class ConnectionStatusBar;
class LumetraController;
class LumetraRecorder;
class LumetraWriteAudit;
class LumetraSerialHandler;
class QAction;
class QCloseEvent;
class QMenu;
class QSignalMapper;
class QThread;
class SerialMonitor;
class TTMenu;

// The program's one top-level window: menus, the log and serial-monitor docks, the serial link on its
// worker thread, and, while a port is open, the "Control Panel" tab with its laser controller.
class RemoteInterface;
class MainWindow : public ZORVMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Tests stand in for the desktop that opens the manual.
    void setDocumentOpener(std::function<bool(const QUrl &)> opener) { openDocument = std::move(opener); }

    // The first plain file in `folder` named like the instruction manual; empty if there is none.
    static QString findManualFile(const QString &folder);
    // Where Help looks for the manual, in order.
    static QStringList manualFolders();

    // Opens `port` if given, else the last port when the operator wants that at start-up and it is
    // there.
    void connectAtStartup(const QString &port = QString());
    // Turns the remote interface on at "[ADDRESS:]PORT"; false, told in the log, when it cannot listen.
    bool startRemoteControl(const QString &address, bool allowWrites);

    LumetraReconnector *connectionWatch() const { return reconnector; }
    ConnectionStatusBar *connectionStatusBar() const { return connectionStatus; }
    ConnectionBanner *connectionBanner() const;
    // The port opened last, stored with the other settings.
    static QString lastPort();
    static bool connectsAtStartup();
    static void setConnectsAtStartup(bool on);

signals:
    void sigOpenCommunication(QString SerialportName);
    void sigCloseCommunication();

public slots:
    void slotWriteLogLine(QString logLine);
    void saveMainWindowState();
    void restoreMainWindowState();
    void closeApplication();
    void updateConnectMenu();
    void updateWindowMenu();
    void connectMenuHandler(QString pipeName);
    void onPortsOpened(QString portname);
    void onPortsClosed(QString portname);
    void showAboutDialog();
    void showHelpManual();
    void showOptionsDialog();
    void updateToolMenu();
    void showConnectConfigDialog();
    void showExtensionsDialog();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createSerialLink();
    void createDocks();
    void createHistory();
    void createRemoteInterface();
    void tabifyBottomDocksOnNarrowScreen();
    void letDockListsShrink();
    void createActions();
    void createMenus();
    void closePortForQuit();

    // Connection state, loss and return, and the reasons a port does not open.
    void createConnectionWatch();
    void onConnectionStateChanged(LumetraReconnector::State state);
    void onOpenFailed(QString portName, int error);
    void showUnavailableReason(const QString &reason);

    LumetraSerialHandler *serialHandler = nullptr;
    QThread *serialThread = nullptr;
    QString openPortName;
    QPointer<LumetraController> controller;

    QAction *exitAct = nullptr;
    QAction *aboutAct = nullptr;
    QAction *manualAct = nullptr;

    TTMenu *connectMenu = nullptr;
    QSignalMapper *connectMapper = nullptr;
    QMenu *windowMenu = nullptr;

    QPointer<SerialMonitor> serialMonitor;

    LumetraReconnector *reconnector = nullptr;
    ConnectionStatusBar *connectionStatus = nullptr;
    QPointer<ConnectionBanner> banner;
    QAction *connectAtStartupAct = nullptr;
    QPointer<LumetraRecorder> recorder;
    QPointer<RemoteInterface> remoteControl;
    QPointer<LumetraWriteAudit> writeAudit;
    // Hands a file to the desktop; false when no program took it. Tests stand in for the desktop.
    std::function<bool(const QUrl &)> openDocument;
};
