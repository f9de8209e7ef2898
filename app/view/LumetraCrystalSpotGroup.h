#pragma once

#include "app/view/LumetraPageKit.h"
#include "app/view/LumetraSpotChangeDialog.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

class ComboSlider;
class ComboSliderUnit;

// "THG crystal spot selection": the spot control, the current spot's run hours, the table of all spots
// and the window shown while the crystal moves.
class LumetraCrystalSpotGroup : public QWidget
{
    Q_OBJECT
public:
    explicit LumetraCrystalSpotGroup(QWidget *parent = nullptr);

    // The spot the laser reports; it also ends a move in progress.
    void setPosition(int spot);
    int position() const { return currentSpot; }
    void setRange(int min, int max);
    void setReadOnly(bool readOnly);
    void setCurrentRuntime(quint64 seconds);
    void setMaxRuntime(quint64 seconds);
    void setAllRuntimes(const QMap<int, quint64> &runtimes);
    bool isDialogOpen() const;
    LumetraSpotChangeDialog *moveWindow() const { return spotChangeDialog; }

public slots:
    void closeMoveWindow();

signals:
    // The operator picked a spot; the laser is to move there.
    void spotPicked(double value);

private:
    void spotSelected(double value);
    void showAllSpots();
    void updateRuntimeText();

    LumetraPageKit::Readout runHoursReadout;
    ComboSlider *slider = nullptr;
    ComboSliderUnit *unit = nullptr;
    QPointer<LumetraSpotChangeDialog> spotChangeDialog;

    int currentSpot = 0;
    quint64 currentRuntime = 0;
    quint64 maxRuntime = 0;
    QMap<int, quint64> allRuntimes;
};
