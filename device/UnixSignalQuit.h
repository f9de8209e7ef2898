#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

// Turns termination signals (SIGTERM at logout, shutdown or `kill`; SIGHUP when the terminal goes)
// into a Qt signal on the thread that made this object, so that the program can end the way the
// operator's Quit ends it instead of being cut off. The handler only writes the signal's number to a
// socket pair; everything else happens in the event loop. One instance at a time.
class UnixSignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignalQuit(const QList<int> &signalNumbers, QObject *parent = nullptr);
    // Puts back the handlers that were there before.
    ~UnixSignalQuit() override;

    // False if the socket pair or a handler could not be set up; the signals then act as they did.
    bool isActive() const { return m_notifier != nullptr; }
    static QString signalName(int signalNumber);

signals:
    void quitRequested(int signalNumber);

private:
    void readSignals();

    QList<int> m_signals;
    QSocketNotifier *m_notifier = nullptr;
};
