#include "app/ConnectionBanner.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {
const int bannerMargin = 8;
}

ConnectionBanner::ConnectionBanner(QWidget *parent)
    : QFrame(parent), m_label(new QLabel(this)), m_button(new QPushButton(this))
{
    setObjectName(QStringLiteral("connectionBanner"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#connectionBanner { background: #fff4ce; border: 1px solid #c8a600; }"
                                 "#connectionBanner QLabel { color: #3b2f00; font-size: 11pt; }"));
    // Messages name ports and the serial numbers lasers answered with: never markup.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 6, 6);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, [this] {
        hide();
        if (m_cancels)
            emit cancelled();
    });
    parent->installEventFilter(this);
    hide();
}

ConnectionBanner::~ConnectionBanner() = default;

QString ConnectionBanner::text() const
{
    return m_label->text();
}

QString ConnectionBanner::buttonText() const
{
    return m_button->text();
}

void ConnectionBanner::showWait(const QString &message)
{
    showWith(message, tr("Cancel"), true);
}

void ConnectionBanner::showNotice(const QString &message)
{
    showWith(message, tr("Close"), false);
}

void ConnectionBanner::showWith(const QString &message, const QString &button, bool cancels)
{
    m_label->setText(message);
    m_button->setText(button);
    m_cancels = cancels;
    place();
    show();
    raise();
}

void ConnectionBanner::place()
{
    const QWidget *parent = parentWidget();
    const int width = parent->width() - 2 * bannerMargin;
    resize(width, heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height());
    // Below the tabs, so that the operator can still switch between them.
    int top = bannerMargin;
    if (const auto *tabs = parent->findChild<QTabWidget *>()) {
        const QTabBar *bar = tabs->tabBar();
        top += bar->mapTo(parent, QPoint(0, bar->height())).y();
    }
    move(bannerMargin, top);
}

bool ConnectionBanner::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize)
            place();
        else if (event->type() == QEvent::ChildAdded && isVisible())
            raise();
    }
    return QFrame::eventFilter(watched, event);
}
