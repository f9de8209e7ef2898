#pragma once

#include "dialkit/DialkitExport.h"

#include <QPushButton>

// Push button whose look (size and colour) is chosen through dynamic properties read by the
// application style sheet.
class DIALKIT_EXPORT Button : public QPushButton
{
    Q_OBJECT
public:
    enum Size : int
    {
        Normal = 0,
        Small = 1,
        SmallFlat = 2,
        Fat = 3,
        FatMedium = 4,
        FatLarge = 5,
        LongSmall = 6
    };
    Q_ENUM(Size)
    enum Color : int
    {
        Red = 0,
        Grey = 1,
        DarkGrey = 2,
        Green = 3,
        Orange = 4
    };
    Q_ENUM(Color)

    explicit Button(QWidget *parent = nullptr);
    explicit Button(const QString &text, QWidget *parent = nullptr);

    void setSize(Size size);
    // Accepts raw integers from callers that store sizes; values outside the enumeration are ignored.
    void setSize(int size) { setSize(static_cast<Size>(size)); }
    void setSize(int width, int height);
    void setWidth(int width);
    void setColor(Color color);
    void setCheckedColor(Color color);
    void setBackgroundImage(const QPixmap &pixmap);

    Color color() const { return m_color; }
    Color checkedColor() const { return m_checkedColor; }

    static QString colorName(int color);

signals:
    void clicked(bool checked, QString text);

public slots:
    void emitClicked(bool checked);

private:
    void setup();
    void repolish();

    Color m_color = Red;
    Color m_checkedColor = Orange;
};
