#pragma once

#include "platform/platform.h"
#include "wallpaper/apply.h"

#include <QImage>
#include <QSize>
#include <QStringList>

// What one step of the custom show needs from the main window.
class CustomShowHost {
public:
    virtual ~CustomShowHost() = default;
    // The entries of the current profile not shown yet; the head is the next picture.
    virtual QStringList& showList() = 0;
    // "Disable tray Balloon Tips" as it is checked now.
    virtual bool balloonsDisabled() const = 0;
    // A balloon by the program's convention (nothing while balloons are disabled).
    virtual void showBalloon(const QString& text) = 0;
    // A failure's text, kept where the user still finds it once its balloon is gone, until the
    // next step; nowhere by default.
    virtual void showFailureText(const QString&) {}
    // Takes a balloon still on screen away, whatever the setting.
    virtual void clearBalloon() = 0;
    virtual void setTrayAnimated(bool animated) = 0;
    // The custom page's preview box.
    virtual QSize previewSize() const = 0;
    virtual void showPreview(const QImage& preview) = 0;
    // Starts the tidy-up timer (it clears the balloon and the animation later).
    virtual void startTidyUp() = 0;
    // The end of every step: progress bar to 0, "Add to Favorites" (button and tray item) enabled.
    virtual void finishStep() = 0;
};

// One step of the custom show: the head entry of the show list becomes the wallpaper with the
// custom position, is previewed and reported. An empty list is first read again from the current
// profile. Entries are told apart by extension in any letter case: ".bmp" is copied as it is,
// ".jpg" and ".jpeg" are decoded through a temporary bitmap in UserDataDir\Temp that is gone when
// the step returns. A bitmap that fails stays at the head; a JPEG that fails, and an entry of any
// other kind, is dropped. Never lets an error escape: a failure ends in the
// "Can not set wallpaper." balloon (none while balloons are disabled).
void NextCustomWallpaper(platform::Platform& system, const WallpaperSettings& settings,
                         CustomShowHost& host);
