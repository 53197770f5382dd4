#include "about.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/service.h"
#include "common/strings.h"
#include "mainoperations.h"
#include "plugins/versioninfo.h"
#include "tapestron/version.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

QLabel* label(QWidget* parent, const QString& caption, QRect place, bool bold = false)
{
    auto* text = new QLabel(caption, parent);
    text->setGeometry(place);
    if (bold) {
        QFont font = text->font();
        font.setBold(true);
        text->setFont(font);
    }
    return text;
}

// The logo: the program's icon above its name, on a transparent ground.
QPixmap logo(const QFont& font)
{
    QPixmap picture(80, 100);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(8, 8, 64, 64), QGuiApplication::windowIcon().pixmap(64, 64));
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(QColor(40, 80, 130));
    painter.drawText(QRect(0, 76, 80, 20), Qt::AlignCenter, QStringLiteral("Tapestron"));
    return picture;
}

bool isLeftClick(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton &&
           static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
}

} // namespace

TForm3::TForm3(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("About"), QSize(354, 235))
{
    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, 65, 65);
    // The 48-pixel icon stretched, as the window has always drawn it.
    Image1->setPixmap(QGuiApplication::windowIcon().pixmap(48, 48).scaled(
        65, 65, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    Label1 = label(this, QString::fromLatin1(version::ApplicationName), QRect(84, 10, 176, 26));
    QFont title = Label1->font();
    title.setPointSize(14);
    Label1->setFont(title);
    Label2 = label(this, QStringLiteral("Build"), QRect(84, 40, 176, 16));
    Label3 = label(this, QStringLiteral("Beta 2"), QRect(84, 58, 176, 16), true);

    Image2 = new QLabel(this);
    Image2->setGeometry(266, 8, 80, 100);
    Image2->setPixmap(logo(font()));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);

    Label4 = label(this, QStringLiteral("Thanks to:"), QRect(8, 112, 250, 16));
    Label5 = label(this, QStringLiteral("All wallpaper contributors"), QRect(16, 130, 250, 16));
    Label6 = label(this, QStringLiteral("Everyone who tried the beta releases"),
                   QRect(16, 146, 250, 16));
    Label7 = label(this, QStringLiteral("Everyone who told us what went wrong"),
                   QRect(16, 162, 250, 16));
    Label8 = label(this, QStringLiteral("Visit us at"), QRect(8, 184, 60, 16));
    const int linkX = Label8->x() + Label8->fontMetrics().horizontalAdvance(Label8->text()) + 6;
    Label9 = label(this, QString(), QRect(linkX, 184, 346 - linkX, 16), true);
    Label9->setTextFormat(Qt::PlainText);
    Label9->setCursor(Qt::PointingHandCursor);
    Label9->installEventFilter(this);
    setLinkColour(Qt::blue);

    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setGeometry(271, 204, 75, 25);
    connect(BitBtn1, &QPushButton::clicked, this,
            guarded(context.dialogs, [this] { BitBtn1Click(); }));
}

void TForm3::FormCreate()
{
    const std::optional<platform::FixedFileInfo> own =
        ReadFixedFileInfo(context.programExecutablePath());
    const QString build = own ? QString::number(own->fileVersionLS & 0xFFFF)
                              : QString::fromLatin1(version::Number).section(u'.', 3);
    Label2->setText(QStringLiteral("Build ") + build);
}

void TForm3::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    const bool hiding = !visible && isVisible();
    if (showing)
        runGuarded(context.dialogs, [this] { FormShow(); });
    FormBase::setVisible(visible);
    if (hiding)
        runGuarded(context.dialogs, [this] { FormHide(); });
}

void TForm3::FormShow()
{
    // The address is read afresh, as every use of it is; a long one is shortened to fit.
    const QString address = serviceBaseUrl();
    Label9->setText(Label9->fontMetrics().elidedText(address, Qt::ElideMiddle, Label9->width()));
    Label9->setToolTip(address);
    forms.mainWindow().setDisabledBy(*this, true);
    // Still hidden here: the flag can change without hiding the window.
    setTopmost(true);
}

void TForm3::FormHide()
{
    forms.mainWindow().setDisabledBy(*this, false);
    setTopmost(false);
}

void TForm3::BitBtn1Click() { hide(); }

void TForm3::Label9Click() { context.platform.shell->open(toStd(serviceBaseUrl())); }

void TForm3::Label9MouseEnter() { setLinkColour(Qt::red); }

void TForm3::Label9MouseLeave() { setLinkColour(Qt::blue); }

void TForm3::Image2Click()
{
    context.platform.shell->open(toStd(serviceBaseUrl() + QStringLiteral("/galleries.html")));
}

void TForm3::setLinkColour(const QColor& colour)
{
    QPalette palette = Label9->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label9->setPalette(palette);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label9) {
        if (event->type() == QEvent::Enter)
            runGuarded(context.dialogs, [this] { Label9MouseEnter(); });
        else if (event->type() == QEvent::Leave)
            runGuarded(context.dialogs, [this] { Label9MouseLeave(); });
        else if (isLeftClick(watched, event))
            runGuarded(context.dialogs, [this] { Label9Click(); });
    } else if (watched == Image2 && isLeftClick(watched, event)) {
        runGuarded(context.dialogs, [this] { Image2Click(); });
    }
    return FormBase::eventFilter(watched, event);
}
