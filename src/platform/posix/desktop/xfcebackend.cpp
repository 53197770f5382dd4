#include "backend.h"
#include "process.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace platform::posix {

namespace {

const std::string Channel = "xfce4-desktop";

// xfdesktop's image-style numbers; an origin picture reaches the desktop composed to the
// screen's size and is stretched.
int styleOf(const WallpaperRequest& request)
{
    if (request.picture.empty())
        return 0;
    switch (request.placement) {
    case Placement::Centred:
        return 1;
    case Placement::Tiled:
        return 2;
    case Placement::Stretched:
    case Placement::Origin:
        return 3;
    case Placement::Fit:
        return 4;
    case Placement::Fill:
        return 5;
    case Placement::Span:
        return 6;
    }
    return 5;
}

std::optional<Placement> placementOfStyle(int style)
{
    static constexpr Placement byStyle[] = {Placement::Centred,   Placement::Tiled,
                                            Placement::Stretched, Placement::Fit,
                                            Placement::Fill,      Placement::Span};
    if (style < 1 || style > 6)
        return std::nullopt;
    return byStyle[style - 1];
}

// "/backdrop/screen<n>/monitor<name>/workspace<n>/<name>": the folder of one workspace's backdrop
// when property is one, with leaf as its last part.
std::optional<std::string> workspaceOf(const std::string& property, const std::string& leaf)
{
    static const std::string prefix = "/backdrop/screen";
    if (property.rfind(prefix, 0) != 0 || property.size() <= leaf.size() + 1 ||
        property.compare(property.size() - leaf.size() - 1, std::string::npos, "/" + leaf) != 0)
        return std::nullopt;
    const std::string folder = property.substr(0, property.size() - leaf.size() - 1);
    const std::size_t monitor = folder.find("/monitor", prefix.size());
    const std::size_t workspace = folder.rfind("/workspace");
    if (monitor == std::string::npos || workspace == std::string::npos || workspace <= monitor)
        return std::nullopt;
    return folder;
}

std::string decimal(double value)
{
    char text[32];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return error == std::errc() ? std::string(text, end) : "0";
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class XfceBackend final : public DesktopBackend {
public:
    bool takesFiles() const override { return true; }

    bool apply(const WallpaperRequest& request) override
    {
        const auto properties = list();
        if (!properties)
            return false;
        bool any = false;
        for (const std::string& property : *properties) {
            const auto workspace = workspaceOf(property, "last-image");
            if (!workspace)
                continue;
            any = true;
            // Without a picture the style alone hides the last one; its name is kept.
            if (!request.picture.empty() && !set(property, {"string"}, {request.picture}))
                return false;
            if (!set(*workspace + "/image-style", {"int"}, {std::to_string(styleOf(request))}))
                return false;
        }
        return any && setColour(*properties, request.background);
    }

    bool setBackground(const WallpaperRequest& current) override
    {
        const auto properties = list();
        return properties && setColour(*properties, current.background);
    }

    DesktopState read() override
    {
        DesktopState state;
        const auto properties = list();
        if (!properties)
            return state;
        for (const std::string& property : *properties) {
            const auto workspace = workspaceOf(property, "last-image");
            if (!workspace)
                continue;
            const auto picture = get(property);
            const auto style = get(*workspace + "/image-style");
            int number = -1;
            if (style)
                std::from_chars(style->data(), style->data() + style->size(), number);
            if (number == 0)
                state.picture = "";
            else if (picture && !picture->empty())
                state.picture = *picture;
            state.placement = placementOfStyle(number);
            state.background = colourOf(*workspace + "/rgba1");
            break;
        }
        return state;
    }

private:
    // The channel's property names, one a line; nullopt when xfconf could not be asked.
    std::optional<std::vector<std::string>> list()
    {
        const ToolResult result = runTool({"xfconf-query", "-c", Channel, "-l"});
        if (!result.succeeded())
            return std::nullopt;
        return linesOf(result.output);
    }

    // Sets property (made when missing) to values, one value of each type.
    bool set(const std::string& property, const std::vector<std::string>& types,
             const std::vector<std::string>& values)
    {
        std::vector<std::string> argv{"xfconf-query", "-c", Channel, "-p", property, "-n"};
        for (const std::string& type : types)
            argv.insert(argv.end(), {"-t", type});
        for (const std::string& value : values)
            argv.insert(argv.end(), {"-s", value});
        return runTool(argv).succeeded();
    }

    std::optional<std::string> get(const std::string& property)
    {
        const ToolResult result = runTool({"xfconf-query", "-c", Channel, "-p", property});
        if (!result.succeeded())
            return std::nullopt;
        std::string value = result.output;
        if (!value.empty() && value.back() == '\n')
            value.pop_back();
        return value;
    }

    // The colour of every workspace with a backdrop (its picture or its colour), as a solid colour
    // where it has a colour style.
    bool setColour(const std::vector<std::string>& properties, std::uint32_t rgb)
    {
        std::vector<std::string> workspaces;
        for (const std::string& property : properties) {
            auto workspace = workspaceOf(property, "last-image");
            if (!workspace)
                workspace = workspaceOf(property, "rgba1");
            if (workspace &&
                std::find(workspaces.begin(), workspaces.end(), *workspace) == workspaces.end())
                workspaces.push_back(*workspace);
        }
        const auto channel = [rgb](int shift) { return decimal((rgb >> shift & 0xFF) / 255.0); };
        for (const std::string& workspace : workspaces) {
            if (!set(workspace + "/rgba1", {"double", "double", "double", "double"},
                     {channel(16), channel(8), channel(0), decimal(1)}))
                return false;
            const std::string style = workspace + "/color-style";
            if (std::find(properties.begin(), properties.end(), style) != properties.end() &&
                !set(style, {"int"}, {"0"}))
                return false;
        }
        return !workspaces.empty();
    }

    // rgba1 is printed as a header and then its four items, one a line.
    std::optional<std::uint32_t> colourOf(const std::string& property)
    {
        const auto printed = get(property);
        if (!printed)
            return std::nullopt;
        const std::vector<std::string> lines = linesOf(*printed);
        if (lines.size() < 4)
            return std::nullopt;
        std::uint32_t rgb = 0;
        for (std::size_t i = lines.size() - 4; i < lines.size() - 1; ++i) {
            double value = -1;
            const std::string& line = lines[i];
            const auto [end, error] =
                std::from_chars(line.data(), line.data() + line.size(), value);
            if (end != line.data() + line.size() || error != std::errc() || value < 0 || value > 1)
                return std::nullopt;
            rgb = rgb << 8 | static_cast<std::uint32_t>(std::lround(value * 255));
        }
        return rgb;
    }
};

} // namespace

std::unique_ptr<DesktopBackend> makeXfceBackend() { return std::make_unique<XfceBackend>(); }

} // namespace platform::posix
