#pragma once

#include "device/LumetraController.h"

#include <QStringList>

class GUIWidget;
class LumetraView;
class MainControlPanel;
struct QMetaObject;

// Builds the operator's control widget for a controller: the panel view with its remote-control
// buttons inside a greyable GUIWidget, wired to the controller both ways. The controller knows no
// widget; the main window hands it builder() and it calls that at its first set-up turn.
class LumetraControlWidget
{
public:
    // The builder to hand to a controller. The widget goes into `panel`'s main pane; without a panel
    // nothing else holds it, and it goes with the controller.
    static LumetraController::ControlBuilder builder(MainControlPanel *panel);

    static GUIWidget *build(LumetraController *controller, MainControlPanel *panel,
                            const LumetraController::ControlSetup &setup);

    // Connects every controller signal to the view slot of the same signature, but those left out
    // on purpose; returns the number of connections made. A signal that is neither paired nor left out
    // is a fault of whoever added it, and stops a debug build here.
    static int connectSetters(LumetraController *controller, LumetraView *view);

    // Why the pairing between the two classes does not add up; empty when it does.
    static QStringList pairingMismatches(const QMetaObject &controller, const QMetaObject &view);
};
