#pragma once

#include "dialkit/ComboBox.h"
#include "dialkit/ComboSliderScale.h"
#include "dialkit/ComboSliderUnit.h"
#include "dialkit/DialkitExport.h"
#include "dialkit/LineEditNumber.h"
#include "dialkit/ScaleSlider.h"

#include <QList>
#include <QTimer>
#include <QWidget>

// Numeric set-point control: scale selector, number field, unit selector and a ScaleSlider.
// Values the device reports (setValue) are kept apart from values the operator enters
// (valueEntered / valueChanged).
class DIALKIT_EXPORT ComboSlider : public QWidget
{
    Q_OBJECT
public:
    explicit ComboSlider(int margin, QWidget *parent = nullptr);

    static constexpr int HoldOffMs = 250;

    void addScale(ComboSliderScale *scale);
    int scaleIndex() const;
    int unitIndex() const;
    double value() const;
    bool isScaleVisible(int index) const;
    void setDarkBackground(bool dark);
    void setPrecision(int precision);
    LineEditNumber *getLineInput() const { return m_numberField; }
    ComboBox *scaleSelector() const { return m_scaleSelector; }
    ComboBox *unitSelector() const { return m_unitSelector; }
    ScaleSlider *slider() const { return m_slider; }
    ComboSliderScale *scale(int index) const;
    ComboSliderUnit *currentUnit() const;
    bool isEditMode() const { return m_editMode; }
    bool isHoldingOff() const { return m_holdOffTimer.isActive(); }
    // An entered number outside the unit's range is normally clamped into it. Refused instead, it is
    // reported by entryRefused, the control shows its previous value again and emits no value.
    void setRefusesOutOfRange(bool refuses) { m_refusesOutOfRange = refuses; }

public slots:
    void setValue(double value);
    void setCurrentScaleIndex(int index);
    void setCurrentUnitIndex(int index);
    void setUnitVisibility(int index, bool visible);
    void setScaleTitle(int scaleIndex, QString title);
    void setScaleVisible(int scaleIndex, bool visible);
    void setUnitRange(int scaleIndex, int unitIndex, double min, double max);
    void setEnabled(bool enabled);
    void updateSlider();
    void emitSelectionIndexes();
    void updateUnitCombo();
    void updateScaleCombo();
    void acceptInputValue();
    void setInputValue(double value);
    void enterEditMode();
    void exitEditMode();
    void cancelEditMode();
    void nudge(int direction);
    void updateFeedbackValue();

signals:
    void selectionChanged(int scaleIndex, int unitIndex);
    void scaleIndexChanged(int index);
    void unitIndexChanged(int index);
    void valueChanged(double value);
    void valueEntered(double value);
    void entryRefused(double value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showNumber(double value);
    double significantStep() const;

    ComboBox *m_scaleSelector = nullptr;
    LineEditNumber *m_numberField = nullptr;
    ComboBox *m_unitSelector = nullptr;
    ScaleSlider *m_slider = nullptr;
    QList<ComboSliderScale *> m_scales;
    QTimer m_holdOffTimer;
    QTimer m_feedbackTimer;
    double m_pendingFeedbackValue = 0;
    bool m_editMode = false;
    bool m_refusesOutOfRange = false;
    double m_editStartValue = 0;
};
