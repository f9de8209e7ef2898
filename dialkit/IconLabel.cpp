#include "dialkit/IconLabel.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QStyle>
#include <QVariant>

IconLabel::IconLabel(const QString &text, QWidget *parent) : IconLabel(text, QString(), parent) {}

IconLabel::IconLabel(const QString &text, const QString &iconPath, QWidget *parent) : QLabel(parent)
{
    setMargin(5);
    m_textLabel = new QLabel(text, this);
    m_iconLabel = new QLabel(this);
    // The entry reacts to the mouse as a whole; its parts must not swallow the events.
    m_textLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_iconLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setIcon(iconPath);
    rebuildLayout();
}

QString IconLabel::text() const
{
    return m_textLabel->text();
}

void IconLabel::setText(const QString &text)
{
    m_textLabel->setText(text);
    updateGeometry();
}

void IconLabel::setIcon(const QString &path)
{
    m_iconPath = path;
    m_iconLabel->setPixmap(path.isEmpty() ? QPixmap() : QPixmap(path));
    updateGeometry();
}

void IconLabel::setIconDisplay(IconDisplay mode)
{
    if (mode == m_display)
        return;
    m_display = mode;
    rebuildLayout();
}

void IconLabel::rebuildLayout()
{
    auto *box = static_cast<QHBoxLayout *>(layout());
    while (QLayoutItem *item = box->takeAt(0))
        delete item; // the labels themselves stay children of this widget
    switch (m_display) {
    case IconLeft:
        box->addWidget(m_iconLabel);
        box->addStretch();
        box->addWidget(m_textLabel);
        m_iconLabel->show();
        break;
    case IconRight:
        box->addWidget(m_textLabel);
        box->addStretch();
        box->addWidget(m_iconLabel);
        m_iconLabel->show();
        break;
    case NoIcon:
    default:
        box->addWidget(m_textLabel);
        m_iconLabel->hide();
        break;
    }
    updateGeometry();
}

QSize IconLabel::sizeHint() const
{
    const QSize t = m_textLabel->sizeHint();
    const QSize i = m_iconLabel->sizeHint();
    return QSize(t.width() + i.width() + 16, qMax(t.height(), i.height()));
}

void IconLabel::enterEvent(QEvent *event)
{
    setHover(true);
    QLabel::enterEvent(event);
}

void IconLabel::leaveEvent(QEvent *event)
{
    setHover(false);
    QLabel::leaveEvent(event);
}

void IconLabel::setHover(bool hover)
{
    // Style sheet colours are not inherited: the text label is told itself that its entry is
    // highlighted, so the sheet can give it the highlight text colour.
    m_textLabel->setProperty("hover", hover);
    m_textLabel->style()->unpolish(m_textLabel);
    m_textLabel->style()->polish(m_textLabel);
}
