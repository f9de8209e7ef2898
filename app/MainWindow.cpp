#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/ApplicationLog.h"
#include "app/ConnectionBanner.h"
#include "app/ConnectionStatusBar.h"
#include "app/PortOpenAdvice.h"
#include "app/RemoteInterface.h"
#include "app/SerialMonitor.h"
#include "app/TTMenu.h"
#include "app/history/LumetraEventsView.h"
#include "app/history/LumetraTrendsView.h"
#include "app/view/LumetraControlWidget.h"
#include "device/LumetraController.h"
#include "device/LumetraOperatorState.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraSerialHandler.h"
#include "device/LumetraTransport.h"
#include "device/LumetraWriteAudit.h"
#include "dialkit/Dialkit.h"
#include "framekit/CenterTabWidget.h"
#include "framekit/GUIOverlay.h"
#include "framekit/GUIWidget.h"
#include "framekit/MainControlPanel.h"
#include "framekit/SerialportList.h"
#include "framekit/_AppLog.h"
#include "record/LumetraControllerTap.h"
#include "record/LumetraRecordSource.h"
#include "record/LumetraRecorder.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSignalMapper>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcMainWindow, "lumetra.app.mainwindow")

namespace {

const char *const geometryKey = "MainWindow/Geometry";
const char *const windowStateKey = "MainWindow/WindowState";
const char *const lastPortKey = "Connection/LastPort";
const char *const connectAtStartupKey = "Connection/ConnectAtStartup";
const char *const networkPortsKey = "Connection/NetworkPorts";
const int rememberedNetworkPorts = 5;
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
    createConnectionWatch();
    createHistory();
    createRemoteInterface();
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

// The recorder of readings and events, and its two docks. The recorder decodes the link's lines itself,
// so it records from the first line of every connection whatever the panel does; what the controller
// derives is added once a controller exists for the port.
void MainWindow::createHistory()
{
    QSettings settings = applicationSettings();
    const char *const retentionKey = "Recorder/RetentionDays";
    if (!settings.contains(retentionKey))
        settings.setValue(retentionKey, LumetraRecorder::defaultRetentionDays);
    recorder = new LumetraRecorder(LumetraRecordStore::defaultFolder(), this);
    recorder->attachLinkAndDecode(serialHandler);
    // Attached to the link before the recorder, the watch has judged every close the recorder hears of.
    recorder->followConnection(reconnector);
    // Each write is told once, by whoever gave it, with the laser's answer.
    writeAudit = new LumetraWriteAudit(recorder->model(), this);
    writeAudit->attachLink(serialHandler);
    recorder->followAudit(writeAudit);
    connect(serialHandler, &LumetraSerialHandler::sigCommunicationOpened, this, [this] {
        if (controller && recorder)
            LumetraControllerTap::attach(recorder, controller);
    });
    if (serialMonitor)
        connect(serialMonitor.data(), &SerialMonitor::sigSendCommand, recorder.data(),
                &LumetraRecorder::recordManualCommand);
    for (auto signal :
         {&LumetraRecorder::sigProblem, &LumetraRecorder::sigNotice, &LumetraRecorder::sigRecovered}) {
        connect(recorder.data(), signal, this, [this](const QString &message) {
            slotWriteLogLine(message);
            statusBar()->showMessage(message, 30000);
        });
    }
    // After the messages are connected: a setting that cannot be read is refused in the operator's sight.
    recorder->setRetentionDays(settings.value(retentionKey));

    auto *source = new LumetraRecordSource(recorder, QString(), recorder);
    createGenericDockWidget(new LumetraTrendsView(source, this), tr("Trends"), Qt::BottomDockWidgetArea,
                            false);
    createGenericDockWidget(new LumetraEventsView(source, this), tr("Events"), Qt::BottomDockWidgetArea,
                            false);
    tabifyBottomDocksOnNarrowScreen();
    letDockListsShrink();
}

// The least height of a dock is that of its lists and text views, and with the panel above them it decides
// whether the window fits a low screen. A view that shows a few lines and scrolls is enough.
void MainWindow::letDockListsShrink()
{
    const int fewLines = 2 * fontMetrics().height();
    for (QDockWidget *dock : qAsConst(genericDocks)) {
        const QList<QAbstractScrollArea *> views = dock->widget()->findChildren<QAbstractScrollArea *>();
        for (QAbstractScrollArea *view : views) {
            // Headers are scroll areas too, and lists of combo boxes open in pop-ups of their own.
            if (view->window() == this && !qobject_cast<QHeaderView *>(view))
                view->setMinimumHeight(qMin(view->minimumSizeHint().height(), fewLines));
        }
    }
}

// Side by side, the docks at the bottom need the sum of their widths, and the window may not be narrower
// than that: on a laptop screen it would reach past the screen's edge. There they share the width as tabs.
// A layout the operator saved is restored after this and wins.
void MainWindow::tabifyBottomDocksOnNarrowScreen()
{
    QList<QDockWidget *> bottom;
    int sideBySide = 0;
    for (QDockWidget *dock : qAsConst(genericDocks)) {
        if (dockWidgetArea(dock) == Qt::BottomDockWidgetArea) {
            bottom << dock;
            sideBySide += dock->sizeHint().width();
        }
    }
    const QScreen *shownOn = screen();
    // The widths are those of empty docks: a fifth of the screen is kept for the laser names and texts
    // that fill them later.
    if (bottom.size() < 2 || !shownOn || sideBySide <= shownOn->availableGeometry().width() * 4 / 5)
        return;
    for (int i = 1; i < bottom.size(); ++i)
        tabifyDockWidget(bottom.first(), bottom.at(i));
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

    connectAtStartupAct = new QAction(tr("Connect to the last port at start-up"), this);
    connectAtStartupAct->setCheckable(true);
    connectAtStartupAct->setChecked(connectsAtStartup());
    connect(connectAtStartupAct, &QAction::toggled, this, &MainWindow::setConnectsAtStartup);

    manualAct = new QAction(tr("Show Instruction Manual"), this);
    manualAct->setStatusTip(tr("Show the Zorvane LUMETRA-QZ - Instruction Manual"));
    connect(manualAct, &QAction::triggered, this, &MainWindow::showHelpManual);
}

void MainWindow::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(connectAtStartupAct);
    if (remoteControl)
        fileMenu->addMenu(remoteControl->menu());
    fileMenu->addSeparator();
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
        const QString last = lastPort();
        if (!last.isEmpty() && LumetraReconnector::portExists(last)) {
            addEntry(tr("Reconnect ") + last, last)->setToolTip(SerialportList::GetExtendedPipeName(last));
            connectMenu->addSeparator();
        }
        const QStringList names = SerialportList::GetPipeNames();
        for (const QString &name : names)
            addEntry(tr("Open ") + name, name)->setToolTip(SerialportList::GetExtendedPipeName(name));
        // Network ports cannot be listed, only remembered: the last few the operator opened.
        connectMenu->addSeparator();
        const QStringList networkPorts =
            applicationSettings().value(QLatin1String(networkPortsKey)).toStringList();
        for (const QString &name : networkPorts)
            addEntry(tr("Open ") + name, name);
        connect(connectMenu->addAction(tr("Open network port…")), &QAction::triggered, this,
                [this, networkPorts] {
                    bool ok = false;
                    QString name =
                        QInputDialog::getText(
                            this, tr("Open network port"),
                            tr("Host and TCP port of the serial device server (raw TCP mode), as HOST:PORT:"),
                            QLineEdit::Normal,
                            networkPorts.value(0).mid(int(qstrlen(LumetraTransport::NetworkScheme))), &ok)
                            .trimmed();
                    if (!ok || name.isEmpty())
                        return;
                    if (!LumetraTransport::isNetworkPort(name))
                        name.prepend(QLatin1String(LumetraTransport::NetworkScheme));
                    QString host;
                    quint16 port = 0;
                    if (!LumetraTransport::parseNetworkPort(name, &host, &port)) {
                        QMessageBox::warning(
                            this, tr("Open network port"),
                            tr("%1 is not a network port; write it as HOST:PORT.").arg(name));
                        return;
                    }
                    QStringList remembered = networkPorts;
                    remembered.removeAll(name);
                    remembered.prepend(name);
                    applicationSettings().setValue(QLatin1String(networkPortsKey),
                                                   QStringList(remembered.mid(0, rememberedNetworkPorts)));
                    connectMenuHandler(name);
                });
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
    // The name as it was opened, which may be a path, so that it opens the same way next time.
    const QString opened =
        reconnector && !reconnector->portName().isEmpty() ? reconnector->portName() : portname;
    applicationSettings().setValue(QLatin1String(lastPortKey), opened);
    updateConnectMenu();

    auto *controlPanel = new MainControlPanel(this);
    createSystemWidget(controlPanel, tr("Control Panel"));

    controller = new LumetraController(serialHandler, this);
    controller->setControlBuilder(LumetraControlWidget::builder(controlPanel));
    controller->setLogSink([](const QString &line) { _AppLog::instance()->WriteLogLine(line); });
    if (remoteControl)
        remoteControl->setController(controller);
    if (writeAudit)
        writeAudit->attachController(controller);
    if (serialMonitor && controller) {
        connect(serialMonitor.data(), &SerialMonitor::sigSendCommand, controller.data(),
                &LumetraController::slotSendManualCommand);
        serialMonitor->followPolling(controller.data());
    }

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

QStringList MainWindow::manualFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    // Beside the program first; then where the packages install it (share/ beside bin/, so a relocated
    // installation finds it too); then the build tree, where the program sits one folder below the manual.
    return {programFolder + QStringLiteral("/Manual"),
            QDir::cleanPath(programFolder + QStringLiteral("/../share/lumetra-qz/Manual")),
            QDir::cleanPath(programFolder + QStringLiteral("/../Manual"))};
}

void MainWindow::showHelpManual()
{
    QString manual;
    const QStringList folders = manualFolders();
    for (const QString &folder : folders) {
        manual = findManualFile(folder);
        if (!manual.isEmpty())
            break;
    }
    if (manual.isEmpty()) {
        // Doing nothing would look like a broken menu entry: say where it was looked for.
        auto *box = new QMessageBox(QMessageBox::Information, tr("Show Instruction Manual"),
                                    tr("The instruction manual was not found. It was looked for in:\n%1")
                                        .arg(folders.join(QLatin1Char('\n'))),
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("manualNotFound"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    // A local-file URL: "file:///" before a Windows drive path, and no fourth slash before a Unix path.
    if (openDocument ? openDocument(QUrl::fromLocalFile(manual))
                     : QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        return;
    // A desktop without a program for the file says so only on stderr; the operator must hear it and be
    // able to open the manual by hand.
    qCWarning(lcMainWindow).noquote() << "no program opened the instruction manual" << manual;
    auto *box =
        new QMessageBox(QMessageBox::Information, tr("Show Instruction Manual"),
                        tr("No program on this computer opened the instruction manual. It is here:\n%1")
                            .arg(QDir::toNativeSeparators(manual)),
                        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("manualNotOpened"));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::showOptionsDialog() {}

void MainWindow::updateToolMenu() {}

void MainWindow::showConnectConfigDialog() {}

void MainWindow::showExtensionsDialog() {}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Saved while the docks are still in place, so their layout is what the next start restores.
    saveMainWindowState();
    closePortForQuit();
    removeAllAccessoryDocks();
    removeAllGenericDocks();
    ZORVMainWindow::closeEvent(event);
}

// Quitting closes the port as Disconnect does, so that the recording ends with the close and the port's
// lock file goes; a link that does not answer in time is left to the destructor.
void MainWindow::closePortForQuit()
{
    if (openPortName.isEmpty())
        return;
    QEventLoop wait;
    connect(serialHandler, &LumetraSerialHandler::sigCommunicationClosed, &wait, &QEventLoop::quit);
    QTimer::singleShot(threadEndWaitMs, &wait, &QEventLoop::quit);
    emit sigCloseCommunication();
    wait.exec();
}

// ---------------------------------------------------------------------------------------------
// Connection state, loss and return

void MainWindow::createConnectionWatch()
{
    reconnector = new LumetraReconnector(this);
    // The operator's requests reach the watch directly, before the link acts on them.
    connect(this, &MainWindow::sigOpenCommunication, reconnector, &LumetraReconnector::slotOpenRequested);
    connect(this, &MainWindow::sigCloseCommunication, reconnector, &LumetraReconnector::slotCloseRequested);
    reconnector->attach(serialHandler);
    connect(reconnector, &LumetraReconnector::logLine, this, &MainWindow::slotWriteLogLine);

    // Following the link before this window does, the status bar has the laser's state ready for it.
    connectionStatus = new ConnectionStatusBar(this);
    connectionStatus->follow(reconnector);
    statusBar()->addPermanentWidget(connectionStatus);
    connect(connectionStatus, &ConnectionStatusBar::noLaserAnswers, this, &MainWindow::slotWriteLogLine);
    // The laser's last report must outlive the controller, which goes with the port: the status bar
    // keeps it from a decoder of its own on the link.
    auto *reports = new LumetraResponseDecoder(this);
    connect(serialHandler, &LumetraSerialHandler::sigLineReceived, reports,
            &LumetraResponseDecoder::slotLineReceived);
    connect(serialHandler, &LumetraSerialHandler::sigConnectedStatus, reports,
            &LumetraResponseDecoder::slotConnectedStatus);
    connect(reports, &LumetraResponseDecoder::siguiTmpChar2Changed, connectionStatus,
            [this](uchar status) { connectionStatus->setReportedStatus(status); });
    connect(reports, &LumetraResponseDecoder::sigSystemStateChanged, connectionStatus,
            [this](SystemState state) { connectionStatus->setReportedSystemState(state); });

    connect(reconnector, &LumetraReconnector::stateChanged, this, &MainWindow::onConnectionStateChanged);
    connect(serialHandler, &LumetraSerialHandler::sigOpenFailed, this, &MainWindow::onOpenFailed);

    banner = new ConnectionBanner(centralWidget());
    connect(banner.data(), &ConnectionBanner::cancelled, reconnector, &LumetraReconnector::cancel);
}

void MainWindow::onConnectionStateChanged(LumetraReconnector::State state)
{
    using State = LumetraReconnector::State;
    // The banner keeps what the laser reported last until it answers again or the port is closed.
    const LumetraOperatorState laser = connectionStatus->operatorState();
    banner->setLastReport(laser.lastReportText(), laser.emissionText());
    if (!laser.isLive() && !laser.lastReportText().isEmpty() &&
        (state == State::Unavailable || state == State::Lost || state == State::OtherLaser))
        slotWriteLogLine(laser.summary());
    switch (state) {
    case State::Lost:
        banner->showWait(
            tr("Connection to %1 lost at %2 — reconnecting when it returns.")
                .arg(reconnector->portName(), reconnector->since().toString(QStringLiteral("HH:mm:ss"))));
        break;
    case State::OtherLaser: {
        const auto identity = [this](const QString &type, const QString &serial) {
            return serial.isEmpty() ? type : tr("%1, S/N %2").arg(type, serial);
        };
        banner->showNotice(
            tr("Another laser answered on %1 (%2) instead of %3; the connection stays closed.")
                .arg(reconnector->portName(),
                     identity(reconnector->foundSystemType(), reconnector->foundSerialNumber()),
                     identity(reconnector->expectedSystemType(), reconnector->expectedSerialNumber())));
        break;
    }
    case State::Unavailable:
        banner->showNotice(laser.reason() + QLatin1Char('.'));
        showUnavailableReason(tr("No echo since %1")
                                  .arg(reconnector->lastLineTime().isValid()
                                           ? reconnector->lastLineTime().toString(QStringLiteral("HH:mm:ss"))
                                           : QStringLiteral("--:--:--")));
        break;
    case State::Connected:
        showUnavailableReason(QString());
        banner->hide();
        break;
    case State::Closed:
        banner->hide();
        break;
    case State::Waiting:
    case State::Handshake:
        break;
    }
}

void MainWindow::showUnavailableReason(const QString &reason)
{
    const CenterTabWidget *tabs = getCenterTabWidget();
    if (!tabs)
        return;
    const QList<GUIWidget *> pages = tabs->findChildren<GUIWidget *>();
    for (GUIWidget *page : pages)
        page->getOverlay()->setReasonMessage(reason);
}

void MainWindow::onOpenFailed(QString portName, int error)
{
    // A retry after a loss fails quietly until the port is really back.
    if (reconnector->state() == LumetraReconnector::State::Lost)
        return;
    const QString advice = PortOpenAdvice::explain(portName, error);
    if (advice.isEmpty())
        return;
    slotWriteLogLine(advice);
    banner->showNotice(tr("Could not open %1. %2").arg(portName, advice));
}

ConnectionBanner *MainWindow::connectionBanner() const
{
    return banner.data();
}

// Scripts reach the laser through the same model the recorder keeps: the interface is off until the
// operator or --remote turns it on.
void MainWindow::createRemoteInterface()
{
    if (!recorder)
        return;
    remoteControl = new RemoteInterface(recorder->model(), serialHandler, this);
    connect(remoteControl, &RemoteInterface::logLine, this, &MainWindow::slotWriteLogLine);
    remoteControl->setAudit(writeAudit);
    statusBar()->addPermanentWidget(remoteControl->statusLabel());
}

bool MainWindow::startRemoteControl(const QString &address, bool allowWrites)
{
    if (!remoteControl || address.isEmpty())
        return false;
    QString error;
    if (!remoteControl->listen(address, &error)) {
        slotWriteLogLine(tr("Remote control cannot listen on %1: %2").arg(address, error));
        return false;
    }
    remoteControl->setWritesAllowed(allowWrites);
    return true;
}

void MainWindow::connectAtStartup(const QString &port)
{
    if (!port.isEmpty()) {
        emit sigOpenCommunication(port);
        return;
    }
    const QString last = lastPort();
    if (connectsAtStartup() && !last.isEmpty() && LumetraReconnector::portExists(last))
        emit sigOpenCommunication(last);
}

QString MainWindow::lastPort()
{
    return applicationSettings().value(QLatin1String(lastPortKey)).toString();
}

bool MainWindow::connectsAtStartup()
{
    return applicationSettings().value(QLatin1String(connectAtStartupKey), false).toBool();
}

void MainWindow::setConnectsAtStartup(bool on)
{
    applicationSettings().setValue(QLatin1String(connectAtStartupKey), on);
}
