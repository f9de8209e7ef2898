#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/LineEdit.h"

#include <QTimer>

// Number field: accepts only characters of a number, steps with the arrow keys. It shows numbers with the
// decimal separator of the language in use and takes either separator as typed.
class DIALKIT_EXPORT LineEditNumber : public LineEdit
{
    Q_OBJECT
public:
    explicit LineEditNumber(QWidget *parent = nullptr);

    double number() const;
    void allowNudge(double step) { m_nudgeStep = step; }
    double nudgeStep() const { return m_nudgeStep; }
    QChar processCharacter(QChar c) const;

    static constexpr int HoldOffMs = 250;

public slots:
    void setNumber(double value, int precision, bool significantDigitsEnabled);
    void setNumber(double value, int precision);
    void setText(const QString &text);
    void emitNumberChanged(QString string);
    void emitNumberSaved();
    void nudge(int direction);

signals:
    void numberChanged(double value);
    void numberSaved(double value);
    void arrowPressed(int direction);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void updateFeedbackValue();

private:
    double m_nudgeStep = 0;
    QTimer m_holdOffTimer;
    QTimer m_feedbackTimer;
    QString m_pendingText;
};
