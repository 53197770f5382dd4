#include "platform/profile.h"

#include "platform/errors.h"
#include "posixsupport.h"
#include "programstore.h"

#include <cerrno>
#include <optional>
#include <string_view>
#include <unordered_map>

// The private-profile functions, read and written the way the system's own do it. The file is
// kept as lines: only the line a call changes is rewritten, so comments, blank lines and the
// spelling of untouched lines survive every write.
namespace platform {

namespace {

using posix::equalsNoCase;

// The system trims these around names and values: blanks, tabs, the other ASCII white space and
// ^Z (an old DOS end-of-file mark).
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

struct Line {
    enum class Kind {
        Blank,
        Comment,  // begins with ";"
        Section,  // "[name]"
        Value,    // "key=value"
        NoEquals, // any other text: it names a key that has no value
    };
    std::string text; // the line as in the file, without its line end
    Kind kind = Kind::Blank;
    std::string name;  // section or key name, trimmed
    std::string value; // trimmed, quotes still on
};

Line classify(std::string text)
{
    Line line;
    line.text = std::move(text);
    const std::string_view body = trimmed(line.text);
    if (body.empty())
        return line;
    if (body.front() == ';') {
        line.kind = Line::Kind::Comment;
        return line;
    }
    // A "[" without any "]" is no header: such a line is read as a key, as the system does.
    if (body.front() == '[') {
        const std::size_t close = body.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            line.name = trimmed(body.substr(1, close - 1));
            return line;
        }
    }
    const std::size_t equals = body.find('=');
    if (equals == std::string_view::npos) {
        line.kind = Line::Kind::NoEquals;
        line.name = body;
        return line;
    }
    line.kind = Line::Kind::Value;
    line.name = trimmed(body.substr(0, equals));
    line.value = trimmed(body.substr(equals + 1));
    return line;
}

struct IniDocument {
    std::string bom; // a UTF-8 byte-order mark is kept as it was
    std::vector<Line> lines;
};

IniDocument parse(std::string_view bytes)
{
    IniDocument document;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        document.bom = bytes.substr(0, 3);
        bytes.remove_prefix(3);
    }
    // A lone CR ends a line too, as the system reads it; written back, every line ends in CR LF.
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        document.lines.push_back(classify(std::string(bytes.substr(0, end))));
        if (end == std::string_view::npos)
            break;
        const bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        bytes.remove_prefix(end + (crLf ? 2 : 1));
    }
    return document;
}

// nullopt when the file can not be read; a missing file reads as an empty one.
std::optional<IniDocument> load(const std::string& file)
{
    const auto bytes = posix::readWholeFile(file);
    if (bytes)
        return parse(*bytes);
    if (errno == ENOENT || errno == ENOTDIR)
        return IniDocument{};
    return std::nullopt;
}

void save(const std::string& file, const IniDocument& document)
{
    std::string bytes = document.bom;
    for (const Line& line : document.lines)
        bytes += line.text + "\r\n";
    // Windows refuses to write a read-only file, so no rename may sneak past its permissions.
    const std::string target = posix::pathForWriting(file);
    if (!posix::existingFileWritable(target) || !posix::replaceFileContents(target, bytes))
        throw PlatformError("Unable to write to " + file);
}

struct SectionRange {
    std::size_t header; // index of the "[name]" line
    std::size_t end;    // one past its last line
};

// Only the first section of a name counts; later ones of the same name are never read or changed.
std::optional<SectionRange> findSection(const IniDocument& document, std::string_view section)
{
    const std::string_view wanted = trimmed(section);
    const auto& lines = document.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Kind::Section || !equalsNoCase(lines[i].name, wanted))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != Line::Kind::Section)
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::string foldedName(std::string_view name)
{
    std::string folded(trimmed(name));
    for (char& c : folded)
        c = posix::asciiLower(c);
    return folded;
}

// The first section of every name, found in one pass.
std::unordered_map<std::string, SectionRange> indexSections(const IniDocument& document)
{
    std::unordered_map<std::string, SectionRange> sections;
    SectionRange* open = nullptr;
    const auto& lines = document.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Kind::Section)
            continue;
        if (open)
            open->end = i;
        const auto [at, added] =
            sections.try_emplace(foldedName(lines[i].name), SectionRange{i, i});
        open = added ? &at->second : nullptr;
    }
    if (open)
        open->end = lines.size();
    return sections;
}

// The first line of the section naming key, with or without "="; an empty name names the first
// "=value" line, as the system reads it (though it never lists such a line as a key).
std::optional<std::size_t> findKey(const IniDocument& document, const SectionRange& range,
                                   std::string_view key)
{
    const std::string_view wanted = trimmed(key);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const Line& line = document.lines[i];
        if ((line.kind == Line::Kind::Value || line.kind == Line::Kind::NoEquals) &&
            equalsNoCase(line.name, wanted))
            return i;
    }
    return std::nullopt;
}

// A value wrapped in a matching pair of double or single quotes is returned without them.
std::string unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return std::string(value.substr(1, value.size() - 2));
    return std::string(value);
}

// The system drops trailing blanks of the fallback (all but its first character) and then
// treats it like a value read from the file.
std::string fallbackValue(std::string_view fallback)
{
    while (fallback.size() > 1 && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return unquoted(fallback);
}

} // namespace

struct ProfileReading::Contents {
    std::optional<IniDocument> document; // nullopt: the file could not be read
    std::unordered_map<std::string, SectionRange> sections;

    const SectionRange* find(std::string_view section) const
    {
        const auto at = sections.find(foldedName(section));
        return at == sections.end() ? nullptr : &at->second;
    }
};

ProfileReading::ProfileReading(const std::string& file) : contents_(std::make_unique<Contents>())
{
    contents_->document = load(file);
    if (contents_->document)
        contents_->sections = indexSections(*contents_->document);
}

ProfileReading::~ProfileReading() = default;

std::string ProfileReading::getString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const
{
    const SectionRange* range = contents_->find(section);
    if (!range)
        return fallbackValue(fallback);
    const IniDocument& document = *contents_->document;
    const auto index = findKey(document, *range, key);
    // The first line of that name decides, even when it has no "=" and a later one would.
    if (!index || document.lines[*index].kind != Line::Kind::Value)
        return fallbackValue(fallback);
    return unquoted(document.lines[*index].value);
}

std::vector<std::string> ProfileReading::sectionKeys(const std::string& section) const
{
    std::vector<std::string> keys;
    const SectionRange* range = contents_->find(section);
    if (!range)
        return keys;
    // Lines without "=" (and "=value" lines without a name) are not listed.
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const Line& line = contents_->document->lines[i];
        if (line.kind == Line::Kind::Value && !line.name.empty())
            keys.push_back(line.name);
    }
    return keys;
}

std::vector<std::string> ProfileReading::sectionNames() const
{
    std::vector<std::string> names;
    if (contents_->document)
        for (const Line& line : contents_->document->lines)
            if (line.kind == Line::Kind::Section && !line.name.empty())
                names.push_back(line.name);
    return names;
}

std::string getProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& fallback)
{
    return ProfileReading(file).getString(section, key, fallback);
}

std::vector<std::string> getProfileSectionKeys(const std::string& file, const std::string& section)
{
    return ProfileReading(file).sectionKeys(section);
}

std::vector<std::string> getProfileSectionNames(const std::string& file)
{
    return ProfileReading(file).sectionNames();
}

void writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value)
{
    auto document = load(file);
    if (!document)
        throw PlatformError("Unable to write to " + file);
    auto& lines = document->lines;
    const std::string sectionName(trimmed(section));
    const std::string keyName(trimmed(key));
    std::string_view newValue = value;
    while (!newValue.empty() && isBlank(newValue.front()))
        newValue.remove_prefix(1);

    const auto range = findSection(*document, sectionName);
    if (!range) {
        lines.push_back(classify("[" + sectionName + "]"));
        lines.push_back(classify(keyName + "=" + std::string(newValue)));
    } else if (const auto index = findKey(*document, *range, keyName)) {
        Line& line = lines[*index];
        if (line.kind == Line::Kind::Value && line.value == newValue)
            return; // nothing changes, so the file is left alone
        line = classify(line.name + "=" + std::string(newValue));
    } else {
        // After the last line of the section that is not blank, so blank lines that separate it
        // from the next section stay where they are.
        std::size_t at = range->end;
        while (at > range->header + 1 && lines[at - 1].kind == Line::Kind::Blank)
            --at;
        lines.insert(lines.begin() + static_cast<long>(at),
                     classify(keyName + "=" + std::string(newValue)));
    }
    save(file, *document);
}

void deleteProfileKey(const std::string& file, const std::string& section, const std::string& key)
{
    auto document = load(file);
    if (!document)
        throw PlatformError("Unable to write to " + file);
    const auto range = findSection(*document, section);
    const auto index = range ? findKey(*document, *range, key) : std::nullopt;
    if (!index)
        return;
    document->lines.erase(document->lines.begin() + static_cast<long>(*index));
    save(file, *document);
}

void eraseProfileSection(const std::string& file, const std::string& section)
{
    auto document = load(file);
    if (!document)
        throw PlatformError("Unable to write to " + file);
    const auto range = findSection(*document, section);
    if (!range)
        return;
    auto& lines = document->lines;
    lines.erase(lines.begin() + static_cast<long>(range->header),
                lines.begin() + static_cast<long>(range->end));
    save(file, *document);
}

} // namespace platform
