#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// The predefined root keys, in the order of their documented names.
enum class RootKey {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    CurrentConfig,
    DynData,
};

// Looks a root key up by its name ("HKEY_CURRENT_USER", ...), ignoring case; nullopt for any
// other name.
std::optional<RootKey> rootKeyByName(std::string_view name);

// The canonical name of a root key ("HKEY_CURRENT_USER").
std::string_view rootKeyName(RootKey root);

// A value as read: REG_SZ text (UTF-8), REG_EXPAND_SZ text with its %variables% expanded, or a
// REG_DWORD.
using RegistryValue = std::variant<std::string, std::uint32_t>;

// The per-user registry. Key paths use "\" between levels; a leading or trailing "\" is ignored,
// so "\Software\X\" and "Software\X" name the same key. Key and value names compare without
// regard to case and keep the case they were created with. The empty value name is the key's
// default value.
class Registry {
public:
    virtual ~Registry() = default;

    // True when the key exists.
    virtual bool keyExists(RootKey root, const std::string& key) = 0;

    // Creates the key and every missing parent. Returns false when the key can not be created or
    // opened for writing.
    virtual bool createKey(RootKey root, const std::string& key) = 0;

    // The value, or nullopt when the key or the value is missing or the value is of another type.
    // An expandable string reads as text, its known %variables% replaced by their values.
    virtual std::optional<RegistryValue> readValue(RootKey root, const std::string& key,
                                                   const std::string& name) = 0;

    // Writes a REG_SZ / REG_DWORD value into an existing key. Throws PlatformError
    // "Failed to set data for '<name>'" when the key is missing or the write is refused.
    virtual void writeString(RootKey root, const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    virtual void writeDword(RootKey root, const std::string& key, const std::string& name,
                            std::uint32_t value) = 0;

    // Deletes one value. Returns false when it did not exist or could not be deleted.
    virtual bool deleteValue(RootKey root, const std::string& key, const std::string& name) = 0;

    // Deletes the key with all its subkeys and values. Returns false when it did not exist or
    // could not be deleted.
    virtual bool deleteTree(RootKey root, const std::string& key) = 0;
};

// The registry of this user. POSIX: the file named by $TAPESTRON_REGISTRY, else
// ${XDG_CONFIG_HOME:-~/.config}/tapestron/registry.reg, looked up once here.
std::unique_ptr<Registry> createRegistry();

} // namespace platform
