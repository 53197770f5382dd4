#pragma once

#include "versioninfo.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The version resource read without the system: a VS_VERSIONINFO block taken apart by its own
// layout, and found in a PE file's resources or in the ELF section in which our own executable
// carries it. Every function takes untrusted bytes: lengths and offsets that point outside the
// input give "nothing found", never a read beyond it.
namespace platform::versionblock {

// The ELF section that holds the version block of the POSIX build of the program.
inline constexpr const char* elfSectionName = ".tapestron.version";

// VerQueryValue(block, "\\"): the fixed file information, or nullopt when the root carries none
// or its signature is not 0xFEEF04BD.
std::optional<FixedFileInfo> fixedFileInfo(std::span<const std::uint8_t> block);

// VerQueryValue(block, "\\VarFileInfo\\Translation"); empty when missing.
std::vector<Translation> translations(std::span<const std::uint8_t> block);

// VerQueryValue(block, subBlock) for a text value such as
// "\\StringFileInfo\\040904E4\\FileVersion": the text up to its terminating zero (UTF-8), or
// nullopt when no such value exists. Keys match without regard to case, as in the system.
std::optional<std::string> text(std::span<const std::uint8_t> block, const std::string& subBlock);

// The version block of a PE image: the first name and first language of resource type
// RT_VERSION (16). Empty when there is none.
std::vector<std::uint8_t> fromPeImage(std::span<const std::uint8_t> image);

// The version block carried in the section elfSectionName of an ELF image (32 or 64 bit,
// little-endian). Empty when there is none.
std::vector<std::uint8_t> fromElfImage(std::span<const std::uint8_t> image);

// The version block of a file, PE or ELF. Empty when the file is missing, unreadable or carries
// none.
std::vector<std::uint8_t> fromFile(const std::string& path);

} // namespace platform::versionblock
