#include "platform/hotkeys.h"

#include "win32support.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>
#include <vector>

// Hotkeys are registered on a message-only window of each GlobalHotkeys object, under ids of
// our own: the window a caller names is the program's, and (window, id) pairs are kept here,
// shared by every object of the process as the system's own table is shared by every program.
// WM_HOTKEY then reaches that object's window and, through it, its handler.
// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-registerhotkey
namespace platform {

namespace {

constexpr UINT ModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
constexpr wchar_t WindowClass[] = L"TapestronHotkeys";
// The modifier keys, in the order a hand presses them.
constexpr std::array<std::pair<UINT, WORD>, 4> ModifierKeys = {
    {{MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}, {MOD_SHIFT, VK_SHIFT}, {MOD_WIN, VK_LWIN}}};
// How long a synthesised press may take to come back as WM_HOTKEY.
constexpr DWORD DeliveryTimeoutMs = 5000;

class Win32Hotkeys;

struct Hotkey {
    Win32Hotkeys* owner;
    WindowHandle window;
    int id;
    int systemId; // the id on the owner's message window
    UINT modifiers;
    UINT key;
};

struct Tables {
    std::mutex mutex;
    std::vector<Hotkey> hotkeys;
    int nextSystemId = 0;
    unsigned deliveries = 0; // WM_HOTKEY messages handled so far
};

Tables& tables()
{
    static Tables shared;
    return shared;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HWND createMessageWindow(Win32Hotkeys* owner)
{
    static const ATOM windowClass = [] {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = windowProc;
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.lpszClassName = WindowClass;
        return ::RegisterClassExW(&description);
    }();
    if (!windowClass)
        return nullptr;
    const HWND window = ::CreateWindowExW(0, WindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    if (window)
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

// Key down of the modifiers and the key, then key up in reverse order.
bool sendCombination(UINT modifiers, UINT key)
{
    std::vector<WORD> keys;
    for (const auto& [modifier, virtualKey] : ModifierKeys)
        if (modifiers & modifier)
            keys.push_back(virtualKey);
    keys.push_back(static_cast<WORD>(key));
    std::vector<INPUT> inputs;
    for (std::size_t i = 0; i < keys.size() * 2; ++i) {
        const bool up = i >= keys.size();
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = keys[up ? keys.size() * 2 - 1 - i : i];
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    const UINT count = static_cast<UINT>(inputs.size());
    return ::SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

class Win32Hotkeys final : public GlobalHotkeys {
public:
    Win32Hotkeys() : window_(createMessageWindow(this)) {}
    Win32Hotkeys(const Win32Hotkeys&) = delete;
    Win32Hotkeys& operator=(const Win32Hotkeys&) = delete;

    ~Win32Hotkeys() override
    {
        {
            Tables& t = tables();
            std::lock_guard lock(t.mutex);
            std::erase_if(t.hotkeys, [this](const Hotkey& hotkey) {
                if (hotkey.owner != this)
                    return false;
                ::UnregisterHotKey(window_, hotkey.systemId);
                return true;
            });
        }
        if (window_)
            ::DestroyWindow(window_);
    }

    std::uint16_t addAtom(const std::string& text) override
    {
        return ::GlobalAddAtomW(win32::toWide(text).c_str());
    }

    // GlobalDeleteAtom returns 0 on success and the atom on failure.
    bool deleteAtom(std::uint16_t atom) override { return ::GlobalDeleteAtom(atom) == 0; }

    bool registerHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override
    {
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        for (const Hotkey& hotkey : t.hotkeys)
            if (hotkey.window == window && hotkey.id == id)
                return false;
        // Ids 0 to 0xBFFF are the ones an application may use.
        const int systemId = t.nextSystemId;
        t.nextSystemId = (systemId + 1) % 0xC000;
        if (!window_ || !::RegisterHotKey(window_, systemId, modifiers, virtualKey))
            return false;
        t.hotkeys.push_back(
            Hotkey{this, window, id, systemId, modifiers & ModifierMask, virtualKey});
        return true;
    }

    bool unregisterHotKey(WindowHandle window, int id) override
    {
        Tables& t = tables();
        std::lock_guard lock(t.mutex);
        return std::erase_if(t.hotkeys, [&](const Hotkey& hotkey) {
                   if (hotkey.window != window || hotkey.id != id)
                       return false;
                   ::UnregisterHotKey(hotkey.owner->window_, hotkey.systemId);
                   return true;
               }) > 0;
    }

    void setHotKeyHandler(std::function<void(WindowHandle, int)> handler) override
    {
        std::lock_guard lock(tables().mutex);
        handler_ = std::move(handler);
    }

    // A real key press through the system's input queue, then the messages of this thread until
    // the WM_HOTKEY it causes has been handled. Hotkey windows belong to the thread that made
    // them, so this is called on that thread.
    bool pressKey(std::uint32_t modifiers, std::uint32_t virtualKey) override
    {
        Tables& t = tables();
        unsigned before = 0;
        {
            std::lock_guard lock(t.mutex);
            const bool registered =
                std::any_of(t.hotkeys.begin(), t.hotkeys.end(), [&](const Hotkey& hotkey) {
                    return hotkey.key == virtualKey &&
                           hotkey.modifiers == (modifiers & ModifierMask);
                });
            if (!registered)
                return false;
            before = t.deliveries;
        }
        if (!sendCombination(modifiers & ModifierMask, virtualKey))
            return false;
        const auto delivered = [&] {
            std::lock_guard lock(t.mutex);
            return t.deliveries != before;
        };
        const ULONGLONG deadline = ::GetTickCount64() + DeliveryTimeoutMs;
        for (;;) {
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
            const ULONGLONG now = ::GetTickCount64();
            if (delivered() || now >= deadline)
                return delivered();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                        QS_ALLINPUT);
        }
    }

    // WM_HOTKEY arrives through the thread's message loop, which the program runs anyway.
    int systemEventDescriptor() override { return -1; }
    void dispatchSystemEvents() override {}

    // WM_HOTKEY with the system id of one of our hotkeys.
    void onHotKey(int systemId)
    {
        std::function<void(WindowHandle, int)> handler;
        WindowHandle window = 0;
        int id = 0;
        {
            Tables& t = tables();
            std::lock_guard lock(t.mutex);
            const auto hit = std::find_if(t.hotkeys.begin(), t.hotkeys.end(), [&](const Hotkey& h) {
                return h.owner == this && h.systemId == systemId;
            });
            if (hit == t.hotkeys.end())
                return;
            ++t.deliveries;
            handler = handler_;
            window = hit->window;
            id = hit->id;
        }
        // Outside the lock: the handler may well register or unregister hotkeys itself.
        if (handler)
            handler(window, id);
    }

private:
    HWND window_;
    std::function<void(WindowHandle, int)> handler_; // guarded by the tables' mutex
};

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTKEY)
        if (auto* owner =
                reinterpret_cast<Win32Hotkeys*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            owner->onHotKey(static_cast<int>(wParam));
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

std::unique_ptr<GlobalHotkeys> createGlobalHotkeys() { return std::make_unique<Win32Hotkeys>(); }

} // namespace platform
