#pragma once

#include "dialkit/MessageDialog.h"

class Button;
class LumetraProgressTicker;

// The window shown while the crystal moves to another spot. It lives as long as the view and is reused for
// every move; it closes when its time has run out, on "Cancel", or when the laser reports the new spot.
class LumetraSpotChangeDialog : public MessageDialog
{
    Q_OBJECT
public:
    explicit LumetraSpotChangeDialog(QWidget *parent = nullptr);

    LumetraProgressTicker *ticker() const { return progressTicker; }

public slots:
    // Opens the window without blocking and lets the bar run for `seconds`.
    void showMove(int seconds);

private:
    LumetraProgressTicker *progressTicker;
};
