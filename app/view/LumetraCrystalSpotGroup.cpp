#include "app/view/LumetraCrystalSpotGroup.h"

#include "app/view/LumetraFormat.h"
#include "app/view/LumetraRuntimeTable.h"
#include "app/view/LumetraSpotChangeDialog.h"
#include "dialkit/Button.h"
#include "dialkit/ComboSlider.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"

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
    auto *showAll = new Button(tr("Show all\nspots"), this);
    showAll->setObjectName(QStringLiteral("showAllSpotsButton"));
    showAll->setSize(Button::Small);
    showAll->setColor(Button::DarkGrey);
    grid->addWidget(showAll, 0, 3);
    connect(showAll, &QAbstractButton::clicked, this, &LumetraCrystalSpotGroup::showAllSpots);
    box->addLayout(grid);

    slider = new ComboSlider(25, this);
    slider->setObjectName(QStringLiteral("crystalSlider"));
    auto *spotScale = new ComboSliderScale(tr("Current crystal spot"), slider);
    unit = new ComboSliderUnit(QString(), 1, 100, 0, spotScale);
    unit->setScaleType(ScaleSlider::StepList);
    spotScale->addUnit(unit);
    slider->addScale(spotScale);
    box->addWidget(slider);
    connect(slider, &ComboSlider::valueChanged, this, &LumetraCrystalSpotGroup::spotPicked);
    connect(slider, &ComboSlider::valueChanged, this, &LumetraCrystalSpotGroup::spotSelected);

    spotChangeDialog = new LumetraSpotChangeDialog(this);
    spotChangeDialog->setObjectName(QStringLiteral("spotChangeDialog"));
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
    return spotChangeDialog && spotChangeDialog->isVisible();
}

void LumetraCrystalSpotGroup::closeMoveWindow()
{
    if (spotChangeDialog) {
        spotChangeDialog->reject();
    }
}

void LumetraCrystalSpotGroup::spotSelected(double value)
{
    const int spot = LumetraFormat::roundHalfUp(value);
    const qint64 distance = qAbs(qint64(spot) - qint64(currentSpot));
    if (!spotChangeDialog || distance == 0) {
        return;
    }
    spotChangeDialog->showMove(int(qMin<qint64>(distance * secondsPerSpot, 24 * 3600)));
}

void LumetraCrystalSpotGroup::showAllSpots()
{
    auto *table = new LumetraRuntimeTable(allRuntimes, maxRuntime, this);
    table->setObjectName(QStringLiteral("runtimeTable"));
    table->setAttribute(Qt::WA_DeleteOnClose);
    table->open();
}
