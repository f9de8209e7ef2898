#include "app/view/LumetraTemperaturePage.h"

#include "dialkit/FlowLayout.h"
#include "dialkit/LineEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace LumetraPageKit;

LumetraTemperaturePage::LumetraTemperaturePage(QWidget *parent) : QWidget(parent)
{
    QVBoxLayout *layout = pageLayout(this, QStringLiteral("temperaturePage"));
    layout->addWidget(makeLabel(tr("Temperatures"), "heading", this));

    auto *flow = new FlowLayout(-1, -1, -1);
    flow->setContentsMargins(25, 0, 25, 0);
    for (int i = 1; i <= RowCount; ++i) {
        auto *cell = new QWidget(this);
        auto *row = new QHBoxLayout(cell);
        row->setContentsMargins(0, 0, 10, 0);
        Field field;
        field.label = makeLabel(tr("Temp. %1:").arg(i), "label", cell);
        field.label->setMinimumWidth(90);
        field.edit = makeReadOnlyField(cell);
        field.edit->setObjectName(QStringLiteral("temperature%1").arg(i));
        field.edit->setAlignment(Qt::AlignCenter);
        field.edit->setFixedWidth(90);
        row->addWidget(field.label);
        row->addWidget(field.edit);
        flow->addWidget(cell);
        fields.append(field);
    }
    layout->addLayout(flow);
}

void LumetraTemperaturePage::setRowVisible(int row, bool visible)
{
    if (row >= 0 && row < fields.size()) {
        // The flow layout wraps cells, so the whole cell goes rather than its two halves.
        fields.at(row).label->parentWidget()->setVisible(visible);
    }
}

void LumetraTemperaturePage::setRowText(int row, const QString &text)
{
    if (row >= 0 && row < fields.size()) {
        fields.at(row).edit->setText(text);
    }
}
