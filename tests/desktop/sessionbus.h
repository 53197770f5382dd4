#pragma once

#include "fixtures.h"
#include "server.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// A private session bus for one case, in fresh XDG folders: the settings services it starts on
// demand (dconf-service, xfconfd) keep their values there, never in the developer's own.
class SessionBus {
public:
    SessionBus();

private:
    TempDir root_;
    ScopedEnv config_;
    ScopedEnv data_;
    ScopedEnv cache_;
    ScopedEnv runtime_;
    Server daemon_; // started once the folders above are set: its services inherit them
    ScopedEnv address_;
};

// A session bus that takes connections and never answers: its address replaces the case's bus
// for the scope.
class SilentBus {
public:
    SilentBus();
    ~SilentBus();
    SilentBus(const SilentBus&) = delete;
    SilentBus& operator=(const SilentBus&) = delete;

private:
    TempDir root_;
    int socket_ = -1;
    std::unique_ptr<ScopedEnv> address_;
};

// A case whose platform drives a real Linux desktop of the kind it names.
class RealDesktopTest : public AppFixture {
protected:
    explicit RealDesktopTest(const std::string& kind);

    // Replaces the recording desktop with the session's desktop, which seeds the registry from
    // what that desktop shows.
    void startDesktop();

    // Moves APPDATA to a folder whose name has blanks (two in a row), quotes, "$", ";", ",", a
    // backslash and a non-ASCII letter; returns it.
    std::string useAwkwardAppData();

    // A user's picture holding bytes, in the case's scratch folder.
    std::string userPicture(const std::string& name, const std::string& bytes);

    // The registry's wallpaper values: Wallpaper, TileWallpaper, WallpaperStyle, and the
    // background colour.
    QStringList registryWallpaper() const;

    // Writes the wallpaper values for current.bmp (holding bytes) and mode without telling any
    // desktop, then lets the session's desktop take them; true when it did.
    bool reloadCurrent(const std::string& bytes, int mode);

private:
    ScopedEnv kind_;
    std::unique_ptr<ScopedEnv> appData_;
};

// Output of a tool run as the backends run them; fails the case when it does not succeed.
std::string toolOutput(const std::vector<std::string>& argv);

// How long a call took.
template <typename Call> std::chrono::milliseconds timed(Call&& call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}
