#include "common/shortcut.h"
#include "platform/hotkeys.h"

#include <gtest/gtest.h>

namespace {

TEST(Shortcut, TextBothWays)
{
    const Shortcut ctrlAltR{'R', false, true, true};
    EXPECT_EQ(shortcutToText(ctrlAltR), QStringLiteral("Ctrl+Alt+R"));
    EXPECT_EQ(textToShortcut(QStringLiteral("Ctrl+Alt+R")), ctrlAltR);
    EXPECT_EQ(shortcutToText({0x74, true, true, true}), QStringLiteral("Shift+Ctrl+Alt+F5"));
    EXPECT_EQ(shortcutToText({0x21, false, false, false}), QStringLiteral("PgUp"));
    EXPECT_EQ(shortcutToText({'7', false, false, true}), QStringLiteral("Alt+7"));
    for (const char* text : {"Alt+R", "Ctrl+F12", "Shift+Space", "Alt+Enter", "Ctrl+Del", "Home"})
        EXPECT_EQ(shortcutToText(textToShortcut(QString::fromLatin1(text))),
                  QString::fromLatin1(text));
}

TEST(Shortcut, ParsingIgnoresCaseAndPrefixOrder)
{
    EXPECT_EQ(textToShortcut(QStringLiteral("alt+ctrl+r")), (Shortcut{'R', false, true, true}));
    EXPECT_EQ(textToShortcut(QStringLiteral("ALT+pgdn")), (Shortcut{0x22, false, false, true}));
}

TEST(Shortcut, TextThatDoesNotParseGivesNoShortcut)
{
    for (const char* text : {"", "Alt+", "Alt+RR", "Win+R", "Alt+F13", "Alt+R ", "+R"})
        EXPECT_TRUE(textToShortcut(QString::fromLatin1(text)).isEmpty()) << text;
    EXPECT_EQ(shortcutToText({}), QString());
    EXPECT_EQ(shortcutToText({0xE7, false, false, true}), QString()); // a key without a name
}

TEST(Shortcut, ModifierFlags)
{
    EXPECT_EQ(hotKeyModifiers({'R', true, true, true}),
              platform::MOD_SHIFT | platform::MOD_CONTROL | platform::MOD_ALT);
    EXPECT_EQ(hotKeyModifiers({'R', false, false, true}), platform::MOD_ALT);
    EXPECT_EQ(hotKeyModifiers({'R', false, false, false}), 0u);
}

} // namespace
