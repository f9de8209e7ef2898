#include "EmissionLog.h"

#include "device/LumetraResponseDecoder.h"

#include <QMap>

EmissionLog::EmissionLog(QObject *source, QObject *parent) : QObject(parent)
{
    const QMetaObject *meta = source->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal) {
            continue;
        }
        // Each signal lands on its own virtual slot behind QObject's methods, as QSignalSpy does it.
        QMetaObject::connect(source, i, this, QObject::staticMetaObject.methodCount() + m_signals.size(),
                             Qt::DirectConnection);
        m_signals.append(method);
    }
}

QStringList EmissionLog::take()
{
    QStringList log;
    log.swap(m_log);
    return log;
}

int EmissionLog::qt_metacall(QMetaObject::Call call, int id, void **arguments)
{
    id = QObject::qt_metacall(call, id, arguments);
    if (id < 0 || call != QMetaObject::InvokeMetaMethod) {
        return id;
    }
    if (id < m_signals.size()) {
        const QMetaMethod &method = m_signals.at(id);
        QStringList values;
        for (int i = 0; i < method.parameterCount(); ++i) {
            values << format(method.parameterType(i), arguments[i + 1]);
        }
        m_log << QString::fromLatin1(method.name()) + QLatin1Char('(') + values.join(QLatin1Char(',')) +
                     QLatin1Char(')');
    }
    return id - m_signals.size();
}

QString EmissionLog::format(int type, const void *value)
{
    auto escaped = [](QString text) {
        return text.replace(QLatin1String("\n"), QLatin1String("\\n"))
            .replace(QLatin1String("\t"), QLatin1String("\\t"))
            .replace(QLatin1String("\r"), QLatin1String("\\r"));
    };
    switch (type) {
    case QMetaType::QString:
        return escaped(*static_cast<const QString *>(value));
    case QMetaType::QByteArray:
        return escaped(QString::fromLatin1(*static_cast<const QByteArray *>(value)));
    case QMetaType::Bool:
        return *static_cast<const bool *>(value) ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
        return QString::number(*static_cast<const int *>(value));
    case QMetaType::UChar:
        return QString::number(*static_cast<const uchar *>(value));
    case QMetaType::UShort:
        return QString::number(*static_cast<const quint16 *>(value));
    case QMetaType::ULongLong:
        return QString::number(*static_cast<const quint64 *>(value));
    case QMetaType::Double:
        return QString::number(*static_cast<const double *>(value), 'g', 15);
    default:
        break;
    }
    if (type == qMetaTypeId<SystemState>()) {
        return QString::number(int(*static_cast<const SystemState *>(value)));
    }
    QStringList entries;
    if (type == qMetaTypeId<QMap<int, double>>()) {
        const auto &map = *static_cast<const QMap<int, double> *>(value);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            entries << QStringLiteral("%1:%2").arg(it.key()).arg(it.value(), 0, 'g', 15);
        }
        return QLatin1Char('{') + entries.join(QLatin1Char(' ')) + QLatin1Char('}');
    }
    if (type == qMetaTypeId<QMap<int, quint64>>()) {
        const auto &map = *static_cast<const QMap<int, quint64> *>(value);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            entries << QStringLiteral("%1:%2").arg(it.key()).arg(it.value());
        }
        return QLatin1Char('{') + entries.join(QLatin1Char(' ')) + QLatin1Char('}');
    }
    return QStringLiteral("<type %1>").arg(QString::fromLatin1(QMetaType::typeName(type)));
}
