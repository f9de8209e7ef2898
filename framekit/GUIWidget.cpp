#include "framekit/GUIWidget.h"

#include "framekit/GUIOverlay.h"

GUIWidget::GUIWidget(QWidget *parent) : QWidget(parent), overlay(new GUIOverlay(this)) {}

GUIWidget::~GUIWidget() = default;

void GUIWidget::setDisabledMessage(QString message)
{
    overlay->setDisabledMessage(message);
}

void GUIWidget::setOverlayMessage(QString message)
{
    overlay->setOverlayMessage(message);
}
