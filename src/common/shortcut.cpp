#include "shortcut.h"

#include "platform/hotkeys.h"

#include <array>
#include <utility>

namespace {

// Keys with a name of their own; letters, digits and F1..F12 are named by rule.
constexpr std::array<std::pair<std::uint32_t, const char*>, 15> NamedKeys{{
    {0x08, "BkSp"},
    {0x09, "Tab"},
    {0x0D, "Enter"},
    {0x1B, "Esc"},
    {0x20, "Space"},
    {0x21, "PgUp"},
    {0x22, "PgDn"},
    {0x23, "End"},
    {0x24, "Home"},
    {0x25, "Left"},
    {0x26, "Up"},
    {0x27, "Right"},
    {0x28, "Down"},
    {0x2D, "Ins"},
    {0x2E, "Del"},
}};

QString keyName(std::uint32_t key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return QString(QChar(static_cast<char16_t>(key)));
    if (key >= 0x70 && key <= 0x7B) // VK_F1 .. VK_F12
        return QStringLiteral("F%1").arg(key - 0x70 + 1);
    for (const auto& [code, name] : NamedKeys)
        if (code == key)
            return QString::fromLatin1(name);
    return QString();
}

bool takePrefix(QStringView& text, QStringView prefix)
{
    if (!text.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    text = text.mid(prefix.size());
    return true;
}

} // namespace

QString shortcutToText(const Shortcut& shortcut)
{
    const QString name = keyName(shortcut.key);
    if (name.isEmpty())
        return QString();
    QString text;
    if (shortcut.shift)
        text += QStringLiteral("Shift+");
    if (shortcut.ctrl)
        text += QStringLiteral("Ctrl+");
    if (shortcut.alt)
        text += QStringLiteral("Alt+");
    return text + name;
}

Shortcut textToShortcut(const QString& text)
{
    Shortcut result;
    QStringView rest(text);
    for (;;) {
        if (takePrefix(rest, u"Shift+"))
            result.shift = true;
        else if (takePrefix(rest, u"Ctrl+") || takePrefix(rest, u"^"))
            result.ctrl = true;
        else if (takePrefix(rest, u"Alt+"))
            result.alt = true;
        else
            break;
    }
    for (std::uint32_t key = 0x08; key <= 0xFF; ++key) {
        const QString name = keyName(key);
        if (!name.isEmpty() && rest.compare(name, Qt::CaseInsensitive) == 0) {
            result.key = key;
            return result;
        }
    }
    return Shortcut{};
}

std::uint32_t hotKeyModifiers(const Shortcut& shortcut)
{
    return (shortcut.shift ? platform::MOD_SHIFT : 0u) |
           (shortcut.ctrl ? platform::MOD_CONTROL : 0u) | (shortcut.alt ? platform::MOD_ALT : 0u);
}
