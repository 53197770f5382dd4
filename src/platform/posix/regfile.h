#pragma once

// The registry kept in one text file in the format of a registry export (version 5.00):
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Control Panel\Desktop]
//   "Wallpaper"="C:\\x"
//   "EditFlags"=dword:00000002
//   @="default value"
//
// This part only turns text into a document and back; registry.cpp does the file handling.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

struct RegValueEntry {
    enum class Kind {
        String,       // REG_SZ: "text" or hex(1):
        ExpandString, // REG_EXPAND_SZ: hex(2):, text kept unexpanded
        Dword,        // dword:xxxxxxxx
        Other,        // any other type; kept as the raw text after "=" and written back unchanged
    };
    std::string name; // "" is the default value ("@")
    Kind kind = Kind::String;
    std::string text; // the string (UTF-8), or the raw data of Other
    std::uint32_t dword = 0;
};

struct RegSection {
    // The root's canonical name followed by the key names; empty for a section whose header
    // could not be read (an unknown root, a deletion entry "[-...]"), which is then kept as
    // rawHeader and is never addressed.
    std::vector<std::string> path;
    std::string rawHeader;
    std::vector<RegValueEntry> values;
    // Lines of the section that are not values we understand (comments, damaged lines): they
    // are kept and written back after the values, so a hand edit is never silently lost.
    std::vector<std::string> otherLines;
};

struct RegDocument {
    std::vector<std::string> preamble; // unreadable lines before the first section
    std::vector<RegSection> sections;  // in file order
};

// Reads the text of a registry file: UTF-8 (with or without a byte-order mark) or, as written by
// the system's own export, UTF-16LE with its mark; LF or CR LF line ends. Never fails: what
// can not be understood is kept aside as described above.
RegDocument parseRegFile(std::string_view bytes);

// The UTF-8 text of the document with CR LF line ends.
std::string formatRegFile(const RegDocument& document);

// True when prefix names path or one of its parents (root name first; names without regard to
// case).
bool isWithin(const std::vector<std::string>& path, const std::vector<std::string>& prefix);

// The registry file of this user: $TAPESTRON_REGISTRY if set, else
// ${XDG_CONFIG_HOME:-~/.config}/tapestron/registry.reg.
std::string registryFilePath();

} // namespace platform::posix
