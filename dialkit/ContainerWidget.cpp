#include "dialkit/ContainerWidget.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

ContainerWidget::ContainerWidget(QWidget *parent) : QWidget(parent)
{
    // A container starts white, like the page it usually sits on.
    setDarkBackground(false);
}

void ContainerWidget::setDarkBackground(bool dark)
{
    setProperty("widget-color", dark ? QStringLiteral("light-grey") : QStringLiteral("white"));
    // Property selectors are matched when the style is applied, so re-apply it.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void ContainerWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
