#include "platform/files.h"
#include "platform/system.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

// Temporary files of whole-file writes. A writer that is killed leaves its temporary file (of the
// size of the whole file, a screen-sized bitmap for the wallpaper), so later writes and the
// program's start remove those whose writer has gone. The writer's process id in the name tells
// them apart from a write still under way in another process.
namespace platform {

namespace {

constexpr std::string_view Marker = ".tmp";
constexpr const char* MarkerMask = "*.tmp*";

bool allDigits(std::string_view text)
{
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The writer's id when suffix is "<process id>-<n>", as temporaryFileName makes it.
std::optional<std::uint32_t> writerOfSuffix(std::string_view suffix)
{
    const std::size_t dash = suffix.find('-');
    if (dash == std::string_view::npos || !allDigits(suffix.substr(0, dash)) ||
        !allDigits(suffix.substr(dash + 1)))
        return std::nullopt;
    std::uint64_t id = 0;
    std::from_chars(suffix.data(), suffix.data() + dash, id);
    if (id == 0 || id > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(id);
}

// The writer's id when file is a temporary file made for name (for any file when name is empty).
std::optional<std::uint32_t> writerOf(std::string_view file, std::string_view name)
{
    if (!name.empty()) {
        if (!file.starts_with(name) || !file.substr(name.size()).starts_with(Marker))
            return std::nullopt;
        return writerOfSuffix(file.substr(name.size() + Marker.size()));
    }
    const std::size_t marker = file.rfind(Marker);
    if (marker == std::string_view::npos || marker == 0)
        return std::nullopt;
    return writerOfSuffix(file.substr(marker + Marker.size()));
}

} // namespace

std::string temporaryFileName(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return target + std::string(Marker) + std::to_string(currentProcessId()) + "-" +
           std::to_string(counter++);
}

int removeStaleTemporaries(const std::string& folder, const std::string& name)
{
    int removed = 0;
    const std::uint32_t self = currentProcessId();
    for (const FoundFile& found : findFiles(folder, MarkerMask)) {
        if (found.attributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const auto writer = writerOf(found.name, name);
        if (!writer || *writer == self || processRunning(*writer))
            continue;
        if (deleteFile(folder + pathSeparator() + found.name))
            ++removed;
    }
    return removed;
}

} // namespace platform
