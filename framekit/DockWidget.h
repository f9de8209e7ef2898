#pragma once

#include "framekit/FramekitExport.h"

#include <QDockWidget>
#include <QString>

// Dock that remembers the area it currently sits in.
class FRAMEKIT_EXPORT DockWidget : public QDockWidget
{
    Q_OBJECT
public:
    explicit DockWidget(const QString &title, Qt::DockWidgetArea area, QWidget *parent = nullptr,
                        Qt::WindowFlags flags = Qt::WindowFlags());
    explicit DockWidget(Qt::DockWidgetArea area, QWidget *parent = nullptr,
                        Qt::WindowFlags flags = Qt::WindowFlags());
    ~DockWidget() override;

    Qt::DockWidgetArea dockArea() const { return area; }

private slots:
    void onDockLocationChanged(Qt::DockWidgetArea area);

private:
    Qt::DockWidgetArea area;
};
