#pragma once

#include "common/mode.h"

#include <QStringList>

#include <cstdint>
#include <functional>

class HttpClient;
class QWidget;

// What the other windows may ask of the main window. They never touch its controls or its working
// lists; the main window keeps those to itself and answers through these operations.
class MainWindowOperations {
public:
    // The mode whose menu item is checked (Neither before the start has restored one).
    virtual Mode showMode() const = 0;
    // The change timer's period; the countdown goes by it from the next tick on.
    virtual void setShowInterval(std::uint32_t period) = 0;
    // The show started (StartShow) or stopped (StopShow), as the tray's "Start" and "Stop" do.
    virtual void startShow() = 0;
    virtual void stopShow() = 0;
    // The mode switched as its menu item does; Neither changes nothing.
    virtual void selectMode(Mode mode) = 0;
    // The automatic page's "Select": its chosen category stored and a wallpaper of it set.
    virtual void runSelectedCategory() = 0;
    // The custom page's "Select": its chosen profile made current and its first picture set.
    virtual void runSelectedProfile() = 0;
    // The next automatic step downloads the category's list afresh.
    virtual void clearPendingList() = 0;
    // A wallpaper of the chosen category now, or once the step under way has ended.
    virtual void fetchWallpaperWhenIdle() = 0;
    // The wallpaper of the current mode reloaded, the countdown started again.
    virtual void reloadWallpaper() = 0;
    // The position hint of the last automatic wallpaper picked while the program manages the
    // position.
    virtual int managedPositionHint() const = 0;
    // The profile list of the custom page: entries with their counts, current selected (none when
    // empty); the page is usable only while there is a profile.
    virtual void takeProfileList(const QStringList& entries, const QString& current) = 0;
    // The name of the profile chosen in the custom page's list as the current profile keeps it
    // ("summer.tsl", "winter/snow.tsl"), empty when none is.
    virtual QString selectedProfileName() const = 0;
    // The custom show starts the current profile again from its first entry at the next step; a
    // step under way ends first. Throws AppError when the profile can not be read.
    virtual void reloadShowList() = 0;
    // The automatic page's category choice (-1 for none).
    virtual void selectCategory(int index) = 0;
    virtual int selectedCategory() const = 0;
    // The category codes read at start-up, one per index of the category lists.
    virtual const QStringList& categoryCodes() const = 0;
    // The program's one HTTP client; its transfers show their progress in the status bar.
    virtual HttpClient& http() = 0;
    // Runs a preview load as a step of its own: now, or once the step under way has ended (a later
    // load takes the place of one still waiting). Meanwhile no show step or catalog refresh runs
    // inside it.
    virtual void loadPreviewsWhenIdle(std::function<void()> load) = 0;
    // A window in front that takes the user's input disables the main window meanwhile; the
    // main window is enabled again once no such window is open.
    virtual void setDisabledBy(const QWidget& window, bool disabled) = 0;
    // The first line of the answer at url, fetched by the program's one download client with the
    // body kept in target; "" when there is none (FetchFirstLine).
    virtual QString fetchFirstLine(const QString& url, const QString& target) = 0;
    // Runs an update check, which needs the download client to itself: now, or once the step
    // under way has ended (a later check takes the place of one still waiting). A step asked for
    // meanwhile waits for the check instead of finding the client busy.
    virtual void checkForUpdatesWhenIdle(std::function<void()> check) = 0;

protected:
    ~MainWindowOperations() = default;
};
