#include "app/view/LumetraRuntimeTable.h"

#include "app/view/LumetraFormat.h"
#include "dialkit/Button.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariant>

LumetraRuntimeTable::LumetraRuntimeTable(const QMap<int, quint64> &runtimes, quint64 maxRuntime,
                                         QWidget *parent)
    : Dialog(parent)
{
    setWindowTitle(tr("Crystal spot run times"));

    auto *grid = new QGridLayout();
    grid->setHorizontalSpacing(25);
    grid->setVerticalSpacing(4);
    const QStringList headers{tr("Spot"), tr("Current runtime"), tr("Maximum runtime")};
    for (int column = 0; column < headers.size(); ++column) {
        auto *label = new QLabel(headers.at(column), this);
        label->setProperty("type", "label-header");
        grid->addWidget(label, 0, column);
    }

    const QString maxText = LumetraFormat::hoursMinutes(maxRuntime);
    int row = 1;
    for (auto it = runtimes.constBegin(); it != runtimes.constEnd(); ++it, ++row) {
        const QStringList cells{QString::number(it.key()), LumetraFormat::hoursMinutes(it.value()), maxText};
        for (int column = 0; column < cells.size(); ++column) {
            auto *label = new QLabel(cells.at(column), this);
            label->setProperty("type", column == 0 ? "label" : "text");
            grid->addWidget(label, row, column);
        }
    }

    auto *okButton = new Button(tr("OK"), this);
    okButton->setSize(Button::Small);
    okButton->setColor(Button::DarkGrey);
    connect(okButton, &QAbstractButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(okButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(25, 25, 25, 25);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}
