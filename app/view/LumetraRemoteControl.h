#pragma once

#include <QWidget>

class IndicatorButton;

// The column of state buttons (Output enable, Laser On, Standby, Listen) beside the control panel.
// Lamps, texts and flashing follow only what the laser reports; a click merely asks for the opposite state.
class LumetraRemoteControl : public QWidget
{
    Q_OBJECT
public:
    explicit LumetraRemoteControl(QWidget *parent = nullptr);

public slots:
    void enableOutEnable(bool enable);
    void enableLaserOn(bool enable);
    void enableStandby(bool enable);
    void enableListen(bool enable);

    void setOutEnable(bool on);
    void setOutEnableFlashing(bool on);
    void setOutEnableVisible(bool visible);
    void setLaserOn(bool on);
    void setLaserOnFlashing(bool on);
    void setStandby(bool on);
    void setStandbyFlashing(bool on);
    void setListen(bool on);

signals:
    void outEnableChanged(bool on);
    void laserOnChanged(bool on);
    void standbyChanged(bool on);
    void listenChanged(bool on);

private:
    void relayClick(IndicatorButton *button, const bool *shown, void (LumetraRemoteControl::*relay)(bool));

    // What the lamps show, as last reported by the laser.
    bool outEnableShown = false;
    bool laserOnShown = false;
    bool standbyShown = false;
    bool listenShown = false;
    IndicatorButton *outEnableButton;
    IndicatorButton *laserOnButton;
    IndicatorButton *standbyButton;
    IndicatorButton *listenButton;
};
