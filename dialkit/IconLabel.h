#pragma once

#include "dialkit/DialkitExport.h"

#include <QLabel>

// One entry of a DropDown: a text with an optional icon on either side.
class DIALKIT_EXPORT IconLabel : public QLabel
{
    Q_OBJECT
public:
    enum IconDisplay : int
    {
        NoIcon = 0,
        IconLeft = 1,
        IconRight = 2
    };
    Q_ENUM(IconDisplay)

    explicit IconLabel(const QString &text, QWidget *parent = nullptr);
    IconLabel(const QString &text, const QString &iconPath, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void setIcon(const QString &path);
    QString iconPath() const { return m_iconPath; }
    void setIconDisplay(IconDisplay mode);
    IconDisplay iconDisplay() const { return m_display; }

    QSize sizeHint() const override;

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void setHover(bool hover);

    void rebuildLayout();

    QLabel *m_textLabel = nullptr;
    QLabel *m_iconLabel = nullptr;
    QString m_iconPath;
    IconDisplay m_display = NoIcon;
};
