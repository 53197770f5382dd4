#include "runatstartup.h"

#include "common/strings.h"

namespace {
const std::string RunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string ValueName = "Tapestron";

// The root is looked up by its name, as the entry has always been addressed.
std::optional<platform::RootKey> runRoot() { return platform::rootKeyByName("HKEY_CURRENT_USER"); }
} // namespace

bool writeRunAtStartup(platform::Registry& registry, const QString& executablePath)
{
    const auto root = runRoot();
    if (!root || !registry.createKey(*root, RunKey))
        return false;
    registry.writeString(*root, RunKey, ValueName, toStd(u'"' + executablePath + u'"'));
    return true;
}

void removeRunAtStartup(platform::Registry& registry)
{
    const auto root = runRoot();
    if (root && registry.keyExists(*root, RunKey) && registry.readValue(*root, RunKey, ValueName))
        registry.deleteValue(*root, RunKey, ValueName);
}
