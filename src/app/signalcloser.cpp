#include "app/signalcloser.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quorrel {

namespace {

// The handler may only write to a descriptor: everything else waits for the
// event loop.
int g_signalFd[2] = {-1, -1};

extern "C" void forwardSignal(int signalNumber)
{
    // Never waits: when the socket is full, a close request is pending already.
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalFd[0], &byte, 1);
    errno = savedErrno;
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void setDisposition(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

void guardStart()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        // The lowest free number is this one, as those below are open.
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

SignalCloser::SignalCloser(QObject *parent) : QObject(parent)
{
    if (g_signalFd[0] != -1)
        return; // one per process
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalFd) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalFd[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalCloser::readSignal);
    setDisposition(forwardSignal);
}

SignalCloser::~SignalCloser()
{
    if (!m_notifier)
        return;
    // The program is ending: a late signal must neither cut the exit short
    // nor change its status, so it is ignored rather than left to kill.
    setDisposition(SIG_IGN);
    delete m_notifier;
    ::close(g_signalFd[0]);
    ::close(g_signalFd[1]);
    g_signalFd[0] = g_signalFd[1] = -1;
}

void SignalCloser::readSignal()
{
    // However many signals came, one close request serves them all.
    unsigned char bytes[256];
    ssize_t count = 0;
    int first = 0;
    while ((count = ::read(g_signalFd[1], bytes, sizeof bytes)) > 0) {
        if (!first)
            first = bytes[0];
    }
    if (first)
        emit signalled(first);
}

} // namespace quorrel
