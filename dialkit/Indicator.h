#pragma once

#include "dialkit/DialkitExport.h"

#include <QTimer>
#include <QWidget>

// A small painted lamp that can blink between two colours.
class DIALKIT_EXPORT Indicator : public QWidget
{
    Q_OBJECT
public:
    enum Color : quint32
    {
        Green = 0xFF95D400,
        Red = 0xFFFF0000,
        Orange = 0xFFF58B2E,
        Grey = 0xFF555555,
    };
    Q_ENUM(Color)
    enum Form : int
    {
        Circle = 0,
        TriangleUp = 1,
        TriangleDown = 2
    };
    Q_ENUM(Form)

    explicit Indicator(QWidget *parent = nullptr);

    void setSize(int size);
    void setSize(int width, int height);
    void setColor(Color color);
    void setForm(Form form);
    void setBlink(bool on, int intervalMs, Color blinkColor);

    Color color() const { return m_color; }
    Color blinkColor() const { return m_blinkColor; }
    Form form() const { return m_form; }
    bool isBlinking() const { return m_blinkEnabled; }
    bool blinkPhase() const { return m_blinkPhase; }
    // The colour the next paint event uses.
    QColor displayedColor() const;

public slots:
    void toggleBlink();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Color m_color = Grey;
    Color m_blinkColor = Grey;
    Form m_form = Circle;
    bool m_blinkEnabled = false;
    bool m_blinkPhase = false;
    QTimer m_blinkTimer;
};
