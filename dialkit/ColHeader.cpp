#include "dialkit/ColHeader.h"

#include "dialkit/ShowHideButton.h"

#include <QHBoxLayout>
#include <QLabel>

ColHeader::ColHeader(QWidget *parent) : QWidget(parent)
{
    m_title = new QLabel(tr("Modules"), this);
    m_title->setMargin(2);
    m_title->setStyleSheet(QStringLiteral("font: 87 14pt Arial Black; color: rgb(197, 198, 198);"));

    m_button = new ShowHideButton(this);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_title, 1);
    layout->addWidget(m_button);

    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFFECECEC));
    setPalette(pal);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_button, &QPushButton::clicked, this, &ColHeader::showHideClicked);
    connect(this, &QWidget::customContextMenuRequested, this, &ColHeader::onCustomContextMenuRequested);
}

void ColHeader::setText(QString text)
{
    m_title->setText(text);
}

QString ColHeader::text() const
{
    return m_title->text();
}

void ColHeader::setTextStyleSheet(QString styleSheet)
{
    m_title->setStyleSheet(styleSheet);
}

QString ColHeader::textStyleSheet() const
{
    return m_title->styleSheet();
}

void ColHeader::setShowState(bool shown)
{
    if (shown != m_showState)
        showHideClicked();
}

void ColHeader::showHideClicked()
{
    m_showState = !m_showState;
    m_button->setShowState(m_showState);
    emit sigShowStateChanged(m_showState);
}

void ColHeader::onCustomContextMenuRequested(QPoint pos)
{
    emit sigCustomContextMenuRequested(this, pos);
}
