#pragma once

#include <QString>

#include <cstdint>

// A keyboard shortcut: a virtual-key code and its modifiers.
struct Shortcut {
    std::uint32_t key = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    bool isEmpty() const { return key == 0; }
    bool operator==(const Shortcut&) const = default;
};

// "Shift+", "Ctrl+", "Alt+" in that order, then the key's name ("R", "F5", "PgUp"); "" when the
// key has no name.
QString shortcutToText(const Shortcut& shortcut);

// The reverse, ignoring case and the order of the prefixes; text that does not parse gives the
// empty shortcut (key 0, no modifiers).
Shortcut textToShortcut(const QString& text);

// The MOD_SHIFT / MOD_CONTROL / MOD_ALT flags of the shortcut.
std::uint32_t hotKeyModifiers(const Shortcut& shortcut);
