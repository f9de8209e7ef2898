#include "device/LumetraRefusal.h"

namespace LumetraRefusal {

QString in(const QByteArray &line)
{
    QString text = QString::fromLatin1(line).trimmed();
    const QString module = QStringLiteral("ZOR HG\t");
    if (text.startsWith(module))
        text = text.mid(module.size()).trimmed();
    return text.startsWith(QLatin1String("Invalid ")) ? text : QString();
}

} // namespace LumetraRefusal
