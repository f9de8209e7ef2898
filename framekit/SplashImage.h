#pragma once

#include "framekit/FramekitExport.h"

#include <QPixmap>
#include <QWidget>

// Product picture of the welcome page; it follows the available width and keeps its aspect ratio.
class FRAMEKIT_EXPORT SplashImage : public QWidget
{
    Q_OBJECT
public:
    explicit SplashImage(QWidget *parent = nullptr);
    ~SplashImage() override;

    bool hasHeightForWidth() const override;
    int heightForWidth(int w) const override;
    QSize sizeHint() const override;

    const QPixmap &picture() const { return image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap image;
};
