#include "sessionbus.h"

#include "common/paths.h"
#include "common/strings.h"
#include "platform/system.h"
#include "wallpaper/original.h"

#include <cctype>
#include <filesystem>
#include <wordexp.h>

namespace {

using Call = std::vector<std::string>;

// Desktops driven through a command-line tool: recording stand-ins for the tools come first on
// PATH.
class ToolDesktopTest : public RealDesktopTest {
protected:
    explicit ToolDesktopTest(const std::string& kind)
        : RealDesktopTest(kind), config_("XDG_CONFIG_HOME", root.file("config")),
          path_("PATH", bin_.path() + ":" + platform::environmentVariable("PATH").value_or(""))
    {
        for (const char* tool : {"pcmanfm-qt", "swaymsg"})
            install(tool, "printf '%s\\0' \"$@\" >> '" + bin_.file("calls") +
                              "'\n"
                              "printf '\\n' >> '" +
                              bin_.file("calls") + "'\n");
    }

    void install(const std::string& tool, const std::string& body)
    {
        const std::string path = bin_.file(tool);
        writeFileBytes(path, "#!/bin/sh\n" + body);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    // The tools' calls, each its arguments, in order.
    std::vector<Call> calls() const
    {
        std::vector<Call> all;
        if (!std::filesystem::exists(bin_.file("calls")))
            return all;
        const std::string text = readFileBytes(bin_.file("calls"));
        Call call;
        std::string argument;
        for (const char c : text) {
            if (c == '\0') {
                call.push_back(argument);
                argument.clear();
            } else if (c == '\n') {
                all.push_back(call);
                call.clear();
            } else {
                argument += c;
            }
        }
        return all;
    }
    Call lastCall() const
    {
        const auto all = calls();
        return all.empty() ? Call() : all.back();
    }

    TempDir bin_;
    ScopedEnv config_;
    ScopedEnv path_;
};

class LxqtDesktopTest : public ToolDesktopTest {
protected:
    LxqtDesktopTest() : ToolDesktopTest("lxqt") {}
};

TEST_F(LxqtDesktopTest, EachChangeGivesTheFileManagerTheCopyAndItsMode)
{
    const std::string folder = useAwkwardAppData();
    startDesktop();
    writeFileBytes(toStd(currentBitmapPath()), "first");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeTiled, 0, 0);
    Call call = lastCall();
    ASSERT_EQ(call.size(), 4u);
    EXPECT_EQ(call[0], "--set-wallpaper");
    EXPECT_EQ(call[1].rfind(folder + "/Tapestron/.current-", 0), 0u) << call[1];
    EXPECT_EQ(readFileBytes(call[1]), "first");
    EXPECT_EQ((Call{call[2], call[3]}), (Call{"--wallpaper-mode", "tile"}));

    writeFileBytes(toStd(currentBitmapPath()), "second");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeStretched, 0, 0);
    const std::string first = call[1];
    call = lastCall();
    ASSERT_EQ(call.size(), 4u);
    EXPECT_NE(call[1], first);
    EXPECT_EQ(readFileBytes(call[1]), "second");
    EXPECT_EQ(call[3], "stretch");

    const std::size_t before = calls().size();
    ApplyBackgroundColour(system, QColor(16, 32, 48)); // no colour on its command line
    EXPECT_EQ(calls().size(), before);

    WriteDesktopWallpaperValues(system, "", "0", 0, 0, 0);
    EXPECT_EQ(lastCall(), (Call{"--wallpaper-mode", "color"}));
}

TEST_F(LxqtDesktopTest, AFirstStartSeedsTheRegistryFromTheFileManagersSettings)
{
    const std::string lake = userPicture("lake, 'it's' \"x\" \xC3\xA9.bmp", "lake");
    std::string stored = "\"";
    for (const char c : lake)
        stored += c == '"' ? std::string("\\\"") : std::string(1, c);
    std::filesystem::create_directories(root.file("config/pcmanfm-qt/lxqt"));
    writeFileBytes(root.file("config/pcmanfm-qt/lxqt/settings.conf"),
                   "[System]\nWallpaper=/elsewhere.png\n\n[Desktop]\nBgColor=#102030\nWallpaper=" +
                       stored + "\"\nWallpaperMode=fit\n");
    startDesktop();
    EXPECT_EQ(registryWallpaper(), (QStringList{fromStd(lake), "0", "6", "16 32 48"}));
}

class SwayDesktopTest : public ToolDesktopTest {
protected:
    SwayDesktopTest() : ToolDesktopTest("sway") {}

    // True when sway's command splitting reads word as one word of one command, with no
    // variable in it, and leaves its quotes for the expansion (it strips a leading quote's).
    static bool swayKeepsOneWord(const std::string& word)
    {
        if (word.empty() || word[0] == '"' || word[0] == '\'')
            return false;
        bool inDouble = false;
        bool inSingle = false;
        bool escaped = false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char c = word[i];
            const bool quoted = inDouble || inSingle || escaped;
            if (c == '$' && (i == 0 || word[i - 1] != '\\'))
                return false;
            if (!quoted && (c == ';' || c == ',' || std::isspace(static_cast<unsigned char>(c))))
                return false;
            if (c == '"' && !inSingle && !escaped)
                inDouble = !inDouble;
            else if (c == '\'' && !inDouble && !escaped)
                inSingle = !inSingle;
            escaped = c == '\\' ? !escaped : false;
        }
        return !inDouble && !inSingle && !escaped;
    }
    // What sway's bg makes of the word: the shell's expansion, here without command substitution
    // (an attempt at one fails instead of running).
    static std::vector<std::string> expanded(const std::string& word)
    {
        wordexp_t words{};
        std::vector<std::string> result;
        if (::wordexp(word.c_str(), &words, WRDE_NOCMD | WRDE_UNDEF) == 0)
            result.assign(words.we_wordv, words.we_wordv + words.we_wordc);
        ::wordfree(&words);
        return result;
    }
};

TEST_F(SwayDesktopTest, EachChangeGivesEveryOutputTheCopyQuotedForSwaysParser)
{
    const std::string folder = useAwkwardAppData();
    startDesktop();
    writeFileBytes(toStd(currentBitmapPath()), "first");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeCentered, 0, 0);
    Call call = lastCall();
    ASSERT_EQ(call.size(), 6u);
    EXPECT_EQ((Call{call[0], call[1], call[2], call[4], call[5]}),
              (Call{"output", "*", "bg", "center", "#000000"}));
    EXPECT_TRUE(swayKeepsOneWord(call[3])) << call[3];
    const auto paths = expanded(call[3]);
    ASSERT_EQ(paths.size(), 1u) << call[3];
    EXPECT_EQ(paths[0].rfind(folder + "/Tapestron/.current-", 0), 0u) << paths[0];
    EXPECT_EQ(readFileBytes(paths[0]), "first");

    // The colour goes with the picture shown.
    ApplyBackgroundColour(system, QColor(16, 32, 48));
    EXPECT_EQ(lastCall(), (Call{"output", "*", "bg", call[3], "center", "#102030"}));

    writeFileBytes(toStd(currentBitmapPath()), "second");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeStretched, 0, 0);
    const Call next = lastCall();
    ASSERT_EQ(next.size(), 6u);
    EXPECT_NE(next[3], call[3]);
    EXPECT_EQ(next[4], "stretch");
    EXPECT_EQ(readFileBytes(expanded(next[3]).at(0)), "second");

    WriteDesktopWallpaperValues(system, "", "0", 0, 0, 0);
    EXPECT_EQ(lastCall(), (Call{"output", "*", "bg", "#102030", "solid_color"}));
}

struct Tool {
    const char* kind;
    const char* program;
};

void PrintTo(const Tool& value, std::ostream* out) { *out << value.kind; }

class BrokenToolDesktopTest : public ToolDesktopTest, public ::testing::WithParamInterface<Tool> {
protected:
    BrokenToolDesktopTest() : ToolDesktopTest(GetParam().kind) {}
};

TEST_P(BrokenToolDesktopTest, AToolThatIsMissingOrHangsRefusesTheChange)
{
    startDesktop();
    {
        ScopedEnv nothing("PATH", root.file("scratch"));
        EXPECT_FALSE(reloadCurrent("first", ModeCentered));
    }
    install(GetParam().program, "exec sleep 30\n");
    bool shown = true;
    EXPECT_LT(timed([&] { shown = reloadCurrent("second", ModeCentered); }).count(), 2500);
    EXPECT_FALSE(shown);
}

INSTANTIATE_TEST_SUITE_P(Tools, BrokenToolDesktopTest,
                         ::testing::Values(Tool{"lxqt", "pcmanfm-qt"}, Tool{"sway", "swaymsg"}),
                         [](const ::testing::TestParamInfo<Tool>& info) {
                             return std::string(info.param.kind);
                         });

} // namespace
