#include "dialkit/stackWidget.h"

#include <QVBoxLayout>

stackWidget::stackWidget(QWidget *parent) : QWidget(parent)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
}

int stackWidget::addWidget(QWidget *widget)
{
    m_layout->addWidget(widget);
    m_pages.append(widget);
    if (m_currentIndex >= 0 && widget)
        widget->hide(); // a page added after one is current must not appear under it
    return m_pages.size() - 1;
}

int stackWidget::insertWidget(int index, QWidget *widget)
{
    index = qBound(0, index, m_pages.size());
    m_layout->insertWidget(index, widget);
    m_pages.insert(index, widget);
    if (m_currentIndex >= 0) {
        if (index <= m_currentIndex)
            ++m_currentIndex;
        if (widget)
            widget->hide();
    }
    return index;
}

void stackWidget::takeAt(int index)
{
    QWidget *widget = m_pages.at(index);
    m_pages.removeAt(index);
    if (widget) {
        m_layout->removeWidget(widget);
        widget->hide();
    }
    if (index == m_currentIndex)
        m_currentIndex = -1;
    else if (index < m_currentIndex)
        --m_currentIndex;
    emit widgetRemoved(index);
}

void stackWidget::removeWidget(QWidget *widget)
{
    const int index = indexOf(widget);
    if (index >= 0)
        takeAt(index);
}

void stackWidget::removeWidgetAt(int index)
{
    if (m_currentIndex < 0 || index < 0 || index >= m_pages.size())
        return;
    takeAt(index);
}

QWidget *stackWidget::currentWidget() const
{
    return widgetAt(m_currentIndex);
}

QWidget *stackWidget::widgetAt(int index) const
{
    return (index >= 0 && index < m_pages.size()) ? m_pages.at(index).data() : nullptr;
}

int stackWidget::indexOf(QWidget *widget) const
{
    if (!widget)
        return -1;
    for (int i = 0; i < m_pages.size(); ++i)
        if (m_pages.at(i) == widget)
            return i;
    return -1;
}

void stackWidget::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_pages.size() || index == m_currentIndex)
        return;
    for (int i = 0; i < m_pages.size(); ++i) {
        if (QWidget *page = m_pages.at(i))
            page->setVisible(i == index);
    }
    m_currentIndex = index;
    emit currentChanged(index);
}

void stackWidget::setCurrentWidget(QWidget *widget)
{
    setCurrentIndex(indexOf(widget));
}
