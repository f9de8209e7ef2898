#include "dialkit/ComboSlider.h"

#include "dialkit/Dialkit.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

#include <cmath>

namespace {

void repolish(QWidget *w)
{
    w->style()->unpolish(w);
    w->style()->polish(w);
    w->update();
}

} // namespace

ComboSlider::ComboSlider(int margin, QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_scaleSelector = new ComboBox(this);
    m_scaleSelector->setProperty("type", "label");
    m_scaleSelector->setSingleMode(true);

    m_numberField = new LineEditNumber(this);
    m_numberField->setProperty("flat", true);
    m_numberField->setProperty("type", "label");
    m_numberField->setMaximumWidth(120);
    m_numberField->enableTimeout(true);

    m_unitSelector = new ComboBox(this);
    m_unitSelector->setProperty("type", "label");
    m_unitSelector->setSingleMode(true);

    m_slider = new ScaleSlider(this);
    m_slider->setAll(0, 100, 50);
    m_slider->setSideMargins(margin);

    m_holdOffTimer.setSingleShot(true);
    m_holdOffTimer.setInterval(HoldOffMs);
    m_feedbackTimer.setSingleShot(true);
    m_feedbackTimer.setInterval(HoldOffMs);

    connect(m_numberField, &QLineEdit::returnPressed, this, &ComboSlider::acceptInputValue);
    connect(m_numberField, &LineEditNumber::arrowPressed, this, &ComboSlider::nudge);
    connect(m_scaleSelector, &ComboBox::currentIndexChanged, this, &ComboSlider::updateUnitCombo);
    connect(m_scaleSelector, &ComboBox::currentIndexChanged, this, &ComboSlider::scaleIndexChanged);
    connect(m_slider, &ScaleSlider::handleMoved, this, &ComboSlider::setInputValue);
    connect(m_unitSelector, &ComboBox::currentIndexChanged, this, &ComboSlider::updateSlider);
    connect(m_unitSelector, &ComboBox::currentIndexChanged, this, &ComboSlider::emitSelectionIndexes);
    connect(m_unitSelector, &ComboBox::currentIndexChanged, this, &ComboSlider::unitIndexChanged);
    connect(m_slider, &ScaleSlider::handleFinishedMoving, this, &ComboSlider::acceptInputValue);
    connect(m_slider, &ScaleSlider::wheelMoved, this, &ComboSlider::nudge);
    connect(&m_feedbackTimer, &QTimer::timeout, this, &ComboSlider::updateFeedbackValue);
    connect(m_numberField, &LineEdit::textEditing, this, &ComboSlider::enterEditMode);
    connect(m_slider, &ScaleSlider::handleGrapped, this, &ComboSlider::enterEditMode);
    connect(m_numberField, &LineEditNumber::numberSaved, this, &ComboSlider::exitEditMode);
    connect(m_slider, &ScaleSlider::handleFinishedMoving, this, &ComboSlider::exitEditMode);
    connect(m_numberField, &LineEdit::textReset, this, &ComboSlider::cancelEditMode);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(margin, 0, margin, 0);
    top->setSpacing(4);
    top->addWidget(m_scaleSelector);
    top->addStretch(25);
    top->addWidget(m_numberField);
    top->addWidget(m_unitSelector);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 4, 0, 4);
    outer->setSpacing(4);
    outer->addLayout(top);
    outer->addWidget(m_slider);

    setDarkBackground(true);
}

void ComboSlider::paintEvent(QPaintEvent *)
{
    // lets the style sheet's "widget-color" rules paint the background of this plain widget
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void ComboSlider::setDarkBackground(bool dark)
{
    if (dark) {
        setProperty("widget-color", "light-grey");
        m_numberField->setProperty("background", "white");
    } else {
        m_numberField->setProperty("background", "dark");
        setProperty("widget-color", "white");
    }
    repolish(this);
    repolish(m_numberField);
}

void ComboSlider::setPrecision(int) {}

ComboSliderScale *ComboSlider::scale(int index) const
{
    return (index >= 0 && index < m_scales.size()) ? m_scales.at(index) : nullptr;
}

int ComboSlider::scaleIndex() const
{
    return m_scaleSelector->currentIndex();
}

int ComboSlider::unitIndex() const
{
    return m_unitSelector->currentIndex();
}

ComboSliderUnit *ComboSlider::currentUnit() const
{
    const ComboSliderScale *s = scale(scaleIndex());
    return s ? s->unit(unitIndex()) : nullptr;
}

double ComboSlider::value() const
{
    return m_slider->currentValue();
}

bool ComboSlider::isScaleVisible(int index) const
{
    return m_scaleSelector->hasItemVisibility(index);
}

void ComboSlider::addScale(ComboSliderScale *scale)
{
    if (!scale)
        return;
    scale->setParent(this);
    m_scales.append(scale);
    m_scaleSelector->addItem(scale->title());
    updateUnitCombo();
}

void ComboSlider::updateUnitCombo()
{
    m_unitSelector->clear();
    if (const ComboSliderScale *s = scale(scaleIndex()))
        m_unitSelector->addItems(s->unitTexts());
    const int fieldWidth = 150 - m_unitSelector->sizeHint().width();
    m_numberField->setMinimumWidth(fieldWidth);
    m_numberField->setMaximumWidth(fieldWidth);
    updateSlider();
    emit selectionChanged(scaleIndex(), unitIndex());
}

void ComboSlider::updateScaleCombo()
{
    const int index = m_scaleSelector->currentIndex();
    m_scaleSelector->clear();
    for (const ComboSliderScale *s : qAsConst(m_scales))
        m_scaleSelector->addItem(s->title());
    m_scaleSelector->setCurrentIndex(index);
}

void ComboSlider::setCurrentScaleIndex(int index)
{
    m_scaleSelector->setCurrentIndex(index);
    updateUnitCombo();
}

void ComboSlider::setCurrentUnitIndex(int index)
{
    m_unitSelector->setCurrentIndex(index);
    updateSlider();
}

void ComboSlider::updateSlider()
{
    const ComboSliderUnit *u = currentUnit();
    if (!u)
        return;
    m_slider->setScaleType(u->scaleType());
    // The list goes first: a step-list slider without a list takes the unit's range instead.
    m_slider->setStepList(u->stepList());
    m_slider->setRange(u->minValue(), u->maxValue());
    const double current = m_slider->currentValue();
    if (current < u->minValue())
        setValue(u->minValue());
    else if (current > u->maxValue())
        setValue(u->maxValue());
}

void ComboSlider::setUnitRange(int scaleIndex, int unitIndex, double min, double max)
{
    ComboSliderScale *s = scale(scaleIndex);
    if (!s)
        return;
    s->setUnitRange(unitIndex, min, max);
    updateSlider();
}

void ComboSlider::setScaleTitle(int scaleIndex, QString title)
{
    ComboSliderScale *s = scale(scaleIndex);
    if (!s)
        return;
    s->setTitle(title);
    m_scaleSelector->setItemText(scaleIndex, title);
}

void ComboSlider::setScaleVisible(int scaleIndex, bool visible)
{
    if (scaleIndex >= 0 && scaleIndex < m_scaleSelector->count())
        m_scaleSelector->setItemVisibility(scaleIndex, visible);
}

void ComboSlider::setUnitVisibility(int index, bool visible)
{
    if (index >= 0 && index < m_unitSelector->count())
        m_unitSelector->setItemVisibility(index, visible);
}

void ComboSlider::emitSelectionIndexes()
{
    emit selectionChanged(scaleIndex(), unitIndex());
}

void ComboSlider::setEnabled(bool enabled)
{
    QWidget::setEnabled(enabled);
    m_slider->setEnabled(enabled);
    m_numberField->setEnabled(enabled);
}

void ComboSlider::showNumber(double value)
{
    const ComboSliderUnit *u = currentUnit();
    if (u)
        m_numberField->setNumber(value, u->precision(), u->significantDigits());
    else
        m_numberField->setNumber(value, 0);
}

void ComboSlider::setValue(double value)
{
    if (m_holdOffTimer.isActive()) {
        m_pendingFeedbackValue = value;
        m_feedbackTimer.start();
        return;
    }
    m_slider->setCurrentValue(value);
    showNumber(m_slider->currentValue());
    // An abandoned edit returns to what the device reports now, not to what it reported before.
    if (m_editMode)
        m_editStartValue = m_slider->currentValue();
}

void ComboSlider::updateFeedbackValue()
{
    setValue(m_pendingFeedbackValue);
}

void ComboSlider::setInputValue(double value)
{
    showNumber(value);
}

void ComboSlider::acceptInputValue()
{
    m_editMode = false;
    double v = m_numberField->number();
    const ComboSliderUnit *unit = currentUnit();
    if (m_refusesOutOfRange && unit && !(v >= unit->minValue() && v <= unit->maxValue())) {
        showNumber(m_slider->currentValue());
        emit entryRefused(v);
        return;
    }
    v = m_slider->nearestStepValue(v);
    emit valueEntered(v);
    if (const ComboSliderUnit *u = currentUnit())
        v = qBound(u->minValue(), v, u->maxValue());
    showNumber(v);
    m_slider->setCurrentValue(v);
    emit valueChanged(v);
}

double ComboSlider::significantStep() const
{
    // one unit in the place of the last significant digit shown
    const QString text = m_numberField->text().trimmed();
    const int dot = text.indexOf(Dialkit::numberLocale().decimalPoint());
    if (dot >= 0) {
        int decimals = 0;
        for (int i = dot + 1; i < text.size() && text.at(i).isDigit(); ++i)
            ++decimals;
        return std::pow(10.0, -decimals);
    }
    int integerDigits = 0;
    for (QChar c : text)
        if (c.isDigit())
            ++integerDigits;
    const ComboSliderUnit *u = currentUnit();
    const int precision = u ? u->precision() : 1;
    return std::pow(10.0, qMax(0, integerDigits - qMax(1, precision)));
}

void ComboSlider::nudge(int direction)
{
    // a wheel turn of less than a notch arrives as 0 and must not move the value
    if (direction == 0)
        return;
    const ComboSliderUnit *u = currentUnit();
    if (!u)
        return;
    double newValue;
    const QList<double> steps = u->stepList();
    if (!steps.isEmpty()) {
        const bool logarithmic = u->scaleType() == ScaleSlider::Logarithmic;
        const double current = logarithmic ? std::log10(m_slider->currentValue()) : m_slider->currentValue();
        double next = current;
        if (direction >= 1) {
            for (double entry : steps) {
                if (entry > current) {
                    next = entry;
                    break;
                }
            }
        } else {
            for (int i = steps.size() - 1; i >= 0; --i) {
                if (steps.at(i) < current) {
                    next = steps.at(i);
                    break;
                }
            }
        }
        // a logarithmic unit keeps its list as logarithms; the field and slider take plain values
        newValue = logarithmic ? std::pow(10.0, next) : next;
    } else {
        const double step = u->significantDigits() ? significantStep() : std::pow(10.0, -u->precision());
        newValue = m_numberField->number() + direction * step;
    }
    newValue = qBound(u->minValue(), newValue, u->maxValue());
    showNumber(newValue);
    m_slider->setCurrentValue(newValue);
    emit valueChanged(newValue);
    m_holdOffTimer.start();
}

void ComboSlider::enterEditMode()
{
    m_editMode = true;
    m_editStartValue = m_slider->currentValue();
}

void ComboSlider::exitEditMode()
{
    m_editMode = false;
}

void ComboSlider::cancelEditMode()
{
    m_editMode = false;
    setValue(m_editStartValue);
}
