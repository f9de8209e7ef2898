#include "dialkit/OverlayImage.h"

#include <QPainter>

OverlayImage::OverlayImage(QWidget *parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

bool OverlayImage::hasHeightForWidth() const
{
    return true;
}

int OverlayImage::heightForWidth(int width) const
{
    if (m_image.isNull() || m_image.width() <= 0)
        return 0;
    return qRound(double(m_image.height()) * width / m_image.width());
}

QSize OverlayImage::sizeHint() const
{
    return m_image.isNull() ? QSize(200, 0) : m_image.size();
}

void OverlayImage::setImage(QPixmap image)
{
    m_image = image;
    if (m_image.isNull()) {
        // Nothing to show: let the widget collapse instead of keeping the last picture's limits.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setMaximumSize(m_image.size());
        setMinimumSize(200, heightForWidth(200));
    }
    updateGeometry();
    update();
}

void OverlayImage::paintEvent(QPaintEvent *)
{
    if (m_image.isNull() || width() <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QPoint(0, 0), m_image.scaledToWidth(width(), Qt::SmoothTransformation));
}
