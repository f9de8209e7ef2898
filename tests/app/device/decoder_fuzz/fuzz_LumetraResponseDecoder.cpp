// Feeds arbitrary bytes to the response decoder as a sequence of received lines.
//
// The input is cut into lines after every carriage return or line feed, terminator included, as the
// serial link delivers them; a trailing piece without terminator is a line too. Lines that begin with
// a control byte steer the decoder instead: 0x01 reports a disconnection, 0x02 forces every publisher.

#include "app/device/LumetraResponseDecoder.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QMetaMethod>

#include <cstddef>
#include <cstdint>

namespace {

void forceAllPublishers(LumetraResponseDecoder &decoder)
{
    const QMetaObject *meta = decoder.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.name().startsWith("publish_") && method.parameterCount() == 1) {
            method.invoke(&decoder, Qt::DirectConnection, Q_ARG(bool, true));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    LumetraResponseDecoder decoder;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    int start = 0;
    while (start < input.size()) {
        int end = start;
        while (end < input.size() && input.at(end) != '\n' && input.at(end) != '\r') {
            ++end;
        }
        const QByteArray line = input.mid(start, qMin(end + 1, input.size()) - start);
        start = end + 1;
        if (line.startsWith('\x01')) {
            decoder.slotConnectedStatus(false);
        } else if (line.startsWith('\x02')) {
            forceAllPublishers(decoder);
        } else {
            decoder.slotLineReceived(line);
        }
    }
    return 0;
}
