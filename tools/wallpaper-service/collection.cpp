#include "collection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
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
    if (position) *position = found;
    return base;
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

bool isSafeSegment(std::string_view s)
{
    if (s.empty() || s.size() > 128 || s.front() == '.') return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x80 &&
               (std::isalnum(u) || std::string_view("-._~@+").find(c) != std::string_view::npos);
    });
}

std::string captionFromFileName(std::string_view file)
{
    std::string caption(stem(file, nullptr));
    std::replace(caption.begin(), caption.end(), '_', ' ');
    std::replace(caption.begin(), caption.end(), '-', ' ');
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
    if (dot == std::string_view::npos) return {};
    const std::string ext = lower(file.substr(dot));
    if (ext == ".jpg" || ext == ".jpeg") return "image/jpeg";
    if (ext == ".bmp") return "image/bmp";
    return {};
}

std::vector<ServiceCategory> scanFolder(const std::string& root)
{
    std::error_code ec;
    if (!fs::is_directory(root, ec)) throw std::runtime_error("not a folder: " + root);
    std::vector<ServiceCategory> categories;
    for (const auto& dir : fs::directory_iterator(root, ec)) {
        const std::string code = dir.path().filename().string();
        // "cat.tsl" would be hidden behind the category list of the same path.
        if (dir.is_symlink(ec) || !dir.is_directory(ec) || !isSafeSegment(code) ||
            code == "cat.tsl")
            continue;
        ServiceCategory category{code, code, {}};
        std::replace(category.name.begin(), category.name.end(), '_', ' ');
        for (const auto& entry : fs::directory_iterator(dir.path(), ec)) {
            const std::string file = entry.path().filename().string();
            if (entry.is_symlink(ec) || !entry.is_regular_file(ec) || !isSafeSegment(file) ||
                pictureContentType(file).empty())
                continue;
            category.pictures.push_back(ServicePicture{file, captionFromFileName(file),
                                                       positionFromFileName(file),
                                                       entry.path().string()});
        }
        if (category.pictures.empty()) continue;
        std::sort(category.pictures.begin(), category.pictures.end(),
                  [](const auto& a, const auto& b) { return a.file < b.file; });
        categories.push_back(std::move(category));
    }
    std::sort(categories.begin(), categories.end(),
              [](const auto& a, const auto& b) { return a.code < b.code; });
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
