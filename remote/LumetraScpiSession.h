#pragma once

#include "remote/LumetraScpiError.h"
#include "remote/LumetraScpiHeader.h"
#include "remote/LumetraScpiInstrument.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QStringList>

Q_DECLARE_LOGGING_CATEGORY(lcLumetraScpiSession)

// One script's conversation: it takes the bytes the client sends, answers each line that holds a
// query with one line, and keeps the client's error queue and event status registers. It does no
// I/O, so that the same object serves a socket, a test and the fuzzer.
class LumetraScpiSession : public QObject
{
    Q_OBJECT
public:
    // A longer line is discarded with an input buffer overrun; the connection goes on.
    static constexpr int MaxLineBytes = 4096;
    static constexpr int MaxErrors = 16;
    // Lines a client may send while *OPC? or *WAI holds the conversation; more are an overrun.
    static constexpr int MaxHeldLines = 64;

    explicit LumetraScpiSession(LumetraScpiInstrument *instrument, QObject *parent = nullptr);

    void receive(const QByteArray &bytes);
    // The client's address, told to the instrument with each write.
    void setClient(const QString &client) { m_client = client; }

    int pendingWrites() const { return m_pendingWrites; }
    int queuedErrors() const { return m_errors.size(); }

signals:
    // One answer line, line feed included.
    void sigReply(QByteArray line);

private:
    enum class Wait
    {
        None,
        OpcQuery, // *OPC?: answer 1 when the writes before it are done
        Wai,      // *WAI: go on when they are done
    };

    void pump();
    void writeSettled(const QString &failure);
    void runUnit(const QString &unit);
    bool runCommon(const QString &header, const QString &parameters);
    using Node = LumetraScpiInstrument::Node;
    void runNode(const QString &header, const QString &parameters);
    void runQuery(const Node &node, const QString &named, const QString &parameters);
    void runWrite(const Node &node, const QString &named, const QString &parameters);
    bool runSystem(const QStringList &nodes, bool query, const QString &parameters);
    void pushError(int code, const QString &detail = QString());
    static QStringList splitUnits(const QString &line);

    LumetraScpiInstrument *m_instrument;
    QString m_client;
    QVector<LumetraScpiHeader> m_headers;
    QByteArray m_input;
    bool m_discarding = false;
    QList<QByteArray> m_lines;
    QStringList m_units;
    QStringList m_answers;
    QStringList m_prefix;
    QList<LumetraScpiError> m_errors;
    int m_eventStatus = 0;
    int m_eventEnable = 0;
    int m_pendingWrites = 0;
    // *OPC given while writes were pending: the bit is set when they are done.
    bool m_opcArmed = false;
    Wait m_wait = Wait::None;
};
