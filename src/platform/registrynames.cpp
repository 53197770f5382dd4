#include "registry.h"

#include <array>

namespace platform {

namespace {

constexpr std::array<std::string_view, 7> RootNames = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameName(std::string_view given, std::string_view canonical)
{
    if (given.size() != canonical.size())
        return false;
    for (std::size_t i = 0; i < given.size(); ++i)
        if (upper(given[i]) != canonical[i])
            return false;
    return true;
}

} // namespace

std::optional<RootKey> rootKeyByName(std::string_view name)
{
    for (std::size_t i = 0; i < RootNames.size(); ++i)
        if (sameName(name, RootNames[i]))
            return static_cast<RootKey>(i);
    return std::nullopt;
}

std::string_view rootKeyName(RootKey root)
{
    const auto index = static_cast<std::size_t>(root);
    return index < RootNames.size() ? RootNames[index] : std::string_view();
}

} // namespace platform
