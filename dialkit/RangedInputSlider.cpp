#include "dialkit/RangedInputSlider.h"

#include "dialkit/LineEditNumber.h"
#include "dialkit/RangedScaleSlider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

#include <cmath>

Q_LOGGING_CATEGORY(lcRangedInputSlider, "dialkit.rangedinputslider")

namespace {
void repolish(QWidget *widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}
} // namespace

RangedInputSlider::RangedInputSlider(int margin, QWidget *parent) : QWidget(parent)
{
    m_startCaption = createLabel();
    m_startCaption->setText(tr("Start"));
    m_startField = createField();
    m_startUnit = createLabel();
    m_stopCaption = createLabel();
    m_stopCaption->setText(tr("Stop"));
    m_stopField = createField();
    m_stopUnit = createLabel();

    m_slider = new RangedScaleSlider(this);
    m_slider->setSideMargins(margin);
    // Both handles get the default band: a stop range left at the slider's own default would
    // make the scale run backwards from the start minimum.
    m_slider->setStartRange(m_startMin, m_startMax);
    m_slider->setStopRange(m_stopMin, m_stopMax);

    auto makeRow = [margin](QLabel *caption, LineEditNumber *field, QLabel *unit) {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(margin, 0, margin, 0);
        row->setSpacing(4);
        row->addWidget(caption);
        row->addStretch(25);
        row->addWidget(field);
        row->addWidget(unit);
        return row;
    };

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 6, 0, 6);
    outer->addLayout(makeRow(m_startCaption, m_startField, m_startUnit));
    outer->addLayout(makeRow(m_stopCaption, m_stopField, m_stopUnit));
    outer->addWidget(m_slider);

    setDarkBackground(true);

    // Up and Down in a field step its value by one unit of the last shown decimal and save it.
    connect(m_startField, &LineEditNumber::arrowPressed, m_startField, &LineEditNumber::nudge);
    connect(m_stopField, &LineEditNumber::arrowPressed, m_stopField, &LineEditNumber::nudge);
    connect(m_startField, &LineEditNumber::numberSaved, this, &RangedInputSlider::checkStartInput);
    connect(m_stopField, &LineEditNumber::numberSaved, this, &RangedInputSlider::checkStopInput);
    // The stored values follow the handles before anyone hears of the change.
    connect(m_slider, &RangedScaleSlider::startHandleMoved, this, &RangedInputSlider::onStartHandleValue);
    connect(m_slider, &RangedScaleSlider::startHandleFinishedMoving, this,
            &RangedInputSlider::onStartHandleValue);
    connect(m_slider, &RangedScaleSlider::stopHandleMoved, this, &RangedInputSlider::onStopHandleValue);
    connect(m_slider, &RangedScaleSlider::stopHandleFinishedMoving, this,
            &RangedInputSlider::onStopHandleValue);

    connect(m_slider, &RangedScaleSlider::startHandleMoved, this, &RangedInputSlider::setStartInput);
    connect(m_slider, &RangedScaleSlider::startHandleFinishedMoving, this, &RangedInputSlider::setStartInput);
    connect(m_slider, &RangedScaleSlider::startHandleFinishedMoving, this,
            &RangedInputSlider::startValueChanged);
    connect(m_slider, &RangedScaleSlider::stopHandleMoved, this, &RangedInputSlider::setStopInput);
    connect(m_slider, &RangedScaleSlider::stopHandleFinishedMoving, this, &RangedInputSlider::setStopInput);
    connect(m_slider, &RangedScaleSlider::stopHandleFinishedMoving, this,
            &RangedInputSlider::stopValueChanged);

    m_slider->setCurrentStopValue(m_stopValue, false);
    m_slider->setCurrentStartValue(m_startValue, false);
    setPrecision(m_precision);
}

LineEditNumber *RangedInputSlider::createField()
{
    auto *field = new LineEditNumber(this);
    field->setProperty("flat", true);
    field->setProperty("type", "label");
    field->setMaximumWidth(120);
    field->enableTimeout(true);
    return field;
}

QLabel *RangedInputSlider::createLabel()
{
    auto *label = new QLabel(this);
    label->setProperty("type", "label");
    return label;
}

void RangedInputSlider::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void RangedInputSlider::setStartText(const QString &text)
{
    m_startCaption->setText(text);
}

void RangedInputSlider::setStopText(const QString &text)
{
    m_stopCaption->setText(text);
}

void RangedInputSlider::setUnitText(const QString &text)
{
    m_startUnit->setText(text);
    m_stopUnit->setText(text);
}

void RangedInputSlider::setPrecision(int precision)
{
    m_precision = qBound(0, precision, 9);
    m_startField->allowNudge(std::pow(10.0, -m_precision));
    m_stopField->allowNudge(std::pow(10.0, -m_precision));
    setStartInput(m_startValue);
    setStopInput(m_stopValue);
}

void RangedInputSlider::setDarkBackground(bool dark)
{
    setProperty("widget-color", dark ? "light-grey" : "white");
    for (LineEditNumber *field : {m_startField, m_stopField}) {
        field->setProperty("background", dark ? "white" : "dark");
        repolish(field);
    }
    repolish(this);
}

void RangedInputSlider::setStartRange(double min, double max)
{
    if (std::isnan(min) || std::isnan(max) || min > max)
        return;
    m_startMin = min;
    m_startMax = max;
    m_slider->setStartRange(min, max);
    const bool fixed = m_startFixed;
    m_startFixed = false;
    setStartValue(m_startValue, false);
    m_startFixed = fixed;
}

void RangedInputSlider::setStopRange(double min, double max)
{
    if (std::isnan(min) || std::isnan(max) || min > max)
        return;
    m_stopMin = min;
    m_stopMax = max;
    m_slider->setStopRange(min, max);
    const bool fixed = m_stopFixed;
    m_stopFixed = false;
    setStopValue(m_stopValue, false);
    m_stopFixed = fixed;
}

void RangedInputSlider::setStartValue(double value, bool adjustStop)
{
    if (std::isnan(value) || m_startFixed)
        return;
    m_startValue = qBound(m_startMin, value, m_startMax);
    if (m_stopFixed)
        m_startValue = qMin(m_startValue, m_stopValue);
    m_slider->setCurrentStartValue(m_startValue, adjustStop);
    if (m_startValue > m_stopValue) {
        // The stop follows as far as its own range lets it; a start beyond that is held back.
        m_stopValue = qBound(m_stopMin, m_startValue, m_stopMax);
        if (m_startValue > m_stopValue) {
            m_startValue = m_stopValue;
            m_slider->setCurrentStartValue(m_startValue, false);
        }
        m_slider->setCurrentStopValue(m_stopValue, false);
    }
    setStartInput(m_startValue);
    setStopInput(m_stopValue);
}

void RangedInputSlider::setStartValue(double value)
{
    setStartValue(value, false);
}

void RangedInputSlider::setStopValue(double value, bool adjustStart)
{
    if (std::isnan(value) || m_stopFixed)
        return;
    m_stopValue = qBound(m_stopMin, value, m_stopMax);
    if (m_startFixed)
        m_stopValue = qMax(m_stopValue, m_startValue);
    m_slider->setCurrentStopValue(m_stopValue, adjustStart);
    if (m_stopValue < m_startValue) {
        m_startValue = qBound(m_startMin, m_stopValue, m_startMax);
        if (m_stopValue < m_startValue) {
            m_stopValue = m_startValue;
            m_slider->setCurrentStopValue(m_stopValue, false);
        }
        m_slider->setCurrentStartValue(m_startValue, false);
    }
    setStartInput(m_startValue);
    setStopInput(m_stopValue);
}

void RangedInputSlider::setStopValue(double value)
{
    setStopValue(value, false);
}

void RangedInputSlider::checkStartInput(double value)
{
    if (m_startFixed) {
        setStartInput(m_startValue);
        return;
    }
    setStartValue(value, true);
    emit startValueChanged(m_startValue);
}

void RangedInputSlider::checkStopInput(double value)
{
    if (m_stopFixed) {
        setStopInput(m_stopValue);
        return;
    }
    setStopValue(value, true);
    emit stopValueChanged(m_stopValue);
}

void RangedInputSlider::setStartInput(double value)
{
    m_startField->setNumber(value, m_precision);
}

void RangedInputSlider::setStopInput(double value)
{
    m_stopField->setNumber(value, m_precision);
}

void RangedInputSlider::onStartHandleValue(double value)
{
    m_startValue = value;
}

void RangedInputSlider::onStopHandleValue(double value)
{
    m_stopValue = value;
}

void RangedInputSlider::setFixedStart(bool enable, double value)
{
    m_startFixed = false;
    setStartValue(value, false);
    m_slider->setFixedStart(enable, m_startValue);
    m_startFixed = enable;
    m_startField->setEnabled(!enable);
    qCDebug(lcRangedInputSlider) << "start" << (enable ? "fixed at" : "freed at") << m_startValue;
}

void RangedInputSlider::setFixedStop(bool enable, double value)
{
    m_stopFixed = false;
    setStopValue(value, false);
    m_slider->setFixedStop(enable, m_stopValue);
    m_stopFixed = enable;
    m_stopField->setEnabled(!enable);
    qCDebug(lcRangedInputSlider) << "stop" << (enable ? "fixed at" : "freed at") << m_stopValue;
}
