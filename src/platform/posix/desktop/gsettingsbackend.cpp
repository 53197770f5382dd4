#include "backend.h"
#include "gvarianttext.h"
#include "process.h"

#include <array>

namespace platform::posix {

namespace {

// Where a desktop of the GSettings family keeps its background.
struct Schema {
    const char* id;
    const char* pictureKey;
    bool pictureIsUri;   // a file:// URI; otherwise a plain path
    const char* darkKey; // the picture of the dark style, or nullptr
    bool hasNone;        // picture-options has 'none'
};

Schema schemaOf(DesktopKind kind)
{
    switch (kind) {
    case DesktopKind::Cinnamon:
        return {"org.cinnamon.desktop.background", "picture-uri", true, nullptr, true};
    case DesktopKind::Mate:
        return {"org.mate.background", "picture-filename", false, nullptr, false};
    default:
        return {"org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark", true};
    }
}

struct OptionName {
    Placement placement;
    const char* name;
};

// An origin picture reaches the desktop composed to the screen's size: it is stretched.
constexpr std::array<OptionName, 7> optionNames{{
    {Placement::Centred, "centered"},
    {Placement::Tiled, "wallpaper"},
    {Placement::Stretched, "stretched"},
    {Placement::Fit, "scaled"},
    {Placement::Fill, "zoom"},
    {Placement::Span, "spanned"},
    {Placement::Origin, "stretched"},
}};

std::string optionOf(Placement placement)
{
    for (const OptionName& option : optionNames)
        if (option.placement == placement)
            return option.name;
    return "zoom";
}

std::optional<Placement> placementOfOption(const std::string& name)
{
    for (const OptionName& option : optionNames)
        if (name == option.name)
            return option.placement;
    return std::nullopt;
}

class GSettingsBackend final : public DesktopBackend {
public:
    explicit GSettingsBackend(DesktopKind kind) : schema_(schemaOf(kind)) {}

    bool takesFiles() const override { return true; }

    bool apply(const WallpaperRequest& request) override
    {
        if (!setColour(request.background))
            return false;
        if (request.picture.empty()) {
            // MATE has no 'none': an empty file name leaves the colour alone on the desktop.
            return schema_.hasNone ? writeStored("picture-options", "none")
                                   : writeStored(schema_.pictureKey, "");
        }
        const std::string picture =
            schema_.pictureIsUri ? pathToFileUri(request.picture) : request.picture;
        if (!write("picture-options", optionOf(request.placement)))
            return false;
        if (hasDarkKey() && !write(schema_.darkKey, picture))
            return false;
        return writeStored(schema_.pictureKey, picture);
    }

    bool setBackground(const WallpaperRequest& current) override
    {
        return setColour(current.background) &&
               get("primary-color") == colourToHex(current.background);
    }

    DesktopState read() override
    {
        DesktopState state;
        const auto options = get("picture-options");
        if (options)
            state.placement = placementOfOption(*options);
        if (const auto picture = get(schema_.pictureKey)) {
            if (options == "none" || picture->empty())
                state.picture = "";
            else if (schema_.pictureIsUri)
                state.picture = fileUriToPath(*picture);
            else
                state.picture = *picture;
        }
        if (const auto colour = get("primary-color"))
            state.background = colourFromHex(*colour);
        return state;
    }

private:
    // Older releases of the family have no dark picture; the light one is all they show.
    bool hasDarkKey()
    {
        if (!schema_.darkKey)
            return false;
        if (!hasDarkKey_)
            hasDarkKey_ =
                runTool({"gsettings", "writable", schema_.id, schema_.darkKey}).succeeded();
        return *hasDarkKey_;
    }

    // A solid colour: no gradient towards the secondary colour.
    bool setColour(std::uint32_t rgb)
    {
        return write("color-shading-type", "solid") && write("primary-color", colourToHex(rgb));
    }

    // GSettings falls back to a store in memory with no more than a warning, and may drop a change
    // it could not hand to its service without even that: a change counts once it is read back.
    bool writeStored(const char* key, const std::string& value)
    {
        return write(key, value) && get(key) == value;
    }

    bool write(const char* key, const std::string& value)
    {
        const ToolResult result =
            runTool({"gsettings", "set", schema_.id, key, gvariantQuoted(value)});
        return result.succeeded() && result.errors.empty();
    }

    std::optional<std::string> get(const char* key)
    {
        const ToolResult result = runTool({"gsettings", "get", schema_.id, key});
        if (!result.succeeded())
            return std::nullopt;
        return gvariantString(result.output);
    }

    Schema schema_;
    std::optional<bool> hasDarkKey_;
};

} // namespace

std::unique_ptr<DesktopBackend> makeGSettingsBackend(DesktopKind kind)
{
    return std::make_unique<GSettingsBackend>(kind);
}

} // namespace platform::posix
