#include "trayicon.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent)
    : QObject(parent), icon_(new QSystemTrayIcon(icon, this)), menu_(menu)
{
    icon_->setContextMenu(menu);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick && onDoubleClick)
                    onDoubleClick();
            });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        icon_->show();
}

// The icon goes first: it still refers to its menu.
TrayIcon::~TrayIcon() { delete icon_; }

void TrayIcon::setTip(const QString& tip)
{
    tip_ = tip;
    icon_->setToolTip(tip);
}

void TrayIcon::showInformationBalloon(const QString& title, const QString& text, int timeoutMs)
{
    balloon_ = {title, text, timeoutMs, true, balloon_.shown + 1};
    balloonShown_.start();
    if (icon_->isVisible())
        icon_->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
}

bool TrayIcon::balloonOnScreen() const
{
    return balloonShown_.isValid() && !balloonShown_.hasExpired(balloon_.timeoutMs);
}

void TrayIcon::clearBalloon()
{
    balloon_.text.clear();
    // Qt has no call that only takes a balloon away; hiding the icon for a moment does, on every
    // kind of tray.
    if (balloonOnScreen() && icon_->isVisible()) {
        icon_->hide();
        icon_->show();
    }
    balloonShown_.invalidate();
}

void TrayIcon::setAnimated(bool animated) { animated_ = animated; }
