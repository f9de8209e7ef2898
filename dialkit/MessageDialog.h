#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/Dialog.h"

class Button;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

// The system's message window: a centred header ("** Warning **"), a centred message, optional
// content below it and a centred row of small dark-grey buttons. Texts are shown as plain text, so a
// message that carries markup (it may come from a device) is shown as written, never interpreted.
class DIALKIT_EXPORT MessageDialog : public Dialog
{
    Q_OBJECT
public:
    MessageDialog(const QString &title, const QString &header, const QString &message,
                  QWidget *parent = nullptr);

    // A button that closes the window with `result` (QDialog::Accepted or QDialog::Rejected).
    Button *addButton(const QString &text, int result);
    // Places `widget` below the message and above the buttons.
    void addContent(QWidget *widget);

    void setHeader(const QString &text);
    void setMessage(const QString &text);
    QLabel *headerLabel() const { return m_header; }
    QLabel *messageLabel() const { return m_message; }

private:
    QLabel *m_header = nullptr;
    QLabel *m_message = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};
