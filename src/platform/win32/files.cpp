#include "platform/files.h"

#include "win32support.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <string>

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
    const std::wstring source = toWide(from);
    const std::wstring target = toWide(to);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(source.c_str(), target.c_str(), flags))
        return true;
    // The system refuses to replace a read-only file (a rename must ask for
    // FILE_RENAME_IGNORE_READONLY_ATTRIBUTE, which MoveFileExW does not); without the attribute it
    // may, and the attribute is put back when it still refuses.
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) !=
            FILE_ATTRIBUTE_READONLY ||
        !::SetFileAttributesW(target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
        ::SetLastError(error);
        return false;
    }
    if (::MoveFileExW(source.c_str(), target.c_str(), flags))
        return true;
    const DWORD again = ::GetLastError();
    ::SetFileAttributesW(target.c_str(), attributes);
    ::SetLastError(again);
    return false;
}

bool flushFileToDisk(const std::string& path)
{
    // FlushFileBuffers writes every cached byte of the file and needs a handle that may write
    // (https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-flushfilebuffers).
    const win32::UniqueHandle file = win32::adoptHandle(::CreateFileW(
        toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ::FlushFileBuffers(file.get()) != 0;
}

namespace {

// Removes a partial or unused copy, whatever attributes it was given.
void discardCopy(const std::wstring& path)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

} // namespace

int openRegularFileForReading(const std::string& path, bool* notRegular)
{
    if (notRegular)
        *notRegular = false;
    // A folder is refused by CreateFileW itself; a pipe or device answers to GetFileType. The
    // handle is not inherited, as no security attributes are given.
    const HANDLE handle = ::CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // The runtime's errno, as a descriptor's callers read it.
        const DWORD error = ::GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND     ? ENOENT
                : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                                                                                   : EIO;
        return -1;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        if (notRegular)
            *notRegular = true;
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        ::CloseHandle(handle);
    return fd;
}

bool copyFileReplacing(const std::string& from, const std::string& to)
{
    const std::wstring source = toWide(from);
    // What a killed copy to the same file left goes first.
    const std::size_t slash = to.find_last_of("\\/");
    if (slash != std::string::npos)
        removeStaleTemporaries(to.substr(0, slash), to.substr(slash + 1));
    std::string temporary;
    // A name that is taken (left by a process that was ended) is passed over, and left alone.
    for (int attempt = 0;; ++attempt) {
        temporary = temporaryFileName(to);
        if (::CopyFileW(source.c_str(), toWide(temporary).c_str(), TRUE))
            break;
        const DWORD error = ::GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!taken || attempt == 99) {
            if (!taken)
                discardCopy(toWide(temporary)); // a copy that failed half way
            ::SetLastError(error);
            return false;
        }
    }
    // CopyFileW gives the copy the source's attributes, and a read-only or hidden target would
    // refuse the next copy, so the copy is made a plain file like any new one
    // (https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-copyfilew).
    const std::wstring copy = toWide(temporary);
    const DWORD attributes = ::GetFileAttributesW(copy.c_str());
    const DWORD plain = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                            FILE_ATTRIBUTE_SYSTEM};
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !::SetFileAttributesW(copy.c_str(), plain ? plain : FILE_ATTRIBUTE_NORMAL) ||
        !moveFileReplacing(temporary, to)) {
        const DWORD error = ::GetLastError();
        discardCopy(copy);
        ::SetLastError(error);
        return false;
    }
    return true;
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
