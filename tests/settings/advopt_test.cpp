#include "app/forms.h"
#include "app/main.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/strings.h"
#include "fixtures.h"
#include "platform/registry.h"
#include "settings/advopt.h"
#include "settings/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

using platform::RootKey;

const QString Colors = QStringLiteral("Control Panel\\Colors");

class AdvancedOptionsTest : public WindowsFixture {
protected:
    TForm9& options() { return *forms->Form9; }
    void setBackground(const char* text)
    {
        system.registry->createKey(RootKey::CurrentUser, toStd(Colors));
        system.registry->writeString(RootKey::CurrentUser, toStd(Colors), "Background", text);
    }
    // A click on the colour swatch, as the mouse delivers it.
    void clickSwatch()
    {
        QLabel* swatch = options().Shape1;
        const QPointF at(swatch->width() / 2.0, swatch->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, swatch->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(swatch, &press);
    }
    std::vector<RecordingDesktop::Call> colourCalls() const
    {
        std::vector<RecordingDesktop::Call> found;
        for (const auto& call : desktop->calls)
            if (call.kind == RecordingDesktop::Call::SetSysColor)
                found.push_back(call);
        return found;
    }
    static bool topmost(const QWidget& window)
    {
        return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
};

TEST_F(AdvancedOptionsTest, AChosenColourAndTheOptionReachTheDesktopOnlyOnOk)
{
    setBackground("0 0 0");
    start();
    TForm9& o = options();
    o.show();
    EXPECT_FALSE(forms->Form1->isEnabled());
    EXPECT_FALSE(forms->Form2->isEnabled());
    EXPECT_TRUE(topmost(o));
    EXPECT_EQ(o.swatchColour(), QColor(0, 0, 0));

    dialogs.colourAnswers = {QColor(255, 0, 0)};
    clickSwatch();
    ASSERT_EQ(dialogs.colourDialogs.size(), 1u);
    EXPECT_EQ(dialogs.colourDialogs[0], QColor(0, 0, 0));
    EXPECT_EQ(o.swatchColour(), QColor(255, 0, 0));
    EXPECT_TRUE(colourCalls().empty());
    EXPECT_EQ(regString(Colors, "Background"), "0 0 0");

    o.CheckBox1->setChecked(true);
    o.BitBtn1->click(); // "OK"
    EXPECT_EQ(regString(Colors, "Background"), "255 0 0");
    ASSERT_EQ(colourCalls().size(), 1u);
    EXPECT_EQ(colourCalls()[0].a, 1u);
    EXPECT_EQ(colourCalls()[0].b, 0x0000FFu);
    EXPECT_EQ(desktop->calls.back().kind, RecordingDesktop::Call::Broadcast); // the icon text
    EXPECT_EQ(IniFile(settingsFilePath()).readString("General", "TransparentText", ""), "1");
    EXPECT_FALSE(o.isVisible());
    EXPECT_TRUE(forms->Form1->isEnabled());
    EXPECT_TRUE(forms->Form2->isEnabled());
    EXPECT_FALSE(topmost(o));
}

TEST_F(AdvancedOptionsTest, OkWithoutTouchingTheSwatchWritesTheColourReadAtShow)
{
    setBackground("58 110 165");
    userData();
    IniFile(settingsFilePath()).writeString("General", "TransparentText", "1");
    start();
    TForm9& o = options();
    o.CheckBox1->setChecked(false);
    o.show();
    EXPECT_TRUE(o.CheckBox1->isChecked());
    setBackground("1 2 3"); // changed meanwhile by someone else
    o.BitBtn1->click();
    EXPECT_EQ(regString(Colors, "Background"), "58 110 165");
    ASSERT_EQ(colourCalls().size(), 1u);
    EXPECT_EQ(colourCalls()[0].b, 58u + 110u * 256 + 165u * 65536);
}

TEST_F(AdvancedOptionsTest, AMalformedOrMissingColourIsReportedAndNothingElseHappens)
{
    start();
    desktop->calls.clear();
    TForm9& o = options();
    for (const auto& [value, bad] : {std::pair<const char*, const char*>{nullptr, ""},
                                     {"10 20", ""},
                                     {"red green blue", "red"}}) {
        SCOPED_TRACE(value ? value : "missing");
        if (value)
            setBackground(value);
        dialogs.errors.clear();
        IniFile(settingsFilePath()).writeString("General", "TransparentText", "0");
        o.CheckBox1->setChecked(true);
        const QColor before = o.swatchColour();

        o.show();
        EXPECT_EQ(dialogs.errors,
                  QStringList{QStringLiteral("'%1' is not a valid integer value").arg(bad)});
        EXPECT_TRUE(system.registry->keyExists(RootKey::CurrentUser, toStd(Colors)));
        EXPECT_TRUE(o.isVisible());
        EXPECT_EQ(o.swatchColour(), before);
        EXPECT_TRUE(o.CheckBox1->isChecked());
        EXPECT_TRUE(forms->Form1->isEnabled());
        EXPECT_TRUE(forms->Form2->isEnabled());
        EXPECT_FALSE(topmost(o));
        o.hide();
    }
    EXPECT_TRUE(desktop->calls.empty());
}

TEST_F(AdvancedOptionsTest, CancelWritesNothingAndTheOptionKeepsTheUsersChoice)
{
    setBackground("9 9 9");
    start();
    desktop->calls.clear();
    TForm9& o = options();
    o.show();
    dialogs.colourAnswers = {std::nullopt, QColor(0, 255, 0)};
    clickSwatch(); // the dialog cancelled
    EXPECT_EQ(o.swatchColour(), QColor(9, 9, 9));
    clickSwatch();
    o.CheckBox1->setChecked(true);
    o.BitBtn2->click(); // "Cancel"
    EXPECT_FALSE(o.isVisible());
    EXPECT_TRUE(forms->Form2->isEnabled());
    EXPECT_EQ(regString(Colors, "Background"), "9 9 9");
    EXPECT_TRUE(desktop->calls.empty());
    EXPECT_FALSE(IniFile(settingsFilePath()).valueExists("General", "TransparentText"));
    EXPECT_TRUE(forms->Form2->transparentText());
}

} // namespace
