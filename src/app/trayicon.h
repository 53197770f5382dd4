#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

class QMenu;

// The notification-area icon. It keeps its tip, its last balloon, its animation state and its menu
// itself, so they are known (and testable) where the desktop has no tray at all.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    struct Balloon {
        QString title;
        QString text;
        int timeoutMs = 0;
        bool information = false;
        int shown = 0; // how many balloons have been shown
    };

    // The kinds of tray host: one that embeds the icon's window and reports each click, and one
    // that speaks the D-Bus status-notifier protocol, which only reports an activation.
    enum class HostKind { Embedding, StatusNotifier };

    // Takes the menu over: it has no parent window, so that disabling a window never disables it.
    // hostAvailable says whether a tray host shows the icon now; empty, the desktop is asked.
    TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent = nullptr,
             std::function<bool()> hostAvailable = {});
    ~TrayIcon() override;

    QString tip() const { return tip_; }
    void setTip(const QString& tip);

    const Balloon& balloon() const { return balloon_; }
    // Shows an information balloon; an empty text takes a balloon still on screen away.
    void showInformationBalloon(const QString& title, const QString& text, int timeoutMs);

    // Empties the balloon and takes one still on screen away; never shows anything itself (an
    // empty balloon is a blank one on most trays).
    void clearBalloon();
    // The tidy-up's share: clears the balloon once it has been up long enough to be read.
    void tidyBalloon();
    // True from a balloon's showing until its display time passed or it was cleared.
    bool balloonOnScreen() const;
    // Where the balloon's times are read, in milliseconds; a steady clock unless set.
    void setClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    bool animated() const { return animated_; }
    void setAnimated(bool animated);

    QMenu* menu() const { return menu_.get(); }

    // Whether a tray host shows the icon now. Asked afresh each time: a panel may start or quit
    // while the program runs.
    bool hostAvailable() const;
    HostKind hostKind() const { return hostKind_; }
    void setHostKind(HostKind kind) { hostKind_ = kind; }
    // An activation of the icon as the host reports it; onOpen runs for those that open the
    // main window.
    void activate(QSystemTrayIcon::ActivationReason why);

    // Opens the main window: a double click, or a status-notifier host's activation.
    std::function<void()> onOpen;

private:
    QSystemTrayIcon* icon_;
    std::unique_ptr<QMenu> menu_;
    std::function<bool()> hostAvailable_;
    HostKind hostKind_;
    std::function<std::int64_t()> clock_;
    QString tip_;
    Balloon balloon_;
    std::int64_t balloonShownAt_ = -1; // -1 when no balloon is on screen
    bool animated_ = false;
};
