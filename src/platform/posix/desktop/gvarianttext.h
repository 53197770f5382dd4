#pragma once

// Strings in GVariant's text form, the form gsettings reads and prints values in.

#include <optional>
#include <string>

namespace platform::posix {

// text as a GVariant string literal: single-quoted, with quotes, backslashes and control
// characters escaped, so the tool never falls back to reading it as unquoted text.
std::string gvariantQuoted(const std::string& text);

// The string of a printed GVariant string literal (either quote style, escapes undone); nullopt
// for anything else.
std::optional<std::string> gvariantString(const std::string& printed);

} // namespace platform::posix
