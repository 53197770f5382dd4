#include "expandablestring.h"

#include <windows.h>

#include <filesystem>

bool writeExpandableString(const std::string& key, const std::string& name,
                           const std::string& value)
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, std::filesystem::path(key).c_str(), 0, KEY_SET_VALUE,
                        &handle) != ERROR_SUCCESS)
        return false;
    const std::wstring data = std::filesystem::path(value).wstring();
    const LONG result = ::RegSetValueExW(handle, std::filesystem::path(name).c_str(), 0,
                                         REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                         DWORD((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}
