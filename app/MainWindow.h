#pragma once

#include "framekit/ZORVMainWindow.h"

#include <QPointer>
#include <QString>

class LumetraController;
class LumetraRecorder;
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
class MainWindow : public ZORVMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The first plain file in `folder` named like the instruction manual; empty if there is none.
    static QString findManualFile(const QString &folder);

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
    void createActions();
    void createMenus();

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
    QPointer<LumetraRecorder> recorder;
};
