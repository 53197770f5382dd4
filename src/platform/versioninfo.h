#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Version resources: GetFileVersionInfoSize, GetFileVersionInfo and VerQueryValue. Paths and
// texts are UTF-8. None of these calls throws; missing or damaged resources read as "nothing".
namespace platform {

// VS_FIXEDFILEINFO, field for field.
struct FixedFileInfo {
    std::uint32_t signature = 0;
    std::uint32_t structVersion = 0;
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateMS = 0;
    std::uint32_t fileDateLS = 0;
};

// One entry of "\VarFileInfo\Translation": a language and a code page.
struct Translation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};

// GetFileVersionInfoSize: the size in bytes of the file's version block, 0 when it has none or
// can not be read.
std::uint32_t fileVersionInfoSize(const std::string& path);

// GetFileVersionInfo: reads the file's version block into buffer (sized by fileVersionInfoSize;
// a shorter buffer receives the block's beginning). False when the file has no version block.
bool fileVersionInfo(const std::string& path, std::span<std::uint8_t> buffer);

// VerQueryValue on a block read by fileVersionInfo: "\" gives the fixed file information
// (nullopt when missing), "\VarFileInfo\Translation" the translations (empty when missing), and
// a path "\StringFileInfo\<language><code page>\<name>" a text (nullopt when missing).
std::optional<FixedFileInfo> queryFixedFileInfo(std::span<const std::uint8_t> block);
std::vector<Translation> queryTranslations(std::span<const std::uint8_t> block);
std::optional<std::string> queryText(std::span<const std::uint8_t> block,
                                     const std::string& subBlock);

} // namespace platform
