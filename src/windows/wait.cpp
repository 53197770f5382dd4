#include "wait.h"

#include "app/forms.h"
#include "online/preview.h"

#include <QCoreApplication>
#include <QLabel>

namespace {

constexpr int FrameWidth = 1;
const QSize ClientSize(160, 64);

QLabel* boldLine(const QString& text, int top, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(2, top, ClientSize.width() - 4, 16);
    return label;
}

} // namespace

TForm10::TForm10(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Wait..."), ClientSize)
{
    // No caption bar: the window's own 1-pixel frame holds the client area.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(ClientSize + QSize(2 * FrameWidth, 2 * FrameWidth));
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(FrameWidth);
    frame->setGeometry(rect());

    Panel1 = new QFrame(frame);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(QRect(QPoint(FrameWidth, FrameWidth), ClientSize));
    Label1 = boldLine(QStringLiteral("Loading, please wait..."), 15, Panel1);
    Label2 = boldLine(QStringLiteral("Getting wallpapers..."), 33, Panel1);
}

void TForm10::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    const bool hiding = !visible && isVisible();
    if (showing) {
        forms.Form8->setEnabled(false);
        // Still hidden here: the flag can change without hiding the window.
        setTopmost(true);
    }
    FormBase::setVisible(visible);
    if (showing)
        FormShow();
    if (hiding)
        FormHide();
}

void TForm10::FormShow() { QCoreApplication::processEvents(); }

void TForm10::FormHide()
{
    forms.Form8->setEnabled(true);
    setTopmost(false);
}
