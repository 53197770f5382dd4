#include "xserver.h"

#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <stdexcept>

namespace {

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

std::vector<std::string> xvfbArguments(int width, int height, int depth,
                                       const std::vector<std::string>& extra)
{
    std::vector<std::string> argv{"Xvfb",
                                  "-noreset",
                                  "-nolisten",
                                  "tcp",
                                  "-displayfd",
                                  "3",
                                  "-screen",
                                  "0",
                                  std::to_string(width) + "x" + std::to_string(height) + "x" +
                                      std::to_string(depth)};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return argv;
}

} // namespace

XServer::XServer(int width, int height, int depth, const std::vector<std::string>& extra)
    : server_(xvfbArguments(width, height, depth, extra)), display_(":" + server_.announced()),
      connection_(xcb_connect(display_.c_str(), nullptr))
{
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        throw std::runtime_error("can not connect to " + display_);
    }
}

XServer::~XServer() { xcb_disconnect(connection_); }

xcb_window_t XServer::root() const
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

std::vector<std::uint32_t> XServer::rootPixels() const
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const int width = screen->width_in_pixels, height = screen->height_in_pixels;
    const Reply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(connection_,
                            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root(), 0, 0,
                                          screen->width_in_pixels, screen->height_in_pixels, ~0u),
                            nullptr),
        &std::free);
    if (!image)
        return {};
    const std::uint8_t* data = xcb_get_image_data(image.get());
    const int length = xcb_get_image_data_length(image.get());
    const int bytes = length / (width * height); // rows of these sizes need no padding
    std::vector<std::uint32_t> pixels;
    for (int i = 0; i + bytes <= length; i += bytes) {
        std::uint32_t value = 0;
        for (int b = bytes - 1; b >= 0; --b)
            value = value << 8 | data[i + b];
        pixels.push_back(bytes == 4 ? value & 0xFFFFFF : value);
    }
    return pixels;
}

xcb_atom_t XServer::atom(const std::string& name) const
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<xcb_pixmap_t> XServer::rootPixmap(const std::string& name) const
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, root(), atom(name), XCB_ATOM_PIXMAP, 0, 1), nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
}

std::optional<std::pair<int, int>> XServer::pixmapSize(xcb_pixmap_t pixmap) const
{
    xcb_generic_error_t* error = nullptr;
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, pixmap), &error),
        &std::free);
    std::free(error);
    if (!reply)
        return std::nullopt;
    return std::make_pair(int{reply->width}, int{reply->height});
}

xcb_keycode_t XServer::keycode(xcb_keysym_t keysym) const
{
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const Reply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr),
        &std::free);
    if (!mapping)
        return 0;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    for (int key = 0; key < count; ++key)
        if (keysyms[key * mapping->keysyms_per_keycode] == keysym)
            return static_cast<xcb_keycode_t>(setup->min_keycode + key);
    return 0;
}

bool XServer::grabKey(std::uint16_t modifiers, xcb_keycode_t key) const
{
    xcb_generic_error_t* error = xcb_request_check(
        connection_, xcb_grab_key_checked(connection_, 0, root(), modifiers, key,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

void XServer::ungrabKeys() const
{
    xcb_ungrab_key(connection_, XCB_GRAB_ANY, root(), XCB_MOD_MASK_ANY);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>
XServer::waitForEvent(int milliseconds) const
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    xcb_flush(connection_);
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            return {event, &std::free};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(connection_))
            return {nullptr, &std::free};
        pollfd wait{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&wait, 1, static_cast<int>(left.count()));
    }
}

bool haveXvfb() { return onPath("Xvfb"); }
