#pragma once

#include "dialkit/MessageDialog.h"

class Button;
class LumetraProgressTicker;
class QLabel;

// The window of a crystal move. It lives as long as the view and is reused for every move. It first asks
// whether to move (askMove; "OK" emits moveConfirmed, "Cancel" closes it and nothing moves), then shows the
// move running; it closes when its time has run out, on "Cancel", or when the laser reports a spot.
class LumetraSpotChangeDialog : public MessageDialog
{
    Q_OBJECT
public:
    explicit LumetraSpotChangeDialog(QWidget *parent = nullptr);

    LumetraProgressTicker *ticker() const { return progressTicker; }

public slots:
    // Opens the window without blocking and lets the bar run for `seconds`.
    void showMove(int seconds);
    // The same, naming the spots: the operator sees where the crystal goes and how long it has left.
    void showMoveBetween(int fromSpot, int toSpot, int seconds);
    // Asks first; the same window then shows the move.
    void askMove(int fromSpot, int toSpot, int seconds);

signals:
    void moveConfirmed(int toSpot);

private:
    void updateDetails();
    void confirm();

    LumetraProgressTicker *progressTicker;
    QLabel *details;
    Button *okButton;
    int askedSeconds = 0;
    int fromSpot = -1;
    int toSpot = -1;
};
