#include "dialkit/ComboBox.h"

#include <QPointer>
#include <QScreen>

#include <QMouseEvent>
#include <QStyle>

ComboBox::ComboBox(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setIndent(0);
    m_dropDown = new DropDown(parentWidget());
    m_dropDown->setOwner(this);
    connect(m_dropDown, &DropDown::itemSelected, this, &ComboBox::checkCurrentIndex);
    applySingleMode();
}

ComboBox::~ComboBox()
{
    // The popup is a top-level window owned by our parent; it must not outlive the combo box, nor stay
    // on screen without it. It goes later, as the combo box may be deleted from the popup's own click.
    if (m_dropDown) {
        m_dropDown->hide();
        m_dropDown->deleteLater();
    }
}

void ComboBox::addItem(const QString &text)
{
    addItem(text, QString());
}

void ComboBox::addItem(const QString &text, const QString &iconPath)
{
    m_dropDown->addItem(text, iconPath);
    if (m_dropDown->count() == 1) {
        m_currentIndex = 0;
        QLabel::setText(text);
    }
    applySingleMode();
    adjustSize();
}

void ComboBox::addItems(const QStringList &texts)
{
    // Sized once for the whole list: each sizing styles the widget, which is what filling a list costs.
    for (const QString &text : texts) {
        m_dropDown->addItem(text, QString());
        if (m_dropDown->count() == 1) {
            m_currentIndex = 0;
            QLabel::setText(text);
        }
    }
    applySingleMode();
    adjustSize();
}

int ComboBox::count() const
{
    return m_dropDown->count();
}

QString ComboBox::currentText() const
{
    return m_dropDown->itemText(m_currentIndex);
}

QString ComboBox::itemText(int index) const
{
    return m_dropDown->itemText(index);
}

void ComboBox::setItemText(int index, const QString &text)
{
    m_dropDown->setItemText(index, text);
    if (index == m_currentIndex && index >= 0 && index < count()) {
        QLabel::setText(text);
        adjustSize();
    }
}

void ComboBox::setCurrentIndex(int index)
{
    const int n = count();
    if (index >= n)
        index = n - 1;
    if (index < 0)
        index = n > 0 ? 0 : -1;
    m_currentIndex = index;
    QLabel::setText(m_dropDown->itemText(index));
    adjustSize();
}

void ComboBox::setItemVisibility(int index, bool visible)
{
    m_dropDown->setItemVisibility(index, visible);
}

bool ComboBox::hasItemVisibility(int index) const
{
    return m_dropDown->hasItemVisibility(index);
}

bool ComboBox::isItemVisible(int index) const
{
    return m_dropDown->isItemVisible(index);
}

void ComboBox::showIcons(IconLabel::IconDisplay mode)
{
    m_dropDown->showIcons(mode);
}

void ComboBox::setSingleMode(bool single)
{
    m_singleMode = single;
    applySingleMode();
}

void ComboBox::applySingleMode()
{
    QLabel::setProperty("single-mode", (m_singleMode && count() == 1) ? "true" : "false");
    style()->unpolish(this);
    style()->polish(this);
}

void ComboBox::setProperty(const char *name, const QVariant &value)
{
    m_dropDown->setProperty(name, value);
    QLabel::setProperty(name, value);
    m_dropDown->style()->unpolish(m_dropDown);
    m_dropDown->style()->polish(m_dropDown);
    style()->unpolish(this);
    style()->polish(this);
}

void ComboBox::setDropDownPosition()
{
    // Below the box and aligned to its right end; near an edge of the screen the list moves inside it,
    // and opens above the box when there is no room below.
    QPoint position = mapToGlobal(QPoint(width() - m_dropDown->width() - 20, height()));
    const QScreen *screen = this->screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        const QSize size = m_dropDown->size();
        if (position.y() + size.height() > area.bottom() + 1)
            position.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        position.setX(qBound(area.left(), position.x(), area.right() + 1 - size.width()));
        position.setY(qBound(area.top(), position.y(), area.bottom() + 1 - size.height()));
    }
    m_dropDown->move(position);
}

void ComboBox::clear()
{
    m_dropDown->clear();
    m_currentIndex = -1;
    QLabel::setText(QString());
    applySingleMode();
}

void ComboBox::checkCurrentIndex(int index)
{
    // A receiver of currentIndexChanged may delete this combo box (a panel torn down on a choice).
    const QPointer<ComboBox> alive(this);
    if (index != m_currentIndex) {
        m_currentIndex = index;
        QLabel::setText(m_dropDown->itemText(index));
        adjustSize();
        emit currentIndexChanged(index);
    }
    if (alive)
        emit activated(index);
}

void ComboBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (m_singleMode && count() == 1)
        return;
    if (m_dropDown->isVisible()) {
        m_dropDown->hide();
        return;
    }
    m_dropDown->show();
    m_dropDown->refresh();
    setDropDownPosition();
    m_dropDown->updateGeometry();
    m_dropDown->setFocus();
}

void ComboBox::focusOutEvent(QFocusEvent *event)
{
    // Opening the popup itself moves the focus into it.
    if (event->reason() != Qt::PopupFocusReason && m_dropDown->isVisible() && !m_dropDown->hasFocus())
        m_dropDown->hide();
    QLabel::focusOutEvent(event);
}
