#include "app/view/LumetraPageKit.h"

#include "dialkit/LineEdit.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariant>

namespace LumetraPageKit {

namespace {
const char *const harmonicNames[LumetraHarmonicCount] = {
    QT_TRANSLATE_NOOP("LumetraView", "IR"), QT_TRANSLATE_NOOP("LumetraView", "Green"),
    QT_TRANSLATE_NOOP("LumetraView", "UV"), QT_TRANSLATE_NOOP("LumetraView", "DUV")};
static_assert(harmonicIndex(LumetraHarmonic::DeepUV) == LumetraHarmonicCount - 1,
              "one name per harmonic, in index order");
} // namespace

void Readout::setVisible(bool visible) const
{
    label->setVisible(visible);
    value->setVisible(visible);
}

void Field::setVisible(bool visible) const
{
    label->setVisible(visible);
    edit->setVisible(visible);
}

QLabel *makeLabel(const QString &text, const char *type, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setProperty("type", type);
    return label;
}

Readout addReadout(QGridLayout *grid, const QString &text, QWidget *parent)
{
    Readout readout;
    readout.label = makeLabel(text, "label", parent);
    readout.value = makeLabel(QStringLiteral("???"), "label", parent);
    readout.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout.value->setMinimumWidth(130);
    grid->setHorizontalSpacing(20);
    // An empty grid still counts one row; the first read-out belongs in it.
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    grid->addWidget(readout.label, row, 0);
    grid->addWidget(readout.value, row, 1);
    return readout;
}

LineEdit *makeReadOnlyField(QWidget *parent)
{
    auto *edit = new LineEdit(parent);
    edit->setReadOnly(true);
    edit->setDarkBackground();
    edit->setProperty("type", "label");
    edit->setText(QStringLiteral("???"));
    return edit;
}

Field addField(QGridLayout *grid, const QString &text, QWidget *parent)
{
    Field field;
    field.label = makeLabel(text, "label", parent);
    field.edit = makeReadOnlyField(parent);
    field.edit->setMinimumWidth(220);
    field.edit->setMaximumWidth(420);
    // One label width for every group of the page, so that the fields line up.
    field.label->setMinimumWidth(230);
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    grid->addWidget(field.label, row, 0);
    grid->addWidget(field.edit, row, 1);
    return field;
}

QWidget *makeGroup(const QString &title, QWidget *parent, QVBoxLayout **layout)
{
    auto *group = new QWidget(parent);
    auto *box = new QVBoxLayout(group);
    box->setContentsMargins(0, 10, 0, 0);
    box->setSpacing(4);
    if (!title.isEmpty()) {
        box->addWidget(makeLabel(title, "label-header", group));
    }
    *layout = box;
    return group;
}

QVBoxLayout *pageLayout(QWidget *page, const QString &objectName)
{
    page->setObjectName(objectName);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(pageMargin, 0, pageMargin, 0);
    return layout;
}

QString harmonicName(int index)
{
    if (!isHarmonicIndex(index)) {
        return QString();
    }
    return QCoreApplication::translate("LumetraView", harmonicNames[index]);
}

} // namespace LumetraPageKit
