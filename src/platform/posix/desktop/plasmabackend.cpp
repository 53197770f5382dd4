#include "backend.h"

namespace platform::posix {

// PLACEHOLDER: being written.
std::unique_ptr<DesktopBackend> makePlasmaBackend() { return nullptr; }

} // namespace platform::posix
