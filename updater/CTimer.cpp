#include "updater/CTimer.h"

CTimer::CTimer(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    startTime_.start();
    connect(&timer_, &QTimer::timeout, this, [this] { emit Timer(startTime_.elapsed()); });
}

CTimer::~CTimer() { stop(); }

void CTimer::setEnabled(bool on)
{
    enabled_ = on;
    stop();
    start();
}

void CTimer::setInterval(std::int32_t milliseconds)
{
    startTime_.restart();
    if (milliseconds > 0) {
        stop();
        interval_ = milliseconds;
        start();
    } else if (milliseconds == 0) {
        stop();
        interval_ = 0;
    }
}

void CTimer::start()
{
    if (timer_.isActive() || !enabled_ || interval_ == 0)
        return;
    timer_.start(interval_);
}

void CTimer::stop() { timer_.stop(); }
