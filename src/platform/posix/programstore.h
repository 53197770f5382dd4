#pragma once

// An installed program's folder (/usr/lib/tapestron) may not be written by its users, yet the
// program keeps files there that it rewrites: the catalog, its backups, the plug-in list. As
// Windows does for a program that may not write its install folder, such writes go to a per-user
// copy, ${XDG_DATA_HOME:-~/.local/share}/tapestron/ followed by the path inside the program
// folder, and reads find that copy before the installed file. A program folder the user may write
// (a build tree) is used as it is.

#include <optional>
#include <string>

namespace platform::posix {

// The per-user copy of path when path lies in a program folder the user may not write; nullopt
// for every other path.
std::optional<std::string> storedCopyOf(const std::string& path);

// The file a read of path opens: its per-user copy when that exists, else path.
std::string pathForReading(const std::string& path);

// The file a write of path makes: its per-user copy, with the folders above that copy made,
// when path lies in a program folder the user may not write; else path.
std::string pathForWriting(const std::string& path);

} // namespace platform::posix
