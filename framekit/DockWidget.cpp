#include "framekit/DockWidget.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDockWidget, "framekit.dockwidget")

DockWidget::DockWidget(const QString &title, Qt::DockWidgetArea area, QWidget *parent, Qt::WindowFlags flags)
    : QDockWidget(title, parent, flags), area(area)
{
    connect(this, &QDockWidget::dockLocationChanged, this, &DockWidget::onDockLocationChanged);
}

DockWidget::DockWidget(Qt::DockWidgetArea area, QWidget *parent, Qt::WindowFlags flags)
    : QDockWidget(parent, flags), area(area)
{
    connect(this, &QDockWidget::dockLocationChanged, this, &DockWidget::onDockLocationChanged);
}

DockWidget::~DockWidget() = default;

void DockWidget::onDockLocationChanged(Qt::DockWidgetArea area)
{
    qCDebug(lcDockWidget) << objectName() << "moved to area" << area;
    this->area = area;
}
