#include "x11keys.h"

#include "platform/hotkeys.h"

#include <algorithm>
#include <array>
#include <optional>

namespace platform::posix {

namespace {

constexpr std::uint32_t MOD_WIN = 0x0008;
constexpr xcb_keysym_t NumLockKeysym = 0xFF7F;

// Windows virtual keys with a keysym that is not theirs by rule (digits, letters, F keys and
// the number pad are).
constexpr std::array<std::pair<std::uint32_t, xcb_keysym_t>, 32> NamedKeys{{
    {0x08, 0xFF08}, // Backspace
    {0x09, 0xFF09}, // Tab
    {0x0D, 0xFF0D}, // Enter: Return
    {0x1B, 0xFF1B}, // Esc
    {0x20, 0x0020}, // Space
    {0x21, 0xFF55}, // Page Up: Prior
    {0x22, 0xFF56}, // Page Down: Next
    {0x23, 0xFF57}, // End
    {0x24, 0xFF50}, // Home
    {0x25, 0xFF51}, // Left
    {0x26, 0xFF52}, // Up
    {0x27, 0xFF53}, // Right
    {0x28, 0xFF54}, // Down
    {0x2D, 0xFF63}, // Insert
    {0x2E, 0xFFFF}, // Delete
    {0x6A, 0xFFAA}, // number pad *
    {0x6B, 0xFFAB}, // number pad +
    {0x6C, 0xFFAC}, // number pad separator
    {0x6D, 0xFFAD}, // number pad -
    {0x6E, 0xFFAE}, // number pad decimal point
    {0x6F, 0xFFAF}, // number pad /
    // The punctuation keys, by what they give unshifted on a US keyboard.
    {0xBA, 0x003B}, // ;
    {0xBB, 0x003D}, // = (the + key)
    {0xBC, 0x002C}, // ,
    {0xBD, 0x002D}, // -
    {0xBE, 0x002E}, // .
    {0xBF, 0x002F}, // /
    {0xC0, 0x0060}, // `
    {0xDB, 0x005B}, // [
    {0xDC, 0x005C}, // backslash
    {0xDD, 0x005D}, // ]
    {0xDE, 0x0027}, // '
}};

std::optional<xcb_keysym_t> keysymOf(std::uint32_t virtualKey)
{
    if (virtualKey >= '0' && virtualKey <= '9')
        return virtualKey;
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return virtualKey - 'A' + 'a';            // the keysym of the unshifted letter
    if (virtualKey >= 0x60 && virtualKey <= 0x69) // number pad digits
        return 0xFFB0 + (virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x87) // F1 .. F24
        return 0xFFBE + (virtualKey - 0x70);
    for (const auto& [key, keysym] : NamedKeys)
        if (key == virtualKey)
            return keysym;
    return std::nullopt;
}

std::uint16_t maskOf(std::uint32_t modifiers)
{
    std::uint16_t mask = 0;
    if (modifiers & MOD_SHIFT)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & MOD_CONTROL)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & MOD_ALT)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & MOD_WIN)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

} // namespace

std::unique_ptr<X11KeyGrabs> X11KeyGrabs::open(const std::string& display)
{
    auto x = X11Connection::open(display);
    if (!x)
        return nullptr;
    const xcb_setup_t* setup = xcb_get_setup(x->get());
    const auto first = setup->min_keycode;
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - first + 1);
    const auto keyboard = x->reply<xcb_get_keyboard_mapping_reply_t>(
        xcb_get_keyboard_mapping(x->get(), first, count).sequence);
    const auto modifiers =
        x->reply<xcb_get_modifier_mapping_reply_t>(xcb_get_modifier_mapping(x->get()).sequence);
    if (!keyboard || !modifiers)
        return nullptr;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    std::vector<xcb_keysym_t> table(
        keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(keyboard.get()));
    auto grabs = std::unique_ptr<X11KeyGrabs>(
        new X11KeyGrabs(std::move(x), std::move(table), keyboard->keysyms_per_keycode, 0));
    // The modifier mapping lists the keycodes of each of the eight modifiers in turn.
    const xcb_keycode_t numLock = grabs->keycodeOf(NumLockKeysym);
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int i = 0; numLock != 0 && i < 8 * perModifier; ++i)
        if (codes[i] == numLock)
            grabs->numLock_ = static_cast<std::uint16_t>(1u << (i / perModifier));
    return grabs;
}

X11KeyGrabs::X11KeyGrabs(std::unique_ptr<X11Connection> x, std::vector<xcb_keysym_t> keysyms,
                         int keysymsPerKeycode, std::uint16_t numLock)
    : x_(std::move(x)), keysyms_(std::move(keysyms)), keysymsPerKeycode_(keysymsPerKeycode),
      numLock_(numLock)
{
}

// The key that gives keysym, preferring one that gives it unshifted; 0 when none does.
xcb_keycode_t X11KeyGrabs::keycodeOf(xcb_keysym_t keysym) const
{
    if (keysymsPerKeycode_ <= 0)
        return 0;
    const std::size_t keys = keysyms_.size() / static_cast<std::size_t>(keysymsPerKeycode_);
    const auto first = xcb_get_setup(x_->get())->min_keycode;
    for (int column = 0; column < keysymsPerKeycode_; ++column)
        for (std::size_t key = 0; key < keys; ++key)
            if (keysyms_[key * static_cast<std::size_t>(keysymsPerKeycode_) +
                         static_cast<std::size_t>(column)] == keysym)
                return static_cast<xcb_keycode_t>(first + key);
    return 0;
}

std::vector<std::uint16_t> X11KeyGrabs::lockVariants(std::uint16_t mask) const
{
    std::vector<std::uint16_t> variants{mask, static_cast<std::uint16_t>(mask | XCB_MOD_MASK_LOCK)};
    if (numLock_ != 0)
        for (const std::uint16_t variant : {mask, variants[1]})
            variants.push_back(static_cast<std::uint16_t>(variant | numLock_));
    return variants;
}

bool X11KeyGrabs::grab(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const auto keysym = keysymOf(virtualKey);
    const xcb_keycode_t keycode = keysym ? keycodeOf(*keysym) : 0;
    if (keycode == 0)
        return true; // a key this keyboard can not press: nothing to catch
    const QuietBrokenPipe quiet;
    const std::uint16_t mask = maskOf(modifiers);
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint16_t variant : lockVariants(mask))
        cookies.push_back(xcb_grab_key_checked(x_->get(), 0, x_->root(), variant, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool granted = x_->roundTrip();
    // Every answer is collected, so none is left behind for a later check.
    for (const xcb_void_cookie_t cookie : cookies)
        if (XcbReply<xcb_generic_error_t>(xcb_request_check(x_->get(), cookie)) || !granted)
            granted = false;
    if (!granted) {
        // Another client holds some of the variants: the rest are let go, as none was taken.
        for (const std::uint16_t variant : lockVariants(mask))
            xcb_ungrab_key(x_->get(), keycode, x_->root(), variant);
        x_->roundTrip();
        return false;
    }
    grabs_.push_back(Grab{modifiers, virtualKey, keycode, mask});
    return true;
}

void X11KeyGrabs::ungrab(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const auto found = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        return grab.modifiers == modifiers && grab.virtualKey == virtualKey;
    });
    if (found == grabs_.end())
        return;
    const QuietBrokenPipe quiet;
    for (const std::uint16_t variant : lockVariants(found->mask))
        xcb_ungrab_key(x_->get(), found->keycode, x_->root(), variant);
    grabs_.erase(found);
    // Taken by the server before anyone else may grab the combination.
    x_->roundTrip();
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> X11KeyGrabs::takePresses()
{
    constexpr std::uint16_t Significant =
        XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> presses;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(x_->get())}) {
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
            continue;
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
        const std::uint16_t mask = press->state & Significant;
        for (const Grab& grab : grabs_)
            if (grab.keycode == press->detail && grab.mask == mask)
                presses.emplace_back(grab.modifiers, grab.virtualKey);
    }
    return presses;
}

} // namespace platform::posix
