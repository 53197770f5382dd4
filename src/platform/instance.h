#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A named block of memory shared by every process of this user that opens it by the same name.
// Like a mapping on the paging file it vanishes with its last holder: a holder that crashes never
// leaves the block behind. Reads and writes are plain, unlocked accesses.
class SharedBlock {
public:
    virtual ~SharedBlock() = default;
    virtual std::size_t size() const = 0;
    // The 32-bit word at byte offset (a multiple of 4 below size()); another offset throws
    // std::out_of_range.
    std::uint32_t readWord(std::size_t offset) const;
    void writeWord(std::size_t offset, std::uint32_t value);

protected:
    // The shared bytes, 4-byte aligned, size() of them.
    virtual std::uint32_t* words() const = 0;

private:
    std::uint32_t& word(std::size_t offset) const;
};

// Creates the named block of size bytes, zero-filled, or opens it when another holder has it;
// existed tells which. Throws PlatformError with the system's error text on failure.
std::unique_ptr<SharedBlock> createSharedBlock(const std::string& name, std::size_t size,
                                               bool& existed);

// Opens an existing block with full access; nullptr when there is none or access is refused.
std::unique_ptr<SharedBlock> openSharedBlock(const std::string& name, std::size_t size);

} // namespace platform
