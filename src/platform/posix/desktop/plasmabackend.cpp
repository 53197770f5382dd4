#include "backend.h"
#include "process.h"

#include <charconv>

namespace platform::posix {

namespace {

// The image plugin's FillMode numbers (Qt's image fill modes). Span has no mode of its own: one
// picture cropped to fill each screen is the nearest. An origin picture reaches the desktop
// composed to the screen's size and is stretched.
int fillModeOf(Placement placement)
{
    switch (placement) {
    case Placement::Stretched:
    case Placement::Origin:
        return 0;
    case Placement::Fit:
        return 1;
    case Placement::Fill:
    case Placement::Span:
        return 2;
    case Placement::Tiled:
        return 3;
    case Placement::Centred:
        return 6;
    }
    return 2;
}

std::optional<Placement> placementOfFillMode(int mode)
{
    switch (mode) {
    case 0:
        return Placement::Stretched;
    case 1:
        return Placement::Fit;
    case 2:
        return Placement::Fill;
    case 3:
        return Placement::Tiled;
    case 6:
        return Placement::Centred;
    default:
        return std::nullopt;
    }
}

// Every value put into a script is a file URI (percent-encoded) or a "#rrggbb" colour: neither can
// end the string literal it is written in.
std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string groupOf(const std::string& plugin)
{
    return "[\"Wallpaper\", \"" + plugin + "\", \"General\"]";
}

// A script that runs body for every desktop, which it names d.
std::string forEveryDesktop(const std::string& body)
{
    return "var all = desktops();\n"
           "for (var i = 0; i < all.length; ++i) {\n"
           "    var d = all[i];\n" +
           body + "}\n";
}

const std::string Image = "org.kde.image";
const std::string Colour = "org.kde.color";

// "#rrggbb" or KConfig's "r,g,b".
std::optional<std::uint32_t> colourOf(const std::string& text)
{
    if (const auto hex = colourFromHex(text))
        return hex;
    std::string blanks = text;
    for (char& c : blanks)
        if (c == ',')
            c = ' ';
    return colourFromText(blanks);
}

class PlasmaBackend final : public DesktopBackend {
public:
    bool takesFiles() const override { return true; }

    bool apply(const WallpaperRequest& request) override
    {
        const std::string colour = quoted(colourToHex(request.background));
        if (request.picture.empty())
            return evaluate(forEveryDesktop(showColour(colour))).has_value();
        const std::string uri = quoted(pathToFileUri(request.picture));
        const std::string mode = std::to_string(fillModeOf(request.placement));
        return evaluate(forEveryDesktop("    d.wallpaperPlugin = \"" + Image + "\";\n" +
                                        inImageGroup("Image", uri) +
                                        "    d.writeConfig(\"FillMode\", " + mode + ");\n" +
                                        "    d.writeConfig(\"Color\", " + colour + ");\n"))
            .has_value();
    }

    bool setBackground(const WallpaperRequest& current) override
    {
        const std::string colour = quoted(colourToHex(current.background));
        if (current.picture.empty())
            return evaluate(forEveryDesktop(showColour(colour))).has_value();
        // The colour around the picture, which stays as it is.
        return evaluate(forEveryDesktop(inImageGroup("Color", colour))).has_value();
    }

    DesktopState read() override
    {
        DesktopState state;
        const auto printed = evaluate(
            "var d = desktops()[0];\n"
            "d.currentConfigGroup = " +
            groupOf(Image) +
            ";\n"
            "print(\"Plugin=\" + d.wallpaperPlugin + \"\\nImage=\" + d.readConfig(\"Image\")"
            " + \"\\nFillMode=\" + d.readConfig(\"FillMode\") + \"\\nColor=\" + "
            "d.readConfig(\"Color\") + \"\\n\");\n");
        if (!printed)
            return state;
        const std::string plugin = valueOf(*printed, "Plugin");
        if (plugin == Colour) {
            state.picture = "";
        } else if (plugin == Image) {
            const std::string image = valueOf(*printed, "Image");
            state.picture = image.empty() ? std::optional<std::string>("") : fileUriToPath(image);
            const std::string mode = valueOf(*printed, "FillMode");
            int number = -1;
            const char* last = mode.data() + mode.size();
            const auto [end, error] = std::from_chars(mode.data(), last, number);
            if (error == std::errc() && end == last)
                state.placement = placementOfFillMode(number);
            state.background = colourOf(valueOf(*printed, "Color"));
        }
        return state;
    }

private:
    // Writes name in the image plugin's settings of desktop d.
    static std::string inImageGroup(const std::string& name, const std::string& value)
    {
        return "    d.currentConfigGroup = " + groupOf(Image) + ";\n" + "    d.writeConfig(\"" +
               name + "\", " + value + ");\n";
    }

    static std::string showColour(const std::string& colour)
    {
        return "    d.wallpaperPlugin = \"" + Colour +
               "\";\n"
               "    d.currentConfigGroup = " +
               groupOf(Colour) +
               ";\n"
               "    d.writeConfig(\"Color\", " +
               colour + ");\n";
    }

    // What the script printed; nullopt when the shell could not be reached in time or refused it.
    static std::optional<std::string> evaluate(const std::string& script)
    {
        const ToolResult result =
            runTool({"dbus-send", "--session", "--print-reply", "--reply-timeout=2000",
                     "--dest=org.kde.plasmashell", "/PlasmaShell",
                     "org.kde.PlasmaShell.evaluateScript", "string:" + script});
        if (!result.succeeded())
            return std::nullopt;
        // The reply: a header line, then `   string "<text>"`, the text as it is, over lines.
        const std::size_t open = result.output.find("string \"");
        const std::size_t close = result.output.rfind('"');
        if (open == std::string::npos || close < open + 8)
            return std::string();
        return result.output.substr(open + 8, close - open - 8);
    }

    // The value of the line "name=value" that the read script printed.
    static std::string valueOf(const std::string& printed, const std::string& name)
    {
        const std::string key = name + "=";
        std::size_t start = 0;
        while (start < printed.size()) {
            const std::size_t end = std::min(printed.find('\n', start), printed.size());
            if (printed.compare(start, key.size(), key) == 0)
                return printed.substr(start + key.size(), end - start - key.size());
            start = end + 1;
        }
        return "";
    }
};

} // namespace

std::unique_ptr<DesktopBackend> makePlasmaBackend() { return std::make_unique<PlasmaBackend>(); }

} // namespace platform::posix
