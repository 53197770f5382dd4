#include "platform/versioninfo.h"
#include "platform/versionblock.h"

#include <algorithm>

// Without the system's version API the portable reader finds the block: in a PE file's resources,
// or in the section of an ELF file in which our own executable carries it.
namespace platform {

std::uint32_t fileVersionInfoSize(const std::string& path)
{
    return std::uint32_t(versionblock::fromFile(path).size());
}

bool fileVersionInfo(const std::string& path, std::span<std::uint8_t> buffer)
{
    const std::vector<std::uint8_t> block = versionblock::fromFile(path);
    if (block.empty())
        return false;
    std::copy_n(block.begin(), std::min(block.size(), buffer.size()), buffer.begin());
    return true;
}

std::optional<FixedFileInfo> queryFixedFileInfo(std::span<const std::uint8_t> block)
{
    return versionblock::fixedFileInfo(block);
}

std::vector<Translation> queryTranslations(std::span<const std::uint8_t> block)
{
    return versionblock::translations(block);
}

std::optional<std::string> queryText(std::span<const std::uint8_t> block,
                                     const std::string& subBlock)
{
    return versionblock::text(block, subBlock);
}

} // namespace platform
