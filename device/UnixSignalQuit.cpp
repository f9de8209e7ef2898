#include "device/UnixSignalQuit.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcUnixSignalQuit, "lumetra.app.signalquit")

namespace {

// Written by the handler, read by the event loop. A handler may only use what is async-signal-safe:
// a plain int and write().
int pipeFds[2] = {-1, -1};
std::map<int, struct sigaction> previousActions;

extern "C" void onQuitSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: if the socket is full, a quit is pending anyway.
    const ssize_t written = ::write(pipeFds[1], &byte, 1);
    (void)written;
    errno = savedErrno;
}

void closePipe()
{
    for (int &fd : pipeFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

UnixSignalQuit::UnixSignalQuit(const QList<int> &signalNumbers, QObject *parent) : QObject(parent)
{
    if (pipeFds[0] >= 0) {
        qCWarning(lcUnixSignalQuit) << "a second instance is not supported";
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeFds) != 0) {
        qCWarning(lcUnixSignalQuit) << "socketpair:" << std::strerror(errno);
        return;
    }
    ::fcntl(pipeFds[1], F_SETFL, ::fcntl(pipeFds[1], F_GETFL) | O_NONBLOCK);
    ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);

    for (int number : signalNumbers) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction previous;
        if (::sigaction(number, &action, &previous) != 0) {
            qCWarning(lcUnixSignalQuit) << "sigaction" << signalName(number) << std::strerror(errno);
            continue;
        }
        previousActions[number] = previous;
        m_signals << number;
    }
    if (m_signals.isEmpty()) {
        closePipe();
        return;
    }
    m_notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalQuit::readSignals);
}

UnixSignalQuit::~UnixSignalQuit()
{
    if (!m_notifier)
        return;
    for (int number : qAsConst(m_signals)) {
        ::sigaction(number, &previousActions[number], nullptr);
        previousActions.erase(number);
    }
    delete m_notifier;
    m_notifier = nullptr;
    closePipe();
}

QString UnixSignalQuit::signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGINT:
        return QStringLiteral("SIGINT");
    default:
        return QStringLiteral("signal %1").arg(signalNumber);
    }
}

void UnixSignalQuit::readSignals()
{
    unsigned char bytes[16];
    ssize_t count;
    while ((count = ::read(pipeFds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            qCInfo(lcUnixSignalQuit).noquote() << signalName(bytes[i]) << "received: quitting";
            emit quitRequested(bytes[i]);
        }
    }
}
