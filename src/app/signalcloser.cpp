#include "app/signalcloser.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace quorrel {

namespace {

// The handler may only write to a descriptor: everything else waits for the
// event loop.
int g_signalFd[2] = {-1, -1};

extern "C" void forwardSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalFd[0], &byte, 1);
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

SignalCloser::SignalCloser(QObject *parent) : QObject(parent)
{
    if (g_signalFd[0] != -1)
        return; // one per process
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFd) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalFd[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalCloser::readSignal);

    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

SignalCloser::~SignalCloser()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    ::close(g_signalFd[0]);
    ::close(g_signalFd[1]);
    g_signalFd[0] = g_signalFd[1] = -1;
}

void SignalCloser::readSignal()
{
    unsigned char byte = 0;
    if (::read(g_signalFd[1], &byte, 1) == 1)
        emit signalled(byte);
}

} // namespace quorrel
