#pragma once

#include <string>

// Stores an expandable string (REG_EXPAND_SZ) the way another program would, since the program
// itself writes none: HKEY_CURRENT_USER\<key>, which must exist, gets <name> = value, unexpanded.
// On POSIX it goes into the registry file as the export format writes it (hex(2)). False when it
// could not be stored. One file per system implements it.
bool writeExpandableString(const std::string& key, const std::string& name,
                           const std::string& value);
