#include "pump.h"

#include <utility>

namespace {

std::function<void()>& currentPump()
{
    static std::function<void()> pump;
    return pump;
}

} // namespace

void pumpEvents()
{
    // A copy, so a pump that opens or closes a scope does not destroy the one running.
    if (const std::function<void()> pump = currentPump())
        pump();
}

PumpScope::PumpScope(std::function<void()> pump)
    : previous_(std::exchange(currentPump(), std::move(pump)))
{
}

PumpScope::~PumpScope() { currentPump() = std::move(previous_); }
