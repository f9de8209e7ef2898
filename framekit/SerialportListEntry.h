#pragma once

#include "framekit/FramekitExport.h"

#include <QString>

// One serial port of the port list: the name that gets opened and the description shown as tooltip.
class FRAMEKIT_EXPORT SerialportListEntry
{
public:
    SerialportListEntry();
    SerialportListEntry(const QString &pipeName, const QString &pipeExtendedName);

    QString pipeName() const { return name; }
    QString pipeExtendedName() const { return extendedName; }

private:
    QString name;
    QString extendedName;
};
