#include "wallpaperfiles.h"

#include "../posixsupport.h"
#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform::posix {

namespace {

struct Parts {
    std::string folder; // with its final "/"
    std::string stem;   // the picture's name without its extension
};

Parts partsOf(const std::string& picture)
{
    const std::size_t slash = picture.rfind('/');
    Parts parts;
    parts.folder = slash == std::string::npos ? "./" : picture.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? picture : picture.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    parts.stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return parts;
}

// The kind of picture by its first bytes, as the desktops' own loaders tell it; the name of the
// copy says it too, for desktops that go by the name first.
std::string extensionOf(const std::string& path)
{
    unsigned char head[12] = {};
    const UniqueFd fd(openRegularFileForReading(path));
    const ssize_t got = fd ? ::read(fd.get(), head, sizeof head) : 0;
    const auto starts = [&](std::initializer_list<int> bytes) {
        if (got < static_cast<ssize_t>(bytes.size()))
            return false;
        std::size_t i = 0;
        for (const int byte : bytes)
            if (head[i++] != byte)
                return false;
        return true;
    };
    if (starts({0xFF, 0xD8, 0xFF}))
        return ".jpg";
    if (starts({0x89, 'P', 'N', 'G'}))
        return ".png";
    if (starts({'G', 'I', 'F', '8'}))
        return ".gif";
    if (starts({'<', '?', 'x', 'm', 'l'}))
        return ".xml";
    if (starts({'R', 'I', 'F', 'F'}) && got >= 12 && std::memcmp(head + 8, "WEBP", 4) == 0)
        return ".webp";
    return ".bmp";
}

// The number of a published name: "." + stem + "-" + digits + "." + anything.
std::optional<unsigned long> numberOf(const std::string& name, const std::string& stem)
{
    const std::string prefix = "." + stem + "-";
    if (name.rfind(prefix, 0) != 0)
        return std::nullopt;
    const std::size_t digits = prefix.size();
    const std::size_t dot = name.find('.', digits);
    if (dot == std::string::npos || dot == digits || dot - digits > 9)
        return std::nullopt;
    unsigned long number = 0;
    for (std::size_t i = digits; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned long>(name[i] - '0');
    }
    return number;
}

// The published names of the folder, with their numbers.
std::vector<std::pair<unsigned long, std::string>> published(const Parts& parts)
{
    std::vector<std::pair<unsigned long, std::string>> found;
    DIR* folder = ::opendir(parts.folder.c_str());
    if (!folder)
        return found;
    while (const dirent* entry = ::readdir(folder))
        if (const auto number = numberOf(entry->d_name, parts.stem))
            found.emplace_back(*number, entry->d_name);
    ::closedir(folder);
    return found;
}

// Writes the new name (write makes the whole file or nothing), then drops all but the newest two.
template <class Write>
std::optional<std::string> publish(const std::string& picture, const std::string& extension,
                                   Write&& write)
{
    const Parts parts = partsOf(picture);
    const auto before = published(parts);
    unsigned long next = 1;
    for (const auto& [number, name] : before)
        next = std::max(next, number + 1);
    if (next > 999'999'999)
        next = 1;
    const std::string target =
        parts.folder + "." + parts.stem + "-" + std::to_string(next) + extension;
    if (!write(target))
        return std::nullopt;
    for (const auto& [number, name] : before)
        if (number + 1 != next)
            ::unlink((parts.folder + name).c_str());
    return target;
}

void putLittleEndian(std::string& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

} // namespace

std::optional<std::string> publishPicture(const std::string& picture)
{
    return publish(picture, extensionOf(picture),
                   [&](const std::string& target) { return copyFileReplacing(picture, target); });
}

std::optional<std::string> publishCanvas(const std::string& picture,
                                         const std::vector<std::uint32_t>& canvas, int width,
                                         int height)
{
    if (width <= 0 || height <= 0 ||
        canvas.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return std::nullopt;
    // An uncompressed 24-bit bitmap, rows from the bottom, each padded to four bytes.
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t pixels = row * static_cast<std::size_t>(height);
    if (pixels + 54 > 0xFFFFFFFFu)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(54 + pixels);
    bytes += "BM";
    putLittleEndian(bytes, static_cast<std::uint32_t>(54 + pixels), 4);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, 54, 4);
    putLittleEndian(bytes, 40, 4);
    putLittleEndian(bytes, static_cast<std::uint32_t>(width), 4);
    putLittleEndian(bytes, static_cast<std::uint32_t>(height), 4);
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 24, 2);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, static_cast<std::uint32_t>(pixels), 4);
    putLittleEndian(bytes, 2835, 4); // 72 dpi
    putLittleEndian(bytes, 2835, 4);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, 0, 4);
    std::string line(row, '\0');
    for (int y = height - 1; y >= 0; --y) {
        const std::uint32_t* source = canvas.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            line[3 * x] = static_cast<char>(source[x] & 0xFF);
            line[3 * x + 1] = static_cast<char>(source[x] >> 8 & 0xFF);
            line[3 * x + 2] = static_cast<char>(source[x] >> 16 & 0xFF);
        }
        bytes += line;
    }
    return publish(picture, ".bmp",
                   [&](const std::string& target) { return replaceFileContents(target, bytes); });
}

bool isPublishedFrom(const std::string& candidate, const std::string& picture)
{
    const Parts parts = partsOf(picture);
    if (candidate.rfind(parts.folder, 0) != 0)
        return false;
    const std::string name = candidate.substr(parts.folder.size());
    return name.find('/') == std::string::npos && numberOf(name, parts.stem).has_value();
}

} // namespace platform::posix
