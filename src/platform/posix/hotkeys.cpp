#include "platform/hotkeys.h"

#include "desktop/session.h"
#include "desktop/x11keys.h"
#include "posixsupport.h"

#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

// There is no system-wide atom or hotkey service to talk to here, so this process keeps the
// tables itself. They are shared by every GlobalHotkeys object of the process, as the system's
// are shared by every program: a combination one object holds is taken for all others, and a
// press reaches the handler of the object that registered it. An object's hotkeys go when it
// does (as a program's do when it ends); atoms stay, as global atoms do.
// In an X session the hotkeys are also grabbed on the display's root window, through one
// connection for the whole process, so that presses reach the program whatever has the focus;
// the display then decides, as Windows does, whether a combination is free.
namespace platform {

namespace {

constexpr std::uint16_t FirstStringAtom = 0xC000;
constexpr std::size_t MaxAtomLength = 255;
constexpr std::uint32_t ModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | 0x0008; // + MOD_WIN

class PosixHotkeys;

struct Atom {
    std::string text;
    unsigned references = 0;
};

struct Hotkey {
    PosixHotkeys* owner;
    WindowHandle window;
    int id;
    std::uint32_t modifiers;
    std::uint32_t key;
};

struct Tables {
    std::mutex mutex;
    std::map<std::uint16_t, Atom> atoms;
    std::vector<Hotkey> hotkeys;
    std::unique_ptr<posix::X11KeyGrabs> grabs; // on the session's X display, when there is one
};

Tables& tables()
{
    static Tables shared;
    return shared;
}

// The grabs on the session's X display, opened again when the display changed or the connection
// broke (then with every registered hotkey grabbed anew); nullptr outside an X session.
posix::X11KeyGrabs* sessionGrabs(Tables& t)
{
    const auto display = posix::sessionX11Display();
    if (!display) {
        t.grabs.reset();
        return nullptr;
    }
    if (t.grabs && t.grabs->display() == *display && !t.grabs->broken())
        return t.grabs.get();
    t.grabs = posix::X11KeyGrabs::open(*display);
    if (t.grabs)
        for (const Hotkey& hotkey : t.hotkeys)
            t.grabs->grab(hotkey.modifiers, hotkey.key);
    return t.grabs.get();
}

// "#123" names the integer atom 123; "#" followed by anything else is an ordinary string.
// Returns 0 for a number that is no valid integer atom, nullopt when text is no number at all.
std::optional<std::uint16_t> integerAtom(const std::string& text)
{
    if (text.size() < 2 || text.front() != '#' ||
        text.find_first_not_of("0123456789", 1) != std::string::npos)
        return std::nullopt;
    unsigned long value = 0;
    for (std::size_t i = 1; i < text.size() && value < FirstStringAtom; ++i)
        value = value * 10 + static_cast<unsigned long>(text[i] - '0');
    return value > 0 && value < FirstStringAtom ? static_cast<std::uint16_t>(value) : 0;
}

class PosixHotkeys final : public GlobalHotkeys {
public:
    PosixHotkeys() = default;
    PosixHotkeys(const PosixHotkeys&) = delete;
    PosixHotkeys& operator=(const PosixHotkeys&) = delete;

    ~PosixHotkeys() override
    {
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        std::erase_if(t.hotkeys, [&](const Hotkey& hotkey) {
            if (hotkey.owner != this)
                return false;
            if (t.grabs)
                t.grabs->ungrab(hotkey.modifiers, hotkey.key);
            return true;
        });
    }

    std::uint16_t addAtom(const std::string& text) override
    {
        if (const auto number = integerAtom(text))
            return *number;
        if (text.empty() || text.size() > MaxAtomLength)
            return 0;
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        for (auto& [atom, entry] : t.atoms)
            if (posix::equalsNoCase(entry.text, text)) {
                ++entry.references;
                return atom;
            }
        // The lowest free number, so a deleted atom's number is used again as on Windows.
        std::uint32_t atom = FirstStringAtom;
        for (const auto& [used, entry] : t.atoms) {
            if (used != atom)
                break;
            ++atom;
        }
        if (atom > 0xFFFF)
            return 0;
        t.atoms[static_cast<std::uint16_t>(atom)] = Atom{text, 1};
        return static_cast<std::uint16_t>(atom);
    }

    bool deleteAtom(std::uint16_t atom) override
    {
        if (atom < FirstStringAtom)
            return true; // integer atoms, 0 included, are not counted: deleting one succeeds
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        const auto found = t.atoms.find(atom);
        if (found == t.atoms.end())
            return false;
        if (--found->second.references == 0)
            t.atoms.erase(found);
        return true;
    }

    bool registerHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override
    {
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        for (const Hotkey& hotkey : t.hotkeys)
            if ((hotkey.window == window && hotkey.id == id) ||
                (hotkey.key == virtualKey && hotkey.modifiers == (modifiers & ModifierMask)))
                return false;
        posix::X11KeyGrabs* grabs = sessionGrabs(t);
        if (grabs && !grabs->grab(modifiers & ModifierMask, virtualKey))
            return false;
        t.hotkeys.push_back(Hotkey{this, window, id, modifiers & ModifierMask, virtualKey});
        return true;
    }

    bool unregisterHotKey(WindowHandle window, int id) override
    {
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        return std::erase_if(t.hotkeys, [&](const Hotkey& hotkey) {
                   if (hotkey.window != window || hotkey.id != id)
                       return false;
                   if (t.grabs)
                       t.grabs->ungrab(hotkey.modifiers, hotkey.key);
                   return true;
               }) > 0;
    }

    void setHotKeyHandler(std::function<void(WindowHandle, int)> handler) override
    {
        std::lock_guard lock(tables().mutex);
        handler_ = std::move(handler);
    }

    bool pressKey(std::uint32_t modifiers, std::uint32_t virtualKey) override
    {
        std::function<void(WindowHandle, int)> handler;
        WindowHandle window = 0;
        int id = 0;
        {
            Tables& t = tables();
            std::lock_guard lock(t.mutex);
            const Hotkey* hit = nullptr;
            for (const Hotkey& hotkey : t.hotkeys)
                if (hotkey.key == virtualKey && hotkey.modifiers == (modifiers & ModifierMask))
                    hit = &hotkey;
            if (!hit)
                return false;
            handler = hit->owner->handler_;
            window = hit->window;
            id = hit->id;
        }
        // Outside the lock: the handler may well register or unregister hotkeys itself.
        if (handler)
            handler(window, id);
        return true;
    }

    int systemEventDescriptor() override
    {
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        const posix::X11KeyGrabs* grabs = sessionGrabs(t);
        return grabs ? grabs->descriptor() : -1;
    }

    void dispatchSystemEvents() override
    {
        std::vector<std::tuple<std::function<void(WindowHandle, int)>, WindowHandle, int>> calls;
        {
            Tables& t = tables();
            std::lock_guard lock(t.mutex);
            if (!t.grabs)
                return;
            for (const auto& [modifiers, key] : t.grabs->takePresses())
                for (const Hotkey& hotkey : t.hotkeys)
                    if (hotkey.key == key && hotkey.modifiers == modifiers)
                        calls.emplace_back(hotkey.owner->handler_, hotkey.window, hotkey.id);
            // A connection the server closed stays readable for ever: it goes, and the next
            // systemEventDescriptor opens another.
            if (t.grabs->broken())
                t.grabs.reset();
        }
        // Outside the lock: the handler may well register or unregister hotkeys itself.
        for (const auto& [handler, window, id] : calls)
            if (handler)
                handler(window, id);
    }

private:
    std::function<void(WindowHandle, int)> handler_; // guarded by the tables' mutex
};

} // namespace

std::unique_ptr<GlobalHotkeys> createGlobalHotkeys() { return std::make_unique<PosixHotkeys>(); }

} // namespace platform
