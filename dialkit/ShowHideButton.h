#pragma once

#include "dialkit/DialkitExport.h"

#include <QPushButton>

// The small triangle of a collapsible header: pointing up while its section is shown, down while
// it is hidden.
class DIALKIT_EXPORT ShowHideButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ShowHideButton(QWidget *parent = nullptr);

    bool showState() const { return m_showState; }
    bool isHovered() const { return m_hover; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

public slots:
    void setShowState(bool shown);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_hover = false;
    bool m_showState = true;
};
