#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Version resources built by hand, byte by byte, for the readers' tests: independent of the
// program's own encoder, so the two can not share a mistake.

using ByteVector = std::vector<std::uint8_t>;

// One VS_VERSIONINFO node: its key, its value as stored, and its children.
struct VersionNode {
    std::string key;
    ByteVector value;
    bool text = false; // wType 1: wValueLength counts UTF-16 units instead of bytes
    std::vector<VersionNode> children;
};

ByteVector encodeVersionNode(const VersionNode& node);

// Zero-terminated UTF-16LE of an ASCII text.
ByteVector utf16z(const std::string& ascii);

// The parts of a usual version resource.
struct VersionSample {
    std::uint32_t fileVersionMS = 0x00010002;
    std::uint32_t fileVersionLS = 0x00030004;
    std::uint32_t flagsMask = 0x3F;
    std::uint32_t flags = 0;
    std::uint32_t type = 1; // VFT_APP
    std::uint32_t subtype = 0;
    std::uint16_t language = 0x0409;
    std::uint16_t codePage = 0x04E4;
    std::string table = "040904E4";
    std::map<std::string, std::string> strings = {
        {"CompanyName", "Example Works"}, {"FileVersion", "1.2.3.4"}, {"ProductName", "Sample"}};
};

// The node tree of a usual resource, for cases that change one part of it before encoding.
VersionNode versionTree(const VersionSample& sample);
ByteVector versionBlock(const VersionSample& sample);

// A minimal 64-bit Windows program (no code) whose .rsrc section holds block under RT_VERSION,
// name 1, U.S. English; resourceType changes the type the block is filed under.
ByteVector peImage(const ByteVector& block, std::uint32_t resourceType = 16);

// File offsets inside the image peImage builds, for cases that damage it.
namespace peLayout {
inline constexpr std::size_t peHeader = 0x40;         // e_lfanew's target
inline constexpr std::size_t resourceSection = 0x200; // .rsrc raw data, RVA 0x1000
inline constexpr std::size_t typeEntry = 0x210;       // root directory's entry
inline constexpr std::size_t nameEntry = 0x228;       // type directory's entry
inline constexpr std::size_t languageEntry = 0x240;   // name directory's entry
inline constexpr std::size_t dataEntry = 0x248;       // IMAGE_RESOURCE_DATA_ENTRY
inline constexpr std::size_t block = 0x258;
} // namespace peLayout

// A minimal 64-bit ELF file with one section named sectionName holding contents.
ByteVector elfImage(const std::string& sectionName, const ByteVector& contents);

void putU16(ByteVector& bytes, std::size_t at, std::uint16_t value);
void putU32(ByteVector& bytes, std::size_t at, std::uint32_t value);
