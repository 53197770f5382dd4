#include "platform/registry.h"

#include "platform/errors.h"
#include "win32support.h"

#include <array>
#include <cstring>
#include <vector>

namespace platform {

namespace {

using win32::toUtf8;
using win32::toWide;
using win32::UniqueKey;

HKEY rootHandle(RootKey root)
{
    static const std::array<HKEY, 7> Handles = {
        HKEY_CLASSES_ROOT,     HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE, HKEY_USERS,
        HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA,
    };
    return Handles[static_cast<std::size_t>(root)];
}

// The key path without empty parts: the system refuses a leading "\" that our callers may write.
std::wstring subkey(const std::string& key)
{
    std::string path;
    std::size_t start = 0;
    while (start <= key.size()) {
        const std::size_t slash = std::min(key.find('\\', start), key.size());
        if (slash > start) {
            if (!path.empty())
                path += '\\';
            path.append(key, start, slash - start);
        }
        start = slash + 1;
    }
    return toWide(path);
}

UniqueKey openKey(RootKey root, const std::string& key, REGSAM access)
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(rootHandle(root), subkey(key).c_str(), 0, access, &handle) != ERROR_SUCCESS)
        return nullptr;
    return UniqueKey(handle);
}

// The text with its %variables% replaced by their values, as the system's own readers of an
// expandable string (REG_EXPAND_SZ) see it; unknown variables stay as written.
std::wstring expanded(const std::wstring& text)
{
    std::wstring result(text.size() + 1, L'\0');
    for (;;) {
        const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), result.data(),
                                                         static_cast<DWORD>(result.size()));
        if (needed == 0)
            return text;
        if (needed <= result.size()) {
            result.resize(needed - 1); // without the terminator
            return result;
        }
        result.resize(needed);
    }
}

class Win32Registry final : public Registry {
public:
    bool keyExists(RootKey root, const std::string& key) override
    {
        return openKey(root, key, KEY_READ) != nullptr;
    }

    bool createKey(RootKey root, const std::string& key) override
    {
        HKEY handle = nullptr;
        const LONG result = ::RegCreateKeyExW(rootHandle(root), subkey(key).c_str(), 0, nullptr, 0,
                                              KEY_WRITE, nullptr, &handle, nullptr);
        UniqueKey owned(handle);
        return result == ERROR_SUCCESS;
    }

    std::optional<RegistryValue> readValue(RootKey root, const std::string& key,
                                           const std::string& name) override
    {
        const UniqueKey handle = openKey(root, key, KEY_QUERY_VALUE);
        if (!handle)
            return std::nullopt;
        const std::wstring valueName = toWide(name);
        // The value may grow between asking for its size and reading it; ask again then.
        for (;;) {
            DWORD type = 0, size = 0;
            if (::RegQueryValueExW(handle.get(), valueName.c_str(), nullptr, &type, nullptr,
                                   &size) != ERROR_SUCCESS)
                return std::nullopt;
            std::vector<BYTE> data(size);
            const LONG result = ::RegQueryValueExW(handle.get(), valueName.c_str(), nullptr, &type,
                                                   data.data(), &size);
            if (result == ERROR_MORE_DATA)
                continue;
            if (result != ERROR_SUCCESS)
                return std::nullopt;
            if (type == REG_DWORD && size == sizeof(DWORD)) {
                DWORD value = 0;
                std::memcpy(&value, data.data(), sizeof value);
                return static_cast<std::uint32_t>(value);
            }
            if (type != REG_SZ && type != REG_EXPAND_SZ)
                return std::nullopt;
            std::wstring text(size / sizeof(wchar_t), L'\0');
            std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
            // Stored data normally ends in one terminator, but nothing forces a writer to add it.
            if (!text.empty() && text.back() == L'\0')
                text.pop_back();
            return toUtf8(type == REG_EXPAND_SZ ? expanded(text) : text);
        }
    }

    void writeString(RootKey root, const std::string& key, const std::string& name,
                     const std::string& value) override
    {
        const std::wstring text = toWide(value);
        write(root, key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }

    void writeDword(RootKey root, const std::string& key, const std::string& name,
                    std::uint32_t value) override
    {
        const DWORD data = value;
        write(root, key, name, REG_DWORD, &data, sizeof data);
    }

    bool deleteValue(RootKey root, const std::string& key, const std::string& name) override
    {
        const UniqueKey handle = openKey(root, key, KEY_SET_VALUE);
        return handle && ::RegDeleteValueW(handle.get(), toWide(name).c_str()) == ERROR_SUCCESS;
    }

    bool deleteTree(RootKey root, const std::string& key) override
    {
        const std::wstring path = subkey(key);
        // An empty subkey would make RegDeleteTreeW empty the whole root key.
        if (path.empty())
            return false;
        return ::RegDeleteTreeW(rootHandle(root), path.c_str()) == ERROR_SUCCESS;
    }

private:
    static void write(RootKey root, const std::string& key, const std::string& name, DWORD type,
                      const void* data, std::size_t size)
    {
        const UniqueKey handle = openKey(root, key, KEY_SET_VALUE);
        if (!handle || ::RegSetValueExW(handle.get(), toWide(name).c_str(), 0, type,
                                        static_cast<const BYTE*>(data),
                                        static_cast<DWORD>(size)) != ERROR_SUCCESS)
            throw PlatformError("Failed to set data for '" + name + "'");
    }
};

} // namespace

std::unique_ptr<Registry> createRegistry() { return std::make_unique<Win32Registry>(); }

} // namespace platform
