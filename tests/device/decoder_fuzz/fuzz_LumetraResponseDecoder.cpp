// Feeds arbitrary bytes to the response decoder as a sequence of received lines.
//
// The input is cut into lines after every carriage return or line feed, terminator included, as the
// serial link delivers them; a trailing piece without terminator is a line too. Lines that begin with
// a control byte steer the decoder instead: 0x01 reports a disconnection, 0x02 forces every publisher.
// The first line is also checked against the grammar's dispatch filters: a filter that rules out a
// line its expression matches would hand that line to the wrong kind without any crash.

#include "device/LumetraPatternFilter.h"
#include "device/LumetraResponseDecoder.h"
#include "device/LumetraResponseGrammar.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QMetaMethod>
#include <QRegExp>
#include <QVector>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

struct CheckedExpression
{
    QRegExp regExp; // one object each, so that the check does not recompile them
    LumetraPatternFilter filter;
    Qt::CaseSensitivity cs;
};

void checkFilters(const QByteArray &line)
{
    static QVector<CheckedExpression> expressions = [] {
        QVector<CheckedExpression> checked;
        for (const auto &expression : LumetraResponseGrammar::dispatchExpressions()) {
            checked.append({QRegExp(expression.pattern, expression.cs),
                            LumetraPatternFilter(expression.pattern), expression.cs});
        }
        return checked;
    }();
    const QString text =
        QString::fromLatin1(line.constData(), int(qstrnlen(line.constData(), uint(line.size()))));
    for (CheckedExpression &expression : expressions) {
        if (!expression.filter.mayMatch(text, expression.cs) && expression.regExp.indexIn(text, 0) == 0) {
            std::fprintf(stderr, "filter rules out a match of %s\n", qPrintable(expression.regExp.pattern()));
            std::abort();
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
    bool firstLine = true;
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
            if (firstLine) {
                checkFilters(line);
            }
            decoder.slotLineReceived(line);
        }
        firstLine = false;
    }
    return 0;
}
