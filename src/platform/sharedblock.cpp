#include "instance.h"

#include <atomic>
#include <stdexcept>

namespace platform {

// Other processes write the words at any time: each access is one atomic load or store.
std::uint32_t SharedBlock::readWord(std::size_t offset) const
{
    return std::atomic_ref<std::uint32_t>(word(offset)).load(std::memory_order_relaxed);
}

void SharedBlock::writeWord(std::size_t offset, std::uint32_t value)
{
    std::atomic_ref<std::uint32_t>(word(offset)).store(value, std::memory_order_relaxed);
}

std::uint32_t& SharedBlock::word(std::size_t offset) const
{
    if (offset % 4 != 0 || offset + 4 > size())
        throw std::out_of_range("shared block offset " + std::to_string(offset));
    return words()[offset / 4];
}

} // namespace platform
