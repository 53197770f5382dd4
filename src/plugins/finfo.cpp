#include "finfo.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "pluginman.h"
#include "versioninfo.h"
#include "windows/mainoperations.h"

#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace {

// The labels of the lines, in order, with the fields they show.
struct InfoLine {
    const char* label;
    QString TFileVersionInfo::*field;
};

constexpr InfoLine infoLines[] = {
    {"FileType", &TFileVersionInfo::FileType},
    {"CompanyName", &TFileVersionInfo::CompanyName},
    {"FileDescription", &TFileVersionInfo::FileDescription},
    {"FileVersion", &TFileVersionInfo::FileVersion},
    {"InternalName", &TFileVersionInfo::InternalName},
    {"LegalCopyRight", &TFileVersionInfo::LegalCopyright},
    {"LegalTradeMarks", &TFileVersionInfo::LegalTrademarks},
    {"OriginalFileName", &TFileVersionInfo::OriginalFilename},
    {"ProductName", &TFileVersionInfo::ProductName},
    {"ProductVersion", &TFileVersionInfo::ProductVersion},
    {"SpecialBuildStr", &TFileVersionInfo::SpecialBuildStr},
    {"PrivateBuildStr", &TFileVersionInfo::PrivateBuildStr},
    {"FileFunction", &TFileVersionInfo::FileFunction},
};

// Draws a line's text after its tab at one tab stop, so the values stand in one column.
class TabStopDelegate : public QStyledItemDelegate {
public:
    TabStopDelegate(int tabStop, QObject* parent) : QStyledItemDelegate(parent), tabStop_(tabStop)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRect area = item.rect.adjusted(2, 0, -2, 0);
        const int tab = text.indexOf(u'\t');
        painter->save();
        painter->setPen(item.palette.color(
            item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text.left(tab));
        if (tab >= 0)
            painter->drawText(area.adjusted(tabStop_, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                              item.fontMetrics.elidedText(text.mid(tab + 1), Qt::ElideRight,
                                                          area.width() - tabStop_));
        painter->restore();
    }

private:
    int tabStop_;
};

// A distance in horizontal dialog units: a quarter of the font's average letter width.
int dialogUnitsX(const QFontMetrics& metrics, int units)
{
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int average = (letters / 26 + 1) / 2;
    return units * average / 4;
}

// The plug-in's file in the program's "plugins" folder; empty for a name that is no plain file
// name, which names no plug-in there.
QString pluginPath(const AppContext& context, const QString& name)
{
    if (name.isEmpty() || name == u'.' || name == QLatin1String("..") || name.contains(u'/') ||
        name.contains(u'\\'))
        return QString();
    return context.programPath(QStringLiteral("plugins/") + name);
}

} // namespace

TForm12::TForm12(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Plugin Info"), QSize(363, 238)),
      activation_(*this, guarded(context.dialogs, [this] { FormActivate(); }))
{
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(8, 8, 347, 193);
    ListBox1->setItemDelegate(new TabStopDelegate(dialogUnitsX(fontMetrics(), 70), ListBox1));
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setGeometry(280, 207, 75, 25);
    connect(Button1, &QPushButton::clicked, this,
            guarded(context.dialogs, [this] { Button1Click(); }));
}

void TForm12::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    const bool hiding = !visible && isVisible();
    if (showing) {
        runGuarded(context.dialogs, [this] { FormShow(); });
        activation_.shown();
    }
    FormBase::setVisible(visible);
    if (hiding) {
        activation_.hidden();
        FormHide();
    }
}

void TForm12::FormShow()
{
    forms.mainWindow().setDisabledBy(*this, true);
    forms.Form11->setDisabledBy(*this, true);
    // Still hidden here: the flag can change without hiding the window.
    setTopmost(true);
}

void TForm12::FormHide()
{
    forms.mainWindow().setDisabledBy(*this, false);
    forms.Form11->setDisabledBy(*this, false);
    setTopmost(false);
}

void TForm12::FormActivate()
{
    ListBox1->clear();
    const QString path = pluginPath(context, forms.Form11->selectedPluginName());
    const TFileVersionInfo info =
        path.isEmpty() ? TFileVersionInfo() : ReadFileVersionInfo(*context.platform.shell, path);
    for (const InfoLine& line : infoLines)
        ListBox1->addItem(QLatin1String(line.label) + QStringLiteral(":\t") + info.*line.field);
}

void TForm12::Button1Click() { hide(); }
