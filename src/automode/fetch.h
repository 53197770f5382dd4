#pragma once

#include "downloader.h"
#include "platform/platform.h"
#include "wallpaper/apply.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// One entry of a category's wallpaper list: "url;caption;position".
struct WallpaperEntry {
    QString url;
    QString extension; // of url, from its last "." (empty when a "\" or ":" follows it)
    QString caption;   // at most MaxCaptionLength long
    QString position;  // only filled when the program manages the position
    QString name;      // the picture's file name without its extension: the cache key
};

// The longest caption drawn or shown, in UTF-16 units; the rest of a longer one is dropped.
inline constexpr qsizetype MaxCaptionLength = 256;

// Splits line into its fields. Everything after the second ";" is the position field; with fewer
// than two ";" the fields are cut exactly as the list format has always been read.
WallpaperEntry parseWallpaperEntry(const QString& line, bool managedPosition);

// The line a step takes from a list of count lines: one step of the linear congruential
// generator seeded with seed, scaled to count by the high half of the 64-bit product.
int pickEntryIndex(std::uint32_t seed, int count);

// What one automatic step needs from the main window.
class AutoFetchHost {
public:
    virtual ~AutoFetchHost() = default;
    virtual FileDownloader& http() = 0;
    virtual const QStringList& categoryCodes() const = 0;
    // The wallpapers of the selected category not shown yet.
    virtual QStringList& pendingList() = 0;
    virtual bool balloonsDisabled() const = 0;
    virtual void showBalloon(const QString& text) = 0;
    // A failure's text, kept where the user still finds it once its balloon is gone, until the
    // next step; nowhere by default.
    virtual void showFailureText(const QString&) {}
    virtual void clearBalloon() = 0;
    virtual void setTrayAnimated(bool animated) = 0;
    // "Reload Wallpaper" on the automatic page and in the tray; the tidy-up timer enables them.
    virtual void disableReloadCommands() = 0;
    // The caption's status panel.
    virtual void setCaptionText(const QString& text) = 0;
    virtual void setManagedPositionHint(int hint) = 0;
    // The automatic page's preview box.
    virtual QSize previewSize() const = 0;
    virtual void showPreview(const QImage& preview) = 0;
    virtual void startTidyUp() = 0;
    virtual void resetProgress() = 0;
    // "Add to Favorites", button and tray item.
    virtual void enableFavourites() = 0;
    // The text of "Limit temp size to", read when the cache is trimmed.
    virtual QString tempCacheLimit() const = 0;
};

// One step of the automatic show: a random wallpaper of the selected category not shown yet
// becomes the desktop wallpaper, with its caption drawn in, through the bitmap cache in
// UserDataDir\Temp. Failures end in the failure balloon and leave the entry in the list (an entry
// of a kind the program can not show is dropped). Only an error of TrimTempCache escapes.
void FetchAutoWallpaper(platform::Platform& system, const WallpaperSettings& settings,
                        AutoFetchHost& host);

// Deletes the second cached bitmap in file-search order when the cache holds more than
// limitText bitmaps. Throws the conversion error when limitText is not a number.
void TrimTempCache(const QString& limitText);
