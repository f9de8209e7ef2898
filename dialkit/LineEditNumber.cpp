#include "dialkit/LineEditNumber.h"

#include "dialkit/Dialkit.h"

#include <QKeyEvent>
#include <QLoggingCategory>

#include <cmath>

Q_LOGGING_CATEGORY(lcLineEditNumber, "dialkit.lineeditnumber")

LineEditNumber::LineEditNumber(QWidget *parent) : LineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_holdOffTimer.setSingleShot(true);
    m_holdOffTimer.setInterval(HoldOffMs);
    m_feedbackTimer.setSingleShot(true);
    m_feedbackTimer.setInterval(HoldOffMs);
    connect(&m_feedbackTimer, &QTimer::timeout, this, &LineEditNumber::updateFeedbackValue);
    connect(this, &QLineEdit::textChanged, this, &LineEditNumber::emitNumberChanged);
    connect(this, &LineEdit::textSaved, this, &LineEditNumber::emitNumberSaved);
}

double LineEditNumber::number() const
{
    return Dialkit::parseNumber(text());
}

QChar LineEditNumber::processCharacter(QChar c) const
{
    if (c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('X') ||
        c == QLatin1Char('x'))
        return c;
    if (c == QLatin1Char('.') || c == QLatin1Char(','))
        return Dialkit::numberLocale().decimalPoint();
    return QLatin1Char(' ');
}

void LineEditNumber::setNumber(double value, int precision, bool significantDigitsEnabled)
{
    if (significantDigitsEnabled)
        setText(Dialkit::formatSignificant(value, precision));
    else
        setText(Dialkit::formatFixed(value, precision));
}

void LineEditNumber::setNumber(double value, int precision)
{
    setNumber(value, precision, false);
}

void LineEditNumber::setText(const QString &text)
{
    if (m_holdOffTimer.isActive()) {
        m_pendingText = text;
        m_feedbackTimer.start();
        return;
    }
    QString filtered;
    filtered.reserve(text.size());
    for (QChar c : text) {
        const QChar p = processCharacter(c);
        if (p != QLatin1Char(' '))
            filtered.append(p);
    }
    LineEdit::setText(filtered);
}

void LineEditNumber::updateFeedbackValue()
{
    setText(m_pendingText);
}

void LineEditNumber::emitNumberChanged(QString string)
{
    emit numberChanged(Dialkit::parseNumber(string));
}

void LineEditNumber::emitNumberSaved()
{
    emit numberSaved(number());
}

void LineEditNumber::nudge(int direction)
{
    if (m_nudgeStep <= 0)
        return;
    int decimals = 0;
    if (m_nudgeStep < 0.999999) {
        while (decimals < 15 && std::pow(10.0, -decimals) - 0.000001 > m_nudgeStep)
            ++decimals;
    }
    const double value = number() + direction * m_nudgeStep;
    LineEdit::setText(Dialkit::formatFixed(value, decimals));
    qCDebug(lcLineEditNumber) << "LineEditNumber::nudge" << value << decimals;
    m_holdOffTimer.start();
    emit returnPressed();
}

void LineEditNumber::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        emit arrowPressed(1);
        return;
    case Qt::Key_Down:
        emit arrowPressed(-1);
        return;
    case Qt::Key_Comma:
    case Qt::Key_Period: {
        // Either key types the language's decimal separator: a German keypad gives a comma, an English
        // habit a point, and the field must read both as the same number.
        const QChar point = Dialkit::numberLocale().decimalPoint();
        QKeyEvent separator(event->type(), point == QLatin1Char(',') ? Qt::Key_Comma : Qt::Key_Period,
                            event->modifiers(), QString(point), event->isAutoRepeat(),
                            ushort(event->count()));
        LineEdit::keyPressEvent(&separator);
        return;
    }
    case Qt::Key_0:
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
    case Qt::Key_5:
    case Qt::Key_6:
    case Qt::Key_7:
    case Qt::Key_8:
    case Qt::Key_9:
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_X:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Left:
    case Qt::Key_Right:
        LineEdit::keyPressEvent(event);
        return;
    default:
        event->accept(); // swallowed
        return;
    }
}
