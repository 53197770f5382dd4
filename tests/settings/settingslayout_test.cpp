#include "app/forms.h"
#include "fixtures.h"
#include "layoutcheck.h"
#include "settings/advopt.h"
#include "settings/settings.h"

#include <QApplication>
#include <QFontInfo>
#include <QRadioButton>

#include <array>

namespace {

// The windows are laid out by hand for their font, Tahoma 8 pt, which Linux replaces by its
// metric-compatible face; with it every control fits the window's fixed client area.
class WindowLayoutTest : public WindowsFixture {
protected:
    static void expectFits(QWidget& window, QSize clientSize)
    {
        EXPECT_EQ(QFontInfo(window.font()).family(), "Liberation Sans");
        EXPECT_EQ(window.size(), clientSize);
        EXPECT_EQ(layoutFaults(window).join(u'\n').toStdString(), "");
    }
};

TEST_F(WindowLayoutTest, TheSettingsWindowShowsEveryTabAndControlWhole)
{
    start();
    TForm2& s = *forms->Form2;
    s.show();
    QApplication::processEvents();
    // The chosen position is shown bold: each choice must fit as well.
    const std::array<QRadioButton*, 4> automatic{s.RadioButton1, s.RadioButton2, s.RadioButton3,
                                                 s.RadioButton4};
    const std::array<QRadioButton*, 4> custom{s.RadioButton5, s.RadioButton6, s.RadioButton7,
                                              s.RadioButton8};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(automatic[i]->text().toStdString());
        automatic[i]->setChecked(true);
        custom[i]->setChecked(true);
        expectFits(s, QSize(306, 278));
    }
}

TEST_F(WindowLayoutTest, TheAdvancedOptionsShowEveryControlWhole)
{
    start();
    TForm9& options = *forms->Form9;
    options.show();
    QApplication::processEvents();
    expectFits(options, QSize(298, 270));
}

} // namespace
