#include "platform/instance.h"

#include "platform/errors.h"
#include "win32support.h"

// A named mapping on the paging file: the system keeps it while any process has a handle to it
// and drops it with the last one, also when that process crashed.
// https://learn.microsoft.com/windows/win32/memory/creating-named-shared-memory
namespace platform {

namespace {

struct ViewCloser {
    void operator()(void* view) const { ::UnmapViewOfFile(view); }
};
using UniqueView = std::unique_ptr<void, ViewCloser>;

class MappedBlock final : public SharedBlock {
public:
    MappedBlock(win32::UniqueHandle mapping, UniqueView view, std::size_t size)
        : mapping_(std::move(mapping)), view_(std::move(view)), size_(size)
    {
    }

    std::size_t size() const override { return size_; }

protected:
    std::uint32_t* words() const override { return static_cast<std::uint32_t*>(view_.get()); }

private:
    win32::UniqueHandle mapping_; // declared first: the view goes before the mapping
    UniqueView view_;
    std::size_t size_;
};

// nullptr when the view can not be made (for instance a block smaller than size).
std::unique_ptr<SharedBlock> mapBlock(win32::UniqueHandle mapping, std::size_t size)
{
    UniqueView view(::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, size));
    if (!view)
        return nullptr;
    return std::make_unique<MappedBlock>(std::move(mapping), std::move(view), size);
}

} // namespace

std::unique_ptr<SharedBlock> createSharedBlock(const std::string& name, std::size_t size,
                                               bool& existed)
{
    const std::uint64_t size64 = size;
    win32::UniqueHandle mapping(::CreateFileMappingW(
        INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size64 >> 32),
        static_cast<DWORD>(size64), win32::toWide(name).c_str()));
    const DWORD error = ::GetLastError();
    if (!mapping)
        throw PlatformError(win32::errorText(error));
    existed = error == ERROR_ALREADY_EXISTS;
    auto block = mapBlock(std::move(mapping), size);
    if (!block)
        throw PlatformError(win32::errorText(::GetLastError()));
    return block;
}

std::unique_ptr<SharedBlock> openSharedBlock(const std::string& name, std::size_t size)
{
    win32::UniqueHandle mapping(
        ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, win32::toWide(name).c_str()));
    if (!mapping)
        return nullptr;
    return mapBlock(std::move(mapping), size);
}

} // namespace platform
