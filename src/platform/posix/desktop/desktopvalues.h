#pragma once

// The registry's desktop values and the running desktop, kept in step the way Windows keeps
// them: the values always exist, and a picture the user sets in the desktop's own settings is
// what they name until the program sets one again.

namespace platform {
class Registry;
}

namespace platform::posix {

class DesktopBackend;

// At start: fills in the desktop values the registry lacks from backend (or, without one, with
// those of a new Windows profile: no picture, black), and follows a picture the user set since.
void seedDesktopValues(Registry& registry, DesktopBackend* backend);

// Before the registry's wallpaper value is read (a few times a show step): when the session's
// desktop shows a picture the user set since the program last set one, the values are made to
// name it. Nothing happens without a session, for a desktop the program paints itself, or while
// a DesktopValuesHeld lives on this thread. What the desktop shows is asked once for the reads of
// one step (a few seconds), until the program changes the desktop itself.
void followLiveDesktop(Registry& registry);

// The program has changed the desktop: what it showed before is no longer worth keeping.
void forgetLiveDesktop();

// While the program's own change of the wallpaper is under way, the desktop still shows the old
// picture: reads made meanwhile must not take that for the user's.
class DesktopValuesHeld {
public:
    DesktopValuesHeld();
    ~DesktopValuesHeld();
    DesktopValuesHeld(const DesktopValuesHeld&) = delete;
    DesktopValuesHeld& operator=(const DesktopValuesHeld&) = delete;

private:
    bool wasHeld_;
};

} // namespace platform::posix
