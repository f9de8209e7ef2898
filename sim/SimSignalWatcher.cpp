#include "sim/SimSignalWatcher.h"

#include <QLoggingCategory>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSimSignalWatcher, "lumetra.sim.signals")

namespace {
int signalPair[2] = {-1, -1};
}

SimSignalWatcher::SimSignalWatcher(QObject *parent) : QObject(parent) {}

SimSignalWatcher::~SimSignalWatcher()
{
    if (signalPair[0] < 0)
        return;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete notifier;
    ::close(signalPair[0]);
    ::close(signalPair[1]);
    signalPair[0] = signalPair[1] = -1;
}

bool SimSignalWatcher::install()
{
    if (signalPair[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) != 0)
        return false;
    ::fcntl(signalPair[0], F_SETFL, O_NONBLOCK);
    ::fcntl(signalPair[1], F_SETFL, O_NONBLOCK);
    notifier = new QSocketNotifier(signalPair[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SimSignalWatcher::onReadable);
    struct sigaction action
    {
    };
    action.sa_handler = &SimSignalWatcher::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return true;
}

void SimSignalWatcher::handler(int signalNumber)
{
    const char byte = char(signalNumber);
    // Only async-signal-safe work here.
    [[maybe_unused]] const ssize_t written = ::write(signalPair[0], &byte, 1);
}

void SimSignalWatcher::onReadable()
{
    char byte = 0;
    while (::read(signalPair[1], &byte, 1) == 1) {
        qCDebug(lcSimSignalWatcher) << "signal" << int(byte);
        emit terminationRequested(int(byte));
    }
}
