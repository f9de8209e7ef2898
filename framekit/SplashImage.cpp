#include "framekit/SplashImage.h"

#include <QLoggingCategory>
#include <QPainter>

Q_LOGGING_CATEGORY(lcSplashImage, "framekit.splashimage")

namespace {
const char splashResource[] = ":/MainControlPanel/Images/Lumetra_software_splash_screen.png";
const int minimumPictureWidth = 200;
} // namespace

SplashImage::SplashImage(QWidget *parent) : QWidget(parent), image(QString::fromLatin1(splashResource))
{
    if (image.isNull()) {
        qCWarning(lcSplashImage) << "splash picture missing:" << splashResource;
        return;
    }
    setMaximumSize(image.size());
    setMinimumSize(minimumPictureWidth, heightForWidth(minimumPictureWidth));

    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

SplashImage::~SplashImage() = default;

bool SplashImage::hasHeightForWidth() const
{
    return true;
}

int SplashImage::heightForWidth(int w) const
{
    if (image.isNull() || image.width() <= 0)
        return 0;
    return qRound(qreal(w) * image.height() / image.width());
}

QSize SplashImage::sizeHint() const
{
    return image.isNull() ? QWidget::sizeHint() : image.size();
}

void SplashImage::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    if (image.isNull() || width() <= 0)
        return;
    const QPixmap scaled = image.scaledToWidth(width(), Qt::SmoothTransformation);
    QPainter painter(this);
    painter.drawPixmap(0, 0, scaled);
}
