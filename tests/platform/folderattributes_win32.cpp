#include "folderattributes.h"

#include <windows.h>

#include <filesystem>

namespace {

bool addAttribute(const std::filesystem::path& path, DWORD attribute)
{
    const DWORD old = ::GetFileAttributesW(path.c_str());
    return old != INVALID_FILE_ATTRIBUTES && ::SetFileAttributesW(path.c_str(), old | attribute);
}

} // namespace

std::string createHiddenFolder(const std::string& parent, const std::string& base)
{
    const auto path = std::filesystem::path(parent) / base;
    std::filesystem::create_directory(path);
    addAttribute(path, FILE_ATTRIBUTE_HIDDEN);
    return base;
}

bool markAsSystem(const std::string& path) { return addAttribute(path, FILE_ATTRIBUTE_SYSTEM); }

bool markAsHidden(const std::string& path) { return addAttribute(path, FILE_ATTRIBUTE_HIDDEN); }
