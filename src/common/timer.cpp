#include "timer.h"

#include <QTimer>

#include <algorithm>

namespace {
// The largest period the system's timers accept; longer ones are held at it.
constexpr std::uint32_t MaximumPeriod = 0x7FFFFFFF;
} // namespace

Timer::Timer(std::uint32_t interval, bool enabled, QObject* parent)
    : QObject(parent), timer_(new QTimer(this)), interval_(interval), enabled_(enabled)
{
    timer_->setTimerType(Qt::CoarseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (onTimer)
            onTimer();
    });
    sync();
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    sync();
}

void Timer::setInterval(std::uint32_t interval)
{
    if (interval == interval_)
        return;
    interval_ = interval;
    timer_->stop();
    sync();
}

void Timer::restart()
{
    enabled_ = true;
    timer_->stop();
    sync();
}

// Starts a new full period when the timer should run, stops it otherwise.
void Timer::sync()
{
    if (enabled_ && interval_ > 0)
        timer_->start(static_cast<int>(std::min(interval_, MaximumPeriod)));
    else
        timer_->stop();
}
