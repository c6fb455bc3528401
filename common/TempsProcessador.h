#pragma once
// Processor time used so far, in ms, by the calling thread or by the whole process (all its
// threads): what a piece of work costs, however many other processes share the machine.
#include <QtGlobal>

#include <ctime>

namespace kovel {

inline qint64 MsProcessador(clockid_t rellotge)
{
    timespec t{};
    ::clock_gettime(rellotge, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}
inline qint64 MsProcessadorFil() { return MsProcessador(CLOCK_THREAD_CPUTIME_ID); }
inline qint64 MsProcessadorProces() { return MsProcessador(CLOCK_PROCESS_CPUTIME_ID); }

} // namespace kovel
