#pragma once

#include <string>
#include <string_view>

// The conversions of the registry file, whose strings the system keeps as UTF-16LE.
namespace platform::posix {

// Lone surrogates and an odd last byte become U+FFFD, as in the system's own conversion.
std::string utf16leToUtf8(std::string_view bytes);

// Bytes that are no valid UTF-8 become U+FFFD.
std::string utf8ToUtf16le(std::string_view text);

} // namespace platform::posix
