#pragma once

#include <QMenu>

// A menu that shows the highlighted entry's tooltip, which plain menus do not do.
class TTMenu : public QMenu
{
    Q_OBJECT

public:
    explicit TTMenu(QWidget *parent = nullptr);
    explicit TTMenu(const QString &title, QWidget *parent = nullptr);

protected:
    bool event(QEvent *e) override;
};
