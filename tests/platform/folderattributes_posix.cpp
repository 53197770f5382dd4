#include "folderattributes.h"

#include <filesystem>

std::string createHiddenFolder(const std::string& parent, const std::string& base)
{
    std::filesystem::create_directory(std::filesystem::path(parent) / ("." + base));
    return "." + base;
}

bool markAsSystem(const std::string&) { return false; }

bool markAsHidden(const std::string&) { return false; }
