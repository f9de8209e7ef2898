#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;

// The "System settings" page: how the digital gate input is wired.
class LumetraSystemSettingsPage : public QWidget
{
    Q_OBJECT
public:
    // The two wirings as the laser numbers them, and the state before it has said which.
    enum GateLogic
    {
        GateOpenAtLow = 0,
        GateClosedAtLow = 1,
        GateUnknown = -1
    };

    explicit LumetraSystemSettingsPage(QWidget *parent = nullptr);

    // Checks the button for a known wiring and neither for any other value; emits nothing.
    void setGateLogic(int logic);
    GateLogic gateLogic() const;

signals:
    // The operator clicked a wiring (0 or 1).
    void gateLogicClicked(int logic);

private:
    void buttonClicked(QAbstractButton *button);

    QButtonGroup *gateGroup = nullptr;
    QRadioButton *gateFirstButton = nullptr;
    QRadioButton *gateSecondButton = nullptr;
};
