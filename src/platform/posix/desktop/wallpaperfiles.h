#pragma once

// The files a desktop is given. Desktops that know their wallpaper by file name do not look again
// at a name they already show, so each change gets a name of its own: a complete copy beside the
// program's picture, ".current-<n>.<kind>", never a file still being written. The last two are
// kept (the desktop may still be reading the one before).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::posix {

// A new copy of picture under the next such name; nullopt when it can not be made.
std::optional<std::string> publishPicture(const std::string& picture);

// The canvas (width x height pixels of 0x00RRGGBB) as a 24-bit bitmap under the next name beside
// picture; nullopt when it can not be written.
std::optional<std::string> publishCanvas(const std::string& picture,
                                         const std::vector<std::uint32_t>& canvas, int width,
                                         int height);

// True when candidate is one of the names given for picture.
bool isPublishedFrom(const std::string& candidate, const std::string& picture);

} // namespace platform::posix
