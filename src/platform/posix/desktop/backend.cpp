#include "backend.h"

#include <charconv>
#include <cstdio>

namespace platform::posix {

std::unique_ptr<DesktopBackend> createBackend(DesktopKind kind,
                                              std::shared_ptr<PicturePainter> painter)
{
    switch (kind) {
    case DesktopKind::None:
        return nullptr;
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
        return makeGSettingsBackend(kind);
    case DesktopKind::Kde:
        return makePlasmaBackend();
    case DesktopKind::Xfce:
        return makeXfceBackend();
    case DesktopKind::Lxqt:
        return makeLxqtBackend();
    case DesktopKind::Sway:
        return makeSwayBackend();
    case DesktopKind::X11:
        break;
    }
    const char* display = std::getenv("DISPLAY");
    return makeX11Backend(display ? display : "", std::move(painter));
}

namespace {

// A decimal integer with optional blanks around it; nullopt for anything else.
std::optional<long> integerOf(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(' ');
    const std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos)
        return std::nullopt;
    if (text[begin] == '+')
        ++begin;
    long value = 0;
    const auto [rest, error] = std::from_chars(text.data() + begin, text.data() + end + 1, value);
    if (error != std::errc() || rest != text.data() + end + 1)
        return std::nullopt;
    return value;
}

} // namespace

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Placement placementOf(const std::string& tile, const std::string& style, int originX, int originY)
{
    if (integerOf(tile).value_or(0) == 1)
        return Placement::Tiled;
    switch (integerOf(style).value_or(0)) {
    case 2:
        return Placement::Stretched;
    case 6:
        return Placement::Fit;
    case 10:
        return Placement::Fill;
    case 22:
        return Placement::Span;
    case 0:
        // The values can not tell an origin of (0, 0) from a centred picture; centred is what
        // the desktop shows for them.
        return originX != 0 || originY != 0 ? Placement::Origin : Placement::Centred;
    default:
        return Placement::Centred;
    }
}

std::string tileOf(Placement placement) { return placement == Placement::Tiled ? "1" : "0"; }

std::string styleOf(Placement placement)
{
    switch (placement) {
    case Placement::Stretched:
        return "2";
    case Placement::Fit:
        return "6";
    case Placement::Fill:
        return "10";
    case Placement::Span:
        return "22";
    case Placement::Centred:
    case Placement::Tiled:
    case Placement::Origin:
        break;
    }
    return "0";
}

std::optional<std::uint32_t> colourFromText(const std::string& text)
{
    // Exactly three numbers separated by single blanks, as the desktop stores them.
    std::uint32_t rgb = 0;
    std::size_t start = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t blank = part < 2 ? text.find(' ', start) : text.size();
        if (blank == std::string::npos)
            return std::nullopt;
        unsigned value = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + blank;
        const auto [rest, error] = std::from_chars(first, last, value);
        if (first == last || error != std::errc() || rest != last || value > 255)
            return std::nullopt;
        rgb = rgb << 8 | value;
        start = blank + 1;
    }
    return rgb;
}

std::string colourToText(std::uint32_t rgb)
{
    return std::to_string(rgb >> 16 & 0xFF) + " " + std::to_string(rgb >> 8 & 0xFF) + " " +
           std::to_string(rgb & 0xFF);
}

std::optional<std::uint32_t> colourFromHex(const std::string& text)
{
    if (text.empty() || text[0] != '#')
        return std::nullopt;
    const std::size_t digits = text.size() - 1;
    if (digits != 3 && digits != 6 && digits != 12)
        return std::nullopt;
    const std::size_t width = digits / 3;
    std::uint32_t rgb = 0;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        unsigned value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const int digit = hexDigit(text[1 + channel * width + i]);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        // The most significant byte of a channel ("#rgb" doubles its digit).
        if (width == 1)
            value *= 17;
        else if (width == 4)
            value >>= 8;
        rgb = rgb << 8 | value;
    }
    return rgb;
}

std::string colourToHex(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb >> 16 & 0xFF, rgb >> 8 & 0xFF,
                  rgb & 0xFF);
    return text;
}

std::string pathToFileUri(const std::string& path)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            uri += c;
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 0xF];
        }
    }
    return uri;
}

std::optional<std::string> fileUriToPath(const std::string& uri)
{
    std::string rest;
    if (uri.rfind("file:///", 0) == 0)
        rest = uri.substr(7);
    else if (uri.rfind("file://localhost/", 0) == 0)
        rest = uri.substr(16);
    else if (!uri.empty() && uri[0] == '/')
        rest = uri; // some desktops keep a plain path where a URI is expected
    else
        return std::nullopt;
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? hexDigit(rest[i + 1]) : -1;
        const int low = i + 2 < rest.size() ? hexDigit(rest[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == '\0')
            return std::nullopt;
        path += byte;
        i += 2;
    }
    return path;
}

} // namespace platform::posix
