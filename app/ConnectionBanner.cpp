#include "app/ConnectionBanner.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {
const int bannerMargin = 8;
}

ConnectionBanner::ConnectionBanner(QWidget *parent)
    : QFrame(parent), m_label(new QLabel(this)), m_report(new QLabel(this)), m_warning(new QLabel(this)),
      m_button(new QPushButton(this))
{
    setObjectName(QStringLiteral("connectionBanner"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#connectionBanner { background: #fff4ce; border: 1px solid #c8a600; }"
                                 "#connectionBanner QLabel { color: #3b2f00; font-size: 11pt; }"
                                 "#connectionBanner QLabel#bannerLastReport { font-style: italic; }"
                                 "#connectionBanner QLabel#bannerWarning { color: white; background: #b00020;"
                                 " font-weight: bold; padding: 2px 6px; }"));
    m_report->setObjectName(QStringLiteral("bannerLastReport"));
    m_warning->setObjectName(QStringLiteral("bannerWarning"));
    // Messages name ports and the serial numbers lasers answered with: never markup.
    for (QLabel *label : {m_label, m_report, m_warning}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // A few words that must show whole.
    m_warning->setWordWrap(false);
    m_report->hide();
    m_warning->hide();
    // One grid, not nested layouts: a nested layout keeps the height it found for the labels before
    // they changed, and the banner would cut its own lines.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(12, 6, 6, 6);
    layout->setVerticalSpacing(4);
    layout->addWidget(m_label, 0, 0);
    layout->addWidget(m_report, 1, 0);
    layout->addWidget(m_warning, 2, 0, Qt::AlignLeft);
    layout->addWidget(m_button, 0, 1, 3, 1, Qt::AlignTop);
    layout->setColumnStretch(0, 1);
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

QString ConnectionBanner::lastReportText() const
{
    return m_report->text();
}

QString ConnectionBanner::warningText() const
{
    return m_warning->text();
}

void ConnectionBanner::setLastReport(const QString &report, const QString &warning)
{
    m_report->setText(report);
    m_report->setVisible(!report.isEmpty());
    m_warning->setText(warning);
    m_warning->setVisible(!warning.isEmpty());
    if (isVisible())
        place();
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
    // The labels' height depends on the style sheet's font, which a banner not yet shown has not applied.
    ensurePolished();
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
