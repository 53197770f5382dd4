#pragma once

// What the registry says about starting programs, kept where the Linux desktop looks: the
// values of the Run key as XDG autostart entries, and URL protocol classes as desktop entries
// that handle their scheme, made the default in mimeapps.list. Entries are marked as the
// program's own; files and lines of anyone else are never touched.

#include "../regfile.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::posix {

// After a change of key (root name first, then the key names) in the registry that now reads as
// document: brings the desktop's entries in step when key is the Run key or a class below
// HKEY_CLASSES_ROOT. Does nothing without a desktop session; failures are not reported (the
// registry stays the program's record).
void mirrorRegistryChange(const RegDocument& document, const std::vector<std::string>& key);

// A Windows command line ("C:\x.exe" "%1") as the Exec value of a desktop entry: the program
// named by its link on PATH where it has one (/usr/bin/tapestron), each argument quoted where
// the desktop entry rules ask it, "%" doubled, and an argument that is exactly "%1" turned into
// the field code urlCode (for example "%u"); nullopt when the command line is empty or holds an
// unclosed quote.
std::optional<std::string> execFromCommandLine(const std::string& commandLine,
                                               const std::string& urlCode);

// A desktop entry string value with its escapes (\\, \n, \t, \r, a leading \s).
std::string escapeEntryValue(const std::string& value);

} // namespace platform::posix
