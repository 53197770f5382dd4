#include "backend.h"
#include "process.h"

#include "../posixsupport.h"

#include <cstdlib>
#include <sstream>

namespace platform::posix {

namespace {

// ---- LXQt: its desktop is pcmanfm-qt's, which takes the wallpaper on its command line.

struct ModeName {
    Placement placement;
    const char* name;
};

// pcmanfm-qt has no mode across screens: a picture cropped to fill each is the nearest. An origin
// picture reaches the desktop composed to the screen's size and is stretched.
constexpr ModeName lxqtModes[] = {
    {Placement::Stretched, "stretch"}, {Placement::Fit, "fit"},   {Placement::Centred, "center"},
    {Placement::Tiled, "tile"},        {Placement::Fill, "zoom"}, {Placement::Span, "zoom"},
    {Placement::Origin, "stretch"},
};

const char* lxqtModeOf(Placement placement)
{
    for (const ModeName& mode : lxqtModes)
        if (mode.placement == placement)
            return mode.name;
    return "stretch";
}

void appendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A value as the settings file (Qt's INI form) stores text: parts in double quotes, backslash
// escapes, "\x" followed by the hex digits of a character.
std::string iniText(const std::string& stored)
{
    std::string text;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c == '"')
            continue;
        if (c != '\\' || i + 1 == stored.size()) {
            text += c;
            continue;
        }
        const char escaped = stored[++i];
        if (escaped == 'x') {
            unsigned code = 0;
            int digits = 0;
            while (digits < 4 && i + 1 < stored.size() && hexDigit(stored[i + 1]) >= 0) {
                code = code * 16 + static_cast<unsigned>(hexDigit(stored[++i]));
                ++digits;
            }
            appendUtf8(text, code);
            continue;
        }
        switch (escaped) {
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            text += escaped;
        }
    }
    return text;
}

std::string lxqtSettingsPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder =
        config && *config ? config : std::string(home ? home : "") + "/.config";
    return folder + "/pcmanfm-qt/lxqt/settings.conf";
}

class LxqtBackend final : public DesktopBackend {
public:
    bool takesFiles() const override { return true; }

    bool apply(const WallpaperRequest& request) override
    {
        if (request.picture.empty())
            return runTool({"pcmanfm-qt", "--wallpaper-mode", "color"}).succeeded();
        return runTool({"pcmanfm-qt", "--set-wallpaper", request.picture, "--wallpaper-mode",
                        lxqtModeOf(request.placement)})
            .succeeded();
    }

    // pcmanfm-qt takes no colour on its command line; its own settings keep the one it has.
    bool setBackground(const WallpaperRequest&) override { return true; }

    DesktopState read() override
    {
        DesktopState state;
        std::istringstream file(readWholeFile(lxqtSettingsPath()).value_or(std::string()));
        std::string line;
        bool inDesktop = false;
        std::string mode;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && line.front() == '[') {
                inDesktop = line == "[Desktop]";
                continue;
            }
            const std::size_t equals = line.find('=');
            if (!inDesktop || equals == std::string::npos)
                continue;
            const std::string name = line.substr(0, equals);
            const std::string value = iniText(line.substr(equals + 1));
            if (name == "Wallpaper")
                state.picture = value;
            else if (name == "WallpaperMode")
                mode = value;
            else if (name == "BgColor")
                state.background = colourFromHex(value);
        }
        if (mode == "color" || mode == "none")
            state.picture = "";
        for (const ModeName& known : lxqtModes)
            if (mode == known.name) {
                state.placement = known.placement;
                break;
            }
        return state;
    }
};

// ---- sway: swaymsg joins its arguments into one command line, which sway splits into commands
// at ";" and "," and into words at blanks (both outside quotes, a backslash escaping the next
// character), replaces "$name" with its variables unless escaped, and whose "bg" then expands the
// picture's word as a shell would (wordexp, with command substitution).

// The picture's word for that line: the leading "/" bare, so sway leaves the quotes that follow
// in place; every other character quoted for the shell expansion in a way sway's own splitting
// reads as quoted too. Spaces are quoted one at a time (sway escapes two blanks in a row before
// expanding), "$" and "\" are escaped inside double quotes (the backslash also stops sway's
// variables). nullopt for a path that is not absolute.
std::optional<std::string> swayWord(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return std::nullopt;
    std::string word = "/";
    bool inRun = false; // inside a single-quoted run
    const auto endRun = [&] {
        if (inRun)
            word += '\'';
        inRun = false;
    };
    for (std::size_t i = 1; i < path.size(); ++i) {
        const char c = path[i];
        switch (c) {
        case '\'':
            endRun();
            word += "\"'\"";
            break;
        case ' ':
            endRun();
            word += "\" \"";
            break;
        case '$':
            endRun();
            word += "\"\\$\"";
            break;
        case '\\':
            endRun();
            word += "\"\\\\\"";
            break;
        default:
            if (!inRun)
                word += '\'';
            inRun = true;
            word += c;
        }
    }
    endRun();
    return word;
}

// sway's bg has no mode across screens: cropped to fill each is the nearest. An origin picture
// reaches the desktop composed to the screen's size and is stretched.
const char* swayModeOf(Placement placement)
{
    switch (placement) {
    case Placement::Stretched:
    case Placement::Origin:
        return "stretch";
    case Placement::Fit:
        return "fit";
    case Placement::Centred:
        return "center";
    case Placement::Tiled:
        return "tile";
    case Placement::Fill:
    case Placement::Span:
        break;
    }
    return "fill";
}

class SwayBackend final : public DesktopBackend {
public:
    bool takesFiles() const override { return true; }

    bool apply(const WallpaperRequest& request) override
    {
        if (!send(request))
            return false;
        shown_ = request;
        return true;
    }

    // The colour is part of the output's bg command: the picture shown is given again with it.
    bool setBackground(const WallpaperRequest& current) override
    {
        WallpaperRequest wallpaper = shown_.value_or(current);
        wallpaper.background = current.background;
        return apply(wallpaper);
    }

    // sway does not tell which background it shows.
    DesktopState read() override { return {}; }

private:
    static bool send(const WallpaperRequest& request)
    {
        const std::string colour = colourToHex(request.background);
        if (request.picture.empty())
            return runTool({"swaymsg", "output", "*", "bg", colour, "solid_color"}).succeeded();
        const auto word = swayWord(request.picture);
        return word && runTool({"swaymsg", "output", "*", "bg", *word,
                                swayModeOf(request.placement), colour})
                           .succeeded();
    }

    std::optional<WallpaperRequest> shown_; // the last wallpaper sway took from this program
};

} // namespace

std::unique_ptr<DesktopBackend> makeLxqtBackend() { return std::make_unique<LxqtBackend>(); }
std::unique_ptr<DesktopBackend> makeSwayBackend() { return std::make_unique<SwayBackend>(); }

} // namespace platform::posix
