#pragma once

#include <QWidget>

// Gallery page for the range, spectrum, channel, display and graph widgets.
class GalleryPageMore : public QWidget
{
    Q_OBJECT
public:
    explicit GalleryPageMore(QWidget *parent = nullptr);
};
