#include "app/view/LumetraCrystalSpotGroup.h"

#include "app/view/LumetraFormat.h"
#include "app/view/LumetraRuntimeTable.h"
#include "app/view/LumetraSpotChangeDialog.h"
#include "dialkit/Button.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"
#include "dialkit/MessageDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcCrystalSpot, "lumetra.view.crystalspot")

using namespace LumetraPageKit;

namespace {
// A step list of crystal spots beyond this many entries can only come from a garbled report.
constexpr int maxCrystalSpots = 1000;
// The move takes about this long per spot travelled.
constexpr int secondsPerSpot = 10;
} // namespace

LumetraCrystalSpotGroup::LumetraCrystalSpotGroup(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("crystalGroup"));
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 10, 0, 0);
    box->setSpacing(4);
    box->addWidget(makeLabel(tr("THG crystal spot selection"), "label-header", this));

    auto *grid = new QGridLayout();
    grid->setColumnStretch(2, 1);
    runHoursReadout = addReadout(grid, tr("Current spot run hours"), this);
    runHoursReadout.value->setObjectName(QStringLiteral("crystalRunHours"));
    auto *showAllButton = new Button(tr("Show all\nspots"), this);
    showAllButton->setObjectName(QStringLiteral("showAllSpotsButton"));
    showAllButton->setSize(Button::Small);
    showAllButton->setColor(Button::DarkGrey);
    grid->addWidget(showAllButton, 0, 3);
    showAll = showAllButton;
    box->addLayout(grid);

    slider = new ComboSlider(25, this);
    slider->setObjectName(QStringLiteral("crystalSlider"));
    auto *spotScale = new ComboSliderScale(tr("Current crystal spot"), slider);
    unit = new ComboSliderUnit(QString(), 1, 100, 0, spotScale);
    unit->setScaleType(ScaleSlider::StepList);
    spotScale->addUnit(unit);
    slider->addScale(spotScale);
    box->addWidget(slider);
    // A number outside the spots the laser has would be clamped to the nearest end and sent: a move of
    // minutes to a spot the operator did not ask for.
    slider->setRefusesOutOfRange(true);
    connect(slider, &ComboSlider::entryRefused, this, &LumetraCrystalSpotGroup::spotRefused);

    spotChangeDialog = new LumetraSpotChangeDialog(this);
    spotChangeDialog->setObjectName(QStringLiteral("spotChangeDialog"));
    connect(spotChangeDialog, &LumetraSpotChangeDialog::moveConfirmed, this,
            &LumetraCrystalSpotGroup::startMove);
}

void LumetraCrystalSpotGroup::setPosition(int spot)
{
    slider->setValue(spot);
    currentSpot = LumetraFormat::roundHalfUp(slider->value());
}

void LumetraCrystalSpotGroup::setRange(int min, int max)
{
    QList<double> spots;
    if (min <= max) {
        const qint64 count = qint64(max) - qint64(min) + 1;
        if (count > maxCrystalSpots) {
            qCWarning(lcCrystalSpot) << "crystal spot range" << min << max << "ignored";
            return;
        }
        for (qint64 spot = min; spot <= max; ++spot) {
            spots.append(double(spot));
        }
    }
    unit->setStepList(spots);
    if (!spots.isEmpty()) {
        unit->setRange(spots.first(), spots.last());
    }
    slider->updateSlider();
    slider->setValue(currentSpot);
}

void LumetraCrystalSpotGroup::setReadOnly(bool readOnly)
{
    slider->setEnabled(!readOnly);
}

void LumetraCrystalSpotGroup::setCurrentRuntime(quint64 seconds)
{
    currentRuntime = seconds;
    updateRuntimeText();
}

void LumetraCrystalSpotGroup::setMaxRuntime(quint64 seconds)
{
    maxRuntime = seconds;
    updateRuntimeText();
}

void LumetraCrystalSpotGroup::updateRuntimeText()
{
    runHoursReadout.value->setText(tr("%1 hours of %2")
                                       .arg(LumetraFormat::wholeHours(currentRuntime))
                                       .arg(LumetraFormat::wholeHours(maxRuntime)));
}

void LumetraCrystalSpotGroup::setAllRuntimes(const QMap<int, quint64> &runtimes)
{
    allRuntimes = runtimes;
}

bool LumetraCrystalSpotGroup::isDialogOpen() const
{
    return (spotChangeDialog && spotChangeDialog->isVisible()) ||
           (pendingDialog && pendingDialog->isVisible());
}

void LumetraCrystalSpotGroup::closeMoveWindow()
{
    if (spotChangeDialog) {
        spotChangeDialog->reject();
    }
}

namespace {
int moveSeconds(int from, int to)
{
    const qint64 distance = qAbs(qint64(to) - qint64(from));
    return int(qMin<qint64>(distance * secondsPerSpot, 24 * 3600));
}
} // namespace

void LumetraCrystalSpotGroup::selectSpot(double value)
{
    const int spot = LumetraFormat::roundHalfUp(value);
    if (spot == currentSpot) {
        // Nothing to move. (The number field also commits when a window takes its focus away.)
        return;
    }
    // The control goes back to the laser's spot until the move is confirmed.
    slider->setValue(currentSpot);
    if (spotChangeDialog) {
        spotChangeDialog->askMove(currentSpot, spot, moveSeconds(currentSpot, spot));
    }
}

void LumetraCrystalSpotGroup::startMove(int spot)
{
    qCDebug(lcCrystalSpot) << "crystal move from" << currentSpot << "to" << spot << "confirmed";
    slider->setValue(spot);
    emit spotPicked(double(spot));
}

void LumetraCrystalSpotGroup::spotRefused(double value)
{
    const QList<double> spots = unit->stepList();
    const QString range = spots.isEmpty() ? QString()
                                          : tr("The crystal has the spots %1 to %2.")
                                                .arg(LumetraFormat::roundHalfUp(spots.first()))
                                                .arg(LumetraFormat::roundHalfUp(spots.last()));
    qCDebug(lcCrystalSpot) << "crystal spot" << value << "refused";
    delete pendingDialog;
    auto *dialog = new MessageDialog(tr("Crystal spot"), tr("** Warning **"),
                                     tr("There is no spot %1.").arg(value) + QLatin1Char('\n') + range, this);
    dialog->setObjectName(QStringLiteral("spotRefusedDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->addButton(tr("OK"), QDialog::Accepted);
    pendingDialog = dialog;
    dialog->open();
}

void LumetraCrystalSpotGroup::showAllSpots()
{
    auto *table = new LumetraRuntimeTable(allRuntimes, maxRuntime, this);
    table->setObjectName(QStringLiteral("runtimeTable"));
    table->setAttribute(Qt::WA_DeleteOnClose);
    table->open();
}
