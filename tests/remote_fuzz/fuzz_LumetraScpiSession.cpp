// Feeds arbitrary bytes to a remote session over a laser that answers and accepts everything, and
// checks what must hold whatever a client sends: every answer is one line, the error queue and the
// held input stay bounded, and a write reaches the laser only inside its limits.
#include "remote/LumetraScpiSession.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

namespace {

void invariant(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

class Laser : public LumetraScpiInstrument
{
public:
    Laser()
    {
        m_nodes = {{"MEASure:HUMidity", "hg.humidity", Node::Read, "%", {}},
                   {"[SOURce:]ENERgy", "laser.energy_setpoint", Node::ReadWrite, "µJ", {}},
                   {"[SOURce:]DIVision", "laser.division_factor", Node::ReadWrite, "", {}},
                   {"OUTPut[:STATe]", "output", Node::Action, {}, {}},
                   {"SYSTem:STATe", "state", Node::Read, {}, {}}};
    }
    QString identity() const override { return QStringLiteral("LUMETRA,QZ,1,1"); }
    const QVector<Node> &nodes() const override { return m_nodes; }
    Result read(const Node &node) override { return {node.key == "state" ? -230 : 0, QStringLiteral("1")}; }
    bool limits(const Node &node, double *min, double *max) const override
    {
        if (node.access != Node::ReadWrite)
            return false;
        *min = 1;
        *max = 65535;
        return true;
    }
    Result write(const Node &node, double value, Settled settled) override
    {
        if (node.access == Node::ReadWrite)
            invariant(value >= 1 && value <= 65535, "a write outside its limits reached the laser");
        else
            invariant(value == 0 || value == 1, "an action with a value other than on or off");
        const bool pending = (++writes % 3) != 0;
        if (pending)
            waiting << settled;
        return {0, {}, pending};
    }
    bool writesAllowed() const override { return true; }

    QVector<Node> m_nodes;
    int writes = 0;
    QList<Settled> waiting;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
        return true;
    }();
    Q_UNUSED(quiet)

    Laser laser;
    LumetraScpiSession session(&laser);
    QObject::connect(&session, &LumetraScpiSession::sigReply, [](const QByteArray &line) {
        invariant(line.endsWith('\n') && line.count('\n') == 1, "an answer that is not one line");
    });
    // The input in two pieces, and now and then a write reported back, as a live session sees them.
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const int half = bytes.size() / 2;
    session.receive(bytes.left(half));
    if (size > 0 && data[0] & 1 && !laser.waiting.isEmpty())
        laser.waiting.takeFirst()(data[0] & 2 ? QStringLiteral("refused") : QString());
    session.receive(bytes.mid(half));
    while (!laser.waiting.isEmpty())
        laser.waiting.takeFirst()(QString());
    invariant(session.pendingWrites() == 0, "a write counted as pending after the laser reported it");
    invariant(session.queuedErrors() <= LumetraScpiSession::MaxErrors, "the error queue grew past its bound");
    return 0;
}
