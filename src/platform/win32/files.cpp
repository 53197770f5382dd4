#include "platform/files.h"

#include "win32support.h"

namespace platform {

using win32::toWide;

char pathSeparator() { return '\\'; }

bool fileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createDirectory(const std::string& path)
{
    return ::CreateDirectoryW(toWide(path).c_str(), nullptr) != 0;
}

bool deleteFile(const std::string& path) { return ::DeleteFileW(toWide(path).c_str()) != 0; }

// MoveFileW never replaces an existing target.
bool moveFileNoReplace(const std::string& from, const std::string& to)
{
    return ::MoveFileW(toWide(from).c_str(), toWide(to).c_str()) != 0;
}

bool moveFileReplacing(const std::string& from, const std::string& to)
{
    return ::MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool copyFileContents(const std::string& from, const std::string& to)
{
    return ::CopyFileW(toWide(from).c_str(), toWide(to).c_str(), FALSE) != 0;
}

std::vector<FoundFile> findFiles(const std::string& folder, const std::string& mask)
{
    std::vector<FoundFile> found;
    if (mask.empty())
        return found;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/')
        pattern += '\\';
    pattern += mask;
    WIN32_FIND_DATAW data{};
    const HANDLE first = ::FindFirstFileW(toWide(pattern).c_str(), &data);
    if (first == INVALID_HANDLE_VALUE)
        return found;
    const win32::UniqueFind search(first);
    do {
        const bool folderEntry = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const std::uint64_t size =
            folderEntry ? 0 : (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        found.push_back(FoundFile{win32::toUtf8(data.cFileName), data.dwFileAttributes, size});
    } while (::FindNextFileW(search.get(), &data));
    return found;
}

} // namespace platform
