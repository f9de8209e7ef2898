#include "dialkit/Button.h"

#include <QStyle>
#include <QVariant>

namespace {

struct SizeRow
{
    int width;
    int height;
    const char *property;
};

// Indexed by Button::Size.
const SizeRow sizeTable[] = {
    {95, 55, "normal"}, {55, 35, "small"}, {65, 30, "small"},     {30, 30, "fat"},
    {40, 40, "fat"},    {46, 38, "fat"},   {85, 35, "longsmall"},
};

// Indexed by Button::Color.
const char *const colorNames[] = {"red", "grey", "dark-grey", "green", "orange"};

} // namespace

Button::Button(QWidget *parent) : QPushButton(parent)
{
    setup();
}

Button::Button(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setup();
}

void Button::setup()
{
    setSize(Normal);
    setColor(Red);
    setCheckedColor(Orange);
    // The base class's clicked(bool) is overloaded by our clicked(bool, QString).
    connect(this, qOverload<bool>(&QAbstractButton::clicked), this, &Button::emitClicked);
}

QString Button::colorName(int color)
{
    if (color < Grey || color > Orange)
        color = Red;
    return QLatin1String(colorNames[color]);
}

void Button::setSize(Size size)
{
    const int index = int(size);
    if (index < 0 || index >= int(sizeof(sizeTable) / sizeof(sizeTable[0])))
        return;
    const SizeRow &row = sizeTable[index];
    setMinimumSize(row.width, row.height);
    setMaximumSize(row.width, row.height);
    setProperty("button-size", QLatin1String(row.property));
    repolish();
}

void Button::setSize(int width, int height)
{
    setMinimumSize(width, height);
    setMaximumSize(width, height);
}

void Button::setWidth(int width)
{
    setMinimumWidth(width);
    setMaximumWidth(width);
}

void Button::setColor(Color color)
{
    m_color = (int(color) < Grey || int(color) > Orange) ? Red : color;
    setProperty("button-color", colorName(m_color));
    repolish();
}

void Button::setCheckedColor(Color color)
{
    m_checkedColor = (int(color) < Grey || int(color) > Orange) ? Red : color;
    setProperty("button-checked-color", colorName(m_checkedColor));
    repolish();
}

void Button::setBackgroundImage(const QPixmap &pixmap)
{
    setIcon(QIcon(pixmap));
    setIconSize(QSize(maximumWidth() - 4, maximumHeight() - 4));
}

void Button::emitClicked(bool checked)
{
    emit clicked(checked, text());
}

void Button::repolish()
{
    // Property selectors are only re-evaluated on a new polish.
    style()->unpolish(this);
    style()->polish(this);
    update();
}
