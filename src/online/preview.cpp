#include "preview.h"

#include "app/forms.h"
#include "automode/categories.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/service.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "galleries.h"
#include "platform/files.h"
#include "samples.h"
#include "windows/linklabel.h"
#include "windows/mainoperations.h"
#include "windows/previewbox.h"
#include "windows/wait.h"

#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>

#include <array>

namespace {

const QColor LinkColour(0, 0, 255);
const QColor HoveredLinkColour(255, 0, 0);

// The window's four boxes as a preview load fills them.
class WindowBoxes final : public SampleBoxes {
public:
    explicit WindowBoxes(std::array<PreviewBox*, SampleBoxCount> boxes) : boxes_(boxes) {}
    QSize boxSize() const override { return boxes_[0]->boxSize(); }
    void showInBox(int box, const QImage& picture) override
    {
        boxes_[static_cast<std::size_t>(box)]->setPicture(picture);
    }

private:
    std::array<PreviewBox*, SampleBoxCount> boxes_;
};

// The sunken bars between the boxes; they cross, so the window draws them itself.
const QRect VerticalBar(297, 0, 6, 489);
const QRect HorizontalBar(0, 241, 600, 6);

} // namespace

TForm8::TForm8(AppContext& context, Forms& forms)
    : FormBase(
          context, forms,
          QStringLiteral("Wallpaper Previews - Here you can view samples from selected category."),
          QSize(600, 529))
{
    const QSize box(297, 241);
    const auto picture = [&](QPoint at) {
        auto* result = new PreviewBox(box, this, PreviewBox::Frame::None);
        result->move(at);
        return result;
    };
    Image1 = picture(QPoint(0, 0));
    Image2 = picture(QPoint(303, 0));
    Image3 = picture(QPoint(0, 247));
    Image4 = picture(QPoint(303, 247));

    ComboBox2 = new QComboBox(this);
    ComboBox2->addItems(defaultCategoryNames());
    ComboBox2->setToolTip(QStringLiteral("Select category to preview."));
    ComboBox2->setGeometry(8, 500, 269, 21);

    Label1 = new LinkLabel(QStringLiteral("View more wallpapers here!"), this);
    QFont linkFont(QStringLiteral("Tahoma"));
    linkFont.setPixelSize(19);
    linkFont.setUnderline(true);
    Label1->setFont(linkFont);
    Label1->setLinkColour(LinkColour);
    Label1->setToolTip(QStringLiteral("View more wallpapers of selected category."));
    Label1->move(283, 498);
    Label1->adjustSize();

    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setToolTip(QStringLiteral("Close this window."));
    BitBtn1->setGeometry(522, 496, 75, 25);

    Dialogs& dialogs = context.dialogs;
    connect(ComboBox2, &QComboBox::activated, this,
            guarded(dialogs, [this] { ComboBox2Change(); }));
    connect(BitBtn1, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn1Click(); }));
    Label1->onClick = guarded(dialogs, [this] { Label1Click(); });
    Label1->onMouseEnter = guarded(dialogs, [this] { Label1MouseEnter(); });
    Label1->onMouseLeave = guarded(dialogs, [this] { Label1MouseLeave(); });
}

void TForm8::paintEvent(QPaintEvent* event)
{
    FormBase::paintEvent(event);
    QPainter painter(this);
    for (const QRect& bar : {VerticalBar, HorizontalBar})
        qDrawShadePanel(&painter, bar, palette(), true, 1);
}

void TForm8::showCategory(int index)
{
    ComboBox2->setCurrentIndex(index);
    show();
}

void TForm8::takeCategoryNames(const QStringList& names) { refillKeepingChoice(*ComboBox2, names); }

void TForm8::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    FormBase::setVisible(visible);
    if (showing)
        runGuarded(context.dialogs, [this] { FormShow(); });
}

void TForm8::FormShow()
{
    ComboBox2->clear();
    ComboBox2->addItems(readTextList(context.programPath(QStringLiteral("data/profiles.tsl"))));
    ComboBox2->setCurrentIndex(forms.mainWindow().selectedCategory());
    LoadPreviews();
}

void TForm8::ComboBox2Change()
{
    LoadPreviews();
    BitBtn1->setFocus();
}

void TForm8::Label1Click()
{
    if (const std::optional<QString> page = galleryPagePath(ComboBox2->currentIndex()))
        context.platform.shell->open(toStd(serviceBaseUrl() + *page));
}

void TForm8::Label1MouseEnter() { Label1->setLinkColour(HoveredLinkColour); }

void TForm8::Label1MouseLeave() { Label1->setLinkColour(LinkColour); }

void TForm8::BitBtn1Click() { hide(); }

void TForm8::LoadPreviews()
{
    forms.Form10->show();
    platform::createDirectory(toStd(previewFolder()));
    // A load that has to wait for a show step keeps the wait window up until it has run.
    forms.mainWindow().loadPreviewsWhenIdle([this] {
        const struct WaitOver {
            TForm10& wait;
            ~WaitOver() { wait.hide(); }
        } waitOver{*forms.Form10};
        try {
            MainWindowOperations& main = forms.mainWindow();
            WindowBoxes boxes({Image1, Image2, Image3, Image4});
            LoadCategorySamples(main.http(), main.categoryCodes(), ComboBox2->currentIndex(),
                                context.programPath(QStringLiteral("data/noimg.jpg")), boxes);
        } catch (const std::exception&) {
            // A sample that can not be shown ends the load without a word.
        }
    });
}
