#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/IconLabel.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QFrame;
class QVBoxLayout;

// Frameless popup listing the entries of a ComboBox or Selector.
class DIALKIT_EXPORT DropDown : public QWidget
{
    Q_OBJECT
public:
    explicit DropDown(QWidget *parent = nullptr);

    void addItem(const QString &text);
    void addItem(const QString &text, const QString &iconPath);
    int count() const { return m_items.size(); }
    QString itemText(int index) const;
    void setItemText(int index, const QString &text);
    void setIcon(int index, const QString &path);
    void setItemVisibility(int index, bool visible);
    bool hasItemVisibility(int index) const;
    bool isItemVisible(int index) const;
    void showIcons(IconLabel::IconDisplay mode);
    void refresh();
    // index of the visible entry at the vertical position y, or -1
    int itemAt(int y) const;
    IconLabel *item(int index) const;
    // The widget that opens the popup: a click on it while the popup is open only closes the popup.
    void setOwner(QWidget *owner) { m_owner = owner; }

public slots:
    void clear();

signals:
    void itemSelected(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QFrame *m_frame = nullptr;
    QVBoxLayout *m_itemLayout = nullptr;
    QList<IconLabel *> m_items;
    QList<bool> m_requestedVisibility;
    QPointer<QWidget> m_owner;
    IconLabel::IconDisplay m_iconDisplay = IconLabel::NoIcon;
};
