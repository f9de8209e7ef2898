#include "device/LumetraTransport.h"

#include "device/LumetraSerialTransport.h"
#include "device/LumetraTcpTransport.h"

LumetraTransport *LumetraTransport::create(const QString &portName, QObject *parent)
{
    if (isNetworkPort(portName))
        return new LumetraTcpTransport(parent);
    return new LumetraSerialTransport(parent);
}

bool LumetraTransport::isNetworkPort(const QString &portName)
{
    return portName.startsWith(QLatin1String(NetworkScheme), Qt::CaseInsensitive);
}

bool LumetraTransport::parseNetworkPort(const QString &portName, QString *host, quint16 *port)
{
    if (!isNetworkPort(portName))
        return false;
    QString rest = portName.mid(int(qstrlen(NetworkScheme)));
    // pyserial's form allows options after the address; none of them applies here.
    const int query = rest.indexOf(QLatin1Char('?'));
    if (query >= 0)
        rest.truncate(query);
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    const int colon = rest.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString name = rest.left(colon);
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    bool ok = false;
    const uint number = rest.midRef(colon + 1).toUInt(&ok);
    if (!ok || number == 0 || number > 65535 || name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    *host = name;
    *port = quint16(number);
    return true;
}
