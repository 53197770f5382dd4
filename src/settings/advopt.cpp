#include "advopt.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/settingstable.h"
#include "settings.h"
#include "wallpaper/apply.h"
#include "wallpaper/original.h"
#include "windows/mainoperations.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

// A desktop icon with its caption, drawn with or without the caption's background box.
QPixmap iconSample(bool transparentText)
{
    QPixmap picture(60, 60);
    picture.fill(QColor(58, 110, 165));
    QPainter painter(&picture);
    painter.setBrush(QColor(240, 220, 120));
    painter.setPen(Qt::black);
    painter.drawRect(18, 6, 24, 24);
    const QRect caption(4, 38, 52, 14);
    if (!transparentText)
        painter.fillRect(caption, QColor(58, 110, 165).darker(160));
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(10);
    painter.setFont(font);
    painter.drawText(caption, Qt::AlignCenter, QStringLiteral("Icon"));
    return picture;
}

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TForm9::TForm9(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Advanced Options"), QSize(298, 270))
{
    const QStringList lines{
        QStringLiteral("Tapestron can set Icon text transparency every time you"),
        QStringLiteral("set wallpaper with it. Bellow are two pictures, which show"),
        QStringLiteral("the difference between transparent and non-transparent"),
        QStringLiteral("mode.")};
    QLabel** texts[] = {&Label1, &Label2, &Label3, &Label4};
    for (int i = 0; i < 4; ++i) {
        *texts[i] = new QLabel(lines[i], this);
        (*texts[i])->setGeometry(8, 8 + i * 14, 284, 14);
    }

    Label5 = boldLabel(QStringLiteral("Transparent Text"), this);
    Label5->setGeometry(24, 72, 120, 14);
    Image1 = new QLabel(this);
    Image1->setGeometry(40, 90, 60, 60);
    Image1->setPixmap(iconSample(true));
    Label6 = boldLabel(QStringLiteral("Non-Transparent Text"), this);
    Label6->setGeometry(150, 72, 140, 14);
    Image2 = new QLabel(this);
    Image2->setGeometry(180, 90, 60, 60);
    Image2->setPixmap(iconSample(false));

    CheckBox1 = new QCheckBox(QStringLiteral("Set Transparent Text"), this);
    CheckBox1->setGeometry(8, 160, 200, 17);
    QFont bold = CheckBox1->font();
    bold.setBold(true);
    CheckBox1->setFont(bold);

    Label7 = new QLabel(QStringLiteral("Set background color."), this);
    Label7->setGeometry(8, 190, 140, 14);
    Shape1 = new QLabel(this);
    Shape1->setGeometry(150, 184, 105, 25);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    Shape1->setCursor(Qt::PointingHandCursor);
    Shape1->setToolTip(QStringLiteral("Click here to set background color."));

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(124, 236, 81, 25);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setGeometry(210, 236, 81, 25);

    auto& dialogs = context.dialogs;
    Shape1->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn2Click(); }));
}

bool TForm9::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Shape1 && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        runGuarded(context.dialogs, [this] { Shape1MouseDown(); });
        return true;
    }
    return FormBase::eventFilter(watched, event);
}

void TForm9::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    const bool hiding = !visible && isVisible();
    if (showing)
        runGuarded(context.dialogs, [this] { FormShow(); });
    FormBase::setVisible(visible);
    if (hiding)
        FormHide();
}

void TForm9::FormShow()
{
    setSwatchColour(ReadBackgroundColour(context.platform));
    loadTransparentText(SettingsFile());
    forms.mainWindow().setDisabledBy(*this, true);
    forms.Form2->setDisabledBy(*this, true);
    // Still hidden here: the flag can change without hiding the window.
    setTopmost(true);
}

void TForm9::FormHide()
{
    forms.mainWindow().setDisabledBy(*this, false);
    forms.Form2->setDisabledBy(*this, false);
    setTopmost(false);
}

void TForm9::loadTransparentText(const SettingsFile& file)
{
    CheckBox1->setChecked(file.flag(flags::TransparentText));
}

bool TForm9::transparentText() const { return CheckBox1->isChecked(); }

void TForm9::Shape1MouseDown()
{
    if (const auto chosen = context.dialogs.chooseColour(swatchColour()))
        setSwatchColour(*chosen);
}

void TForm9::BitBtn1Click()
{
    SettingsFile().setFlag(flags::TransparentText, transparentText());
    // Written even when unchanged: the desktop takes the colour the window shows.
    ApplyBackgroundColour(context.platform, swatchColour());
    ApplyIconTextTransparency(context.platform, transparentText());
    hide();
}

void TForm9::BitBtn2Click() { hide(); }

QColor TForm9::swatchColour() const { return Shape1->palette().color(QPalette::Window); }

void TForm9::setSwatchColour(const QColor& colour)
{
    QPalette colours = Shape1->palette();
    colours.setColor(QPalette::Window, colour);
    Shape1->setPalette(colours);
}
