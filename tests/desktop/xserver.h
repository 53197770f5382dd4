#pragma once

#include "server.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// An Xvfb of the case's own, on a display number it picks itself, and the case's own connection
// to it for looking at what the program did there.
class XServer {
public:
    // A screen of width x height at depth; extra arguments go to Xvfb as they are.
    XServer(int width, int height, int depth = 24, const std::vector<std::string>& extra = {});
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const;

    // The root window's pixels as the server stores them, row after row (depth 24: 0x00RRGGBB).
    std::vector<std::uint32_t> rootPixels() const;
    // The pixmap the root property name holds; nullopt when it holds none.
    std::optional<xcb_pixmap_t> rootPixmap(const std::string& name) const;
    // The size of a pixmap; nullopt when there is no such pixmap.
    std::optional<std::pair<int, int>> pixmapSize(xcb_pixmap_t pixmap) const;
    xcb_atom_t atom(const std::string& name) const;
    // The key that gives keysym unshifted; 0 when none does.
    xcb_keycode_t keycode(xcb_keysym_t keysym) const;
    // Grabs the key on the root window for this connection; false when the server refuses.
    bool grabKey(std::uint16_t modifiers, xcb_keycode_t key) const;
    // Lets go of every key this connection grabbed, before anyone else's next request.
    void ungrabKeys() const;
    // The next event within the deadline; nullptr when none came.
    std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> waitForEvent(int milliseconds) const;

private:
    Server server_;
    std::string display_;
    xcb_connection_t* connection_;
};

// True when the Xvfb server is installed.
bool haveXvfb();
