#include "platform/registry.h"

#include "desktop/desktopvalues.h"
#include "desktop/xdgentries.h"
#include "platform/errors.h"
#include "posixsupport.h"
#include "regfile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

namespace platform {

namespace {

using posix::equalsNoCase;
using posix::isWithin;
using posix::RegDocument;
using posix::RegSection;
using posix::RegValueEntry;
using KeyPath = std::vector<std::string>;

const KeyPath DesktopValuesKey = {"HKEY_CURRENT_USER", "Control Panel", "Desktop"};

KeyPath keyPath(RootKey root, const std::string& key)
{
    KeyPath path{std::string(rootKeyName(root))};
    std::size_t start = 0;
    while (start <= key.size()) {
        const std::size_t slash = std::min(key.find('\\', start), key.size());
        if (slash > start) // empty parts: the leading, trailing or doubled "\"
            path.push_back(key.substr(start, slash - start));
        start = slash + 1;
    }
    return path;
}

RegSection* findSection(RegDocument& document, const KeyPath& path)
{
    for (RegSection& section : document.sections)
        if (section.path.size() == path.size() && isWithin(section.path, path))
            return &section;
    return nullptr;
}

// A key exists when it has a section of its own or any subkey does: the file need not list
// every parent of a key.
bool keyExistsIn(const RegDocument& document, const KeyPath& path)
{
    if (path.size() == 1)
        return true; // a root key always exists
    for (const RegSection& section : document.sections)
        if (!section.path.empty() && isWithin(section.path, path))
            return true;
    return false;
}

// The path spelled as the existing keys spell it, so a key created as "software\x" under an
// existing "Software" keeps that name's case.
KeyPath storedSpelling(const RegDocument& document, KeyPath path)
{
    for (const RegSection& section : document.sections) {
        std::size_t same = 0;
        while (same < section.path.size() && same < path.size() &&
               equalsNoCase(section.path[same], path[same]))
            ++same;
        for (std::size_t i = 0; i < same; ++i)
            path[i] = section.path[i];
    }
    return path;
}

RegSection& sectionFor(RegDocument& document, const KeyPath& path)
{
    if (RegSection* section = findSection(document, path))
        return *section;
    RegSection section;
    section.path = storedSpelling(document, path);
    return document.sections.emplace_back(std::move(section));
}

enum class Change { None, Changed, Refused };

// A writer holds the lock for one read-modify-write, a few milliseconds. One that holds it far
// longer is stuck, and the caller's step must not stall with it: the call is refused instead.
constexpr auto LockPatience = std::chrono::seconds(2);

bool lockWithin(int fd, std::chrono::steady_clock::duration patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

class PosixRegistry final : public Registry {
public:
    explicit PosixRegistry(std::string path) : path_(std::move(path)) {}

    bool keyExists(RootKey root, const std::string& key) override
    {
        return keyExistsIn(load(), keyPath(root, key));
    }

    bool createKey(RootKey root, const std::string& key) override
    {
        const KeyPath path = keyPath(root, key);
        return modify(path, [&](RegDocument& document) {
            if (keyExistsIn(document, path))
                return Change::None;
            for (std::size_t length = 2; length <= path.size(); ++length) {
                const KeyPath level(path.begin(), path.begin() + static_cast<long>(length));
                if (!keyExistsIn(document, level))
                    sectionFor(document, level);
            }
            return Change::Changed;
        });
    }

    std::optional<RegistryValue> readValue(RootKey root, const std::string& key,
                                           const std::string& name) override
    {
        // On Windows the wallpaper value changes as soon as the user picks a picture of their own.
        if (equalsNoCase(name, "Wallpaper") && keyPath(root, key).size() == 3 &&
            isWithin(keyPath(root, key), DesktopValuesKey))
            posix::followLiveDesktop(*this);
        RegDocument document = load();
        const RegSection* section = findSection(document, keyPath(root, key));
        if (!section)
            return std::nullopt;
        for (const RegValueEntry& value : section->values) {
            if (!equalsNoCase(value.name, name))
                continue;
            switch (value.kind) {
            case RegValueEntry::Kind::String:
                return value.text;
            case RegValueEntry::Kind::ExpandString:
                return posix::expandEnvironmentStrings(value.text);
            case RegValueEntry::Kind::Dword:
                return value.dword;
            case RegValueEntry::Kind::Other:
                return std::nullopt; // a type the program never stores
            }
        }
        return std::nullopt;
    }

    void writeString(RootKey root, const std::string& key, const std::string& name,
                     const std::string& value) override
    {
        RegValueEntry entry;
        entry.name = name;
        entry.text = value;
        write(root, key, std::move(entry));
    }

    void writeDword(RootKey root, const std::string& key, const std::string& name,
                    std::uint32_t value) override
    {
        RegValueEntry entry;
        entry.name = name;
        entry.kind = RegValueEntry::Kind::Dword;
        entry.dword = value;
        write(root, key, std::move(entry));
    }

    bool deleteValue(RootKey root, const std::string& key, const std::string& name) override
    {
        const KeyPath path = keyPath(root, key);
        return modify(path, [&](RegDocument& document) {
            RegSection* section = findSection(document, path);
            if (!section)
                return Change::Refused;
            auto& values = section->values;
            for (auto it = values.begin(); it != values.end(); ++it)
                if (equalsNoCase(it->name, name)) {
                    values.erase(it);
                    return Change::Changed;
                }
            return Change::Refused;
        });
    }

    bool deleteTree(RootKey root, const std::string& key) override
    {
        const KeyPath path = keyPath(root, key);
        if (path.size() == 1)
            return false; // a root key can not be deleted
        return modify(path, [&](RegDocument& document) {
            auto& sections = document.sections;
            const auto old = sections.size();
            std::erase_if(sections, [&](const RegSection& section) {
                return !section.path.empty() && isWithin(section.path, path);
            });
            return sections.size() == old ? Change::Refused : Change::Changed;
        });
    }

private:
    // Every call reads the file again: another process, or another Registry object, may have
    // changed it. A missing or unreadable file is an empty registry.
    RegDocument load() const
    {
        const auto bytes = posix::readWholeFile(path_);
        return bytes ? posix::parseRegFile(*bytes) : RegDocument{};
    }

    void write(RootKey root, const std::string& key, RegValueEntry entry)
    {
        const KeyPath path = keyPath(root, key);
        const std::string name = entry.name;
        const bool done = modify(path, [&](RegDocument& document) {
            if (!keyExistsIn(document, path))
                return Change::Refused;
            RegSection& section = sectionFor(document, path);
            for (RegValueEntry& value : section.values) {
                if (!equalsNoCase(value.name, entry.name))
                    continue;
                if (value.kind == entry.kind && value.text == entry.text &&
                    value.dword == entry.dword)
                    return Change::None;
                entry.name = value.name; // an existing value keeps the case of its name
                value = std::move(entry);
                return Change::Changed;
            }
            section.values.push_back(std::move(entry));
            return Change::Changed;
        });
        if (!done)
            throw PlatformError("Failed to set data for '" + name + "'");
    }

    // Read-modify-write of key under an exclusive lock on a sibling lock file, so two writers
    // never lose each other's change. The lock file stays: removing it would let a third writer
    // lock a different file than the one a waiting writer holds. Returns false when the change
    // was refused or the file could not be written. What the desktop keeps of the registry (log-on
    // start, URL handlers) is brought in step after every attempt, changed or not, so an entry
    // removed by hand comes back, and one left behind goes, with the next write of its key.
    template <class Edit> bool modify(const KeyPath& key, Edit&& edit)
    {
        if (!posix::makeDirectories(posix::parentFolder(path_)))
            return false;
        posix::UniqueFd lock(::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (!lock)
            return false;
        if (!lockWithin(lock.get(), LockPatience))
            return false;
        if (!posix::existingFileWritable(path_))
            return false;
        auto bytes = posix::readWholeFile(path_);
        if (!bytes && errno != ENOENT)
            return false; // never overwrite a file that could not be read
        RegDocument document = bytes ? posix::parseRegFile(*bytes) : RegDocument{};
        const Change change = edit(document);
        if (change == Change::Changed &&
            !posix::replaceFileContents(path_, posix::formatRegFile(document)))
            return false;
        posix::mirrorRegistryChange(document, key);
        return change != Change::Refused;
    } // closing the lock file releases the lock

    std::string path_;
};

} // namespace

std::string posix::registryFilePath()
{
    if (const char* file = std::getenv("TAPESTRON_REGISTRY"); file && *file)
        return file;
    return userConfigHome() + "/tapestron/registry.reg";
}

std::unique_ptr<Registry> createRegistry()
{
    return std::make_unique<PosixRegistry>(posix::registryFilePath());
}

} // namespace platform
