#include "app/forms.h"
#include "fixtures.h"
#include "platform/errors.h"
#include "settings/settings.h"

#include <QCheckBox>

namespace {

const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A registry whose keys can never be opened for writing.
class LockedRegistry : public platform::Registry {
public:
    explicit LockedRegistry(std::unique_ptr<platform::Registry> inner) : inner_(std::move(inner)) {}
    bool keyExists(platform::RootKey r, const std::string& k) override { return inner_->keyExists(r, k); }
    bool createKey(platform::RootKey, const std::string&) override { return false; }
    std::optional<platform::RegistryValue> readValue(platform::RootKey r, const std::string& k,
                                                     const std::string& n) override
    {
        return inner_->readValue(r, k, n);
    }
    void writeString(platform::RootKey, const std::string&, const std::string& n,
                     const std::string&) override
    {
        throw platform::PlatformError("Failed to set data for '" + n + "'");
    }
    void writeDword(platform::RootKey, const std::string&, const std::string& n, std::uint32_t) override
    {
        throw platform::PlatformError("Failed to set data for '" + n + "'");
    }
    bool deleteValue(platform::RootKey, const std::string&, const std::string&) override { return false; }
    bool deleteTree(platform::RootKey, const std::string&) override { return false; }

private:
    std::unique_ptr<platform::Registry> inner_;
};

class RunAtStartupTest : public WindowsFixture {};

TEST_F(RunAtStartupTest, TheBoxWritesAndRemovesTheQuotedProgramPath)
{
    start();
    // First run: the box comes up checked and the entry is written at creation.
    const QString expected = QStringLiteral("\"%1tapestron\"").arg(programDir());
    EXPECT_EQ(regString(QString::fromStdString(RunKey), "Tapestron"), expected);

    TForm2& settings = *forms->Form2;
    settings.CheckBox1->setChecked(false);
    EXPECT_FALSE(system.registry->readValue(platform::RootKey::CurrentUser, RunKey, "Tapestron"));
    settings.CheckBox1->setChecked(true);
    EXPECT_EQ(regString(QString::fromStdString(RunKey), "Tapestron"), expected);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RunAtStartupTest, UncheckingWithoutAnEntryChangesNothingAndSaysNothing)
{
    writeFileBytes((userData() + "/settings.ini").toStdString(), "[General]\r\nRunAtStartup=0\r\n");
    start();
    EXPECT_FALSE(system.registry->keyExists(platform::RootKey::CurrentUser, RunKey));
    forms->Form2->CheckBox1Click();
    EXPECT_FALSE(system.registry->keyExists(platform::RootKey::CurrentUser, RunKey));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(RunAtStartupTest, AKeyThatCanNotBeOpenedIsReportedAndTheBoxKeepsItsState)
{
    system.registry = std::make_unique<LockedRegistry>(std::move(system.registry));
    start();
    EXPECT_TRUE(forms->Form2->CheckBox1->isChecked());
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.back(), "Setting can not be set: RunAtStartupSet");
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

} // namespace
