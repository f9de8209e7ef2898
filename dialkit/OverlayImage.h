#pragma once

#include "dialkit/DialkitExport.h"

#include <QPixmap>
#include <QWidget>

// A picture that fills the widget's width and keeps its aspect ratio; its height follows the
// width through height-for-width layout.
class DIALKIT_EXPORT OverlayImage : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayImage(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QPixmap image() const { return m_image; }

public slots:
    void setImage(QPixmap image);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_image;
};
