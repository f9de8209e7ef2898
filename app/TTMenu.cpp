#include "app/TTMenu.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

TTMenu::TTMenu(QWidget *parent) : QMenu(parent) {}

TTMenu::TTMenu(const QString &title, QWidget *parent) : QMenu(title, parent) {}

bool TTMenu::event(QEvent *e)
{
    const QAction *highlighted = activeAction();
    if (e->type() == QEvent::ToolTip && highlighted)
        // Entries describe ports with what the USB device says of itself, which may hold markup: escaped,
        // one line, as plain text would show.
        QToolTip::showText(static_cast<QHelpEvent *>(e)->globalPos(),
                           Qt::convertFromPlainText(highlighted->toolTip(), Qt::WhiteSpaceNoWrap));
    else
        QToolTip::hideText();
    return QMenu::event(e);
}
