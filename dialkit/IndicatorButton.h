#pragma once

#include "dialkit/Button.h"
#include "dialkit/DialkitExport.h"
#include "dialkit/Indicator.h"

#include <QWidget>

// A Button with an Indicator lamp beside it.
class DIALKIT_EXPORT IndicatorButton : public QWidget
{
    Q_OBJECT
public:
    enum Position : int
    {
        Top = 0,
        Left = 1,
        Right = 2,
        Bottom = 3
    };
    Q_ENUM(Position)

    explicit IndicatorButton(Position position, QWidget *parent = nullptr);
    IndicatorButton(const QString &text, Position position, QWidget *parent = nullptr);

    void setActive(bool active);
    bool isActive() const { return m_active; }
    void setColors(const Indicator::Color &on, const Indicator::Color &off);
    void setOnColor(const Indicator::Color &color);
    void setOffColor(const Indicator::Color &color);
    Indicator::Color onColor() const { return m_onColor; }
    Indicator::Color offColor() const { return m_offColor; }
    void setBlink(bool on, int intervalMs, Indicator::Color blinkColor);
    void setButtonText(const QString &text);
    void setButtonColor(Button::Color color);
    void setButtonSize(Button::Size size);
    // Disabling greys out the button only; the lamp shows the off colour.
    void setEnabled(bool enabled);
    void enableToggle(bool enable);
    bool isToggleEnabled() const { return m_toggleEnabled; }
    Position position() const { return m_position; }

    Button *button() const { return m_button; }
    Indicator *indicator() const { return m_indicator; }

public slots:
    void toggleState();

signals:
    void toggled(bool on);

private:
    void setup();
    void showState();

    Position m_position;
    bool m_active = false;
    bool m_toggleEnabled = false;
    Indicator::Color m_onColor = Indicator::Green;
    Indicator::Color m_offColor = Indicator::Grey;
    Button *m_button = nullptr;
    Indicator *m_indicator = nullptr;
};
