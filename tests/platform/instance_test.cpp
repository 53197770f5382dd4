#include "childprocess.h"
#include "helper.h"
#include "platform/instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

using platform::createSharedBlock;
using platform::openSharedBlock;

namespace {

constexpr std::size_t Size = HeldBlockSize;

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
    const std::string base =
        uniqueName("C:/Program Files/Tap\xC3\xA9stron/" + std::string(120, 'x'));
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

// Holders in other processes, and their crash.
TEST(SharedBlockTest, HoldersInOtherProcessesAndTheirCrash)
{
    const std::string name = uniqueName("other process");
    auto holder = std::make_unique<ChildProcess>(
        std::vector<std::string>{"block-hold", name, std::to_string(0xC0FFEE)});
    ASSERT_EQ(holder->readLine(), "new");
    bool existed = false;
    auto block = createSharedBlock(name, Size, existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(block->readWord(0), 0xC0FFEEu);
    block.reset();

    // Whatever the killed holder left behind, the block must count as new and empty.
    holder->kill();
    block = createSharedBlock(name, Size, existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(block->readWord(0), 0u);
    block.reset();

    holder = std::make_unique<ChildProcess>(
        std::vector<std::string>{"block-hold", name, std::to_string(0xBAD)});
    ASSERT_EQ(holder->readLine(), "new");
    ASSERT_TRUE(openSharedBlock(name, Size)); // alive while the holder is
    holder->kill();
    EXPECT_EQ(openSharedBlock(name, Size), nullptr);
}

TEST(SharedBlockTest, AHolderThatEndsNormallyTakesTheBlockAlong)
{
    const std::string name = uniqueName("normal end");
    ChildProcess holder({"block-hold", name, "5"});
    ASSERT_EQ(holder.readLine(), "new");
    auto opened = openSharedBlock(name, Size);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->readWord(0), 5u);
    opened.reset();
    holder.closeInput();
    EXPECT_EQ(holder.wait(), 0);
    EXPECT_EQ(openSharedBlock(name, Size), nullptr);
}

} // namespace
