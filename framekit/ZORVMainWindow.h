#pragma once

#include "framekit/FramekitExport.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class CenterTabWidget;
class QDockWidget;
class QMenuBar;
class QStatusBar;

// Window skeleton shared by the device-control programs of the family: menu bar, status bar, a tabbed
// central area with a fixed welcome page, and helpers that add tabs ("system widgets") and docks.
class FRAMEKIT_EXPORT ZORVMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit ZORVMainWindow(QWidget *parent = nullptr);
    ~ZORVMainWindow() override;

    // The tab area in use: a subclass may install its own CenterTabWidget as central widget, in which
    // case that one is meant, not the one this constructor made (the toolkit has deleted that).
    CenterTabWidget *getCenterTabWidget() const;

    const QList<QDockWidget *> &getGenericDocks() const { return genericDocks; }
    const QList<QDockWidget *> &getAccessoryDocks() const { return accessoryDocks; }
    const QList<QDockWidget *> &getThirdDocks() const { return thirdDocks; }

public slots:
    void createSystemWidget(QWidget *widget, QString widgetName);
    void removeAllSystemWidgets();
    void createAccessoryWidget(QWidget *deviceWidget, uchar deviceId, uchar deviceType);
    void removeAllAccessoryDocks();
    void createGenericDockWidget(QWidget *widget, QString title, Qt::DockWidgetArea area, bool visible);
    void removeAllGenericDocks();

protected:
    void removeDocks(QList<QDockWidget *> &docks);

    QPointer<CenterTabWidget> centerTabWidget;
    QList<QDockWidget *> genericDocks;
    QList<QDockWidget *> accessoryDocks;
    QList<QDockWidget *> thirdDocks;

    QMenuBar *menubar = nullptr;
    QWidget *centralwidget = nullptr;
    QStatusBar *statusbar = nullptr;
};
