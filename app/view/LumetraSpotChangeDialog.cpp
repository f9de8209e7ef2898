#include "app/view/LumetraSpotChangeDialog.h"

#include "app/view/LumetraProgressTicker.h"
#include "dialkit/Button.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QVariant>

Q_LOGGING_CATEGORY(lcSpotChange, "lumetra.view.spotchange")

LumetraSpotChangeDialog::LumetraSpotChangeDialog(QWidget *parent)
    : MessageDialog(tr("Crystal spot"), tr("** Attention **"),
                    tr("The current spot is changing, please wait"), parent),
      progressTicker(new LumetraProgressTicker(this)), details(new QLabel(this))
{
    setWindowModality(Qt::WindowModal);
    progressTicker->setMinimumWidth(300);
    details->setObjectName(QStringLiteral("spotMoveDetails"));
    details->setProperty("type", "label");
    details->setAlignment(Qt::AlignCenter);
    details->hide();
    addContent(details);
    addContent(progressTicker);
    connect(progressTicker, &QProgressBar::valueChanged, this, &LumetraSpotChangeDialog::updateDetails);
    okButton = addActionButton(tr("OK"));
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->hide();
    addButton(tr("Cancel"), QDialog::Rejected)->setObjectName(QStringLiteral("cancelButton"));
    connect(okButton, &QAbstractButton::clicked, this, &LumetraSpotChangeDialog::confirm);

    connect(progressTicker, &LumetraProgressTicker::sigTimeElapsed, this, &QDialog::reject);
    // A closed window must not keep counting: the next move starts its own bar.
    connect(this, &QDialog::finished, progressTicker, &LumetraProgressTicker::stopTicker);
}

void LumetraSpotChangeDialog::showMove(int seconds)
{
    showMoveBetween(-1, -1, seconds);
}

void LumetraSpotChangeDialog::showMoveBetween(int from, int to, int seconds)
{
    qCDebug(lcSpotChange) << "crystal move from" << from << "to" << to << "of" << seconds << "s";
    fromSpot = from;
    toSpot = to;
    setMessage(tr("The current spot is changing, please wait"));
    okButton->hide();
    progressTicker->show();
    details->setVisible(from >= 0 && to >= 0);
    progressTicker->startTicker(seconds);
    updateDetails();
    open();
}

void LumetraSpotChangeDialog::askMove(int from, int to, int seconds)
{
    fromSpot = from;
    toSpot = to;
    askedSeconds = seconds;
    progressTicker->stopTicker();
    setMessage(tr("Move the crystal from spot %1 to spot %2?\nThe move takes about %3 s.")
                   .arg(from)
                   .arg(to)
                   .arg(seconds));
    details->hide();
    progressTicker->hide();
    okButton->show();
    open();
}

void LumetraSpotChangeDialog::confirm()
{
    emit moveConfirmed(toSpot);
    // The answer may have closed the window (the laser reported a spot at once).
    if (isVisible()) {
        showMoveBetween(fromSpot, toSpot, askedSeconds);
    }
}

void LumetraSpotChangeDialog::updateDetails()
{
    if (!details->isVisibleTo(this)) {
        return;
    }
    const int left = qMax(0, progressTicker->maximum() - progressTicker->value());
    details->setText(
        tr("Target spot: %1    Current spot: %2\nTime left: about %3 s").arg(toSpot).arg(fromSpot).arg(left));
}
