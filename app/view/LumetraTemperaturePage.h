#pragma once

#include "app/view/LumetraPageKit.h"

#include <QList>
#include <QWidget>

// The "Temperature Details" page: ten numbered temperature texts that wrap to the page width.
class LumetraTemperaturePage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RowCount = 10;

    explicit LumetraTemperaturePage(QWidget *parent = nullptr);

    // Rows count from 0; others are ignored.
    void setRowVisible(int row, bool visible);
    void setRowText(int row, const QString &text);

private:
    QList<LumetraPageKit::Field> fields;
};
