#include "framekit/DockWidget.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDockWidget, "framekit.dockwidget")

DockWidget::DockWidget(const QString &title, Qt::DockWidgetArea initialArea, QWidget *parent,
                       Qt::WindowFlags flags)
    : QDockWidget(title, parent, flags), area(initialArea)
{
    connect(this, &QDockWidget::dockLocationChanged, this, &DockWidget::onDockLocationChanged);
}

DockWidget::DockWidget(Qt::DockWidgetArea initialArea, QWidget *parent, Qt::WindowFlags flags)
    : QDockWidget(parent, flags), area(initialArea)
{
    connect(this, &QDockWidget::dockLocationChanged, this, &DockWidget::onDockLocationChanged);
}

DockWidget::~DockWidget() = default;

void DockWidget::onDockLocationChanged(Qt::DockWidgetArea newArea)
{
    qCDebug(lcDockWidget) << objectName() << "moved to area" << newArea;
    area = newArea;
}
