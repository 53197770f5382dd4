#include "platform/instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using platform::createSharedBlock;
using platform::openSharedBlock;

namespace {

constexpr std::size_t Size = 64;

// Blocks are seen by every process of the user, so each case takes a name of its own.
std::string uniqueName(const std::string& label)
{
    static std::mt19937_64 random(std::random_device{}() ^
                                  std::chrono::steady_clock::now().time_since_epoch().count());
    return "Tapestron platform test " + label + " " + std::to_string(random());
}

TEST(SharedBlockTest, HoldersShareOneZeroFilledBlock)
{
    const std::string name = uniqueName("share");
    EXPECT_EQ(openSharedBlock(name, Size), nullptr);
    bool existed = true;
    auto first = createSharedBlock(name, Size, existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(first->size(), Size);
    for (std::size_t offset = 0; offset < Size; offset += 4)
        EXPECT_EQ(first->readWord(offset), 0u) << offset;

    first->writeWord(8, 0xDEADBEEF);
    auto second = createSharedBlock(name, Size, existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(second->readWord(8), 0xDEADBEEFu);
    auto opened = openSharedBlock(name, Size);
    ASSERT_TRUE(opened);
    opened->writeWord(Size - 4, 42);
    EXPECT_EQ(first->readWord(Size - 4), 42u);
}

TEST(SharedBlockTest, DifferentNamesAreDifferentBlocks)
{
    // Names derived from paths: long, with separators, colons, spaces and non-ASCII letters.
    const std::string base = uniqueName("C:/Program Files/Tap\xC3\xA9stron/" + std::string(120, 'x'));
    bool existed = true;
    auto one = createSharedBlock(base + "1", Size, existed);
    auto two = createSharedBlock(base + "2", Size, existed);
    EXPECT_FALSE(existed);
    one->writeWord(0, 1);
    two->writeWord(0, 2);
    EXPECT_EQ(one->readWord(0), 1u);
}

TEST(SharedBlockTest, TheBlockVanishesWithItsLastHolder)
{
    const std::string name = uniqueName("last holder");
    bool existed = true;
    auto creator = createSharedBlock(name, Size, existed);
    creator->writeWord(4, 7);
    auto other = openSharedBlock(name, Size);
    creator.reset();
    auto stillThere = openSharedBlock(name, Size);
    ASSERT_TRUE(stillThere);
    EXPECT_EQ(stillThere->readWord(4), 7u);

    other.reset();
    stillThere.reset();
    EXPECT_EQ(openSharedBlock(name, Size), nullptr);
    auto fresh = createSharedBlock(name, Size, existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(fresh->readWord(4), 0u);
}

#ifndef _WIN32
// Holders in other processes made with fork(), and their crash: POSIX matters.

struct Holder {
    pid_t pid = -1;
    int release = -1; // closing it lets the holder end
};

// A child that creates the block (which must be new), writes value at offset 0 and waits.
Holder startHolder(const std::string& name, std::uint32_t value)
{
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool existed = true;
        auto block = createSharedBlock(name, Size, existed);
        block->writeWord(0, value);
        const char state = existed ? 'E' : 'N';
        char ignored;
        ::close(release[1]);
        if (::write(ready[1], &state, 1) == 1)
            while (::read(release[0], &ignored, 1) > 0) {
            }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char state = 0;
    const bool started = ::read(ready[0], &state, 1) == 1 && state == 'N';
    ::close(ready[0]);
    return started ? Holder{pid, release[1]} : Holder{};
}

void kill(const Holder& holder)
{
    ::kill(holder.pid, SIGKILL);
    ::waitpid(holder.pid, nullptr, 0);
    ::close(holder.release);
}

TEST(SharedBlockTest, PosixHoldersInOtherProcessesAndTheirCrash)
{
    const std::string name = uniqueName("other process");
    Holder holder = startHolder(name, 0xC0FFEE);
    ASSERT_NE(holder.pid, -1);
    bool existed = false;
    auto block = createSharedBlock(name, Size, existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(block->readWord(0), 0xC0FFEEu);
    block.reset();

    // The killed holder's object is still there, but the block must count as new and empty.
    kill(holder);
    block = createSharedBlock(name, Size, existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(block->readWord(0), 0u);
    block.reset();

    holder = startHolder(name, 0xBAD);
    ASSERT_NE(holder.pid, -1);
    ASSERT_TRUE(openSharedBlock(name, Size)); // alive while the holder is
    kill(holder);
    EXPECT_EQ(openSharedBlock(name, Size), nullptr);
}
#endif

} // namespace
