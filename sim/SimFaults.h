#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QRandomGenerator>

// Faults of the serial conversation that can be switched on at start or at run time: silence, lost or
// mangled echoes, garbage between lines. The random draws come from a seeded generator, so a run can be
// repeated exactly.
class SimFaults : public QObject
{
    Q_OBJECT
public:
    explicit SimFaults(quint32 seed, QObject *parent = nullptr);

    // Seconds of silence; a negative value is silence for good, zero ends it.
    void setSilence(double seconds);
    bool isSilent() const;
    void setDropEchoFraction(double fraction) { dropEcho = fraction; }
    void setCrEchoFraction(double fraction) { crEcho = fraction; }
    void setGarbageFraction(double fraction) { garbage = fraction; }
    double dropEchoFraction() const { return dropEcho; }
    double crEchoFraction() const { return crEcho; }
    double garbageFraction() const { return garbage; }

    // One draw each, per command or per line.
    bool drawDropEcho() { return draw(dropEcho); }
    bool drawCrEcho() { return draw(crEcho); }
    bool drawGarbage() { return draw(garbage); }

    // A line of noise with binary bytes (NUL included) and no CR or LF inside, ending in a line feed.
    QByteArray garbageLine(int length);
    // A line that never ends: printable bytes and no terminator.
    QByteArray unterminatedLine(int length);
    QString describe() const;

private:
    bool draw(double fraction);

    QRandomGenerator random;
    QDeadlineTimer silentUntil{0};
    double dropEcho = 0;
    double crEcho = 0;
    double garbage = 0;
};
