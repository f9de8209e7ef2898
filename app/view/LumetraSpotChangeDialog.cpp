#include "app/view/LumetraSpotChangeDialog.h"

#include "app/view/LumetraProgressTicker.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSpotChange, "lumetra.view.spotchange")

LumetraSpotChangeDialog::LumetraSpotChangeDialog(QWidget *parent)
    : MessageDialog(tr("Crystal spot"), tr("** Attention **"),
                    tr("The current spot is changing, please wait"), parent),
      progressTicker(new LumetraProgressTicker(this))
{
    setWindowModality(Qt::WindowModal);
    progressTicker->setMinimumWidth(300);
    addContent(progressTicker);
    addButton(tr("Cancel"), QDialog::Rejected);

    connect(progressTicker, &LumetraProgressTicker::sigTimeElapsed, this, &QDialog::reject);
    // A closed window must not keep counting: the next move starts its own bar.
    connect(this, &QDialog::finished, progressTicker, &LumetraProgressTicker::stopTicker);
}

void LumetraSpotChangeDialog::showMove(int seconds)
{
    qCDebug(lcSpotChange) << "crystal move of" << seconds << "s";
    progressTicker->startTicker(seconds);
    open();
}
