#include "app/view/LumetraSystemSettingsPage.h"

#include "app/view/LumetraPageKit.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace LumetraPageKit;

LumetraSystemSettingsPage::LumetraSystemSettingsPage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = pageLayout(this, QStringLiteral("systemSettingsPage"));
    layout->addWidget(makeLabel(tr("Digital Gate Logic"), "heading", this));

    auto *grid = new QGridLayout();
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(5, 1);
    gateFirstButton = new QRadioButton(this);
    gateFirstButton->setObjectName(QStringLiteral("gateFirstButton"));
    gateSecondButton = new QRadioButton(this);
    gateSecondButton->setObjectName(QStringLiteral("gateSecondButton"));
    const QString open = tr("AOM open");
    const QString closed = tr("AOM closed");
    const QList<std::pair<QRadioButton *, QStringList>> rows{
        {gateFirstButton, {tr("0V:"), open, tr("3.3V:"), closed}},
        {gateSecondButton, {tr("0V:"), closed, tr("3.3V:"), open}}};
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(rows.at(row).first, row, 0);
        for (int column = 0; column < rows.at(row).second.size(); ++column) {
            grid->addWidget(makeLabel(rows.at(row).second.at(column), "label", this), row, column + 1);
        }
    }
    layout->addLayout(grid);

    gateGroup = new QButtonGroup(this);
    gateGroup->setExclusive(true);
    gateGroup->addButton(gateFirstButton);
    gateGroup->addButton(gateSecondButton);
    connect(gateGroup, QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), this,
            &LumetraSystemSettingsPage::buttonClicked);
}

void LumetraSystemSettingsPage::setGateLogic(int logic)
{
    if (logic == GateOpenAtLow) {
        gateFirstButton->setChecked(true);
    } else if (logic == GateClosedAtLow) {
        gateSecondButton->setChecked(true);
    } else {
        // An exclusive group keeps one button checked; an unknown state must show neither.
        gateGroup->setExclusive(false);
        gateFirstButton->setChecked(false);
        gateSecondButton->setChecked(false);
        gateGroup->setExclusive(true);
    }
}

LumetraSystemSettingsPage::GateLogic LumetraSystemSettingsPage::gateLogic() const
{
    if (gateFirstButton->isChecked()) {
        return GateOpenAtLow;
    }
    if (gateSecondButton->isChecked()) {
        return GateClosedAtLow;
    }
    return GateUnknown;
}

void LumetraSystemSettingsPage::buttonClicked(QAbstractButton *button)
{
    if (button == gateFirstButton) {
        emit gateLogicClicked(GateOpenAtLow);
    } else if (button == gateSecondButton) {
        emit gateLogicClicked(GateClosedAtLow);
    }
}
