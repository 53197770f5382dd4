#pragma once

#include "dialogs.h"

#include <functional>
#include <type_traits>
#include <utility>

// Runs a handler; an exception that escapes it ends the handler and is shown through the general
// error report, so no exception ever reaches the event loop.
void runGuarded(Dialogs& dialogs, const std::function<void()>& handler) noexcept;

// A handler for a Qt signal or callback, wrapped in runGuarded.
template <class Handler> auto guarded(Dialogs& dialogs, Handler handler)
{
    // Signal arguments the handler does not take (a menu item's "checked") are dropped.
    return [&dialogs, handler = std::move(handler)](auto&&... args) {
        runGuarded(dialogs, [&] {
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    };
}
