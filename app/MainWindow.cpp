#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/ApplicationLog.h"
#include "app/SerialMonitor.h"
#include "app/TTMenu.h"
#include "app/device/LumetraController.h"
#include "app/device/LumetraSerialHandler.h"
#include "app/view/LumetraControlWidget.h"
#include "dialkit/Dialkit.h"
#include "framekit/CenterTabWidget.h"
#include "framekit/MainControlPanel.h"
#include "framekit/SerialportList.h"
#include "framekit/_AppLog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QSettings>
#include <QSignalMapper>
#include <QThread>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcMainWindow, "lumetra.app.mainwindow")

namespace {

const char *const geometryKey = "MainWindow/Geometry";
const char *const windowStateKey = "MainWindow/WindowState";
const int threadEndWaitMs = 2000;
const int controllerStartDelayMs = 10;

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
}

QSettings applicationSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                     QCoreApplication::applicationName());
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : ZORVMainWindow(parent)
{
    _AppLog *appLog = _AppLog::instance();
    appLog->LoadLog();
    appLog->WriteLogLine(tr("***** Application startup %1 *****").arg(today()));

    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" - Version ") +
                   QCoreApplication::applicationVersion() + QStringLiteral(" - Date ") +
                   qApp->property("BUILDDATE").toString());

    Dialkit::loadApplicationFonts();
    qApp->setStyleSheet(Dialkit::getApplicationStylesheet());

    connectMapper = new QSignalMapper(this);
    connect(connectMapper, &QSignalMapper::mappedString, this, &MainWindow::connectMenuHandler);

    createSerialLink();

    // Replaces the framework's own tab area; the toolkit deletes the replaced one.
    setCentralWidget(new CenterTabWidget(this));

    createDocks();
    createActions();
    createMenus();

    restoreMainWindowState();
}

MainWindow::~MainWindow()
{
    if (serialThread) {
        serialThread->quit();
        if (!serialThread->wait(threadEndWaitMs)) {
            // Destroying a running thread object aborts the process; leave it to the end of the process
            // instead, so that the shutdown line is still written and the log still saved.
            qCWarning(lcMainWindow) << "serial worker thread did not end within" << threadEndWaitMs << "ms";
            serialThread->setParent(nullptr);
        }
    }
    _AppLog *appLog = _AppLog::instance();
    appLog->WriteLogLine(tr("***** Application shutdown %1  *****").arg(today()));
    appLog->SaveLog();
    serialMonitor = nullptr;
    controller = nullptr;
}

void MainWindow::createSerialLink()
{
    serialHandler = new LumetraSerialHandler(nullptr);
    serialThread = new QThread(this);
    serialHandler->moveToThread(serialThread);

    // slotMainLoop is private to the link; its thread's start is the one caller, connected by name.
    connect(serialThread, SIGNAL(started()), serialHandler, SLOT(slotMainLoop()));
    connect(serialThread, &QThread::finished, serialHandler, &QObject::deleteLater);
    connect(serialThread, &QThread::finished, serialThread, &QObject::deleteLater);

    connect(this, &MainWindow::sigOpenCommunication, serialHandler,
            &LumetraSerialHandler::slotOpenCommunication);
    connect(this, &MainWindow::sigCloseCommunication, serialHandler,
            &LumetraSerialHandler::slotCloseCommunication);
    connect(serialHandler, &LumetraSerialHandler::sigStatusMessage, this, &MainWindow::slotWriteLogLine);
    connect(serialHandler, &LumetraSerialHandler::sigCommunicationOpened, this, &MainWindow::onPortsOpened);
    connect(serialHandler, &LumetraSerialHandler::sigCommunicationClosed, this, &MainWindow::onPortsClosed);

    serialThread->start(QThread::InheritPriority);
}

void MainWindow::createDocks()
{
    createGenericDockWidget(new ApplicationLog(this), tr("Application Log"), Qt::RightDockWidgetArea, false);
    serialMonitor = new SerialMonitor(this);
    createGenericDockWidget(serialMonitor, tr("Serial Monitor"), Qt::BottomDockWidgetArea, false);

    connect(serialHandler, &LumetraSerialHandler::sigBytesReceived, serialMonitor.data(),
            &SerialMonitor::slotBytesReceived);
    connect(serialHandler, &LumetraSerialHandler::sigBytesTransmitted, serialMonitor.data(),
            &SerialMonitor::slotBytesTransmitted);
}

void MainWindow::createActions()
{
    exitAct = new QAction(tr("&Exit"), this);
    exitAct->setShortcut(QKeySequence(tr("Ctrl+Q")));
    exitAct->setStatusTip(tr("Exit this program"));
    connect(exitAct, &QAction::triggered, this, &MainWindow::closeApplication);

    aboutAct = new QAction(tr("About ") + QCoreApplication::applicationName(), this);
    aboutAct->setStatusTip(tr("About this program"));
    connect(aboutAct, &QAction::triggered, this, &MainWindow::showAboutDialog);

    manualAct = new QAction(tr("Show Instruction Manual"), this);
    manualAct->setStatusTip(tr("Show the Zorvane LUMETRA-QZ - Instruction Manual"));
    connect(manualAct, &QAction::triggered, this, &MainWindow::showHelpManual);
}

void MainWindow::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(exitAct);

    connectMenu = new TTMenu(tr("&Connect"), menuBar());
    menuBar()->addMenu(connectMenu);
    connect(connectMenu, &QMenu::aboutToShow, this, &MainWindow::updateConnectMenu);

    windowMenu = menuBar()->addMenu(tr("&Window"));
    connect(windowMenu, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);

    QMenu *helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(aboutAct);
    helpMenu->addAction(manualAct);
}

void MainWindow::slotWriteLogLine(QString logLine)
{
    if (logLine.contains(QLatin1String("s6")) || logLine.contains(QLatin1String("s7")) ||
        logLine.contains(QLatin1String("s8")) || logLine.contains(QLatin1String("s9")))
        qCDebug(lcMainWindow) << "STOP";
    _AppLog::instance()->WriteLogLine(logLine);
}

void MainWindow::saveMainWindowState()
{
    QSettings settings = applicationSettings();
    settings.setValue(QLatin1String(geometryKey), saveGeometry());
    settings.setValue(QLatin1String(windowStateKey), saveState(0));
}

void MainWindow::restoreMainWindowState()
{
    const QSettings settings = applicationSettings();
    restoreGeometry(settings.value(QLatin1String(geometryKey), QByteArray()).toByteArray());
    restoreState(settings.value(QLatin1String(windowStateKey), QByteArray()).toByteArray(), 0);
}

void MainWindow::closeApplication()
{
    close();
}

void MainWindow::updateConnectMenu()
{
    if (!connectMenu)
        return;
    const QList<QAction *> oldEntries = connectMenu->actions();
    for (QAction *entry : oldEntries)
        connectMapper->removeMappings(entry);
    connectMenu->clear();

    const auto addEntry = [this](const QString &text, const QString &portName) {
        QAction *entry = connectMenu->addAction(text);
        connect(entry, &QAction::triggered, connectMapper, qOverload<>(&QSignalMapper::map));
        connectMapper->setMapping(entry, portName);
        return entry;
    };

    if (openPortName.isEmpty()) {
        connectMenu->setTitle(tr("&Connect"));
        const QStringList names = SerialportList::GetPipeNames();
        for (const QString &name : names)
            addEntry(tr("Open ") + name, name)->setToolTip(SerialportList::GetExtendedPipeName(name));
    } else {
        connectMenu->setTitle(tr("&Disconnect"));
        addEntry(tr("Close ") + openPortName, openPortName);
    }
}

void MainWindow::updateWindowMenu()
{
    if (!windowMenu)
        return;
    windowMenu->clear();
    for (QDockWidget *dock : qAsConst(genericDocks))
        windowMenu->addAction(dock->toggleViewAction());
    windowMenu->addSeparator();
    windowMenu->addSeparator();
    for (QDockWidget *dock : qAsConst(accessoryDocks))
        windowMenu->addAction(dock->toggleViewAction());
    windowMenu->addSeparator();
    for (QDockWidget *dock : qAsConst(thirdDocks))
        windowMenu->addAction(dock->toggleViewAction());
}

void MainWindow::connectMenuHandler(QString pipeName)
{
    if (openPortName.isEmpty())
        emit sigOpenCommunication(pipeName);
    else
        emit sigCloseCommunication();
}

void MainWindow::onPortsOpened(QString portname)
{
    openPortName = portname;
    updateConnectMenu();

    auto *controlPanel = new MainControlPanel(this);
    createSystemWidget(controlPanel, tr("Control Panel"));

    controller = new LumetraController(serialHandler, this);
    controller->setControlBuilder(LumetraControlWidget::builder(controlPanel));
    controller->setLogSink([](const QString &line) { _AppLog::instance()->WriteLogLine(line); });
    if (serialMonitor && controller)
        connect(serialMonitor.data(), &SerialMonitor::sigSendCommand, controller.data(),
                &LumetraController::slotSendManualCommand);

    // The controller's loop is private to it; the timer names it, and has no receiver if it is gone.
    QTimer::singleShot(controllerStartDelayMs, controller.data(), SLOT(slotMainLoop()));
}

void MainWindow::onPortsClosed(QString portname)
{
    Q_UNUSED(portname)
    openPortName.clear();
    updateConnectMenu();
    if (controller)
        controller->deleteLater();
    removeAllSystemWidgets();
}

void MainWindow::showAboutDialog()
{
    AboutDialog dialog(this);
    dialog.exec();
}

QString MainWindow::findManualFile(const QString &folder)
{
    const QStringList matches = QDir(folder).entryList({tr("Zorvane LUMETRA-QZ - Instruction Manual*.*")},
                                                       QDir::Files | QDir::NoSymLinks, QDir::Unsorted);
    return matches.isEmpty() ? QString() : QDir(folder).absoluteFilePath(matches.first());
}

void MainWindow::showHelpManual()
{
    const QString manual = findManualFile(QCoreApplication::applicationDirPath() + QStringLiteral("/Manual"));
    if (manual.isEmpty())
        return;
    // A local-file URL: "file:///" before a Windows drive path, and no fourth slash before a Unix path.
    QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
}

void MainWindow::showOptionsDialog() {}

void MainWindow::updateToolMenu() {}

void MainWindow::showConnectConfigDialog() {}

void MainWindow::showExtensionsDialog() {}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Saved while the docks are still in place, so their layout is what the next start restores.
    saveMainWindowState();
    removeAllAccessoryDocks();
    removeAllGenericDocks();
    ZORVMainWindow::closeEvent(event);
}
