#include "app/view/LumetraSpotChangeDialog.h"

#include "app/view/LumetraProgressTicker.h"
#include "dialkit/Button.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>
#include <QVariant>

Q_LOGGING_CATEGORY(lcSpotChange, "lumetra.view.spotchange")

LumetraSpotChangeDialog::LumetraSpotChangeDialog(QWidget *parent)
    : Dialog(parent), progressTicker(new LumetraProgressTicker(this)),
      cancelButton(new Button(tr("Cancel"), this))
{
    setWindowTitle(tr("Crystal spot"));
    setWindowModality(Qt::WindowModal);

    auto *header = new QLabel(tr("** Attention **"), this);
    header->setProperty("type", "label-header");
    header->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(tr("The current spot is changing, please wait"), this);
    text->setProperty("type", "label");
    text->setAlignment(Qt::AlignCenter);

    cancelButton->setSize(Button::Small);
    cancelButton->setColor(Button::DarkGrey);
    progressTicker->setMinimumWidth(300);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(25, 25, 25, 25);
    layout->setSpacing(15);
    layout->addWidget(header);
    layout->addWidget(text);
    layout->addWidget(progressTicker);
    layout->addLayout(buttons);

    connect(progressTicker, &LumetraProgressTicker::sigTimeElapsed, this, &QDialog::reject);
    connect(cancelButton, &QAbstractButton::clicked, this, &QDialog::reject);
    // A closed window must not keep counting: the next move starts its own bar.
    connect(this, &QDialog::finished, progressTicker, &LumetraProgressTicker::stopTicker);
}

void LumetraSpotChangeDialog::showMove(int seconds)
{
    qCDebug(lcSpotChange) << "crystal move of" << seconds << "s";
    progressTicker->startTicker(seconds);
    open();
}
