#pragma once

#include "desktop.h"
#include "hotkeys.h"
#include "registry.h"
#include "shell.h"
#include "system.h"

#include <memory>

namespace platform {

// The stateful services of the system, created once by the program's composition root; tests
// build their own and may swap a member for a recording or failing one.
struct Platform {
    std::unique_ptr<Registry> registry;
    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<GlobalHotkeys> hotkeys;
    std::unique_ptr<Shell> shell;
};

// painter: the program's picture code, for desktops that need pictures drawn for them. Prepares
// the process first (prepareProcess).
inline Platform createPlatform(std::shared_ptr<PicturePainter> painter)
{
    prepareProcess();
    return Platform{createRegistry(), createDesktop(std::move(painter)), createGlobalHotkeys(),
                    createShell()};
}

} // namespace platform
