#pragma once

#include "dialkit/DialkitExport.h"

#include <QLineEdit>
#include <QMetaObject>
#include <QTimer>

// Line edit that remembers the last confirmed text and can fall back to it when an edit is
// neither confirmed nor abandoned within five seconds.
class DIALKIT_EXPORT LineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit LineEdit(QWidget *parent = nullptr);

    void enableTimeout(bool enable);
    bool isTimeoutEnabled() const { return m_timeoutEnabled; }
    void setDarkBackground();
    QString savedText() const { return m_savedText; }
    bool isEditing() const { return m_editing; }
    bool isResetPending() const { return m_resetTimer.isActive(); }

    static constexpr int ResetTimeoutMs = 5000;

public slots:
    void setText(const QString &text);
    void saveText();
    void resetText();
    void checkForNewText();

signals:
    void textSaved(QString text);
    void gotFocus();
    void textReset();
    void textEditing();

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    QString m_savedText;
    QTimer m_resetTimer;
    bool m_timeoutEnabled = false;
    bool m_editing = false;
    QMetaObject::Connection m_timeoutConnections[4];
};
