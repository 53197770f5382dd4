#include "hotkeyedit.h"

#include <QKeyEvent>

namespace {

// The virtual-key code of a Qt key, 0 for keys a shortcut can not name.
std::uint32_t virtualKey(int key)
{
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<std::uint32_t>(key); // same codes in both tables
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 0x70 + static_cast<std::uint32_t>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    default:
        return 0;
    }
}

} // namespace

HotKeyEdit::HotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
}

void HotKeyEdit::setHotKey(const Shortcut& shortcut)
{
    shortcut_ = shortcut;
    setText(shortcutToText(shortcut));
}

void HotKeyEdit::keyPressEvent(QKeyEvent* event)
{
    const std::uint32_t key = virtualKey(event->key());
    if (key == 0)
        return;
    Shortcut shortcut;
    shortcut.key = key;
    shortcut.shift = event->modifiers() & Qt::ShiftModifier;
    shortcut.ctrl = event->modifiers() & Qt::ControlModifier;
    shortcut.alt = event->modifiers() & Qt::AltModifier;
    if (!shortcut.ctrl && !shortcut.alt)
        shortcut.alt = true;
    setHotKey(shortcut);
}
