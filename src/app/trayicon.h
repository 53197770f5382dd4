#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

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

    // Takes the menu over: it has no parent window, so that disabling a window never disables it.
    TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent = nullptr);
    ~TrayIcon() override;

    QString tip() const { return tip_; }
    void setTip(const QString& tip);

    const Balloon& balloon() const { return balloon_; }
    // Shows an information balloon; an empty text takes a balloon still on screen away.
    void showInformationBalloon(const QString& title, const QString& text, int timeoutMs);

    // Empties the balloon and takes one still on screen away; never shows anything itself (an
    // empty balloon is a blank one on most trays, and this runs every two seconds).
    void clearBalloon();
    // True from a balloon's showing until its display time passed or it was cleared.
    bool balloonOnScreen() const;

    bool animated() const { return animated_; }
    void setAnimated(bool animated);

    QMenu* menu() const { return menu_.get(); }

    // Called on a double click of the icon.
    std::function<void()> onDoubleClick;

private:
    QSystemTrayIcon* icon_;
    std::unique_ptr<QMenu> menu_;
    QString tip_;
    Balloon balloon_;
    QElapsedTimer balloonShown_; // invalid when no balloon is on screen
    bool animated_ = false;
};
