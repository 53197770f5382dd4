#pragma once

#include "platform/registry.h"

#include <QString>

// The program's URL protocol and shell class under HKEY_CLASSES_ROOT, whose handler is the
// profile-opening plug-in.

// The class key, the description shown for it, and the command the shell runs for a link.
inline const QString ProtocolKey = QStringLiteral("TAPESTRON");
inline const QString ProtocolDescription = QStringLiteral("Tapestron Profile");
// The profile-opening plug-in's file name in the program's "plugins" folder: the protocol's
// command, the plug-in list and the plug-in info window all name it so.
inline const QString ShowOpenFileName = QStringLiteral("showopen.exe");

struct AppContext;

// The plug-in's command line: its path and the link each in double quotes, so that a program
// folder with blanks can not start another program and a link with blanks arrives whole.
QString showOpenCommand(const QString& pluginPath);

// Writes the class key with its description, "EditFlags" 2, "Source Filter" and "URL Protocol",
// and shell\open\command with command. Values of other names under the key stay. Throws
// PlatformError "Failed to set data for '<name>'" when a value can not be written.
void RegisterShellProtocol(platform::Registry& registry, const QString& key,
                           const QString& description, const QString& command);

// Deletes the class key with everything below it; a failure is ignored.
void RemoveShellProtocol(platform::Registry& registry, const QString& key);

// The program's own class, with the profile-opening plug-in of the program's folder as its
// handler. Throws as RegisterShellProtocol does.
void RegisterShowOpenProtocol(platform::Registry& registry, const AppContext& context);
