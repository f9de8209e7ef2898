#include "dialkit/Selector.h"

#include <QMouseEvent>

Selector::Selector(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    m_dropDown = new DropDown(parentWidget());
    m_dropDown->setOwner(this);
    connect(m_dropDown, &DropDown::itemSelected, this, &Selector::itemSelected);
}

Selector::~Selector()
{
    // the popup is a top-level window and must go with its selector
    delete m_dropDown;
}

void Selector::addItem(const QString &text)
{
    const bool first = m_dropDown->count() == 0;
    m_dropDown->addItem(text);
    if (first)
        m_dropDown->setItemVisibility(0, false);
}

void Selector::setItemVisibility(int index, bool visible)
{
    m_dropDown->setItemVisibility(index, visible);
}

bool Selector::hasItemVisibility(int index) const
{
    return m_dropDown->hasItemVisibility(index);
}

void Selector::setDropDownPosition()
{
    m_dropDown->move(mapToGlobal(QPoint(width() - m_dropDown->width(), height())));
}

void Selector::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (m_dropDown->isVisible()) {
        m_dropDown->hide();
        emit clicked(false);
        return;
    }
    m_dropDown->show();
    m_dropDown->refresh();
    setDropDownPosition();
    m_dropDown->setFocus();
    emit clicked(true);
}

void Selector::focusOutEvent(QFocusEvent *event)
{
    // Opening the popup itself moves the focus into it.
    if (event->reason() != Qt::PopupFocusReason && m_dropDown->isVisible() && !m_dropDown->hasFocus())
        m_dropDown->hide();
    QLabel::focusOutEvent(event);
}
