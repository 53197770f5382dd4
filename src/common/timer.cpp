#include "timer.h"

#include <QTimer>

#include <algorithm>

namespace {

// The largest period the system's timers accept; longer ones are held at it.
constexpr std::uint32_t MaximumPeriod = 0x7FFFFFFF;

class QtTimerEngine final : public TimerEngine {
public:
    explicit QtTimerEngine(QObject* owner) : timer_(new QTimer(owner))
    {
        timer_->setTimerType(Qt::CoarseTimer);
        QObject::connect(timer_, &QTimer::timeout, owner, [this] {
            if (tick)
                tick();
        });
    }
    void start(int ms) override { timer_->start(ms); }
    void stop() override { timer_->stop(); }

private:
    QTimer* timer_; // owned by the Timer, as its child
};

} // namespace

Timer::Timer(std::uint32_t interval, bool enabled, QObject* parent)
    : Timer(interval, enabled, nullptr, parent)
{
}

Timer::Timer(std::uint32_t interval, bool enabled, std::unique_ptr<TimerEngine> engine,
             QObject* parent)
    : QObject(parent), engine_(engine ? std::move(engine) : std::make_unique<QtTimerEngine>(this)),
      interval_(interval), enabled_(enabled)
{
    engine_->tick = [this] {
        if (onTimer)
            onTimer();
    };
    sync();
}

Timer::~Timer() = default;

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
    engine_->stop();
    sync();
}

void Timer::restart()
{
    enabled_ = true;
    engine_->stop();
    sync();
}

// Starts a new full period when the timer should run, stops it otherwise.
void Timer::sync()
{
    if (enabled_ && interval_ > 0)
        engine_->start(static_cast<int>(std::min(interval_, MaximumPeriod)));
    else
        engine_->stop();
}
