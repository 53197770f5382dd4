#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

// Runs the periods of a Timer: Qt's timer in the program, a hand-driven one in tests.
class TimerEngine {
public:
    virtual ~TimerEngine() = default;
    // Starts a full period of ms, in place of one under way; tick is called at its end.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;

    std::function<void()> tick;
};

// A window timer. Unlike a bare QTimer: enabling an enabled timer changes nothing; setting the
// period it already has changes nothing; a new period on an enabled timer starts a new full
// period; a period of 0 never ticks. Periods above the system's largest are held at the largest
// (0x7FFFFFFF ms), as the system does.
class Timer : public QObject {
    Q_OBJECT
public:
    Timer(std::uint32_t interval, bool enabled, QObject* parent = nullptr);
    Timer(std::uint32_t interval, bool enabled, std::unique_ptr<TimerEngine> engine,
          QObject* parent = nullptr);
    ~Timer() override;

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    std::uint32_t interval() const { return interval_; }
    void setInterval(std::uint32_t interval);
    // Disables and enables again: the timer runs and a new full period starts.
    void restart();
    // Hands the periods to engine from now on (a timer that runs starts a new full period on it).
    // Tests of a window drive its timers by hand this way.
    void setEngine(std::unique_ptr<TimerEngine> engine);

    // Called on every tick.
    std::function<void()> onTimer;

private:
    void attachEngine(std::unique_ptr<TimerEngine> engine);
    void sync();

    std::unique_ptr<TimerEngine> engine_;
    std::uint32_t interval_;
    bool enabled_;
};
