#include "session.h"

#include <cstdlib>
#include <string_view>

namespace platform::posix {

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::optional<DesktopKind> kindByName(std::string_view name)
{
    struct Named {
        std::string_view name;
        DesktopKind kind;
    };
    static constexpr Named names[] = {
        {"gnome", DesktopKind::Gnome}, {"cinnamon", DesktopKind::Cinnamon},
        {"mate", DesktopKind::Mate},   {"kde", DesktopKind::Kde},
        {"xfce", DesktopKind::Xfce},   {"lxqt", DesktopKind::Lxqt},
        {"sway", DesktopKind::Sway},   {"x11", DesktopKind::X11},
        {"none", DesktopKind::None},
    };
    for (const Named& named : names)
        if (named.name == name)
            return named.kind;
    return std::nullopt;
}

// XDG_CURRENT_DESKTOP is a colon-separated list, most specific first ("ubuntu:GNOME",
// "X-Cinnamon"); DESKTOP_SESSION names the session ("plasma", "xubuntu"). The first entry that
// names a known desktop decides.
std::optional<DesktopKind> kindByDesktopName(const std::string& names)
{
    struct Family {
        std::string_view name;
        DesktopKind kind;
    };
    static constexpr Family families[] = {
        {"gnome", DesktopKind::Gnome},
        {"ubuntu", DesktopKind::Gnome},
        {"unity", DesktopKind::Gnome},
        {"budgie", DesktopKind::Gnome},
        {"budgie-desktop", DesktopKind::Gnome},
        {"pantheon", DesktopKind::Gnome},
        {"gnome-classic", DesktopKind::Gnome},
        {"gnome-xorg", DesktopKind::Gnome},
        {"cinnamon", DesktopKind::Cinnamon},
        {"x-cinnamon", DesktopKind::Cinnamon},
        {"mate", DesktopKind::Mate},
        {"kde", DesktopKind::Kde},
        {"plasma", DesktopKind::Kde},
        {"plasmawayland", DesktopKind::Kde},
        {"xfce", DesktopKind::Xfce},
        {"xubuntu", DesktopKind::Xfce},
        {"lxqt", DesktopKind::Lxqt},
        {"lubuntu", DesktopKind::Lxqt},
        {"sway", DesktopKind::Sway},
    };
    std::size_t start = 0;
    const std::string list = lower(names);
    while (start <= list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        const std::string_view entry(list.data() + start, colon - start);
        for (const Family& family : families)
            if (family.name == entry)
                return family.kind;
        start = colon + 1;
    }
    return std::nullopt;
}

} // namespace

DesktopKind sessionDesktop()
{
    if (const auto chosen = kindByName(lower(variable("TAPESTRON_DESKTOP"))))
        return *chosen;
    if (const auto kind = kindByDesktopName(variable("XDG_CURRENT_DESKTOP")))
        return *kind;
    if (const auto kind = kindByDesktopName(variable("DESKTOP_SESSION")))
        return *kind;
    // A wlroots compositor that speaks the sway IPC names its socket whatever it calls itself.
    if (!variable("SWAYSOCK").empty())
        return DesktopKind::Sway;
    // An unknown Wayland desktop can not be told about wallpapers; the root window of its X
    // server for older programs is not what the user sees.
    if (!variable("WAYLAND_DISPLAY").empty())
        return DesktopKind::None;
    if (!variable("DISPLAY").empty())
        return DesktopKind::X11;
    return DesktopKind::None;
}

std::optional<std::string> sessionX11Display()
{
    const std::string display = variable("DISPLAY");
    if (display.empty() || !variable("WAYLAND_DISPLAY").empty() ||
        sessionDesktop() == DesktopKind::None)
        return std::nullopt;
    return display;
}

} // namespace platform::posix
