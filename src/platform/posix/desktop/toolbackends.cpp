#include "backend.h"

namespace platform::posix {

// PLACEHOLDER: being written.
std::unique_ptr<DesktopBackend> makeLxqtBackend() { return nullptr; }
std::unique_ptr<DesktopBackend> makeSwayBackend() { return nullptr; }

} // namespace platform::posix
