#include "handlayout.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr int TextClearance = 4; // pixels between a caption's text and a control beside it
constexpr int MinimumTabPadding = 6;

// The application's style, with the tabs' padding shared out of the room the page control leaves
// beside the tab texts.
class FittingTabsStyle : public QProxyStyle {
public:
    explicit FittingTabsStyle(QTabWidget& tabs)
        : QProxyStyle(QApplication::style()->name()), tabs_(&tabs)
    {
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        const int usual = QProxyStyle::pixelMetric(metric, option, widget);
        const QTabBar* bar = tabs_ ? tabs_->tabBar() : nullptr;
        if (metric != PM_TabBarTabHSpace || !bar || bar->count() == 0)
            return usual;
        int texts = 0;
        for (int i = 0; i < bar->count(); ++i)
            texts += bar->fontMetrics().horizontalAdvance(bar->tabText(i));
        // Each tab also takes a pixel or two of frame beyond its padding.
        const int room = tabs_->width() - 4 * bar->count();
        return std::clamp((room - texts) / bar->count(), MinimumTabPadding, usual);
    }

private:
    QPointer<QTabWidget> tabs_;
};

// The application's style, with a group box's contents margin pixels from its sides.
class GroupSideMarginStyle : public QProxyStyle {
public:
    explicit GroupSideMarginStyle(int margin)
        : QProxyStyle(QApplication::style()->name()), margin_(margin)
    {
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override
    {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control == CC_GroupBox && part == SC_GroupBoxContents) {
            rect.setLeft(option->rect.left() + margin_);
            rect.setRight(option->rect.right() - margin_);
        }
        return rect;
    }

private:
    int margin_;
};

} // namespace

void setGroupSideMargin(QGroupBox& group, int margin)
{
    auto* style = new GroupSideMarginStyle(margin);
    style->setParent(&group);
    group.setStyle(style);
}

void fitTabTexts(QTabWidget& tabs)
{
    auto* style = new FittingTabsStyle(tabs);
    style->setParent(tabs.tabBar());
    tabs.tabBar()->setStyle(style);
}

void placeInTextGap(QWidget& control, const QLabel& label, const QString& textBefore, int width)
{
    const QString text = label.text();
    const QFontMetrics metrics = label.fontMetrics();
    const qsizetype gapStart = text.indexOf(textBefore) + textBefore.size();
    qsizetype gapEnd = gapStart;
    while (gapEnd < text.size() && text.at(gapEnd).isSpace())
        ++gapEnd;
    const int textEnd = metrics.horizontalAdvance(text.left(gapStart));
    int x = textEnd + TextClearance;
    if (gapEnd < text.size()) {
        const int nextText = metrics.horizontalAdvance(text.left(gapEnd));
        width = std::min(width, nextText - textEnd - 2 * TextClearance);
        x = textEnd + (nextText - textEnd - width) / 2;
    }
    control.setGeometry(label.x() + x, label.y() + (label.height() - control.height()) / 2, width,
                        control.height());
}
