#include "platform/hotkeys.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace platform;
using Presses = std::vector<std::pair<WindowHandle, int>>;

namespace {

// F13..F15: keys no desktop binds, so the cases do not collide with a real system's hotkeys.
constexpr std::uint32_t F13 = 0x7C, F14 = 0x7D, F15 = 0x7E;
constexpr std::uint32_t CtrlAlt = MOD_CONTROL | MOD_ALT;
constexpr std::uint32_t NoRepeat = 0x4000;

class HotkeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hotkeys->setHotKeyHandler(
            [this](WindowHandle window, int id) { presses.emplace_back(window, id); });
    }

    std::unique_ptr<GlobalHotkeys> hotkeys = createGlobalHotkeys();
    Presses presses;
};

TEST_F(HotkeysTest, AtomsAreCountedAndIgnoreCase)
{
    const std::uint16_t atom = hotkeys->addAtom("Tapestron Test Atom");
    ASSERT_GE(atom, 0xC000);
    EXPECT_EQ(hotkeys->addAtom("TAPESTRON test atom"), atom);
    EXPECT_NE(hotkeys->addAtom("Tapestron Test Atom 2"), atom);
    EXPECT_TRUE(hotkeys->deleteAtom(atom));
    EXPECT_TRUE(hotkeys->deleteAtom(atom)); // the second reference
    EXPECT_FALSE(hotkeys->deleteAtom(atom));

    EXPECT_EQ(hotkeys->addAtom("#123"), 123); // a number text is an integer atom
    EXPECT_TRUE(hotkeys->deleteAtom(123));
    EXPECT_EQ(hotkeys->addAtom("#49151"), 0xBFFF);
    EXPECT_EQ(hotkeys->addAtom("#0"), 0);
    EXPECT_EQ(hotkeys->addAtom("#49152"), 0); // the string atoms' range
    EXPECT_TRUE(hotkeys->deleteAtom(0));      // integer atoms, 0 included, are never counted
}

TEST_F(HotkeysTest, AtomTextsHaveLimits)
{
    EXPECT_EQ(hotkeys->addAtom(""), 0);
    EXPECT_EQ(hotkeys->addAtom(std::string(256, 'x')), 0);
    const std::uint16_t longest = hotkeys->addAtom(std::string(255, 'x'));
    EXPECT_GE(longest, 0xC000);
    EXPECT_TRUE(hotkeys->deleteAtom(longest));
    const std::uint16_t notANumber = hotkeys->addAtom("#12a");
    EXPECT_GE(notANumber, 0xC000);
    EXPECT_TRUE(hotkeys->deleteAtom(notANumber));
}

TEST_F(HotkeysTest, PressReachesTheHandlerWithWindowAndId)
{
    ASSERT_TRUE(hotkeys->registerHotKey(0x1234, 7, CtrlAlt, F13));
    ASSERT_TRUE(hotkeys->registerHotKey(0x1234, 8, CtrlAlt | NoRepeat, F14));
    EXPECT_TRUE(hotkeys->pressKey(CtrlAlt, F14));
    EXPECT_TRUE(hotkeys->pressKey(CtrlAlt, F13));
    EXPECT_FALSE(hotkeys->pressKey(MOD_CONTROL, F13)); // not the registered combination
    EXPECT_FALSE(hotkeys->pressKey(CtrlAlt, F15));
    EXPECT_EQ(presses, (Presses{{0x1234, 8}, {0x1234, 7}}));
}

TEST_F(HotkeysTest, ATakenCombinationIsRefusedUntilUnregistered)
{
    auto another = createGlobalHotkeys();
    ASSERT_TRUE(hotkeys->registerHotKey(0x1234, 1, CtrlAlt, F13));
    EXPECT_FALSE(hotkeys->registerHotKey(0x5678, 2, CtrlAlt, F13));
    EXPECT_FALSE(another->registerHotKey(0x5678, 2, CtrlAlt | NoRepeat, F13));
    EXPECT_FALSE(hotkeys->registerHotKey(0x1234, 1, MOD_SHIFT, F14)); // same window and id
    EXPECT_TRUE(another->registerHotKey(0x5678, 2, MOD_CONTROL | MOD_SHIFT, F13));

    EXPECT_TRUE(hotkeys->unregisterHotKey(0x1234, 1));
    EXPECT_FALSE(hotkeys->unregisterHotKey(0x1234, 1));
    EXPECT_FALSE(hotkeys->pressKey(CtrlAlt, F13));
    ASSERT_TRUE(another->registerHotKey(0x5678, 3, CtrlAlt, F13));
    EXPECT_TRUE(hotkeys->pressKey(CtrlAlt, F13)); // reaches the handler of its own object
    EXPECT_TRUE(presses.empty());
    EXPECT_TRUE(another->unregisterHotKey(0x5678, 2) && another->unregisterHotKey(0x5678, 3));
}

// The hotkeys of an object go with it, as a program's go when it ends.
TEST_F(HotkeysTest, ADestroyedObjectReleasesItsHotkeys)
{
    auto shortLived = createGlobalHotkeys();
    ASSERT_TRUE(shortLived->registerHotKey(0x1234, 5, CtrlAlt, F15));
    EXPECT_FALSE(hotkeys->registerHotKey(0x4321, 6, CtrlAlt, F15));
    shortLived.reset();
    EXPECT_FALSE(hotkeys->pressKey(CtrlAlt, F15));
    EXPECT_TRUE(hotkeys->registerHotKey(0x4321, 6, CtrlAlt, F15));
    EXPECT_TRUE(hotkeys->pressKey(CtrlAlt, F15));
    EXPECT_EQ(presses, (Presses{{0x4321, 6}}));
}

} // namespace
