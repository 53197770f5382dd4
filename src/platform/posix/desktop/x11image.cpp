#include "x11image.h"

#include <bit>

namespace platform::posix {

namespace {

// One 8-bit colour component placed into the bits of mask.
std::uint32_t place(std::uint32_t component, std::uint32_t mask)
{
    const int bits = std::popcount(mask);
    const std::uint32_t value =
        bits <= 8 ? component >> (8 - bits) : component * ((1u << bits) - 1) / 255;
    return value << std::countr_zero(mask);
}

// The bits of mask in value as an 8-bit colour component.
std::uint32_t take(std::uint32_t value, std::uint32_t mask)
{
    const int bits = std::popcount(mask);
    if (bits == 0)
        return 0;
    const std::uint32_t component = (value & mask) >> std::countr_zero(mask);
    return bits >= 8 ? component >> (bits - 8) : component * 255 / ((1u << bits) - 1);
}

} // namespace

std::size_t PixelLayout::rowBytes(int width) const
{
    const std::size_t bits = static_cast<std::size_t>(width) * bitsPerPixel;
    return (bits + scanlinePad - 1) / scanlinePad * scanlinePad / 8;
}

bool PixelLayout::takesCanvas() const
{
    return bitsPerPixel == 32 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF &&
           lsbFirst == (std::endian::native == std::endian::little);
}

void PixelLayout::convert(const std::uint32_t* canvas, int width, int rows, std::uint8_t* out) const
{
    const int bytes = bitsPerPixel / 8;
    const std::size_t stride = rowBytes(width);
    for (int row = 0; row < rows; ++row) {
        std::uint8_t* pixel = out + static_cast<std::size_t>(row) * stride;
        for (int column = 0; column < width; ++column, pixel += bytes) {
            const std::uint32_t rgb = *canvas++;
            const std::uint32_t value = place(rgb >> 16 & 0xFF, red) |
                                        place(rgb >> 8 & 0xFF, green) | place(rgb & 0xFF, blue);
            for (int i = 0; i < bytes; ++i)
                pixel[lsbFirst ? i : bytes - 1 - i] = static_cast<std::uint8_t>(value >> 8 * i);
        }
    }
}

void PixelLayout::read(const std::uint8_t* in, int width, int rows, std::uint32_t* canvas) const
{
    const int bytes = bitsPerPixel / 8;
    const std::size_t stride = rowBytes(width);
    for (int row = 0; row < rows; ++row) {
        const std::uint8_t* pixel = in + static_cast<std::size_t>(row) * stride;
        for (int column = 0; column < width; ++column, pixel += bytes) {
            std::uint32_t value = 0;
            for (int i = 0; i < bytes; ++i)
                value |= std::uint32_t{pixel[lsbFirst ? i : bytes - 1 - i]} << 8 * i;
            *canvas++ = take(value, red) << 16 | take(value, green) << 8 | take(value, blue);
        }
    }
}

std::optional<PixelLayout> rootPixelLayout(const xcb_setup_t& setup, const xcb_screen_t& screen)
{
    PixelLayout layout;
    layout.depth = screen.root_depth;
    layout.lsbFirst = setup.image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    for (auto formats = xcb_setup_pixmap_formats_iterator(&setup); formats.rem > 0;
         xcb_format_next(&formats))
        if (formats.data->depth == layout.depth) {
            layout.bitsPerPixel = formats.data->bits_per_pixel;
            layout.scanlinePad = formats.data->scanline_pad;
        }
    const bool wholeBytes = layout.bitsPerPixel == 8 || layout.bitsPerPixel == 16 ||
                            layout.bitsPerPixel == 24 || layout.bitsPerPixel == 32;
    if (!wholeBytes || layout.scanlinePad % 8 != 0 || layout.scanlinePad == 0)
        return std::nullopt;
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0;
         xcb_depth_next(&depths)) {
        if (depths.data->depth != layout.depth)
            continue;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t& visual = *visuals.data;
            if (visual.visual_id != screen.root_visual)
                continue;
            if (visual._class != XCB_VISUAL_CLASS_TRUE_COLOR || !visual.red_mask ||
                !visual.green_mask || !visual.blue_mask)
                return std::nullopt;
            layout.red = visual.red_mask;
            layout.green = visual.green_mask;
            layout.blue = visual.blue_mask;
            return layout;
        }
    }
    return std::nullopt;
}

} // namespace platform::posix
