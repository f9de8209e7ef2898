#pragma once

#include "app/view/LumetraPageKit.h"
#include "app/view/LumetraSpotChangeDialog.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

class MessageDialog;

class ComboSlider;
class ComboSliderUnit;
class QAbstractButton;

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
    // The spot control and "Show all spots", which the panel wires to its own slots.
    ComboSlider *spotControl() const { return slider; }
    QAbstractButton *showAllSpotsButton() const { return showAll; }
    // A spot the operator entered: asks to confirm the move unless it is the current spot.
    void selectSpot(double value);
    void showAllSpots();

public slots:
    void closeMoveWindow();

signals:
    // The operator picked a spot and confirmed the move; the laser is to move there.
    void spotPicked(double value);

private:
    void spotRefused(double value);
    void startMove(int spot);
    void updateRuntimeText();

    LumetraPageKit::Readout runHoursReadout;
    ComboSlider *slider = nullptr;
    QAbstractButton *showAll = nullptr;
    ComboSliderUnit *unit = nullptr;
    QPointer<LumetraSpotChangeDialog> spotChangeDialog;
    QPointer<MessageDialog> pendingDialog;

    int currentSpot = 0;
    quint64 currentRuntime = 0;
    quint64 maxRuntime = 0;
    QMap<int, quint64> allRuntimes;
};
