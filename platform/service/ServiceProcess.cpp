#include "platform/service/ServiceProcess.h"

#include <QByteArray>
#include <QMutex>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

namespace kovel::service {

namespace {

// The pipe's write end as the signal handler sees it.
volatile sig_atomic_t g_signalFd = -1;
std::atomic<bool> g_instance{false};
struct sigaction g_oldTerm;
struct sigaction g_oldInt;

extern "C" void onStopSignal(int number)
{
    const int savedErrno = errno;
    const int fd = g_signalFd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        // A full pipe already holds a request; nothing more is needed.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

bool startedByServiceManager()
{
    return !qEnvironmentVariableIsEmpty("INVOCATION_ID");
}

ControlRequests::ControlRequests()
{
    bool expected = false;
    if (!g_instance.compare_exchange_strong(expected, true))
        return;
    int fds[2];
    // Close-on-exec: the update runs the service starts must not hold the pipe.
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_instance = false;
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    g_signalFd = writeFd_;

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &g_oldTerm);
    sigaction(SIGINT, &action, &g_oldInt);
}

ControlRequests::~ControlRequests()
{
    if (readFd_ < 0)
        return;
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    sigaction(SIGINT, &g_oldInt, nullptr);
    g_signalFd = -1;
    ::close(writeFd_);
    ::close(readFd_);
    g_instance = false;
}

int ControlRequests::wait(std::chrono::milliseconds timeout)
{
    if (readFd_ < 0)
        return ControlNone;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{readFd_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, int(std::max<std::chrono::milliseconds::rep>(0, left.count())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return ControlNone;
        unsigned char byte = 0;
        const ssize_t got = ::read(readFd_, &byte, 1);
        if (got == 1)
            return ControlStop;
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return ControlNone;
    }
}

void ControlRequests::post(int control)
{
    if (writeFd_ < 0 || control == ControlNone)
        return;
    const unsigned char byte = static_cast<unsigned char>(control);
    [[maybe_unused]] const ssize_t written = ::write(writeFd_, &byte, 1);
}

bool reportState(State state)
{
    const QByteArray address = qgetenv("NOTIFY_SOCKET");
    if (address.isEmpty())
        return true;
    QByteArray message;
    switch (state) {
    case StateRunning: message = "READY=1\nSTATUS=Running"; break;
    case StateStopPending: message = "STOPPING=1\nSTATUS=Stopping"; break;
    case StateStartPending: message = "STATUS=Starting"; break;
    case StateStopped: message = "STATUS=Stopped"; break;
    case StateUnknown: return true;
    }

    sockaddr_un target;
    std::memset(&target, 0, sizeof target);
    target.sun_family = AF_UNIX;
    if (address.size() >= int(sizeof target.sun_path) || (address[0] != '/' && address[0] != '@'))
        return false;
    std::memcpy(target.sun_path, address.constData(), size_t(address.size()));
    if (address[0] == '@')
        target.sun_path[0] = '\0'; // abstract socket name
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(address.size()));

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const ssize_t sent = ::sendto(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&target), length);
    ::close(fd);
    return sent == message.size();
}

void writeEventLog(const QString& source, const QString& message)
{
    // openlog keeps the pointer it is given, so the name lives as long as the process.
    static QMutex mutex;
    static QByteArray ident;
    QMutexLocker lock(&mutex);
    const QByteArray name = source.toUtf8();
    if (name != ident || ident.isEmpty()) {
        closelog();
        ident = name;
        openlog(ident.constData(), LOG_PID, LOG_DAEMON);
    }
    syslog(LOG_INFO, "%s", message.toUtf8().constData());
}

} // namespace kovel::service
