#pragma once

// System-wide hotkeys of an X session: key grabs on the root window of the display, named by the
// Windows modifiers and virtual keys the program registers.

#include "x11connection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform::posix {

class X11KeyGrabs {
public:
    // Grabs on display; nullptr when there is no server there.
    static std::unique_ptr<X11KeyGrabs> open(const std::string& display);

    const std::string& display() const { return x_->display(); }
    bool broken() const { return x_->broken(); }
    // Turns readable when key presses wait for takePresses.
    int descriptor() const { return x_->descriptor(); }

    // Grabs the combination whatever the state of Num Lock and Caps Lock. False, with nothing
    // grabbed, when another client holds any of it or the server does not answer; true without
    // a grab for a key this keyboard does not have.
    bool grab(std::uint32_t modifiers, std::uint32_t virtualKey);
    // Lets go of a combination grab took; nothing for any other.
    void ungrab(std::uint32_t modifiers, std::uint32_t virtualKey);

    // The combinations (modifiers, virtual key) of every key press waiting; never blocks.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> takePresses();

private:
    struct Grab {
        std::uint32_t modifiers;
        std::uint32_t virtualKey;
        xcb_keycode_t keycode;
        std::uint16_t mask;
    };

    X11KeyGrabs(std::unique_ptr<X11Connection> x, std::vector<xcb_keysym_t> keysyms,
                int keysymsPerKeycode, std::uint16_t numLock);
    xcb_keycode_t keycodeOf(xcb_keysym_t keysym) const;
    std::vector<std::uint16_t> lockVariants(std::uint16_t mask) const;

    std::unique_ptr<X11Connection> x_;
    std::vector<xcb_keysym_t> keysyms_; // keysymsPerKeycode_ for each keycode from the minimum
    int keysymsPerKeycode_;
    std::uint16_t numLock_; // the modifier bit Num Lock is on; 0 when it is on none
    std::vector<Grab> grabs_;
};

} // namespace platform::posix
