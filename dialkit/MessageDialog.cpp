#include "dialkit/MessageDialog.h"

#include "dialkit/Button.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariant>

namespace {
QLabel *centredLabel(const QString &text, const char *type, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setProperty("type", type);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

MessageDialog::MessageDialog(const QString &title, const QString &header, const QString &message,
                             QWidget *parent)
    : Dialog(parent)
{
    setWindowTitle(title);
    m_header = centredLabel(header, "label-header", this);
    m_message = centredLabel(message, "label", this);
    m_buttons = new QHBoxLayout();
    m_buttons->addStretch();
    m_buttons->addStretch();
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(25, 25, 25, 25);
    m_layout->setSpacing(15);
    m_layout->addWidget(m_header);
    m_layout->addWidget(m_message);
    m_layout->addLayout(m_buttons);
}

Button *MessageDialog::addButton(const QString &text, int result)
{
    auto *button = new Button(text, this);
    button->setSize(Button::Small);
    button->setColor(Button::DarkGrey);
    // Between the two stretches, after the buttons already there.
    m_buttons->insertWidget(m_buttons->count() - 1, button);
    connect(button, &QAbstractButton::clicked, this, [this, result]() { done(result); });
    return button;
}

void MessageDialog::addContent(QWidget *widget)
{
    m_layout->insertWidget(m_layout->count() - 1, widget);
}

void MessageDialog::setHeader(const QString &text)
{
    m_header->setText(text);
}

void MessageDialog::setMessage(const QString &text)
{
    m_message->setText(text);
}
