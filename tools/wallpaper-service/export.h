#pragma once

#include <functional>
#include <string>

class WallpaperService;

// The whole site of service as plain files under folder, each at the path the service answers it
// under ("/wallpapers/cat.tsl" -> folder/wallpapers/cat.tsl), so that any web server can serve it.
// The lists name their pictures and samples below baseUrl, the address the site will be served
// at. Folders are made as needed; files of an earlier copy are replaced, other files are left
// alone. A path the service can not answer (a picture that became unreadable) is left out and
// passed to skipped. Returns the number of files written; throws
// std::runtime_error when a file can not be written.
std::size_t exportSite(WallpaperService& service, const std::string& folder,
                       const std::string& baseUrl,
                       const std::function<void(const std::string& path)>& skipped);
