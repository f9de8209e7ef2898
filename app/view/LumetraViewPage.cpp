#include "app/view/LumetraViewPage.h"

#include "app/view/LumetraPageKit.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariant>

LumetraViewPage::LumetraViewPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = LumetraPageKit::pageLayout(this, QStringLiteral("viewPage"));
    layout->addWidget(LumetraPageKit::makeLabel(tr("View"), "heading", this));
    systemInfoCheck = new QCheckBox(tr("System info"), this);
    systemInfoCheck->setObjectName(QStringLiteral("systemInfoCheck"));
    systemInfoCheck->setProperty("flat", true);
    layout->addWidget(systemInfoCheck);
    connect(systemInfoCheck, &QCheckBox::toggled, this, &LumetraViewPage::systemInfoToggled);
}

void LumetraViewPage::setSystemInfoChecked(bool checked)
{
    systemInfoCheck->setChecked(checked);
}
