#include "export.h"

#include "service.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Whole files only: written beside the target and renamed over it, so a server that is serving
// an earlier copy never sends half a file.
void writeWhole(const fs::path& target, const std::string& bytes)
{
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec)
        throw std::runtime_error("can not create " + target.parent_path().string() + ": " +
                                 ec.message());
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            throw std::runtime_error("can not write " + target.string());
        }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        throw std::runtime_error("can not write " + target.string());
    }
}

} // namespace

std::size_t exportSite(WallpaperService& service, const std::string& folder,
                       const std::string& baseUrl,
                       const std::function<void(const std::string& path)>& skipped)
{
    std::size_t written = 0;
    for (const std::string& path : service.sitePaths()) {
        std::optional<std::string> body;
        try {
            body = service.content(path, baseUrl);
        } catch (const std::exception&) {
            body.reset();
        }
        if (!body) {
            skipped(path);
            continue;
        }
        // Every path is made of names the program accepts as file names: none climbs out. The
        // home page is the site folder's index.
        const std::string file = path == "/" ? "index.html" : path.substr(1);
        writeWhole(fs::path(folder) / file, *body);
        ++written;
    }
    return written;
}
