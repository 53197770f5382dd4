#include "app/forms.h"
#include "fixtures.h"
#include "settings/settings.h"

#include <QCheckBox>

namespace {

const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

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
    writeIni("[General]\r\nRunAtStartup=0\r\n");
    start();
    EXPECT_FALSE(system.registry->keyExists(platform::RootKey::CurrentUser, RunKey));
    forms->Form2->CheckBox1Click();
    EXPECT_FALSE(system.registry->keyExists(platform::RootKey::CurrentUser, RunKey));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(RunAtStartupTest, AKeyThatCanNotBeOpenedIsReportedAndTheBoxKeepsItsState)
{
    system.registry = std::make_unique<RefusingRegistry>(std::move(system.registry));
    start();
    EXPECT_TRUE(forms->Form2->CheckBox1->isChecked());
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.back(), "Setting can not be set: RunAtStartupSet");
}

} // namespace
