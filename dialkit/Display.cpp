#include "dialkit/Display.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyleOption>

Display::Display(int rows, int columns, QWidget *parent)
    : QWidget(parent), m_rows(qMax(1, rows)), m_columns(qMax(1, columns))
{
    setContentsMargins(10, 10, 10, 10);
    setFixedSize(200, 80);

    m_font = QFont(QStringLiteral("Consolas"));
    // Where Consolas is missing the fallback must still be fixed-pitch, or the columns wander.
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    m_font.setPixelSize(32);
    const double averageWidth = QFontMetricsF(m_font).averageCharWidth();
    m_ratio = averageWidth > 0 ? 32.0 / averageWidth : 1.0;

    m_fontPixelSize = 18;
    m_font.setPixelSize(m_fontPixelSize);
    for (int i = 0; i < m_rows; ++i)
        m_lines.append(QString());
}

void Display::setFontSize(int pixelSize)
{
    if (pixelSize < 1)
        return;
    setFixedHeight(pixelSize * m_rows + 20);
    setFixedWidth(static_cast<int>(m_columns * pixelSize / m_ratio + 20));
    m_fontPixelSize = pixelSize;
    m_font.setPixelSize(pixelSize);
    update();
}

void Display::addReplacement(QChar from, QChar to)
{
    m_replacements.append(qMakePair(from, to));
}

void Display::setText(QString text)
{
    for (const auto &replacement : qAsConst(m_replacements))
        text.replace(replacement.first, replacement.second);
    m_text = text;
    m_lines.clear();
    for (int i = 0; i < m_rows; ++i)
        m_lines.append(text.mid(i * m_columns, m_columns));
    update();
}

bool Display::linesFit(int pixelSize, const QSize &area) const
{
    // The same rule setFontSize() sizes the widget by, so a display at its own size keeps its font.
    // One pixel of slack covers the truncation of the fixed width to whole pixels.
    const double lineWidth = m_columns * pixelSize / m_ratio;
    return lineWidth <= area.width() + 1.0 && pixelSize * m_rows <= area.height();
}

int Display::drawnFontSize() const
{
    // Shrink with the widget so that no line is cut off, but never grow past the chosen size.
    const QSize area = contentsRect().size();
    int size = m_fontPixelSize;
    while (size > 4 && !linesFit(size, area))
        --size;
    return size;
}

void Display::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);

    QFont font(m_font);
    font.setPixelSize(drawnFontSize());
    painter.setFont(font);
    painter.setPen(Qt::white);

    // Each row gets an equal band of the contents rectangle; the text sits in the middle of it.
    const QRect area = contentsRect();
    const double band = double(area.height()) / m_rows;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QRectF rowRect(area.left(), area.top() + i * band, area.width(), band);
        painter.drawText(rowRect, Qt::AlignLeft | Qt::AlignVCenter, m_lines.at(i));
    }
}
