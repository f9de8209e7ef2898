#include "dialkit/MainView.h"

#include "dialkit/Dialkit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QPixmap>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcMainView, "dialkit.mainview")

MainView::MainView(QWidget *parent, StyleSheetTiming timing) : QWidget(parent)
{
    if (timing == StyleSheetTiming::Immediate)
        setStyleSheet(Dialkit::getApplicationStylesheet());

    // The headers show what the instrument calls itself; markup in that is shown as written.
    m_header = new QLabel(this);
    m_header->setTextFormat(Qt::PlainText);
    m_header->setProperty("type", "header");
    m_header->hide();
    m_tinyHeader = new QLabel(this);
    m_tinyHeader->setTextFormat(Qt::PlainText);
    m_tinyHeader->setProperty("type", "tiny-header");
    m_tinyHeader->setAlignment(Qt::AlignRight);
    m_logo = new QLabel(this);
    m_logo->setPixmap(QPixmap(QStringLiteral(":/Dialkit/images/images/zorvLogo.png")));

    auto *topRow = new QHBoxLayout;
    topRow->setContentsMargins(25, 25, 25, 0);
    topRow->addWidget(m_logo, 0, Qt::AlignTop);
    topRow->addStretch();
    topRow->addWidget(m_tinyHeader, 0, Qt::AlignTop);
    topRow->addWidget(m_header);

    m_settingsBar = new QWidget(this);
    auto *settingsTitle = new QLabel(tr("Settings"), m_settingsBar);
    settingsTitle->setProperty("type", "title");
    m_closeButton = new QPushButton(m_settingsBar);
    m_closeButton->setProperty("style", "close");
    auto *barLayout = new QHBoxLayout(m_settingsBar);
    barLayout->setContentsMargins(25, 0, 25, 0);
    barLayout->addWidget(settingsTitle);
    barLayout->addStretch();
    barLayout->addWidget(m_closeButton, 0, Qt::AlignTop);
    connect(m_closeButton, &QPushButton::clicked, this, &MainView::closeSettings);

    m_stack = new stackWidget(this);
    auto *pageScroll = new ScrollArea(true, this);
    auto *pageLayout = new QVBoxLayout;
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(m_stack);
    pageLayout->addStretch(1);
    pageScroll->setLayout(pageLayout);

    m_leftPanel = new QWidget(this);
    m_leftPanel->setProperty("widget-color", "white-logo");
    m_leftPanel->setAttribute(Qt::WA_StyledBackground);
    auto *leftLayout = new QVBoxLayout(m_leftPanel);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addLayout(topRow);
    leftLayout->addWidget(m_settingsBar);
    leftLayout->addWidget(pageScroll);

    auto *rightPanel = new ScrollArea(true, this);
    rightPanel->setWidgetProperty("widget-color", "red");
    m_warningButton = new QPushButton(rightPanel->innerWidget());
    m_warningButton->setProperty("style", "warning");
    m_warningButton->setContentsMargins(0, 0, 0, 0);
    m_warningButton->setMinimumSize(22, 22);
    m_settingsMenu = new Selector(tr("Settings"), rightPanel->innerWidget());
    m_settingsMenu->setProperty("type", "settings");
    m_sparePanel = new QWidget(rightPanel->innerWidget());
    m_remoteArea = new QWidget(rightPanel->innerWidget());
    auto *menuRow = new QHBoxLayout;
    menuRow->setContentsMargins(25, 25, 25, 0);
    menuRow->addWidget(m_warningButton);
    menuRow->addStretch();
    menuRow->addWidget(m_settingsMenu);
    auto *rightLayout = new QVBoxLayout;
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addLayout(menuRow);
    rightLayout->addWidget(m_sparePanel);
    rightLayout->addWidget(m_remoteArea);
    rightPanel->setLayout(rightLayout);

    connect(m_settingsMenu, &Selector::itemSelected, this, &MainView::setControlPage);
    connect(m_settingsMenu, &Selector::itemSelected, this, &MainView::controlPageChanged);
    connect(m_warningButton, &QPushButton::clicked, this, &MainView::warningClicked);

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_leftPanel, 3);
    layout->addWidget(rightPanel, 1);

    m_warningButton->hide();
}

void MainView::applyStyleSheet()
{
    if (!styleSheet().isEmpty())
        return;
    const QString sheet = Dialkit::getApplicationStylesheet();
    // The same sheet set application-wide already styles every widget; set again here, each widget would
    // be matched against both copies of every rule.
    if (qApp->styleSheet() == sheet)
        return;
    setStyleSheet(sheet);
}

int MainView::addControlPage(const QString &title, QWidget *page)
{
    m_settingsMenu->addItem(title);
    return m_stack->addWidget(page);
}

void MainView::setRemoteControlWidget(QWidget *widget)
{
    if (!widget)
        return;
    if (QLayout *old = m_remoteArea->layout()) {
        if (QLayoutItem *item = old->itemAt(0)) {
            QWidget *previous = item->widget();
            old->takeAt(0);
            delete item;
            // deferred: the old panel may be the sender of the signal that led here
            if (previous && previous != widget) {
                previous->hide();
                previous->deleteLater();
            }
        }
        delete old;
    }
    auto *layout = new QVBoxLayout(m_remoteArea);
    layout->setContentsMargins(25, 0, 25, 25);
    layout->addWidget(widget);
}

void MainView::setSettingsPageAccess(int index, bool access)
{
    m_settingsMenu->setItemVisibility(index, access);
}

void MainView::showSettings(bool show)
{
    m_settingsMenu->setVisible(show);
}

QString MainView::currentWidgetInfo() const
{
    const QWidget *front = m_stack->currentWidget();
    return QStringLiteral("Stack height: %1, Front height: %2")
        .arg(m_stack->height())
        .arg(front ? front->height() : 0);
}

void MainView::setTinyHeader(QString text)
{
    m_tinyHeader->setText(text);
}

void MainView::setHeader(QString text)
{
    m_header->setVisible(!text.isEmpty());
    m_header->setText(text);
}

void MainView::setControlPage(int index)
{
    if (index != 0 && !m_settingsMenu->hasItemVisibility(index)) {
        qCDebug(lcMainView) << "page" << index << "is not accessible";
        return;
    }
    m_settingsBar->setVisible(index > 0);
    m_stack->setCurrentIndex(index);
}

void MainView::closeSettings()
{
    m_settingsBar->hide();
    m_stack->setCurrentIndex(0);
    emit controlPageChanged(0);
}

void MainView::showWarning(bool show)
{
    m_warningButton->setVisible(show);
}

void MainView::setWarningTooltip(QString text)
{
    m_warningButton->setToolTip(text);
}
