#include "dialkit/ScrollArea.h"

#include <QEvent>
#include <QScrollBar>
#include <QStyle>
#include <QVariant>

ScrollArea::ScrollArea(bool fitWidth, QWidget *parent) : QScrollArea(parent), m_fitWidth(fitWidth)
{
    m_inner = new QWidget(this);
    m_inner->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_inner->setProperty("widget-color", "white");
    setProperty("flat", true);
    if (fitWidth) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    setWidget(m_inner);
    setWidgetResizable(true);
    setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_inner->installEventFilter(this);
}

void ScrollArea::setLayout(QLayout *layout)
{
    m_inner->setLayout(layout);
}

void ScrollArea::setWidgetProperty(const char *name, const QVariant &value)
{
    m_inner->setProperty(name, value);
    m_inner->style()->unpolish(m_inner);
    m_inner->style()->polish(m_inner);
}

bool ScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    if (m_fitWidth && watched == m_inner && event->type() == QEvent::Resize) {
        // The scroll bar's hint, not its width: a bar that has never been shown has no real width.
        setMinimumWidth(m_inner->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width());
    }
    return QScrollArea::eventFilter(watched, event);
}
