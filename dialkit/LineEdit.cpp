#include "dialkit/LineEdit.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLineEdit, "dialkit.lineedit")

LineEdit::LineEdit(QWidget *parent) : QLineEdit(parent)
{
    setMinimumWidth(50);
    setProperty("flat", true);
    connect(this, &QLineEdit::returnPressed, this, &LineEdit::saveText);
    m_resetTimer.setSingleShot(true);
    m_resetTimer.setInterval(ResetTimeoutMs);
}

void LineEdit::enableTimeout(bool enable)
{
    if (enable == m_timeoutEnabled)
        return;
    m_timeoutEnabled = enable;
    if (enable) {
        m_timeoutConnections[0] =
            connect(this, &QLineEdit::textEdited, &m_resetTimer, qOverload<>(&QTimer::start));
        m_timeoutConnections[1] = connect(&m_resetTimer, &QTimer::timeout, this, &LineEdit::resetText);
        m_timeoutConnections[2] = connect(this, &QLineEdit::returnPressed, &m_resetTimer, &QTimer::stop);
        m_timeoutConnections[3] = connect(this, &QLineEdit::textEdited, this, &LineEdit::checkForNewText);
    } else {
        for (QMetaObject::Connection &c : m_timeoutConnections)
            disconnect(c);
        m_resetTimer.stop();
    }
}

void LineEdit::setDarkBackground()
{
    setProperty("background", "dark");
}

void LineEdit::setText(const QString &text)
{
    m_savedText = text;
    QLineEdit::setText(text);
}

void LineEdit::saveText()
{
    m_savedText = text();
    m_editing = false;
    emit textSaved(m_savedText);
}

void LineEdit::resetText()
{
    QLineEdit::setText(m_savedText);
    m_resetTimer.stop();
    m_editing = false;
    emit textReset();
    qCDebug(lcLineEdit) << "Reset: " << m_savedText;
}

void LineEdit::checkForNewText()
{
    if (!m_editing && text() != m_savedText) {
        m_editing = true;
        emit textEditing();
    }
}

void LineEdit::focusOutEvent(QFocusEvent *event)
{
    // Leaving the field confirms the text exactly as Return does.
    emit returnPressed();
    QLineEdit::focusOutEvent(event);
}

void LineEdit::focusInEvent(QFocusEvent *event)
{
    emit gotFocus();
    QLineEdit::focusInEvent(event);
}
