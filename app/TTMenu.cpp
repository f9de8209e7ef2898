#include "app/TTMenu.h"

#include <QHelpEvent>
#include <QToolTip>

TTMenu::TTMenu(QWidget *parent) : QMenu(parent) {}

TTMenu::TTMenu(const QString &title, QWidget *parent) : QMenu(title, parent) {}

bool TTMenu::event(QEvent *e)
{
    const QAction *highlighted = activeAction();
    if (e->type() == QEvent::ToolTip && highlighted)
        QToolTip::showText(static_cast<QHelpEvent *>(e)->globalPos(), highlighted->toolTip());
    else
        QToolTip::hideText();
    return QMenu::event(e);
}
