#include "framekit/ZORVMainWindow.h"

#include "framekit/CenterTabWidget.h"
#include "framekit/DockWidget.h"

#include <QLoggingCategory>
#include <QMenuBar>
#include <QMetaObject>
#include <QStatusBar>

Q_LOGGING_CATEGORY(lcZORVMainWindow, "framekit.zorvmainwindow")

ZORVMainWindow::ZORVMainWindow(QWidget *parent) : QMainWindow(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ZORVMainWindow"));
    resize(800, 600);

    menubar = new QMenuBar(this);
    menubar->setObjectName(QStringLiteral("menubar"));
    setMenuBar(menubar);
    centralwidget = new QWidget(this);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    setCentralWidget(centralwidget);
    statusbar = new QStatusBar(this);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    setStatusBar(statusbar);

    setWindowTitle(tr("MainWindow"));
    QMetaObject::connectSlotsByName(this);

    centerTabWidget = new CenterTabWidget(nullptr);
    setCentralWidget(centerTabWidget);
    centralwidget = nullptr; // deleted by the toolkit when replaced
}

ZORVMainWindow::~ZORVMainWindow() = default;

CenterTabWidget *ZORVMainWindow::getCenterTabWidget() const
{
    if (auto *current = qobject_cast<CenterTabWidget *>(centralWidget()))
        return current;
    return centerTabWidget.data();
}

void ZORVMainWindow::createSystemWidget(QWidget *widget, QString widgetName)
{
    if (CenterTabWidget *tabs = getCenterTabWidget())
        tabs->appendCenterWidget(widget, widgetName);
    else
        qCWarning(lcZORVMainWindow) << "no central tab area for" << widgetName;
}

void ZORVMainWindow::removeAllSystemWidgets()
{
    if (CenterTabWidget *tabs = getCenterTabWidget())
        tabs->removeAllCenterWidgets();
}

void ZORVMainWindow::createAccessoryWidget(QWidget *deviceWidget, uchar deviceId, uchar deviceType)
{
    Q_UNUSED(deviceWidget)
    Q_UNUSED(deviceId)
    Q_UNUSED(deviceType)
}

void ZORVMainWindow::removeAllAccessoryDocks()
{
    removeDocks(accessoryDocks);
}

void ZORVMainWindow::createGenericDockWidget(QWidget *widget, QString title, Qt::DockWidgetArea area,
                                             bool visible)
{
    auto *dock = new DockWidget(title, area, nullptr, Qt::Window);
    // The saved window state finds docks again by object name.
    dock->setObjectName(title);
    dock->setWidget(widget);
    // Docked before its visibility is set: a parentless dock made visible first would flash up as a
    // top-level window of its own.
    addDockWidget(area, dock);
    dock->setVisible(visible);
    genericDocks.append(dock);
}

void ZORVMainWindow::removeAllGenericDocks()
{
    removeDocks(genericDocks);
}

void ZORVMainWindow::removeDocks(QList<QDockWidget *> &docks)
{
    while (!docks.isEmpty()) {
        QDockWidget *dock = docks.takeLast();
        if (!dock)
            continue;
        qCDebug(lcZORVMainWindow) << "removing dock" << dock->objectName();
        removeDockWidget(dock);
        dock->deleteLater();
    }
}
