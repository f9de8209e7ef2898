#pragma once

#include <QWidget>

class QCheckBox;

// The "View" page: whether the status strip shows the system info.
class LumetraViewPage : public QWidget
{
    Q_OBJECT
public:
    explicit LumetraViewPage(QWidget *parent = nullptr);

    // Checks the box; its toggled signal follows, as the controller expects.
    void setSystemInfoChecked(bool checked);

signals:
    void systemInfoToggled(bool view);

private:
    QCheckBox *systemInfoCheck = nullptr;
};
