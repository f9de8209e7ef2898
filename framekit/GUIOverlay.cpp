#include "framekit/GUIOverlay.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QResizeEvent>

Q_LOGGING_CATEGORY(lcGUIOverlay, "framekit.guioverlay")

namespace {
const QColor veilColor(100, 100, 100, 128);
const QColor boxFillColor(255, 255, 255, 100);
const QColor textColor(0xff555555);
const int boxPadding = 40;
const int reasonGap = 8;
const qreal boxRadius = 25.0;
} // namespace

GUIOverlay::GUIOverlay(QWidget *parent) : QWidget(parent), m_disabledMessage(tr("Unavailable"))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    followParent();
}

GUIOverlay::~GUIOverlay() = default;

void GUIOverlay::setDisabledMessage(QString message)
{
    m_disabledMessage = message;
    update();
}

void GUIOverlay::setOverlayMessage(QString message)
{
    m_overlayMessage = message;
    update();
}

void GUIOverlay::setReasonMessage(QString message)
{
    m_reasonMessage = message;
    update();
}

void GUIOverlay::followParent()
{
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    parent->installEventFilter(this);
    // Cover the parent at once rather than only after its next resize.
    setGeometry(parent->rect());
    raise();
}

bool GUIOverlay::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentAboutToChange:
        if (parentWidget())
            parentWidget()->removeEventFilter(this);
        break;
    case QEvent::ParentChange:
        followParent();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool GUIOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize) {
            resize(static_cast<QResizeEvent *>(event)->size());
        } else if (event->type() == QEvent::ChildAdded) {
            raise();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GUIOverlay::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const QWidget *parent = parentWidget();
    const bool parentEnabled = !parent || parent->isEnabled();
    if (parentEnabled && m_overlayMessage.isEmpty())
        return;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), veilColor);

    const QString text = m_overlayMessage.isEmpty() ? m_disabledMessage : m_overlayMessage;
    const QFont messageFont(QStringLiteral("Calibri"), 48);
    const QFont reasonFont(QStringLiteral("Calibri"), 16);
    painter.setFont(messageFont);
    const QRect textRect = painter.boundingRect(rect(), Qt::AlignCenter, text);
    QRect reasonRect;
    if (!m_reasonMessage.isEmpty()) {
        painter.setFont(reasonFont);
        reasonRect = painter.boundingRect(rect(), Qt::AlignCenter, m_reasonMessage);
    }
    const int reasonHeight = reasonRect.isNull() ? 0 : reasonRect.height() + reasonGap;
    const int boxWidth = qMax(textRect.width(), reasonRect.width()) + boxPadding;
    const int boxHeight = textRect.height() + reasonHeight + boxPadding;
    const QRect box((width() - boxWidth) / 2, (height() - boxHeight) / 2, boxWidth, boxHeight);

    painter.setPen(textColor);
    painter.setBrush(boxFillColor);
    painter.drawRoundedRect(box, boxRadius, boxRadius, Qt::AbsoluteSize);
    painter.setFont(messageFont);
    const QRect messageArea(box.left(), box.top() + boxPadding / 2, box.width(), textRect.height());
    painter.drawText(messageArea, Qt::AlignCenter, text);
    if (reasonHeight > 0) {
        painter.setFont(reasonFont);
        const QRect reasonArea(box.left(), messageArea.bottom() + reasonGap, box.width(),
                               reasonRect.height());
        painter.drawText(reasonArea, Qt::AlignCenter, m_reasonMessage);
    }
}
