#pragma once

#include <QObject>

class LumetraSerialHandler : public QObject
{
    Q_OBJECT
public:
    explicit LumetraSerialHandler(QObject *parent = nullptr);
};
