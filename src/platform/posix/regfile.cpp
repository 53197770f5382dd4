#include "regfile.h"

#include "platform/registry.h"
#include "posixsupport.h"
#include "utf16.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace platform::posix {

namespace {

constexpr std::string_view Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view OldHeader = "REGEDIT4";

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = asciiLower(c);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// A quoted name or string starting at s[pos] == '"'. Only \\ and \" are escapes; any other
// backslash stands for itself, as the system's import reads it.
std::optional<std::string> readQuoted(std::string_view s, std::size_t& pos)
{
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"'))
            ++pos;
        out += s[pos];
    }
    return std::nullopt;
}

std::optional<std::string> readHexBytes(std::string_view list)
{
    std::string bytes;
    list = trimmed(list);
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view token = trimmed(list.substr(0, comma));
        if (token.empty() || token.size() > 2)
            return std::nullopt;
        int value = 0;
        for (char c : token) {
            if (hexDigit(c) < 0)
                return std::nullopt;
            value = value * 16 + hexDigit(c);
        }
        bytes += static_cast<char>(value);
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return bytes;
}

// The data part of a value line (after "="); nullopt when it is not one we can keep.
std::optional<RegValueEntry> readData(std::string_view data)
{
    RegValueEntry entry;
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        auto text = readQuoted(data, pos);
        if (!text || !trimmed(data.substr(pos)).empty())
            return std::nullopt;
        entry.text = std::move(*text);
        return entry;
    }
    if (startsWithNoCase(data, "dword:")) {
        const std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        for (char c : digits) {
            if (hexDigit(c) < 0)
                return std::nullopt;
            entry.dword = entry.dword * 16 + static_cast<std::uint32_t>(hexDigit(c));
        }
        entry.kind = RegValueEntry::Kind::Dword;
        return entry;
    }
    const bool expandable = startsWithNoCase(data, "hex(2):");
    if (expandable || startsWithNoCase(data, "hex(1):")) {
        auto bytes = readHexBytes(data.substr(7));
        if (!bytes)
            return std::nullopt;
        // The stored data carries its terminating null character; any before it are the text's.
        if (bytes->size() >= 2 && bytes->compare(bytes->size() - 2, 2, std::string(2, '\0')) == 0)
            bytes->resize(bytes->size() - 2);
        entry.kind = expandable ? RegValueEntry::Kind::ExpandString : RegValueEntry::Kind::String;
        entry.text = utf16leToUtf8(*bytes);
        return entry;
    }
    if (startsWithNoCase(data, "hex") && readHexBytes(data.substr(data.find(':') + 1))) {
        entry.kind = RegValueEntry::Kind::Other;
        entry.text = std::string(data);
        return entry;
    }
    return std::nullopt;
}

std::optional<RegSection> readHeader(std::string_view line)
{
    const std::size_t close = line.rfind(']');
    if (line.empty() || line.front() != '[' || close == std::string_view::npos)
        return std::nullopt;
    RegSection section;
    std::string_view inner = line.substr(1, close - 1);
    while (!inner.empty()) {
        const std::size_t slash = inner.find('\\');
        const std::string_view part = inner.substr(0, slash);
        if (!part.empty())
            section.path.emplace_back(part);
        if (slash == std::string_view::npos)
            break;
        inner.remove_prefix(slash + 1);
    }
    const auto root = section.path.empty() ? std::nullopt : rootKeyByName(section.path.front());
    if (root) {
        section.path.front() = std::string(rootKeyName(*root));
    } else {
        section.path.clear();
        section.rawHeader = std::string(line);
    }
    return section;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string foldedCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = asciiLower(c);
    return folded;
}

// The sections and values met so far, by their names without regard to case: a big file must
// not cost a search of everything read before for every line.
struct ParseIndex {
    std::unordered_map<std::string, std::size_t> sections; // folded path -> index
    // section index -> folded value name -> index
    std::unordered_map<std::size_t, std::unordered_map<std::string, std::size_t>> values;

    static std::string key(const std::vector<std::string>& path)
    {
        std::string joined;
        for (const std::string& part : path)
            joined += foldedCase(part) + '\\';
        return joined;
    }
};

void putValue(ParseIndex& index, RegDocument& document, RegSection& section, RegValueEntry entry)
{
    // A name given twice: the later line wins, as it would on import. A few values are searched
    // directly; a section with many gets an index of its own.
    constexpr std::size_t Searched = 16;
    auto& values = section.values;
    if (values.size() < Searched) {
        for (RegValueEntry& value : values)
            if (equalsNoCase(value.name, entry.name)) {
                value = std::move(entry);
                return;
            }
        values.push_back(std::move(entry));
        return;
    }
    auto& positions = index.values[static_cast<std::size_t>(&section - document.sections.data())];
    if (positions.empty())
        for (std::size_t i = 0; i < values.size(); ++i)
            positions.emplace(foldedCase(values[i].name), i);
    const auto [at, added] = positions.try_emplace(foldedCase(entry.name), values.size());
    if (added)
        values.push_back(std::move(entry));
    else
        values[at->second] = std::move(entry);
}

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string hexList(std::string line, std::string_view bytes)
{
    // Long data is wrapped as the system's export does: at most 80 characters a line, continued
    // with a backslash and an indent of two spaces.
    static constexpr char Digits[] = "0123456789abcdef";
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        if (line.size() - lineStart + (last ? 2 : 4) > 80) {
            line += "\\\r\n  ";
            lineStart = line.size() - 2;
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        line += Digits[b >> 4];
        line += Digits[b & 15];
        if (!last)
            line += ',';
    }
    return line;
}

std::string valueLine(const RegValueEntry& value)
{
    std::string line = value.name.empty() ? "@=" : quoted(value.name) + "=";
    switch (value.kind) {
    case RegValueEntry::Kind::Dword: {
        static constexpr char Digits[] = "0123456789abcdef";
        line += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            line += Digits[(value.dword >> shift) & 15];
        return line;
    }
    case RegValueEntry::Kind::Other:
        return line + value.text;
    case RegValueEntry::Kind::ExpandString:
        return hexList(line + "hex(2):", utf8ToUtf16le(value.text) + std::string(2, '\0'));
    case RegValueEntry::Kind::String:
        break;
    }
    for (char c : value.text)
        if (static_cast<unsigned char>(c) < 0x20) // line breaks and the like can not be quoted
            return hexList(line + "hex(1):", utf8ToUtf16le(value.text) + std::string(2, '\0'));
    return line + quoted(value.text);
}

} // namespace

RegDocument parseRegFile(std::string_view bytes)
{
    std::string converted;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        converted = utf16leToUtf8(bytes.substr(2));
        bytes = converted;
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }

    RegDocument document;
    ParseIndex index;
    RegSection* current = nullptr;
    const std::vector<std::string_view> lines = splitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = trimmed(lines[i]);
        if (line.empty() || ((line == Header || line == OldHeader) && !current))
            continue;
        auto& others = current ? current->otherLines : document.preamble;
        if (auto section = readHeader(line)) {
            current = nullptr;
            if (!section->path.empty()) {
                const auto [at, added] =
                    index.sections.try_emplace(ParseIndex::key(section->path), 0);
                if (!added)
                    current = &document.sections[at->second];
                else
                    at->second = document.sections.size();
            }
            if (!current)
                current = &document.sections.emplace_back(std::move(*section));
            continue;
        }

        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() == '"') {
            auto quotedName = readQuoted(line, pos);
            if (!quotedName) {
                others.emplace_back(line);
                continue;
            }
            name = std::move(*quotedName);
        }
        const std::string_view rest = trimmed(line.substr(pos));
        if (!current || current->path.empty() || pos == 0 || rest.empty() || rest.front() != '=') {
            others.emplace_back(line);
            continue;
        }
        std::string data(trimmed(rest.substr(1)));
        const std::size_t first = i;
        if (startsWithNoCase(data, "hex")) {
            // A damaged list that ends in "\\" must not swallow the blank line or the key after it.
            const auto continues = [&] {
                const std::string_view next = i + 1 < lines.size() ? trimmed(lines[i + 1]) : "";
                return !next.empty() && next.front() != '[';
            };
            while (!data.empty() && data.back() == '\\' && continues()) {
                data.pop_back();
                data += trimmed(lines[++i]);
            }
        }
        if (auto entry = readData(data)) {
            entry->name = std::move(name);
            putValue(index, document, *current, std::move(*entry));
        } else {
            std::string whole(line); // kept as written, continuation lines and all
            for (std::size_t k = first + 1; k <= i; ++k)
                whole += "\r\n" + std::string(lines[k]);
            others.push_back(std::move(whole));
        }
    }
    return document;
}

std::string formatRegFile(const RegDocument& document)
{
    std::string out = std::string(Header) + "\r\n\r\n";
    for (const std::string& line : document.preamble)
        out += line + "\r\n";
    if (!document.preamble.empty())
        out += "\r\n";
    for (const RegSection& section : document.sections) {
        if (section.path.empty()) {
            out += section.rawHeader;
        } else {
            out += '[';
            for (std::size_t i = 0; i < section.path.size(); ++i)
                out += (i ? "\\" : "") + section.path[i];
            out += ']';
        }
        out += "\r\n";
        for (const RegValueEntry& value : section.values)
            out += valueLine(value) + "\r\n";
        const std::vector<std::string>& kept = section.otherLines;
        for (std::size_t k = 0; k < kept.size(); ++k) {
            out += kept[k] + "\r\n";
            // A kept line that ends in "\\" would take the kept line written after it as the
            // rest of its list when read again; a blank line ends the list where it ended.
            if (kept[k].ends_with('\\') && k + 1 < kept.size())
                out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

bool isWithin(const std::vector<std::string>& path, const std::vector<std::string>& prefix)
{
    if (path.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!equalsNoCase(path[i], prefix[i]))
            return false;
    return true;
}

} // namespace platform::posix
