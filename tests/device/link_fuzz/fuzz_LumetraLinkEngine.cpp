// Feeds arbitrary traffic and calls to the link engine on a hand-moved clock.
//
// The input is a list of operations; the low three bits of each operation byte choose it:
//   0  n, n bytes: received from the port (so the input decides where reads cut the stream)
//   1  n: n milliseconds pass (n x 32 when bit 7 is set), with main-loop turns on the 10 ms grid and
//      the command time-out when it is due
//   2  n, n bytes: a monitored query (bit 6: the bytes are UTF-8, else Latin-1)
//   3  n, n bytes: a settings command (bit 4: delayed; bit 6: UTF-8)
//   4  n, n bytes: the query is removed (bit 4: all queries are cleared instead)
//   5  the port is closed when open, else opened
//   6  the partial line is handed on
//   7  bit 4: queued commands are discarded; else the simulated laser is switched on or off. When
//      on, it echoes every command and answers the handshake 2 ms later, so the fuzzer gets past it.
//
// Each input runs twice, once with a turn on every grid point and once skipping the turns the engine
// calls idle, as the handler does; both must say exactly the same. Lines, writes and the one command
// in flight are checked as they happen.

#include "device/LumetraLinkClock.h"
#include "device/LumetraLinkEngine.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QVector>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "link engine invariant broken: %s\n", what);
        std::abort();
    }
}

constexpr qint64 TimeBudgetMs = 60000;

class FuzzClock : public LumetraLinkClock
{
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 0;
};

struct Event
{
    qint64 at;
    char kind;
    QByteArray bytes;
    bool operator==(const Event &other) const
    {
        return at == other.at && kind == other.kind && bytes == other.bytes;
    }
};

class Run
{
public:
    explicit Run(bool skipIdleTurns) : skip(skipIdleTurns), engine(clock)
    {
        QObject::connect(&engine, &LumetraLinkEngine::sigWrite,
                         [this](const QByteArray &bytes) { onWrite(bytes); });
        QObject::connect(&engine, &LumetraLinkEngine::sigLine,
                         [this](const QByteArray &line, bool partial) { onLine(line, partial); });
        QObject::connect(&engine, &LumetraLinkEngine::sigConnectedStatus, [this](bool connected) {
            events.append({clock.now, connected ? 'C' : 'D', {}});
        });
        QObject::connect(&engine, &LumetraLinkEngine::sigStatusMessage, [this](const QString &message) {
            events.append({clock.now, 'S', message.toUtf8()});
        });
        QObject::connect(&engine, &LumetraLinkEngine::sigCommandDropped,
                         [this](const QString &command, const QString &reason) {
                             events.append({clock.now, 'X', (command + QLatin1Char('|') + reason).toUtf8()});
                         });
        engine.turn();
    }

    void play(const uint8_t *data, size_t size)
    {
        size_t pos = 0;
        auto take = [&](size_t wanted) {
            const size_t n = std::min(wanted, size - pos);
            const QByteArray bytes(reinterpret_cast<const char *>(data + pos), int(n));
            pos += n;
            return bytes;
        };
        auto text = [&](uint8_t op) {
            const QByteArray bytes = take(pos < size ? data[pos++] : 0);
            return (op & 0x40) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
        };
        while (pos < size) {
            const uint8_t op = data[pos++];
            switch (op & 7) {
            case 0:
                engine.receive(take(pos < size ? data[pos++] : 0));
                break;
            case 1: {
                const int ms = pos < size ? data[pos++] : 0;
                // A minute of link time per input reaches every wait many times over; more only
                // makes the input slow without reaching anything new.
                advance(int(qBound<qint64>(0, (op & 0x80) ? ms * 32 : ms, TimeBudgetMs - clock.now)));
                break;
            }
            case 2:
                engine.addMonitorCommand(text(op));
                break;
            case 3:
                engine.appendSettingsCommand(text(op), op & 0x10);
                break;
            case 4:
                if (op & 0x10)
                    engine.clrAllMonitorCommands();
                else
                    engine.delMonitorCommand(text(op));
                break;
            case 5:
                if (engine.state() == LumetraLinkEngine::stPortClosed) {
                    engine.opened();
                } else {
                    engine.closed();
                    arrivals.clear();
                }
                break;
            case 6:
                engine.flushPartialLine();
                break;
            case 7:
                if (op & 0x10)
                    engine.discardQueuedCommands();
                else
                    laserOn = !laserOn;
                break;
            }
        }
        advance(4500); // long enough for any command in flight to be resent and given up
    }

    QVector<Event> events;

private:
    enum class Phase
    {
        Other,
        Turn,
        Timeout
    };

    // Jumps from one moment where something can happen to the next (an arrival, the time-out, a
    // turn): between them the engine sees no call, so this is the same as moving 1 ms at a time.
    void advance(int ms)
    {
        const qint64 end = clock.now + ms;
        const qint64 step = LumetraLinkEngine::MainLoopIntervalMs;
        for (;;) {
            qint64 next = (clock.now / step + 1) * step;
            if (skip) {
                const qint64 wanted = engine.nextTurnAt();
                next = wanted == LumetraLinkEngine::Never ? LumetraLinkEngine::Never
                                                          : qMax(next, (wanted + step - 1) / step * step);
            }
            next = qMin(next, engine.commandDeadline());
            if (!arrivals.isEmpty())
                next = qMin(next, arrivals.first().at);
            if (next > end) {
                clock.now = end;
                return;
            }
            clock.now = next;
            while (!arrivals.isEmpty() && arrivals.first().at <= clock.now)
                engine.receive(arrivals.takeFirst().bytes);
            const qint64 deadline = engine.commandDeadline();
            if (clock.now >= deadline) {
                check(clock.now == deadline, "command time-out passed unnoticed");
                phase = Phase::Timeout;
                engine.commandTimeout();
                phase = Phase::Other;
            }
            if (clock.now % step == 0 && (!skip || clock.now >= engine.nextTurnAt())) {
                inFlightBeforeTurn = engine.commandDeadline() != LumetraLinkEngine::Never;
                phase = Phase::Turn;
                engine.turn();
                phase = Phase::Other;
            }
        }
    }

    void onWrite(const QByteArray &bytes)
    {
        check(phase != Phase::Other, "a command written outside a turn or a time-out");
        check(phase != Phase::Turn || !inFlightBeforeTurn, "a second command while one is in flight");
        check(phase != Phase::Timeout || bytes == lastWrite, "a resend that differs from the command");
        check(bytes.endsWith('\n') && bytes.size() >= 2, "a command without its line feed");
        check(bytes.indexOf('\n') == bytes.size() - 1 && !bytes.contains('\r'),
              "a line break inside a command");
        check(bytes.size() <= LumetraLinkEngine::MaxCommandLength + 1, "an overlong command");
        check(!bytes.startsWith('>'), "a command whose echo would lose its first byte");
        check(engine.state() != LumetraLinkEngine::stPortClosed, "a write without a port");
        lastWrite = bytes;
        events.append({clock.now, 'W', bytes});
        if (!laserOn)
            return;
        QByteArray reply = bytes;
        if (bytes == "ly_system_info\n")
            reply += "Lumetra-10 fuzz\n";
        else if (bytes == "ly_lqz2_dev_status?\n")
            reply += "ly_lqz2_dev_status 8\n";
        arrivals.append({clock.now + 2, 'R', reply});
    }

    void onLine(const QByteArray &line, bool partial)
    {
        check(!line.isEmpty() && line.size() <= LumetraLinkEngine::MaxLineLength, "line size");
        int firstEnd = 0;
        while (firstEnd < line.size() && line.at(firstEnd) != '\r' && line.at(firstEnd) != '\n')
            ++firstEnd;
        if (firstEnd == line.size())
            firstEnd = -1;
        if (partial) {
            check(firstEnd < 0, "a terminator inside a partial line");
        } else {
            check(line.size() >= 2, "an empty line handed on");
            check(firstEnd == line.size() - 1, "a line that does not end at its first terminator");
        }
        check(!line.startsWith('>'), "a prompt character kept at a line start");
        events.append({clock.now, partial ? 'P' : 'L', line});
    }

    bool skip;
    FuzzClock clock;
    LumetraLinkEngine engine;
    QVector<Event> arrivals;
    Phase phase = Phase::Other;
    bool inFlightBeforeTurn = false;
    bool laserOn = false;
    QByteArray lastWrite;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Run everyTurn(false);
    everyTurn.play(data, size);
    Run skipping(true);
    skipping.play(data, size);
    check(everyTurn.events == skipping.events, "skipping idle turns changed the conversation");
    return 0;
}
