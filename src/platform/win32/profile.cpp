#include "platform/profile.h"

#include "platform/errors.h"
#include "win32support.h"

#include <algorithm>

// The system's private-profile functions do the work. Their files are ANSI text: the wide
// functions turn what they write into the ANSI code page and what they read back out of it. So
// names and values go through that same code page here, which hands the file exactly the bytes
// the caller gave (UTF-8 included), while the file name, a real path, goes through UTF-16.
// https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-writeprivateprofilestringw
namespace platform {

namespace {

using win32::toWide;

std::wstring fromFileBytes(std::string_view bytes) { return toWide(bytes, CP_ACP); }
std::string toFileBytes(std::wstring_view wide) { return win32::toCodePage(wide, CP_ACP); }

// Calls read(buffer, size) with a growing buffer until the result fits: the functions report a
// cut result by returning size - reserve (1 for a string, 2 for a list of strings).
template <class Read> std::wstring readGrowing(DWORD reserve, Read&& read)
{
    std::wstring buffer(256, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = read(buffer.data(), size);
        if (length + reserve < size || size >= (1u << 26)) {
            buffer.resize(std::min(length, size));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// A list of strings, each ended by a null character.
std::vector<std::string> splitList(const std::wstring& list)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = std::min(list.find(L'\0', start), list.size());
        if (end > start)
            items.push_back(toFileBytes(std::wstring_view(list).substr(start, end - start)));
        start = end + 1;
    }
    return items;
}

bool fileMissing(const std::string& file)
{
    return ::GetFileAttributesW(toWide(file).c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool listed(const std::vector<std::string>& names, const std::string& name)
{
    const std::wstring wanted = fromFileBytes(name);
    return std::any_of(names.begin(), names.end(), [&](const std::string& listedName) {
        return ::CompareStringOrdinal(fromFileBytes(listedName).c_str(), -1, wanted.c_str(), -1,
                                      TRUE) == CSTR_EQUAL;
    });
}

// A write with a null value deletes the key, one with a null key the whole section. The system
// may report the deletion of something missing as a failure; that is no error for our callers,
// who only want it gone, so a failure counts only while the entry is still there.
void deleteEntry(const std::string& file, const std::string& section, const std::string* key)
{
    if (fileMissing(file))
        return;
    const std::wstring wideKey = key ? fromFileBytes(*key) : std::wstring();
    if (::WritePrivateProfileStringW(fromFileBytes(section).c_str(),
                                     key ? wideKey.c_str() : nullptr, nullptr,
                                     toWide(file).c_str()))
        return;
    const bool stillThere = key ? listed(getProfileSectionKeys(file, section), *key)
                                : listed(getProfileSectionNames(file), section);
    if (stillThere)
        throw PlatformError("Unable to write to " + file);
}

} // namespace

std::string getProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& fallback)
{
    const std::wstring wideFile = toWide(file), wideSection = fromFileBytes(section),
                       wideKey = fromFileBytes(key), wideFallback = fromFileBytes(fallback);
    return toFileBytes(readGrowing(1, [&](wchar_t* buffer, DWORD size) {
        return ::GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(),
                                          wideFallback.c_str(), buffer, size, wideFile.c_str());
    }));
}

std::vector<std::string> getProfileSectionKeys(const std::string& file, const std::string& section)
{
    const std::wstring wideFile = toWide(file), wideSection = fromFileBytes(section);
    return splitList(readGrowing(2, [&](wchar_t* buffer, DWORD size) {
        return ::GetPrivateProfileStringW(wideSection.c_str(), nullptr, L"", buffer, size,
                                          wideFile.c_str());
    }));
}

std::vector<std::string> getProfileSectionNames(const std::string& file)
{
    const std::wstring wideFile = toWide(file);
    return splitList(readGrowing(2, [&](wchar_t* buffer, DWORD size) {
        return ::GetPrivateProfileSectionNamesW(buffer, size, wideFile.c_str());
    }));
}

// The system keeps the file it last read parsed and answers from that, so asking it key by key
// is no new reading of the file.
struct ProfileReading::Contents {
    std::string file;
};

ProfileReading::ProfileReading(const std::string& file)
    : contents_(std::make_unique<Contents>(Contents{file}))
{
}

ProfileReading::~ProfileReading() = default;

std::string ProfileReading::getString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const
{
    return getProfileString(contents_->file, section, key, fallback);
}

std::vector<std::string> ProfileReading::sectionKeys(const std::string& section) const
{
    return getProfileSectionKeys(contents_->file, section);
}

std::vector<std::string> ProfileReading::sectionNames() const
{
    return getProfileSectionNames(contents_->file);
}

void writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value)
{
    if (!::WritePrivateProfileStringW(fromFileBytes(section).c_str(), fromFileBytes(key).c_str(),
                                      fromFileBytes(value).c_str(), toWide(file).c_str()))
        throw PlatformError("Unable to write to " + file);
}

void deleteProfileKey(const std::string& file, const std::string& section, const std::string& key)
{
    deleteEntry(file, section, &key);
}

void eraseProfileSection(const std::string& file, const std::string& section)
{
    deleteEntry(file, section, nullptr);
}

} // namespace platform
