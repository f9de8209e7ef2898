#include "dialkit/DropDown.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <cmath>

// A popup window closes itself on a click anywhere outside it, as operators expect of a menu.
DropDown::DropDown(QWidget *parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumSize(80, 40);
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_frame = new QFrame(this);
    outer->addWidget(m_frame);
    m_itemLayout = new QVBoxLayout(m_frame);
    m_itemLayout->setContentsMargins(0, 0, 0, 0);
    m_itemLayout->setSpacing(0);
}

void DropDown::addItem(const QString &text)
{
    addItem(text, QString());
}

void DropDown::addItem(const QString &text, const QString &iconPath)
{
    auto *label = new IconLabel(text, iconPath, m_frame);
    label->setIconDisplay(m_iconDisplay);
    m_itemLayout->addWidget(label);
    m_items.append(label);
    m_requestedVisibility.append(true);
}

QString DropDown::itemText(int index) const
{
    return (index >= 0 && index < m_items.size()) ? m_items.at(index)->text() : QString();
}

void DropDown::setItemText(int index, const QString &text)
{
    if (index >= 0 && index < m_items.size())
        m_items.at(index)->setText(text);
}

void DropDown::setIcon(int index, const QString &path)
{
    if (index >= 0 && index < m_items.size())
        m_items.at(index)->setIcon(path);
}

void DropDown::setItemVisibility(int index, bool visible)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_requestedVisibility[index] = visible;
    m_items.at(index)->setVisible(visible);
    refresh();
}

bool DropDown::hasItemVisibility(int index) const
{
    return index >= 0 && index < m_requestedVisibility.size() && m_requestedVisibility.at(index);
}

bool DropDown::isItemVisible(int index) const
{
    return index >= 0 && index < m_items.size() && m_items.at(index)->isVisible();
}

IconLabel *DropDown::item(int index) const
{
    return (index >= 0 && index < m_items.size()) ? m_items.at(index) : nullptr;
}

void DropDown::showIcons(IconLabel::IconDisplay mode)
{
    m_iconDisplay = mode;
    for (IconLabel *label : qAsConst(m_items))
        label->setIconDisplay(mode);
    refresh();
}

void DropDown::refresh()
{
    m_itemLayout->invalidate();
    m_frame->adjustSize();
    adjustSize();
}

void DropDown::clear()
{
    for (IconLabel *label : qAsConst(m_items)) {
        m_itemLayout->removeWidget(label);
        delete label;
    }
    m_items.clear();
    m_requestedVisibility.clear();
    refresh();
}

int DropDown::itemAt(int y) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        const IconLabel *label = m_items.at(i);
        // item geometry is relative to the frame
        const QRect r(label->mapTo(this, QPoint(0, 0)), label->size());
        if (r.top() < y && r.top() + r.height() > y && label->isVisible())
            return i;
    }
    return -1;
}

void DropDown::mousePressEvent(QMouseEvent *event)
{
    if (!rect().contains(event->pos())) {
        // Without this the press would be replayed to the owner, which would open the popup again.
        if (m_owner && m_owner->rect().contains(m_owner->mapFromGlobal(event->globalPos())))
            setAttribute(Qt::WA_NoMouseReplay);
        hide();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int y = int(std::lround(event->localPos().y()));
    const int index = itemAt(y);
    if (index < 0)
        return;
    emit itemSelected(index);
    hide();
}
