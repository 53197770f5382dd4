#include "collection.h"

#include "safenames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// The name without its extension and without a trailing "@<digit>".
std::string_view stem(std::string_view file, char* position)
{
    const auto dot = file.rfind('.');
    std::string_view base = dot == std::string_view::npos ? file : file.substr(0, dot);
    char found = '0';
    if (base.size() >= 2 && base[base.size() - 2] == '@' &&
        (base.back() == '1' || base.back() == '2')) {
        found = base.back();
        base.remove_suffix(2);
    }
    if (position)
        *position = found;
    return base;
}

// Control characters would end a line of the lists the service sends.
std::string printable(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; }, ' ');
    return text;
}

// The entries of folder in the order of their names, so that every run sees the same order.
std::vector<fs::directory_entry> sortedEntries(const fs::path& folder, std::error_code& ec)
{
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().native() < b.path().filename().native();
    });
    return entries;
}

// Hidden entries and symbolic links are left out everywhere: a link could lead out of the folder.
std::string hiddenOrLinked(const fs::directory_entry& entry)
{
    std::error_code ec;
    if (entry.path().filename().string().starts_with("."))
        return "hidden";
    if (entry.is_symlink(ec))
        return "a symbolic link, not followed";
    return {};
}

// Why the service can not offer entry (in the served folder) as a category; empty when it may.
std::string folderProblem(const fs::directory_entry& entry)
{
    std::error_code ec;
    if (std::string problem = hiddenOrLinked(entry); !problem.empty())
        return problem;
    return entry.is_directory(ec) ? std::string() : "not in a category folder";
}

// Why the service can not offer entry (in a category folder) as a picture; empty when it can.
std::string pictureProblem(const fs::directory_entry& entry)
{
    std::error_code ec;
    if (std::string problem = hiddenOrLinked(entry); !problem.empty())
        return problem;
    if (entry.is_directory(ec))
        return "a folder inside a category, not searched";
    if (!entry.is_regular_file(ec))
        return "not a regular file";
    const std::string type = pictureContentType(entry.path().filename().string());
    if (type.empty())
        return "not a picture (only .jpg, .jpeg and .bmp files are served)";
    errno = 0;
    std::ifstream in(entry.path(), std::ios::binary);
    if (!in)
        return errno ? std::string("unreadable: ") + std::strerror(errno) : "unreadable";
    char head[3] = {};
    in.read(head, sizeof head);
    if (type == "image/jpeg" && std::memcmp(head, "\xff\xd8\xff", 3) != 0)
        return "not a picture: holds no JPEG data";
    if (type == "image/bmp" && std::memcmp(head, "BM", 2) != 0)
        return "not a picture: holds no BMP data";
    return {};
}

// The categories of the program itself (data/cat.tsl and data/profiles.tsl), in their order.
constexpr std::array<std::pair<const char*, const char*>, 18> DemoCategoryNames{{
    {"all", "All"},
    {"2d", "Digital Art \\ 2D"},
    {"3d-characters", "Digital Art \\ 3D \\ Characters"},
    {"3d-objects", "Digital Art \\ 3D \\ Objects"},
    {"3d-scenes", "Digital Art \\ 3D \\ Scenes"},
    {"anime", "Digital Art \\ Cartoons \\ Anime"},
    {"cartoons", "Digital Art \\ Cartoons \\ Traditional"},
    {"abstract", "Photography \\ Abstract"},
    {"nature-abstract", "Photography \\ Nature \\ Abstract"},
    {"animals", "Photography \\ Nature \\ Animals"},
    {"landscapes", "Photography \\ Nature \\ Landscapes"},
    {"macro", "Photography \\ Nature \\ Macro"},
    {"seascapes", "Photography \\ Nature \\ Seascapes"},
    {"fashion", "Photography \\ People \\ Fashion"},
    {"portraits", "Photography \\ People \\ Portraits"},
    {"architecture", "Photography \\ Urban&Rural \\ Architecture"},
    {"industrial", "Photography \\ Urban&Rural \\ Industrial"},
    {"street", "Photography \\ Urban&Rural \\ Street"},
}};

constexpr std::array<const char*, 8> DemoWords{"Morning_Light", "Deep_Field", "Quiet_Hour",
                                               "Long_Shadows",  "Cold_Front", "Warm_Drift",
                                               "Night_Grid",    "Open_Circle"};

} // namespace

std::string captionFromFileName(std::string_view file)
{
    std::string caption = printable(std::string(stem(file, nullptr)));
    std::replace(caption.begin(), caption.end(), '_', ' ');
    std::replace(caption.begin(), caption.end(), '-', ' ');
    std::replace(caption.begin(), caption.end(), ';', ',');
    return caption;
}

char positionFromFileName(std::string_view file)
{
    char position = '0';
    stem(file, &position);
    return position;
}

std::string pictureContentType(std::string_view file)
{
    const auto dot = file.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string ext = lower(file.substr(dot));
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".bmp")
        return "image/bmp";
    return {};
}

std::vector<ServiceCategory> scanFolder(const std::string& root, std::vector<SkippedEntry>* skipped)
{
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        throw std::runtime_error("not a folder: " + root);
    const auto skip = [&](const std::string& path, std::string reason) {
        if (skipped)
            skipped->push_back({path, std::move(reason)});
    };
    const std::vector<fs::directory_entry> entries = sortedEntries(root, ec);
    if (ec)
        throw std::runtime_error("can not read " + root + ": " + ec.message());

    std::vector<ServiceCategory> categories;
    std::vector<RealName> folders;
    std::vector<RealName> files;
    for (const auto& dir : entries) {
        const std::string folder = dir.path().filename().string();
        if (std::string problem = folderProblem(dir); !problem.empty()) {
            skip(folder, std::move(problem));
            continue;
        }
        const std::vector<fs::directory_entry> contents = sortedEntries(dir.path(), ec);
        if (ec) {
            skip(folder, "unreadable: " + ec.message());
            continue;
        }
        ServiceCategory category{{}, printable(folder), {}};
        std::replace(category.name.begin(), category.name.end(), '_', ' ');
        for (const auto& entry : contents) {
            const std::string file = entry.path().filename().string();
            const std::string path = folder + "/" + file;
            if (std::string problem = pictureProblem(entry); !problem.empty()) {
                skip(path, std::move(problem));
                continue;
            }
            const auto dot = file.rfind('.');
            files.push_back({file.substr(0, dot), file.substr(dot), path});
            category.pictures.push_back(ServicePicture{
                {}, captionFromFileName(file), positionFromFileName(file), entry.path().string()});
        }
        if (category.pictures.empty()) {
            skip(folder, "no pictures in it");
            continue;
        }
        folders.push_back({folder, {}, folder});
        categories.push_back(std::move(category));
    }

    // One set of picture names for all categories: the client caches pictures by name alone.
    const std::vector<std::string> codes = safeNames(folders, "category");
    const std::vector<std::string> names = safeNames(files, "picture");
    auto name = names.begin();
    for (std::size_t c = 0; c < categories.size(); ++c) {
        categories[c].code = codes[c];
        for (auto& picture : categories[c].pictures)
            picture.file = *name++;
    }
    return categories;
}

std::vector<ServiceCategory> demoCategories()
{
    std::vector<ServiceCategory> categories;
    for (std::size_t c = 0; c < DemoCategoryNames.size(); ++c) {
        ServiceCategory category{DemoCategoryNames[c].first, DemoCategoryNames[c].second, {}};
        const std::size_t count = 3 + c % 2;
        for (std::size_t p = 0; p < count; ++p) {
            const bool bitmap = p + 1 == count;
            const std::string file = category.code + "_" + DemoWords[(c + p) % DemoWords.size()] +
                                     (bitmap ? ".bmp" : ".jpg");
            // A few fixed placements so that clients meet every kind: the second picture of
            // every third category.
            const char position = p == 1 && c % 3 != 0 ? char('0' + c % 3) : '0';
            category.pictures.push_back(
                ServicePicture{file, captionFromFileName(file), position, {}});
        }
        categories.push_back(std::move(category));
    }
    return categories;
}
