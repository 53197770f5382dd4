#pragma once

#include <functional>

// Long work on the main thread (a large picture decoded, converted or written) calls pumpEvents()
// between its pieces, so that the window keeps answering. Nothing is pumped unless a PumpScope is
// alive: only the caller knows whether the events that may then run are safe to run.
void pumpEvents();

// Makes pumpEvents() run pump for its lifetime; scopes nest, the innermost one counting.
class PumpScope {
public:
    explicit PumpScope(std::function<void()> pump);
    ~PumpScope();
    PumpScope(const PumpScope&) = delete;
    PumpScope& operator=(const PumpScope&) = delete;

private:
    std::function<void()> previous_;
};
