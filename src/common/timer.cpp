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
    ~QtTimerEngine() override { delete timer_; }
    void start(int ms) override { timer_->start(ms); }
    void stop() override { timer_->stop(); }

private:
    QTimer* timer_; // a child of the Timer, gone with this engine
};

} // namespace

Timer::Timer(std::uint32_t interval, bool enabled, QObject* parent)
    : Timer(interval, enabled, nullptr, parent)
{
}

Timer::Timer(std::uint32_t interval, bool enabled, std::unique_ptr<TimerEngine> engine,
             QObject* parent)
    : QObject(parent), interval_(interval), enabled_(enabled)
{
    attachEngine(engine ? std::move(engine) : std::make_unique<QtTimerEngine>(this));
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

void Timer::setEngine(std::unique_ptr<TimerEngine> engine)
{
    engine_->stop();
    attachEngine(std::move(engine));
}

void Timer::attachEngine(std::unique_ptr<TimerEngine> engine)
{
    engine_ = std::move(engine);
    engine_->tick = [this] {
        if (onTimer)
            onTimer();
    };
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
