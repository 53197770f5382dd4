#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>

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

    TrayIcon(const QIcon& icon, QMenu* menu, QObject* parent = nullptr);

    QString tip() const { return tip_; }
    void setTip(const QString& tip);

    const Balloon& balloon() const { return balloon_; }
    // Shows an information balloon; an empty text takes a balloon still on screen away.
    void showInformationBalloon(const QString& title, const QString& text, int timeoutMs);

    // Empties the balloon and shows it, which takes a balloon still on screen away.
    void clearBalloon();

    bool animated() const { return animated_; }
    void setAnimated(bool animated);

    QMenu* menu() const { return menu_; }

    // Called on a double click of the icon.
    std::function<void()> onDoubleClick;

private:
    QSystemTrayIcon* icon_;
    QMenu* menu_;
    QString tip_;
    Balloon balloon_;
    bool animated_ = false;
};
