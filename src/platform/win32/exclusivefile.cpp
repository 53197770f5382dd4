#include "platform/files.h"

#include "win32support.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

namespace platform {

namespace {

class Win32ExclusiveFile final : public ExclusiveFile {
public:
    explicit Win32ExclusiveFile(win32::UniqueHandle handle) : handle_(std::move(handle)) {}

    bool write(const char* data, std::size_t size) override
    {
        constexpr std::size_t largest = std::numeric_limits<DWORD>::max();
        while (size > 0) {
            DWORD written = 0;
            if (!::WriteFile(handle_.get(), data, static_cast<DWORD>(std::min(size, largest)),
                             &written, nullptr) ||
                written == 0)
                return false;
            data += written;
            size -= written;
        }
        return true;
    }

private:
    win32::UniqueHandle handle_;
};

} // namespace

std::unique_ptr<ExclusiveFile> createExclusiveFile(const std::string& path)
{
    const std::wstring wide = win32::toWide(path);
    // Windows refuses a read-only file by itself; Wine running as root would not, so ask first.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return nullptr;
    // Share mode 0: while this handle lives nobody else opens the file, and a handle someone else
    // holds makes the call fail before anything is truncated.
    // https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-createfilew
    win32::UniqueHandle handle = win32::adoptHandle(::CreateFileW(
        wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return nullptr;
    return std::make_unique<Win32ExclusiveFile>(std::move(handle));
}

} // namespace platform
