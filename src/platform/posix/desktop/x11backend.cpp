#include "backend.h"

namespace platform::posix {

// PLACEHOLDER: being written.
std::unique_ptr<DesktopBackend> makeX11Backend(std::string, std::shared_ptr<PicturePainter>) { return nullptr; }

} // namespace platform::posix
