#pragma once
// The running side of a service: the stop requests of the service manager, the state the
// service reports to it, and the system log as the service's event log.
#include "platform/service/Service.h"

#include <QString>
#include <chrono>

namespace kovel::service {

// Controls as the callers number them.
inline constexpr int ControlNone = 0;
inline constexpr int ControlStop = 1;
inline constexpr int ControlShutdown = 5;

// True when systemd started this process as a service ($INVOCATION_ID is set for every
// service it starts); a program started by hand is not a service.
bool startedByServiceManager();

// The stop requests: systemd stops a service (and every service at shutdown) with
// SIGTERM; SIGINT is taken as a stop too. The signal handler only writes the signal's
// number into a pipe, so nothing unsafe runs inside it; the service reads the pipe in its
// own loop. One instance at a time; the previous handlers come back when it ends.
class ControlRequests {
public:
    ControlRequests();
    ~ControlRequests();
    ControlRequests(const ControlRequests&) = delete;
    ControlRequests& operator=(const ControlRequests&) = delete;

    // False when the pipe or the handlers could not be set up (or another instance lives).
    bool valid() const { return readFd_ >= 0; }
    // Waits up to `timeout` for a request: ControlStop, or ControlNone when the time ran
    // out first.
    int wait(std::chrono::milliseconds timeout);
    // A request from inside the process, delivered like a signal's.
    void post(int control);

private:
    int readFd_ = -1;
    int writeFd_ = -1;
};

// Reports the service's state to systemd through $NOTIFY_SOCKET (running is "READY=1",
// stop pending "STOPPING=1"); without the socket nothing is sent. Returns false when a
// message could not be sent.
bool reportState(State state);

// One information entry in the system log under the given source name.
void writeEventLog(const QString& source, const QString& message);

} // namespace kovel::service
