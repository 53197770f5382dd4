#include "common/timer.h"

#include <gtest/gtest.h>

#include <QThread>
#include <QTimer>

#include <climits>

namespace {

constexpr std::uint32_t Period = 100'000;

QTimer& inner(const Timer& timer) { return *timer.findChild<QTimer*>(); }

// A timer of Period whose current period is already a little way along, so that a new period
// shows as more time remaining.
std::unique_ptr<Timer> runningTimer()
{
    auto timer = std::make_unique<Timer>(Period, false);
    inner(*timer).setTimerType(Qt::PreciseTimer);
    timer->setEnabled(true);
    QThread::msleep(60);
    return timer;
}

bool newPeriodStarted(const Timer& timer, int remainingBefore)
{
    return inner(timer).remainingTime() > remainingBefore + 40;
}

TEST(TimerSemantics, EnablingAnEnabledTimerOrSettingTheSamePeriodChangesNothing)
{
    auto timer = runningTimer();
    const int before = inner(*timer).remainingTime();
    ASSERT_LE(before, static_cast<int>(Period) - 50);
    timer->setEnabled(true);
    timer->setInterval(Period);
    EXPECT_FALSE(newPeriodStarted(*timer, before));
}

TEST(TimerSemantics, ANewPeriodOrARestartStartsAFullPeriod)
{
    auto timer = runningTimer();
    int before = inner(*timer).remainingTime();
    timer->restart();
    EXPECT_TRUE(newPeriodStarted(*timer, before));

    timer = runningTimer();
    before = inner(*timer).remainingTime();
    timer->setInterval(Period + 10);
    EXPECT_TRUE(newPeriodStarted(*timer, before));
    EXPECT_EQ(inner(*timer).interval(), static_cast<int>(Period + 10));
}

TEST(TimerSemantics, DisabledTimersAndPeriodZeroNeverRun)
{
    Timer timer(1000, false);
    EXPECT_FALSE(inner(timer).isActive());
    timer.setInterval(500); // a new period on a disabled timer starts nothing
    EXPECT_FALSE(inner(timer).isActive());
    timer.restart(); // restart enables
    EXPECT_TRUE(timer.enabled());
    EXPECT_TRUE(inner(timer).isActive());
    timer.setInterval(0);
    EXPECT_TRUE(timer.enabled());
    EXPECT_FALSE(inner(timer).isActive());
    timer.setInterval(10);
    EXPECT_TRUE(inner(timer).isActive());
    timer.setEnabled(false);
    EXPECT_FALSE(inner(timer).isActive());
}

TEST(TimerSemantics, PeriodsBeyondTheSystemLimitAreHeldAtIt)
{
    Timer timer(4'000'000'000u, true);
    EXPECT_EQ(timer.interval(), 4'000'000'000u);
    EXPECT_EQ(inner(timer).interval(), INT_MAX);
    EXPECT_TRUE(inner(timer).isActive());
}

TEST(TimerSemantics, TicksReachTheHandler)
{
    Timer timer(1000, true);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    QMetaObject::invokeMethod(&inner(timer), "timeout", Qt::DirectConnection);
    EXPECT_EQ(ticks, 1);
}

} // namespace
