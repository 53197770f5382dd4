#include "trayicon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QElapsedTimer>
#include <QMenu>

namespace {

// The tidy-up leaves a balloon alone for this long, so that even one shown just before a tick
// can be read.
constexpr std::int64_t BalloonReadingMs = 10000;

// Qt takes the status-notifier way when, at the first tray icon, a watcher on the session bus
// reports a host; it then keeps that way for the whole run, so the same question is asked once.
TrayIcon::HostKind desktopHostKind()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return TrayIcon::HostKind::Embedding;
    const QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool()
               ? TrayIcon::HostKind::StatusNotifier
               : TrayIcon::HostKind::Embedding;
}

std::int64_t steadyMilliseconds()
{
    static const QElapsedTimer start = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return start.elapsed();
}

} // namespace

TrayIcon::TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent,
                   std::function<bool()> hostAvailable)
    : QObject(parent), icon_(new QSystemTrayIcon(icon, this)), menu_(menu),
      hostAvailable_(std::move(hostAvailable)), hostKind_(desktopHostKind()),
      clock_(steadyMilliseconds)
{
    icon_->setContextMenu(menu);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) { activate(why); });
    // Asked for even with no tray there yet: Qt puts the icon in a tray host that appears later
    // (a panel that starts after the program at log-on).
    icon_->show();
}

// The icon goes first: it still refers to its menu.
TrayIcon::~TrayIcon() { delete icon_; }

bool TrayIcon::hostAvailable() const
{
    return hostAvailable_ ? hostAvailable_() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason why)
{
    // An embedding host reports a double click as a click and then a double click; the click
    // alone does nothing there. A status-notifier host reports the user's one activation.
    const bool opens = why == QSystemTrayIcon::DoubleClick ||
                       (why == QSystemTrayIcon::Trigger && hostKind_ == HostKind::StatusNotifier);
    if (opens && onOpen)
        onOpen();
}

void TrayIcon::setTip(const QString& tip)
{
    tip_ = tip;
    icon_->setToolTip(tip);
}

void TrayIcon::showInformationBalloon(const QString& title, const QString& text, int timeoutMs)
{
    balloon_ = {title, text, timeoutMs, true, balloon_.shown + 1};
    balloonShownAt_ = clock_();
    if (icon_->isVisible())
        icon_->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
}

bool TrayIcon::balloonOnScreen() const
{
    return balloonShownAt_ >= 0 && clock_() - balloonShownAt_ < balloon_.timeoutMs;
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
    balloonShownAt_ = -1;
}

void TrayIcon::tidyBalloon()
{
    if (balloonShownAt_ < 0 || clock_() - balloonShownAt_ >= BalloonReadingMs)
        clearBalloon();
}

void TrayIcon::setAnimated(bool animated) { animated_ = animated; }
