#include "backend.h"

namespace platform::posix {

// PLACEHOLDER: being written.
std::unique_ptr<DesktopBackend> makeGSettingsBackend(DesktopKind) { return nullptr; }

} // namespace platform::posix
