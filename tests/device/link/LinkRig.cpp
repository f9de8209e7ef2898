#include "LinkRig.h"

QList<QByteArray> byteLines(std::initializer_list<const char *> texts)
{
    QList<QByteArray> list;
    for (const char *text : texts)
        list << QByteArray(text);
    return list;
}

LinkRig::LinkRig(QObject *parent) : QObject(parent), engine(clock)
{
    responder = [this](const QByteArray &command) {
        return defaultReply(command);
    };
    connect(&engine, &LumetraLinkEngine::sigWrite, this, [this](const QByteArray &bytes) {
        written << bytes;
        note(QStringLiteral("TX"), bytes);
        if (!responder)
            return;
        QByteArray reply;
        for (const QByteArray &line : responder(bytes))
            reply += line;
        if (!reply.isEmpty())
            arrivals.append({clock.now + turnaroundMs, reply});
    });
    connect(&engine, &LumetraLinkEngine::sigLine, this, [this](const QByteArray &line, bool partial) {
        lines << line;
        note(partial ? QStringLiteral("RX_") : QStringLiteral("RX"), line);
    });
    connect(&engine, &LumetraLinkEngine::sigConnectedStatus, this, [this](bool connected) {
        connectedStates << connected;
        note(QStringLiteral("connected %1").arg(int(connected)));
    });
    connect(&engine, &LumetraLinkEngine::sigStatusMessage, this, [this](const QString &message) {
        messages << message;
        note(QStringLiteral("status ") + message);
    });
    connect(&engine, &LumetraLinkEngine::sigCommandDropped, this,
            [this](const QString &command, const QString &reason) {
                note(QStringLiteral("dropped %1: %2").arg(command, reason));
            });
    engine.turn();
}

QList<QByteArray> LinkRig::defaultReply(const QByteArray &command) const
{
    QList<QByteArray> reply{command};
    if (command == "ly_system_info\n")
        reply << "Lumetra-10 SN 4711\n";
    else if (command == "ly_lqz2_dev_status?\n")
        reply << "ly_lqz2_dev_status " + QByteArray::number(statusValue) + "\n";
    return reply;
}

void LinkRig::note(const QString &what, const QByteArray &bytes)
{
    QString text = QString::number(clock.now) + QLatin1Char(' ') + what;
    if (!bytes.isNull()) {
        text += QLatin1Char(' ') + QString::fromLatin1(bytes);
        text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
            .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    }
    log << text;
}

void LinkRig::tick()
{
    ++clock.now;
    while (!arrivals.isEmpty() && arrivals.first().at <= clock.now)
        engine.receive(arrivals.takeFirst().bytes);
    if (clock.now >= engine.commandDeadline())
        engine.commandTimeout();
    if (clock.now % LumetraLinkEngine::MainLoopIntervalMs == 0 &&
        (!skipIdleTurns || clock.now >= engine.nextTurnAt())) {
        ++turns;
        engine.turn();
    }
}

void LinkRig::run(qint64 ms)
{
    for (qint64 i = 0; i < ms; ++i)
        tick();
}

bool LinkRig::runUntil(const std::function<bool()> &done, qint64 maxMs)
{
    for (qint64 i = 0; i < maxMs && !done(); ++i)
        tick();
    return done();
}
