#pragma once

// Screen pictures on their way into an X server pixmap: the server's own pixel layout.

#include "x11connection.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::posix {

// How the server lays out the pixels of a picture of the root window's depth.
struct PixelLayout {
    std::uint8_t depth = 0;
    std::uint8_t bitsPerPixel = 0;
    std::uint8_t scanlinePad = 0; // in bits
    bool lsbFirst = true;         // the byte order of pixels wider than a byte
    std::uint32_t red = 0, green = 0, blue = 0;

    // The bytes of one row of width pixels.
    std::size_t rowBytes(int width) const;
    // True when 0x00RRGGBB words as this machine stores them are already the server's pixels.
    bool takesCanvas() const;
    // Pixels of the canvas (0x00RRGGBB) as the server stores them, rows after rows.
    void convert(const std::uint32_t* canvas, int width, int rows, std::uint8_t* out) const;
    // And back: the server's rows of pixels as canvas pixels.
    void read(const std::uint8_t* in, int width, int rows, std::uint32_t* canvas) const;
};

// The layout of the screen's root depth; nullopt for anything but a true-colour visual with 8,
// 16, 24 or 32 bits per pixel, which the picture can not be given to faithfully.
std::optional<PixelLayout> rootPixelLayout(const xcb_setup_t& setup, const xcb_screen_t& screen);

} // namespace platform::posix
