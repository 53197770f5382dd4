#include "layoutcheck.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int SpinBoxClearance = 3; // pixels between a spin box and a label's text on its row

QString describe(const QWidget* control)
{
    QString caption;
    if (const auto* label = qobject_cast<const QLabel*>(control))
        caption = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        caption = button->text();
    else if (const auto* group = qobject_cast<const QGroupBox*>(control))
        caption = group->title();
    else if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        caption = spin->text();
    QString text = QString::fromLatin1(control->metaObject()->className());
    if (!caption.isEmpty())
        text += QStringLiteral(" \"%1\"").arg(caption.simplified());
    const QRect place = control->geometry();
    return text + QStringLiteral(" (%1,%2 %3x%4)")
                      .arg(place.x())
                      .arg(place.y())
                      .arg(place.width())
                      .arg(place.height());
}

// Controls hold no further controls; everything else (pages, group boxes, panels) is looked into.
bool isContainer(const QWidget* widget)
{
    for (const char* control :
         {"QAbstractButton", "QAbstractSpinBox", "QComboBox", "QLineEdit", "QLabel", "QTabBar",
          "QTabWidget", "QMenuBar", "QProgressBar", "QAbstractScrollArea", "QAbstractSlider"})
        if (widget->inherits(control))
            return false;
    return true;
}

// A label of one line of plain text; other labels count as a whole.
bool isTextLabel(const QLabel* label)
{
    return label && !label->text().isEmpty() && label->frameShape() == QFrame::NoFrame &&
           label->pixmap().isNull() && !label->wordWrap();
}

// Where a label lays out its text, in its own coordinates (as QLabel does: margin, then indent).
QRect textArea(const QLabel* label)
{
    QRect area = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                -label->margin());
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - label->margin();
    if (indent > 0 && (label->alignment() & Qt::AlignLeft))
        area.setLeft(area.left() + indent);
    return area;
}

// The runs of a label's text (words apart by single blanks) in the parent's coordinates: a wider
// gap of blanks is room left for another control.
QList<QRect> textRuns(const QLabel* label)
{
    const QString text = label->text();
    const QFontMetrics metrics = label->fontMetrics();
    const QRect area = textArea(label);
    const int width = metrics.horizontalAdvance(text);
    const Qt::Alignment align = label->alignment();
    int left = area.left();
    if (align & Qt::AlignRight)
        left = area.right() + 1 - width;
    else if (align & Qt::AlignHCenter)
        left = area.left() + (area.width() - width) / 2;
    int top = area.top();
    if (align & Qt::AlignBottom)
        top = area.bottom() + 1 - metrics.height();
    else if (align & Qt::AlignVCenter)
        top = area.top() + (area.height() - metrics.height()) / 2;

    static const QRegularExpression run(QStringLiteral("\\S+(?: \\S+)*"));
    QList<QRect> runs;
    for (auto found = run.globalMatch(text); found.hasNext();) {
        const QRegularExpressionMatch match = found.next();
        const int x = left + metrics.horizontalAdvance(text.left(match.capturedStart()));
        runs.append(QRect(x, top, metrics.horizontalAdvance(match.captured()), metrics.height())
                        .translated(label->pos()));
    }
    return runs;
}

// Where a control shows something, in its parent's coordinates.
QList<QRect> visibleParts(const QWidget* control)
{
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->text().isEmpty() && label->pixmap().isNull() &&
        label->frameShape() == QFrame::NoFrame)
        return {};
    if (isTextLabel(label))
        return textRuns(label);
    return {control->geometry()};
}

// The caption of a control fits inside it.
void checkCaption(const QWidget* control, QStringList& faults)
{
    const QFontMetrics metrics = control->fontMetrics();
    QSize needed;
    QSize room = control->size();
    if (const auto* label = qobject_cast<const QLabel*>(control);
        label && !label->text().isEmpty() && label->pixmap().isNull() && !label->wordWrap()) {
        needed = QSize(metrics.horizontalAdvance(label->text()), metrics.height());
        room = textArea(label).size();
    } else if (qobject_cast<const QCheckBox*>(control) ||
               qobject_cast<const QRadioButton*>(control)) {
        // The width includes the room for the focus frame around the text.
        needed = QSize(control->sizeHint().width(), metrics.height());
    } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        const int margin = control->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control);
        needed =
            QSize(metrics.horizontalAdvance(button->text()) + 2 * margin, metrics.height() + 4);
    } else if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(control)) {
        const auto* edit = spin->findChild<const QLineEdit*>();
        if (!edit)
            return;
        // A line edit keeps two pixels on either side of its text.
        needed = QSize(metrics.horizontalAdvance(spin->text()) + 4, metrics.height());
        room = edit->contentsRect().size();
    } else {
        return;
    }
    if (needed.width() > room.width() || needed.height() > room.height())
        faults << QStringLiteral("%1 needs %2x%3 for its caption")
                      .arg(describe(control))
                      .arg(needed.width())
                      .arg(needed.height());
}

// How far apart two rectangles are across; negative when they overlap.
int horizontalGap(const QRect& a, const QRect& b)
{
    return std::max(b.left() - a.right() - 1, a.left() - b.right() - 1);
}

bool shareRows(const QRect& a, const QRect& b)
{
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

void checkSiblings(const QWidget* a, const QWidget* b, QStringList& faults)
{
    if (a->geometry() == b->geometry())
        return;
    const auto* spin = qobject_cast<const QAbstractSpinBox*>(a) ? a : b;
    const auto* label = qobject_cast<const QLabel*>(spin == a ? b : a);
    if (qobject_cast<const QAbstractSpinBox*>(spin) && isTextLabel(label)) {
        for (const QRect& run : textRuns(label))
            if (shareRows(run, spin->geometry()) &&
                horizontalGap(run, spin->geometry()) < SpinBoxClearance)
                faults << QStringLiteral("%1 is not clear of the text of %2")
                              .arg(describe(spin), describe(label));
        return;
    }
    for (const QRect& partOfA : visibleParts(a))
        for (const QRect& partOfB : visibleParts(b))
            if (partOfA.intersects(partOfB)) {
                faults << QStringLiteral("%1 overlaps %2").arg(describe(a), describe(b));
                return;
            }
}

void checkContainer(QWidget* container, QStringList& faults);

// Every tab shows its whole text, and every page holds its controls.
void checkTabs(QTabWidget* tabs, QStringList& faults)
{
    const QTabBar* bar = tabs->tabBar();
    if (!bar->isHidden()) {
        const auto arrows = bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
        if (std::any_of(arrows.begin(), arrows.end(),
                        [](auto* arrow) { return !arrow->isHidden(); }))
            faults << describe(tabs) + QStringLiteral(" shows scroll arrows");
        const QRect shown = bar->rect() & tabs->rect().translated(-bar->pos());
        for (int i = 0; i < bar->count(); ++i) {
            QStyleOptionTab option;
            option.initFrom(bar);
            option.rect = bar->tabRect(i);
            option.shape = bar->shape();
            option.text = bar->tabText(i);
            const QRect text = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar);
            if (!shown.contains(option.rect) ||
                bar->fontMetrics().horizontalAdvance(option.text) > text.width())
                faults << QStringLiteral("tab \"%1\" of %2 does not show its whole text")
                              .arg(option.text, describe(tabs));
        }
    }
    const int current = tabs->currentIndex();
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents(); // the page takes its place
        checkContainer(tabs->widget(i), faults);
    }
    tabs->setCurrentIndex(current);
    QApplication::processEvents();
}

void checkContainer(QWidget* container, QStringList& faults)
{
    QList<QWidget*> controls;
    for (QObject* child : container->children())
        if (auto* control = qobject_cast<QWidget*>(child);
            control && !control->isWindow() && !control->isHidden())
            controls.append(control);
    // A group box's title and frame lie outside its contents.
    const QRect area = container->contentsRect();
    for (QWidget* control : controls) {
        if (!area.contains(control->geometry()))
            faults << QStringLiteral("%1 reaches outside %2")
                          .arg(describe(control), describe(container));
        checkCaption(control, faults);
        if (auto* tabs = qobject_cast<QTabWidget*>(control))
            checkTabs(tabs, faults);
        else if (isContainer(control))
            checkContainer(control, faults);
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            checkSiblings(controls[i], controls[j], faults);
}

} // namespace

QStringList layoutFaults(QWidget& window)
{
    QStringList faults;
    checkContainer(&window, faults);
    return faults;
}
