#include "framekit/SerialportListEntry.h"

SerialportListEntry::SerialportListEntry()
    : name(QStringLiteral("undefined")), extendedName(QStringLiteral("undefined"))
{
}

SerialportListEntry::SerialportListEntry(const QString &pipeName, const QString &pipeExtendedName)
    : name(pipeName), extendedName(pipeExtendedName)
{
}
