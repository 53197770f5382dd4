#include "platform/versioninfo.h"

#include "win32support.h"

#include <string_view>

// The system's own version API. A block from GetFileVersionInfoW is the system's copy of the
// resource (with room it keeps for its own conversions), so only VerQueryValueW reads it.
namespace platform {

namespace {

// VerQueryValueW: the value at subBlock and its length (bytes, or characters for text).
bool query(std::span<const std::uint8_t> block, const wchar_t* subBlock, void*& value, UINT& length)
{
    if (block.empty())
        return false;
    return ::VerQueryValueW(block.data(), subBlock, &value, &length) != FALSE && value;
}

} // namespace

std::uint32_t fileVersionInfoSize(const std::string& path)
{
    DWORD ignored = 0;
    return ::GetFileVersionInfoSizeW(win32::toWide(path).c_str(), &ignored);
}

bool fileVersionInfo(const std::string& path, std::span<std::uint8_t> buffer)
{
    return ::GetFileVersionInfoW(win32::toWide(path).c_str(), 0, DWORD(buffer.size()),
                                 buffer.data()) != FALSE;
}

std::optional<FixedFileInfo> queryFixedFileInfo(std::span<const std::uint8_t> block)
{
    void* value = nullptr;
    UINT length = 0;
    if (!query(block, L"\\", value, length) || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    return FixedFileInfo{info->dwSignature,     info->dwStrucVersion,     info->dwFileVersionMS,
                         info->dwFileVersionLS, info->dwProductVersionMS, info->dwProductVersionLS,
                         info->dwFileFlagsMask, info->dwFileFlags,        info->dwFileOS,
                         info->dwFileType,      info->dwFileSubtype,      info->dwFileDateMS,
                         info->dwFileDateLS};
}

std::vector<Translation> queryTranslations(std::span<const std::uint8_t> block)
{
    std::vector<Translation> result;
    void* value = nullptr;
    UINT length = 0;
    if (query(block, L"\\VarFileInfo\\Translation", value, length)) {
        const auto* words = static_cast<const WORD*>(value);
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
            result.push_back({words[i], words[i + 1]});
    }
    return result;
}

std::optional<std::string> queryText(std::span<const std::uint8_t> block,
                                     const std::string& subBlock)
{
    void* value = nullptr;
    UINT length = 0;
    if (!query(block, win32::toWide(subBlock).c_str(), value, length))
        return std::nullopt;
    const std::wstring_view text(static_cast<const wchar_t*>(value), length);
    return win32::toUtf8(text.substr(0, text.find(L'\0')));
}

} // namespace platform
