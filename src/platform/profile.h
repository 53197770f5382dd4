#pragma once

#include <memory>
#include <string>
#include <vector>

// The private-profile (INI) functions. Every call reads or writes the file itself: there is no
// cache, so a change made by another writer is seen by the next call. Names of sections and keys
// compare without regard to case; keys and values are trimmed; a value wrapped in a matching pair
// of quotes is read without them; the first of several equal sections or keys wins. Files are
// written with CR LF line ends; on reading, CR LF, LF and a lone CR each end a line. Paths and
// texts are UTF-8.
namespace platform {

// The value of key in section, or fallback when the file, the section or the key is missing (or
// the first line of that key has no "="). Like the system, trailing blanks of fallback are dropped
// and a quoted fallback loses its quotes.
std::string getProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& fallback);

// The names of the keys of section, in file order; empty when the file or section is missing.
// Lines without "=" are not listed.
std::vector<std::string> getProfileSectionKeys(const std::string& file, const std::string& section);

// The names of all sections, in file order; empty when the file is missing.
std::vector<std::string> getProfileSectionNames(const std::string& file);

// One reading of a file, for an operation that asks it many things: the answers are those the
// functions above would give at the moment it was made, without going through the whole file
// for each of them. Make a new one for each operation, so that another writer's change is seen.
class ProfileReading {
public:
    explicit ProfileReading(const std::string& file);
    ~ProfileReading();
    ProfileReading(const ProfileReading&) = delete;
    ProfileReading& operator=(const ProfileReading&) = delete;

    // As getProfileString, getProfileSectionKeys and getProfileSectionNames.
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& fallback) const;
    std::vector<std::string> sectionKeys(const std::string& section) const;
    std::vector<std::string> sectionNames() const;

private:
    struct Contents;
    std::unique_ptr<Contents> contents_;
};

// Sets key = value in section, creating the file, the section (at the end of the file) or the key
// (after the last key of its section) as needed. Throws PlatformError "Unable to write to <file>"
// when the file can not be written (for instance when its folder is missing).
void writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// Removes the key from its section. Throws PlatformError "Unable to write to <file>" on a refused
// write; a missing file, section or key is no error.
void deleteProfileKey(const std::string& file, const std::string& section, const std::string& key);

// Removes the whole section. Same failure rule as deleteProfileKey.
void eraseProfileSection(const std::string& file, const std::string& section);

} // namespace platform
