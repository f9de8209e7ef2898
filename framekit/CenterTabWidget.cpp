#include "framekit/CenterTabWidget.h"

#include "framekit/SplashImage.h"

#include <QGridLayout>
#include <QLoggingCategory>
#include <QTabWidget>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcCenterTabWidget, "framekit.centertabwidget")

CenterTabWidget::CenterTabWidget(QWidget *parent) : QWidget(parent)
{
    verticalLayout = new QVBoxLayout(this);
    verticalLayout->setContentsMargins(1, 1, 1, 1);
    tabWidget = new QTabWidget(this);
    verticalLayout->addWidget(tabWidget);

    auto *welcomePage = new QWidget(tabWidget);
    auto *grid = new QGridLayout(welcomePage);
    grid->addWidget(new SplashImage(welcomePage), 1, 1);
    const int stretch[3] = {1, 10, 1};
    for (int i = 0; i < 3; ++i) {
        grid->setColumnStretch(i, stretch[i]);
        grid->setRowStretch(i, stretch[i]);
    }
    tabWidget->addTab(welcomePage, tr("Welcome"));

    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(pal.color(QPalette::Window), Qt::SolidPattern));
    setPalette(pal);
    setAutoFillBackground(true);
}

CenterTabWidget::~CenterTabWidget() = default;

void CenterTabWidget::appendCenterWidget(QWidget *widget, QString widgetName)
{
    if (!widget)
        return;
    const int index = tabWidget->addTab(widget, widgetName);
    tabWidget->setCurrentIndex(index);
}

void CenterTabWidget::removeAllCenterWidgets()
{
    for (int index = tabWidget->count() - 1; index > 0; --index) {
        QWidget *page = tabWidget->widget(index);
        tabWidget->removeTab(index);
        if (page) {
            qCDebug(lcCenterTabWidget) << "removing tab" << index << page;
            page->deleteLater();
        }
    }
}

void CenterTabWidget::webFetchDone(bool error)
{
    Q_UNUSED(error)
}
