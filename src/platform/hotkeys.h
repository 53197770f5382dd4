#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

inline constexpr std::uint32_t MOD_ALT = 0x0001;
inline constexpr std::uint32_t MOD_CONTROL = 0x0002;
inline constexpr std::uint32_t MOD_SHIFT = 0x0004;

// An opaque handle of a window of the program (the native window id).
using WindowHandle = std::uintptr_t;

// Global atoms and system-wide hotkeys.
class GlobalHotkeys {
public:
    virtual ~GlobalHotkeys() = default;

    // GlobalAddAtom: the atom of text (the same atom again, with one more reference, for text
    // already added, ignoring case); 0 on failure.
    virtual std::uint16_t addAtom(const std::string& text) = 0;

    // GlobalDeleteAtom: drops one reference. True on success, false for an unknown string atom;
    // integer atoms (below 0xC000, 0 included) have no references and always succeed.
    virtual bool deleteAtom(std::uint16_t atom) = 0;

    // RegisterHotKey. False when window already has a hotkey with this id or the combination is
    // taken (here or, on Windows, by any program).
    virtual bool registerHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;

    // UnregisterHotKey. False when no such hotkey is registered.
    virtual bool unregisterHotKey(WindowHandle window, int id) = 0;

    // Where a press of a registered combination goes (the WM_HOTKEY message): called with the
    // window and the id it was registered with.
    virtual void setHotKeyHandler(std::function<void(WindowHandle, int)> handler) = 0;

    // Delivers a key press as the system would: when the combination is registered, the handler
    // runs and the result is true.
    virtual bool pressKey(std::uint32_t modifiers, std::uint32_t virtualKey) = 0;

    // Where key presses from outside the program's own message loop wait: a descriptor that turns
    // readable when dispatchSystemEvents has presses to deliver, or -1 when there is none
    // (Windows delivers WM_HOTKEY through the message loop itself).
    virtual int systemEventDescriptor() = 0;

    // Hands every waiting press of a registered combination to the handler; never blocks.
    virtual void dispatchSystemEvents() = 0;
};

std::unique_ptr<GlobalHotkeys> createGlobalHotkeys();

} // namespace platform
