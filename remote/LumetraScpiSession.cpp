#include "remote/LumetraScpiSession.h"

#include "remote/LumetraScpiHeader.h"

#include <QPointer>
#include <QRegularExpression>

Q_LOGGING_CATEGORY(lcLumetraScpiSession, "lumetra.remote.session")

namespace {

// Bit of the standard event status register set when the writes before *OPC are done.
constexpr int operationCompleteBit = 0;
// Bits of the status byte.
constexpr int errorQueueBit = 2;
constexpr int eventSummaryBit = 5;

bool printable(const QByteArray &line)
{
    for (const char c : line) {
        const uchar u = uchar(c);
        if ((u < 0x20 && c != '\t' && c != '\r') || u >= 0x7f)
            return false;
    }
    return true;
}

// A decimal number, as the instrument language writes one; no unit suffix.
bool parseNumber(const QString &text, double *value)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d{1,3})?$"));
    if (!number.match(text).hasMatch())
        return false;
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok;
}

QString number(double value)
{
    return QString::number(value, 'g', 12);
}

bool isWord(const QString &text, const char *shortForm, const char *longForm)
{
    const QString upper = text.toUpper();
    return upper == QLatin1String(shortForm) || upper == QLatin1String(longForm);
}

} // namespace

LumetraScpiSession::LumetraScpiSession(LumetraScpiInstrument *instrument, QObject *parent)
    : QObject(parent), m_instrument(instrument)
{
}

void LumetraScpiSession::receive(const QByteArray &bytes)
{
    int from = 0;
    while (from < bytes.size()) {
        const int end = bytes.indexOf('\n', from);
        const QByteArray piece = bytes.mid(from, end < 0 ? -1 : end - from);
        from = end < 0 ? bytes.size() : end + 1;
        if (!m_discarding)
            m_input += piece.left(MaxLineBytes + 1 - m_input.size());
        if (m_input.size() > MaxLineBytes) {
            // Said once per line, and the rest of it read past: its tail is no command of its own.
            if (!m_discarding)
                pushError(LumetraScpiError::InputBufferOverrun,
                          QStringLiteral("line longer than %1 bytes").arg(MaxLineBytes));
            m_discarding = true;
            m_input.clear();
        }
        if (end < 0)
            break;
        if (m_discarding) {
            m_discarding = false;
            continue;
        }
        if (m_lines.size() >= MaxHeldLines)
            pushError(LumetraScpiError::InputBufferOverrun,
                      QStringLiteral("more than %1 lines sent while waiting").arg(MaxHeldLines));
        else
            m_lines << m_input;
        m_input.clear();
        // Each line is run as it comes; only while *OPC? or *WAI holds the conversation do lines wait.
        pump();
    }
}

void LumetraScpiSession::writeSettled(const QString &failure)
{
    if (m_pendingWrites == 0)
        return;
    --m_pendingWrites;
    if (!failure.isEmpty())
        pushError(LumetraScpiError::ExecutionError, failure);
    if (m_pendingWrites > 0)
        return;
    if (std::exchange(m_opcArmed, false))
        m_eventStatus |= 1 << operationCompleteBit;
    if (m_wait == Wait::None)
        return;
    if (m_wait == Wait::OpcQuery)
        m_answers << QStringLiteral("1");
    m_wait = Wait::None;
    pump();
}

void LumetraScpiSession::pump()
{
    while (m_wait == Wait::None) {
        if (m_units.isEmpty()) {
            if (!m_answers.isEmpty()) {
                emit sigReply(m_answers.join(QLatin1Char(';')).toLatin1() + '\n');
                m_answers.clear();
            }
            if (m_lines.isEmpty())
                return;
            QByteArray line = m_lines.takeFirst();
            if (line.endsWith('\r'))
                line.chop(1);
            if (!printable(line)) {
                pushError(LumetraScpiError::InvalidCharacter, QStringLiteral("a byte that is no character"));
                continue;
            }
            m_units = splitUnits(QString::fromLatin1(line));
            // Each line begins at the root of the command tree.
            m_prefix.clear();
            continue;
        }
        runUnit(m_units.takeFirst().trimmed());
    }
}

QStringList LumetraScpiSession::splitUnits(const QString &line)
{
    QStringList units;
    QString unit;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(';') && !quoted) {
            units << unit;
            unit.clear();
        } else {
            unit += c;
        }
    }
    units << unit;
    return units;
}

void LumetraScpiSession::runUnit(const QString &unit)
{
    if (unit.isEmpty())
        return;
    static const QRegularExpression whitespace(QStringLiteral("\\s"));
    const int space = unit.indexOf(whitespace);
    const QString header = space < 0 ? unit : unit.left(space);
    const QString parameters = space < 0 ? QString() : unit.mid(space).trimmed();
    if (header.startsWith(QLatin1Char('*'))) {
        if (!runCommon(header.toUpper(), parameters))
            pushError(LumetraScpiError::UndefinedHeader, header);
        return;
    }
    runNode(header, parameters);
}

bool LumetraScpiSession::runCommon(const QString &header, const QString &parameters)
{
    const bool hasParameters = !parameters.isEmpty();
    const auto noParameters = [&] {
        if (hasParameters)
            pushError(LumetraScpiError::ParameterNotAllowed, header);
        return !hasParameters;
    };
    if (header == QLatin1String("*IDN?")) {
        if (noParameters())
            m_answers << m_instrument->identity();
    } else if (header == QLatin1String("*CLS")) {
        if (noParameters()) {
            m_errors.clear();
            m_eventStatus = 0;
            m_opcArmed = false;
        }
    } else if (header == QLatin1String("*ESR?")) {
        if (noParameters())
            m_answers << QString::number(std::exchange(m_eventStatus, 0));
    } else if (header == QLatin1String("*ESE?")) {
        if (noParameters())
            m_answers << QString::number(m_eventEnable);
    } else if (header == QLatin1String("*ESE")) {
        double mask = 0;
        if (!hasParameters)
            pushError(LumetraScpiError::MissingParameter, header);
        else if (!parseNumber(parameters, &mask))
            pushError(LumetraScpiError::DataTypeError, QStringLiteral("%1 %2").arg(header, parameters));
        else if (mask < 0 || mask > 255)
            pushError(LumetraScpiError::DataOutOfRange, QStringLiteral("%1 %2").arg(header, parameters));
        else
            m_eventEnable = int(mask);
    } else if (header == QLatin1String("*STB?")) {
        if (noParameters())
            m_answers << QString::number((m_errors.isEmpty() ? 0 : 1 << errorQueueBit) |
                                         ((m_eventStatus & m_eventEnable) ? 1 << eventSummaryBit : 0));
    } else if (header == QLatin1String("*OPC?") || header == QLatin1String("*WAI")) {
        if (!noParameters())
            return true;
        const bool query = header.endsWith(QLatin1Char('?'));
        if (m_pendingWrites > 0)
            m_wait = query ? Wait::OpcQuery : Wait::Wai;
        else if (query)
            m_answers << QStringLiteral("1");
    } else if (header == QLatin1String("*OPC")) {
        if (noParameters() && m_pendingWrites == 0)
            m_eventStatus |= 1 << operationCompleteBit;
        else if (m_pendingWrites > 0)
            m_opcArmed = true;
    } else if (header == QLatin1String("*RST")) {
        // A laser that changes its state on a script's word surprises whoever stands at it.
        pushError(LumetraScpiError::ExecutionError, QStringLiteral("*RST is not carried out on a laser"));
    } else {
        return false;
    }
    return true;
}

bool LumetraScpiSession::runSystem(const QStringList &nodes, bool query, const QString &parameters)
{
    static const LumetraScpiHeader next(QStringLiteral("SYSTem:ERRor[:NEXT]"));
    static const LumetraScpiHeader count(QStringLiteral("SYSTem:ERRor:COUNt"));
    static const LumetraScpiHeader version(QStringLiteral("SYSTem:VERSion"));
    const bool isNext = next.matches(nodes), isCount = count.matches(nodes),
               isVersion = version.matches(nodes);
    if (!isNext && !isCount && !isVersion)
        return false;
    if (!query)
        pushError(LumetraScpiError::UndefinedHeader,
                  nodes.join(QLatin1Char(':')) + QStringLiteral(" is a query"));
    else if (!parameters.isEmpty())
        pushError(LumetraScpiError::ParameterNotAllowed, nodes.join(QLatin1Char(':')));
    else if (isNext)
        m_answers << (m_errors.isEmpty() ? LumetraScpiError() : m_errors.takeFirst()).entry();
    else if (isCount)
        m_answers << QString::number(m_errors.size());
    else
        m_answers << QStringLiteral("1999.0");
    return true;
}

void LumetraScpiSession::runNode(const QString &header, const QString &parameters)
{
    const bool query = header.endsWith(QLatin1Char('?'));
    const QString path = query ? header.chopped(1) : header;
    const bool absolute = path.startsWith(QLatin1Char(':'));
    const QStringList nodes = path.toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    static const QRegularExpression mnemonic(QStringLiteral("^[A-Z][A-Z0-9_]*$"));
    for (const QString &node : nodes) {
        if (!mnemonic.match(node).hasMatch()) {
            pushError(LumetraScpiError::SyntaxError, header);
            return;
        }
    }
    if (nodes.isEmpty()) {
        pushError(LumetraScpiError::SyntaxError, header);
        return;
    }
    // After a semicolon a header without a leading colon goes on from where the one before left off.
    QList<QStringList> candidates;
    if (!absolute && !m_prefix.isEmpty())
        candidates << m_prefix + nodes;
    candidates << nodes;
    for (const QStringList &candidate : qAsConst(candidates)) {
        if (runSystem(candidate, query, parameters)) {
            m_prefix = candidate.mid(0, candidate.size() - 1);
            return;
        }
        const QVector<Node> &tree = m_instrument->nodes();
        // Read once: the tree is the instrument's for the session's life.
        if (m_headers.size() != tree.size()) {
            m_headers.clear();
            for (const Node &node : tree)
                m_headers << LumetraScpiHeader(node.header);
        }
        for (int i = 0; i < tree.size(); ++i) {
            const Node &node = tree.at(i);
            if (!m_headers.at(i).matches(candidate))
                continue;
            m_prefix = candidate.mid(0, candidate.size() - 1);
            const QString named = candidate.join(QLatin1Char(':'));
            if (query)
                runQuery(node, named, parameters);
            else
                runWrite(node, named, parameters);
            return;
        }
    }
    pushError(LumetraScpiError::UndefinedHeader, header);
}

void LumetraScpiSession::runQuery(const Node &node, const QString &named, const QString &parameters)
{
    double min = 0, max = 0;
    const bool limited = m_instrument->limits(node, &min, &max);
    if (parameters.isEmpty()) {
        const LumetraScpiInstrument::Result result = m_instrument->read(node);
        if (result.error != 0) {
            pushError(result.error, result.text);
            // The language's "not a number": a script gets an answer it cannot take for a reading, at
            // once, instead of waiting out its timeout; the queue says why.
            m_answers << QStringLiteral("9.91E37");
        } else {
            m_answers << result.text;
        }
    } else if (limited && isWord(parameters, "MIN", "MINIMUM")) {
        m_answers << number(min);
    } else if (limited && isWord(parameters, "MAX", "MAXIMUM")) {
        m_answers << number(max);
    } else {
        pushError(LumetraScpiError::ParameterNotAllowed, QStringLiteral("%1? %2").arg(named, parameters));
    }
}

void LumetraScpiSession::runWrite(const Node &node, const QString &named, const QString &parameters)
{
    const QString unit = QStringLiteral("%1 %2").arg(named, parameters).trimmed();
    if (node.access == Node::Read) {
        pushError(LumetraScpiError::UndefinedHeader, named + QStringLiteral(" is a query"));
        return;
    }
    if (parameters.isEmpty() && node.access == Node::ReadWrite) {
        pushError(LumetraScpiError::MissingParameter, named);
        return;
    }
    if (parameters.contains(QLatin1Char(','))) {
        pushError(LumetraScpiError::ParameterNotAllowed, unit);
        return;
    }
    double min = 0, max = 0;
    const bool limited = m_instrument->limits(node, &min, &max);
    const bool action = node.access == Node::Action;
    double value = 1;
    if (parameters.isEmpty() || (action && isWord(parameters, "ON", "ON")))
        value = 1;
    else if (action && isWord(parameters, "OFF", "OFF"))
        value = 0;
    else if (limited && isWord(parameters, "MIN", "MINIMUM"))
        value = min;
    else if (limited && isWord(parameters, "MAX", "MAXIMUM"))
        value = max;
    else if (!parseNumber(parameters, &value)) {
        pushError(LumetraScpiError::DataTypeError, unit);
        return;
    }
    // Nothing of a refused write reaches the laser, whatever else is wrong with it.
    if (!m_instrument->writesAllowed()) {
        pushError(LumetraScpiError::CommandProtected,
                  QStringLiteral("%1: remote control is not allowed on the panel").arg(named));
        return;
    }
    if (action && value != 0 && value != 1) {
        pushError(LumetraScpiError::IllegalParameterValue, unit);
        return;
    }
    if (limited && (value < min || value > max)) {
        pushError(LumetraScpiError::DataOutOfRange,
                  QStringLiteral("%1 outside %2 to %3").arg(unit, number(min), number(max)));
        return;
    }
    QPointer<LumetraScpiSession> self(this);
    m_instrument->setWriter(m_client);
    const LumetraScpiInstrument::Result result =
        m_instrument->write(node, value, [self](const QString &failure) {
            if (self)
                self->writeSettled(failure);
        });
    if (result.error != 0)
        pushError(result.error, result.text);
    else if (result.pending)
        ++m_pendingWrites;
}

void LumetraScpiSession::pushError(int code, const QString &detail)
{
    qCDebug(lcLumetraScpiSession) << code << detail;
    m_eventStatus |= 1 << LumetraScpiError::eventStatusBit(code);
    // A full queue keeps its oldest errors and says that more were lost, as scripts expect.
    if (m_errors.size() >= MaxErrors)
        m_errors.last() = LumetraScpiError(LumetraScpiError::QueueOverflow, QString());
    else
        m_errors << LumetraScpiError(code, detail);
}
