#include "common/timer.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <climits>
#include <memory>
#include <vector>

namespace {

constexpr std::uint32_t Period = 100'000;

QTimer& inner(const Timer& timer) { return *timer.findChild<QTimer*>(); }

// An engine driven by hand: it keeps the periods it was asked to start.
class ManualEngine : public TimerEngine {
public:
    void start(int ms) override
    {
        periods.push_back(ms);
        running = true;
    }
    void stop() override { running = false; }

    std::vector<int> periods;
    bool running = false;
};

struct ManualTimer {
    ManualTimer()
        : engine(new ManualEngine), timer(Period, true, std::unique_ptr<TimerEngine>(engine))
    {
    }
    ManualEngine* engine; // owned by timer
    Timer timer;
};

TEST(TimerSemantics, EnablingAnEnabledTimerOrSettingTheSamePeriodChangesNothing)
{
    ManualTimer t;
    ASSERT_EQ(t.engine->periods, std::vector<int>{Period});
    t.timer.setEnabled(true);
    t.timer.setInterval(Period);
    EXPECT_EQ(t.engine->periods, std::vector<int>{Period});
}

TEST(TimerSemantics, ANewPeriodOrARestartStartsAFullPeriodAndTicksReachTheHandler)
{
    ManualTimer t;
    int ticks = 0;
    t.timer.onTimer = [&] { ++ticks; };
    t.timer.restart();
    t.timer.setInterval(Period + 10);
    EXPECT_EQ(t.engine->periods, (std::vector<int>{Period, Period, Period + 10}));
    EXPECT_TRUE(t.engine->running);
    t.engine->tick();
    EXPECT_EQ(ticks, 1);
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

TEST(TimerSemantics, QtsTimerTicksReachTheHandler)
{
    Timer timer(1000, true);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    QMetaObject::invokeMethod(&inner(timer), "timeout", Qt::DirectConnection);
    EXPECT_EQ(ticks, 1);
}

} // namespace
