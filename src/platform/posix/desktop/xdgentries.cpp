#include "xdgentries.h"

#include "../posixsupport.h"
#include "session.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <string_view>
#include <unistd.h>

namespace platform::posix {

namespace {

const std::vector<std::string> RunKey = {"HKEY_CURRENT_USER", "Software",       "Microsoft",
                                         "Windows",           "CurrentVersion", "Run"};
constexpr char RunMarker[] = "X-Tapestron-Run";
constexpr char ClassMarker[] = "X-Tapestron-Class";
constexpr char DefaultsGroup[] = "[Default Applications]";

const RegSection* sectionOf(const RegDocument& document, const std::vector<std::string>& path)
{
    for (const RegSection& section : document.sections)
        if (section.path.size() == path.size() && isWithin(section.path, path))
            return &section;
    return nullptr;
}

const RegValueEntry* stringValue(const RegSection* section, const std::string& name)
{
    if (!section)
        return nullptr;
    for (const RegValueEntry& value : section->values)
        if (equalsNoCase(value.name, name) && value.kind == RegValueEntry::Kind::String)
            return &value;
    return nullptr;
}

// A name that is safe as a file name and a desktop entry id: lower-case letters, digits, "-",
// "_" and "."; anything else becomes "-".
std::string idOf(const std::string& name)
{
    std::string id;
    for (const char c : name) {
        const char low = asciiLower(c);
        const bool keep = (low >= 'a' && low <= 'z') || (low >= '0' && low <= '9') || low == '-' ||
                          low == '_' || (low == '.' && !id.empty());
        id += keep ? low : '-';
    }
    return id.empty() ? "-" : id;
}

// The value of key in the [Desktop Entry] group of an entry's text, unescaped only as far as the
// marker values need (they are written by us and hold no escapes); nullopt when missing.
std::optional<std::string> entryValue(const std::string& text, const std::string& key)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
        start = end + 1;
    }
    return std::nullopt;
}

// Writes the entry unless a file of someone else's has that name or it says so already.
void writeOwnEntry(const std::string& path, const std::string& marker, const std::string& text)
{
    const auto existing = readWholeFile(path);
    if (existing && (!entryValue(*existing, marker) || *existing == text))
        return;
    if (makeDirectories(parentFolder(path)))
        replaceFileContents(path, text);
}

// Removes the entries of the folder marked with marker whose marker value stale() names.
template <class Stale>
void removeOwnEntries(const std::string& folder, const std::string& marker, Stale&& isStale)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < 8 || name.compare(name.size() - 8, 8, ".desktop") != 0)
            continue;
        const auto text = readWholeFile(folder + "/" + name);
        const auto owner = text ? entryValue(*text, marker) : std::nullopt;
        if (owner && isStale(*owner))
            stale.push_back(folder + "/" + name);
    }
    ::closedir(dir);
    for (const std::string& path : stale)
        ::unlink(path.c_str());
}

// The Run key's string values, each an autostart entry named after the value.
void mirrorRun(const RegDocument& document)
{
    const std::string folder = userConfigHome() + "/autostart";
    std::vector<std::string> names;
    if (const RegSection* run = sectionOf(document, RunKey))
        for (const RegValueEntry& value : run->values) {
            if (value.kind != RegValueEntry::Kind::String || value.name.empty())
                continue;
            const auto exec = execFromCommandLine(value.text, "");
            if (!exec)
                continue;
            names.push_back(value.name);
            writeOwnEntry(
                folder + "/" + idOf(value.name) + ".desktop", RunMarker,
                "[Desktop Entry]\nType=Application\nName=" + escapeEntryValue(value.name) +
                    "\nExec=" + escapeEntryValue(*exec) + "\nTerminal=false\n" + RunMarker + "=" +
                    escapeEntryValue(value.name) + "\n");
        }
    removeOwnEntries(folder, RunMarker, [&](const std::string& owner) {
        for (const std::string& name : names)
            if (equalsNoCase(escapeEntryValue(name), owner))
                return false;
        return true;
    });
}

// mimeapps.list with the default handler of mimeType set to id, or (id empty) with our entry
// taken out of it; every other line stays as it was.
void setDefaultHandler(const std::string& mimeType, const std::string& id, const std::string& ours)
{
    const std::string path = userConfigHome() + "/mimeapps.list";
    const std::string text = readWholeFile(path).value_or("");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::string key = mimeType + "=";
    bool inDefaults = false;
    bool placed = false;
    std::size_t defaultsEnd = std::string::npos;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line[0] == '[') {
            inDefaults = line == DefaultsGroup;
            if (inDefaults)
                defaultsEnd = i + 1;
            continue;
        }
        if (!inDefaults)
            continue;
        if (line.rfind(key, 0) != 0) {
            if (!line.empty())
                defaultsEnd = i + 1;
            continue;
        }
        if (!id.empty()) {
            lines[i] = key + id + ";";
            placed = true;
        } else if (line == key + ours || line == key + ours + ";") {
            lines.erase(lines.begin() + static_cast<long>(i--));
        }
    }
    if (!id.empty() && !placed) {
        if (defaultsEnd == std::string::npos) {
            if (!lines.empty() && !lines.back().empty())
                lines.push_back("");
            lines.push_back(DefaultsGroup);
            defaultsEnd = lines.size();
        }
        lines.insert(lines.begin() + static_cast<long>(defaultsEnd), key + id + ";");
    }
    std::string result;
    for (const std::string& line : lines)
        result += line + "\n";
    if (result != text && makeDirectories(parentFolder(path)))
        replaceFileContents(path, result);
}

// One class below HKEY_CLASSES_ROOT: a URL protocol with an open command handles its scheme.
void mirrorClass(const RegDocument& document, const std::string& className)
{
    const std::vector<std::string> classKey = {"HKEY_CLASSES_ROOT", className};
    std::vector<std::string> commandKey = classKey;
    for (const char* level : {"shell", "open", "command"})
        commandKey.push_back(level);
    const RegSection* section = sectionOf(document, classKey);
    const RegValueEntry* command = stringValue(sectionOf(document, commandKey), "");
    const auto exec = command ? execFromCommandLine(command->text, "%u") : std::nullopt;
    const std::string scheme = idOf(className);
    const std::string id = "tapestron-url-" + scheme + ".desktop";
    const std::string folder = userDataHome() + "/applications";
    const std::string mimeType = "x-scheme-handler/" + scheme;
    if (!section || !stringValue(section, "URL Protocol") || !exec) {
        removeOwnEntries(folder, ClassMarker, [&](const std::string& owner) {
            return equalsNoCase(owner, escapeEntryValue(className));
        });
        setDefaultHandler(mimeType, "", id);
        return;
    }
    const RegValueEntry* description = stringValue(section, "");
    const std::string name =
        description && !description->text.empty() ? description->text : className;
    writeOwnEntry(folder + "/" + id, ClassMarker,
                  "[Desktop Entry]\nType=Application\nName=" + escapeEntryValue(name) +
                      "\nExec=" + escapeEntryValue(*exec) + "\nMimeType=" + mimeType +
                      ";\nNoDisplay=true\nTerminal=false\n" + ClassMarker + "=" +
                      escapeEntryValue(className) + "\n");
    setDefaultHandler(mimeType, id, id);
}

// Splits a Windows command line into its arguments: blanks separate them outside quotes; a
// double quote opens or closes a quoted part. Backslashes stay as they are (they are folder
// separators there).
std::optional<std::vector<std::string>> splitArguments(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool inArgument = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

// As splitArguments, except for a quoted program path: Windows file names hold no quotes, but
// ours may, so the program is the longest quoted start that names an existing file.
std::optional<std::vector<std::string>> splitCommandLine(const std::string& commandLine)
{
    std::size_t programEnd = 0;
    if (!commandLine.empty() && commandLine[0] == '"')
        for (std::size_t i = 1; i < commandLine.size(); ++i)
            if (commandLine[i] == '"' &&
                (i + 1 == commandLine.size() || commandLine[i + 1] == ' ') &&
                ::access(commandLine.substr(1, i - 1).c_str(), F_OK) == 0)
                programEnd = i;
    auto arguments = splitArguments(programEnd ? commandLine.substr(programEnd + 1) : commandLine);
    if (arguments && programEnd)
        arguments->insert(arguments->begin(), commandLine.substr(1, programEnd - 1));
    if (!arguments || arguments->empty())
        return std::nullopt;
    return arguments;
}

// The name by which the folders of PATH reach program, when one of them holds a link to that
// very file: an installed program is started through /usr/bin/tapestron, which stays right when
// an update moves the folder the link points into. program itself otherwise.
std::string launcherOf(const std::string& program)
{
    const char* path = std::getenv("PATH");
    const std::size_t slash = program.rfind('/');
    if (!path || slash == std::string::npos)
        return program;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(program.c_str(), nullptr),
                                                           &std::free);
    if (!real)
        return program;
    const std::string name = program.substr(slash);
    for (std::string_view folders = path; !folders.empty();) {
        const std::size_t end = std::min(folders.find(':'), folders.size());
        const std::string candidate = std::string(folders.substr(0, end)) + name;
        folders.remove_prefix(std::min(end + 1, folders.size()));
        if (candidate.front() != '/' || candidate == program)
            continue;
        const std::unique_ptr<char, decltype(&std::free)> found(
            ::realpath(candidate.c_str(), nullptr), &std::free);
        if (found && std::strcmp(found.get(), real.get()) == 0)
            return candidate;
    }
    return program;
}

} // namespace

std::optional<std::string> execFromCommandLine(const std::string& commandLine,
                                               const std::string& urlCode)
{
    auto arguments = splitCommandLine(commandLine);
    if (!arguments)
        return std::nullopt;
    arguments->front() = launcherOf(arguments->front());
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string exec;
    for (const std::string& argument : *arguments) {
        if (!exec.empty())
            exec += ' ';
        if (!urlCode.empty() && argument == "%1") {
            exec += urlCode;
            continue;
        }
        const bool quote =
            argument.empty() || argument.find_first_of(reserved) != std::string::npos;
        if (quote)
            exec += '"';
        for (const char c : argument) {
            if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
                exec += '\\';
            exec += c;
            if (c == '%')
                exec += '%';
        }
        if (quote)
            exec += '"';
    }
    return exec;
}

std::string escapeEntryValue(const std::string& value)
{
    std::string escaped;
    for (const char c : value) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += escaped.empty() && c == ' ' ? std::string("\\s") : std::string(1, c);
        }
    }
    return escaped;
}

void mirrorRegistryChange(const RegDocument& document, const std::vector<std::string>& key)
{
    if (sessionDesktop() == DesktopKind::None)
        return;
    if (isWithin(key, RunKey) || (isWithin(RunKey, key) && key.size() > 1))
        mirrorRun(document);
    if (key.size() >= 2 && equalsNoCase(key[0], "HKEY_CLASSES_ROOT"))
        mirrorClass(document, key[1]);
}

} // namespace platform::posix
