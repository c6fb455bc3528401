#pragma once
// Waiting in a test for something to happen, never for a length of time, and measuring what
// a piece of work costs in processor time rather than by the clock on the wall. A loaded
// machine may take long over anything; the bound only ends a wait that a fault made endless.
#include "common/TempsProcessador.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <functional>

namespace kovel::test {

inline constexpr int EsperaMaximaMs = 60000;

// Runs the thread's event loop (or sleeps, on a thread without one) until `fet` holds or
// `maxMs` have passed; whether it holds.
inline bool EsperaFins(const std::function<bool()>& fet, int maxMs = EsperaMaximaMs)
{
    const QDeadlineTimer limit(maxMs);
    const QCoreApplication* app = QCoreApplication::instance();
    const bool ambBucle = app && QThread::currentThread() == app->thread();
    // Wakes the loop to look again when what is awaited comes without an event.
    QTimer despertador;
    if (ambBucle)
        despertador.start(5);
    while (!fet()) {
        if (limit.hasExpired())
            return fet();
        if (ambBucle)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        else
            QThread::msleep(5);
    }
    return true;
}

// The event loop run for `ms` with nothing awaited: for checks that nothing more happens.
inline void DeixaCorrer(int ms) { EsperaFins([] { return false; }, ms); }

using kovel::MsProcessador;
using kovel::MsProcessadorFil;
using kovel::MsProcessadorProces;

} // namespace kovel::test
