#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/DropDown.h"
#include "dialkit/IconLabel.h"

#include <QLabel>
#include <QPointer>

// A label showing the current item; a click opens a DropDown listing all items.
class DIALKIT_EXPORT ComboBox : public QLabel
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget *parent = nullptr);
    ~ComboBox() override;

    void addItem(const QString &text);
    void addItem(const QString &text, const QString &iconPath);
    void addItems(const QStringList &texts);
    int count() const;
    int currentIndex() const { return m_currentIndex; }
    QString currentText() const;
    QString itemText(int index) const;
    void setItemText(int index, const QString &text);
    void setCurrentIndex(int index);
    void setItemVisibility(int index, bool visible);
    bool hasItemVisibility(int index) const;
    bool isItemVisible(int index) const;
    void showIcons(IconLabel::IconDisplay mode);
    void setSingleMode(bool single);
    bool isSingleMode() const { return m_singleMode; }
    // Sets the property on the popup too, so its look follows the combo box's role.
    void setProperty(const char *name, const QVariant &value);
    void setDropDownPosition();
    DropDown *dropDown() const { return m_dropDown; }

public slots:
    void clear();
    void checkCurrentIndex(int index);

signals:
    void currentIndexChanged(int index);
    void activated(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void applySingleMode();

    QPointer<DropDown> m_dropDown;
    int m_currentIndex = -1;
    bool m_singleMode = false;
};
