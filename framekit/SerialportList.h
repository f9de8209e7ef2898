#pragma once

#include "framekit/FramekitExport.h"

#include <QObject>
#include <QStringList>

class FRAMEKIT_EXPORT SerialportList : public QObject
{
    Q_OBJECT
public:
    explicit SerialportList(QObject *parent = nullptr);
};
