#include "protocol.h"

#include "common/context.h"
#include "common/strings.h"

namespace {
const platform::RootKey ClassesRoot = platform::RootKey::ClassesRoot;
} // namespace

QString showOpenCommand(const QString& pluginPath)
{
    return u'"' + pluginPath + QStringLiteral("\" \"%1\"");
}

void RegisterShellProtocol(platform::Registry& registry, const QString& key,
                           const QString& description, const QString& command)
{
    const std::string classKey = toStd(key);
    const std::string commandKey = classKey + "\\shell\\open\\command";
    // A key that can not be created shows in the first write that needs it.
    registry.createKey(ClassesRoot, classKey);
    registry.writeString(ClassesRoot, classKey, "",
                         toStd(QStringLiteral("URL:%1 (%2)").arg(key, description)));
    registry.writeDword(ClassesRoot, classKey, "EditFlags", 2);
    registry.writeString(ClassesRoot, classKey, "Source Filter", "");
    registry.writeString(ClassesRoot, classKey, "URL Protocol", "");
    registry.createKey(ClassesRoot, commandKey);
    registry.writeString(ClassesRoot, commandKey, "", toStd(command));
}

void RemoveShellProtocol(platform::Registry& registry, const QString& key)
{
    registry.deleteTree(ClassesRoot, toStd(key));
}

void RegisterShowOpenProtocol(platform::Registry& registry, const AppContext& context)
{
    RegisterShellProtocol(
        registry, ProtocolKey, ProtocolDescription,
        showOpenCommand(context.programPath(QStringLiteral("plugins/") + ShowOpenFileName)));
}
