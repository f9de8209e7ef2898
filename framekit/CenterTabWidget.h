#pragma once

#include "framekit/FramekitExport.h"

#include <QString>
#include <QWidget>

class QTabWidget;
class QVBoxLayout;

// Central area of the framework window: a tab widget whose first tab is the permanent welcome page.
class FRAMEKIT_EXPORT CenterTabWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CenterTabWidget(QWidget *parent = nullptr);
    ~CenterTabWidget() override;

    QTabWidget *getTabWidget() const { return tabWidget; }

public slots:
    void appendCenterWidget(QWidget *widget, QString widgetName);
    void removeAllCenterWidgets();
    void webFetchDone(bool error);

private:
    QVBoxLayout *verticalLayout = nullptr;
    QTabWidget *tabWidget = nullptr;
};
