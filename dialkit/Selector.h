#pragma once

#include "dialkit/DialkitExport.h"
#include "dialkit/DropDown.h"

#include <QLabel>
#include <QPointer>

// Label that opens a DropDown menu; the first item added is a hidden placeholder (index 0).
class DIALKIT_EXPORT Selector : public QLabel
{
    Q_OBJECT
public:
    explicit Selector(const QString &text, QWidget *parent = nullptr);
    ~Selector() override;

    void addItem(const QString &text);
    void setItemVisibility(int index, bool visible);
    bool hasItemVisibility(int index) const;
    void setDropDownPosition();
    DropDown *dropDown() const { return m_dropDown; }

signals:
    void clicked(bool show);
    void itemSelected(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QPointer<DropDown> m_dropDown;
};
