#include "dialkit/IndicatorButton.h"

#include <QGridLayout>

IndicatorButton::IndicatorButton(Position position, QWidget *parent) : QWidget(parent), m_position(position)
{
    setup();
}

IndicatorButton::IndicatorButton(const QString &text, Position position, QWidget *parent)
    : QWidget(parent), m_position(position)
{
    setup();
    m_button->setText(text);
}

void IndicatorButton::setup()
{
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    m_button = new Button(this);
    m_indicator = new Indicator(this);
    connect(m_button, qOverload<bool>(&QAbstractButton::clicked), this, &IndicatorButton::toggleState);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);

    int indicatorRow = 0, indicatorColumn = 0, buttonRow = 0, buttonColumn = 1;
    switch (m_position) {
    case Top:
        buttonRow = 1;
        buttonColumn = 0;
        break;
    case Right:
        indicatorColumn = 1;
        buttonColumn = 0;
        break;
    case Bottom:
        indicatorRow = 1;
        buttonColumn = 0;
        break;
    case Left:
    default:
        break;
    }
    grid->addWidget(m_indicator, indicatorRow, indicatorColumn, Qt::AlignCenter);
    grid->addWidget(m_button, buttonRow, buttonColumn);
    grid->setRowMinimumHeight(indicatorRow, 2 * m_indicator->height());
    grid->setColumnMinimumWidth(indicatorColumn, 2 * m_indicator->width());
    showState();
}

void IndicatorButton::showState()
{
    m_indicator->setColor(m_active ? m_onColor : m_offColor);
}

void IndicatorButton::setActive(bool active)
{
    m_active = active;
    showState();
}

void IndicatorButton::setColors(const Indicator::Color &on, const Indicator::Color &off)
{
    m_onColor = on;
    m_offColor = off;
    showState();
}

void IndicatorButton::setOnColor(const Indicator::Color &color)
{
    m_onColor = color;
    showState();
}

void IndicatorButton::setOffColor(const Indicator::Color &color)
{
    m_offColor = color;
    showState();
}

void IndicatorButton::setBlink(bool on, int intervalMs, Indicator::Color blinkColor)
{
    m_indicator->setBlink(on, intervalMs, blinkColor);
}

void IndicatorButton::setButtonText(const QString &text)
{
    m_button->setText(text);
}

void IndicatorButton::setButtonColor(Button::Color color)
{
    m_button->setColor(color);
}

void IndicatorButton::setButtonSize(Button::Size size)
{
    m_button->setSize(size);
}

void IndicatorButton::setEnabled(bool enabled)
{
    m_indicator->setColor(m_offColor);
    m_button->setEnabled(enabled);
}

void IndicatorButton::enableToggle(bool enable)
{
    m_toggleEnabled = enable;
}

void IndicatorButton::toggleState()
{
    m_active = !m_active;
    if (m_toggleEnabled)
        showState();
    emit toggled(m_active);
}
