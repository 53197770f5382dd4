#include "../posixsupport.h"
#include "../regfile.h"
#include "backend.h"
#include "wallpaperfiles.h"
#include "x11connection.h"
#include "x11image.h"

#include <algorithm>
#include <optional>
#include <vector>

// A bare X server has no desktop to hand a file to: the program paints the screen's picture into
// a pixmap, makes it the root window's background and publishes it under the root properties
// that terminals and panels read for their "transparent" backgrounds. The pixmap outlives the
// connection (close-down mode RetainPermanent); the next change frees it by killing that
// connection's left-over resources, as every program that sets the root picture does.
namespace platform::posix {

namespace {

using Error = XcbReply<xcb_generic_error_t>;

// True when no request failed without a checked cookie of its own (such failures come in as
// events; this connection selects no others).
bool noUncheckedErrors(X11Connection& x)
{
    bool clean = true;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(x.get())})
        if (event->response_type == 0)
            clean = false;
    return clean && !x.broken();
}

// The picture's pixels, painted here and sent into the server's pixmap in strips that each fit
// in one request (the server's limit, raised by BIG-REQUESTS). Shared memory is not used: on the
// machines measured, faulting in a fresh shared block of a 4K screen cost more than the socket
// copy it saves, several times over.
class Upload {
public:
    Upload(const PixelLayout& layout, int width, int height)
        : layout_(layout), width_(width), height_(height),
          canvas_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    {
    }

    std::uint32_t* canvas() { return canvas_.data(); }

    // Sends the canvas into pixmap through gc.
    void send(X11Connection& x, xcb_pixmap_t pixmap, xcb_gcontext_t gc)
    {
        const std::size_t stride = layout_.rowBytes(width_);
        const std::size_t limit = std::size_t{xcb_get_maximum_request_length(x.get())} * 4;
        const int rows = static_cast<int>(
            std::clamp<std::size_t>((limit - sizeof(xcb_put_image_request_t)) / stride, 1,
                                    static_cast<std::size_t>(height_)));
        std::vector<std::uint8_t> converted;
        for (int top = 0; top < height_ && !x.broken(); top += rows) {
            const int count = std::min(rows, height_ - top);
            const std::uint32_t* first = canvas_.data() + static_cast<std::size_t>(top) * width_;
            const auto* data = reinterpret_cast<const std::uint8_t*>(first);
            if (!layout_.takesCanvas()) {
                converted.resize(stride * static_cast<std::size_t>(count));
                layout_.convert(first, width_, count, converted.data());
                data = converted.data();
            }
            xcb_put_image(x.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc,
                          static_cast<std::uint16_t>(width_), static_cast<std::uint16_t>(count), 0,
                          static_cast<std::int16_t>(top), 0, layout_.depth,
                          static_cast<std::uint32_t>(stride * count), data);
        }
    }

private:
    const PixelLayout& layout_;
    int width_;
    int height_;
    std::vector<std::uint32_t> canvas_;
};

// The pixmap a root property names, XCB_NONE when it names none.
class RootProperty {
public:
    RootProperty(X11Connection& x, xcb_atom_t name)
        : x_(x), cookie_(xcb_get_property(x.get(), 0, x.root(), name, XCB_ATOM_PIXMAP, 0, 1))
    {
    }

    xcb_pixmap_t pixmap()
    {
        const auto value = x_.reply<xcb_get_property_reply_t>(cookie_.sequence);
        if (!value || value->type != XCB_ATOM_PIXMAP || value->format != 32 ||
            xcb_get_property_value_length(value.get()) != 4)
            return XCB_NONE;
        return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(value.get()));
    }

private:
    X11Connection& x_;
    xcb_get_property_cookie_t cookie_;
};

class X11Backend final : public DesktopBackend {
public:
    X11Backend(std::string display, std::shared_ptr<PicturePainter> painter)
        : display_(std::move(display)), painter_(std::move(painter))
    {
    }

    bool takesFiles() const override { return false; }

    bool apply(const WallpaperRequest& request) override
    {
        if (!painter_)
            return false;
        const QuietBrokenPipe quiet;
        const auto x = X11Connection::open(display_);
        if (!x)
            return false;
        const auto layout = rootPixelLayout(*xcb_get_setup(x->get()), x->screen());
        if (!layout)
            return false;
        const int width = x->screen().width_in_pixels;
        const int height = x->screen().height_in_pixels;
        Upload upload(*layout, width, height);
        std::uint32_t* canvas = upload.canvas();
        if (request.picture.empty())
            std::fill_n(canvas, static_cast<std::size_t>(width) * height, request.background);
        else if (!painter_->paint(request.picture, request.placement, request.originX,
                                  request.originY, request.background, width, height, canvas))
            return false;

        const xcb_pixmap_t pixmap = xcb_generate_id(x->get());
        xcb_create_pixmap(x->get(), layout->depth, pixmap, x->root(),
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
        const xcb_gcontext_t gc = xcb_generate_id(x->get());
        xcb_create_gc(x->get(), gc, pixmap, 0, nullptr);
        upload.send(*x, pixmap, gc);
        xcb_free_gc(x->get(), gc);
        // Nothing on the root changes unless the picture made it into the pixmap.
        if (!x->roundTrip() || !noUncheckedErrors(*x))
            return false;
        return publish(*x, pixmap);
    }

    bool setBackground(const WallpaperRequest& current) override { return apply(current); }

    // The root's picture is a pixmap of the server, not a file the program could copy: it is
    // read back into a bitmap beside the registry, of the screen's size, so it fills the screen
    // again when it is put back.
    DesktopState read() override
    {
        const QuietBrokenPipe quiet;
        const auto x = X11Connection::open(display_);
        if (!x)
            return {};
        const auto layout = rootPixelLayout(*xcb_get_setup(x->get()), x->screen());
        const xcb_atom_t name = x->atom("_XROOTPMAP_ID");
        const xcb_pixmap_t pixmap =
            name == XCB_ATOM_NONE ? XCB_NONE : RootProperty(*x, name).pixmap();
        if (!layout || pixmap == XCB_NONE)
            return {};
        const auto size =
            x->reply<xcb_get_geometry_reply_t>(xcb_get_geometry(x->get(), pixmap).sequence);
        if (!size || size->depth != layout->depth || size->width == 0 || size->height == 0)
            return {};
        auto image = x->reply<xcb_get_image_reply_t>(
            xcb_get_image(x->get(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0, size->width,
                          size->height, ~0u)
                .sequence);
        const std::size_t bytes = layout->rowBytes(size->width) * size->height;
        if (!image || static_cast<std::size_t>(xcb_get_image_data_length(image.get())) < bytes)
            return {};
        std::vector<std::uint32_t> canvas(std::size_t{size->width} * size->height);
        layout->read(xcb_get_image_data(image.get()), size->width, size->height, canvas.data());
        image.reset(); // as large as the canvas: not kept while the bitmap is written
        const std::string folder = parentFolder(registryFilePath());
        if (!makeDirectories(folder))
            return {};
        const auto file =
            publishCanvas(folder + "/root-background.bmp", canvas, size->width, size->height);
        if (!file)
            return {};
        return DesktopState{*file, Placement::Stretched, std::nullopt};
    }

private:
    // Makes pixmap the root window's background and its published picture, in place of the one
    // set before.
    static bool publish(X11Connection& x, xcb_pixmap_t pixmap)
    {
        const xcb_atom_t rootPixmap = x.atom("_XROOTPMAP_ID");
        const xcb_atom_t setRootPixmap = x.atom("ESETROOT_PMAP_ID");
        if (rootPixmap == XCB_ATOM_NONE || setRootPixmap == XCB_ATOM_NONE)
            return false;
        RootProperty shown(x, rootPixmap);
        RootProperty set(x, setRootPixmap);
        const xcb_pixmap_t old = shown.pixmap();
        // Only a pixmap published under both names was left behind by a setter like this one;
        // anything else may belong to a program that is still running.
        std::optional<xcb_void_cookie_t> kill;
        if (old != XCB_NONE && set.pixmap() == old)
            kill = xcb_kill_client_checked(x.get(), old);
        xcb_change_window_attributes(x.get(), x.root(), XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(x.get(), 0, x.root(), 0, 0, 0, 0);
        for (const xcb_atom_t name : {rootPixmap, setRootPixmap})
            xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, x.root(), name, XCB_ATOM_PIXMAP, 32,
                                1, &pixmap);
        xcb_set_close_down_mode(x.get(), XCB_CLOSE_DOWN_RETAIN_PERMANENT);
        if (!x.roundTrip())
            return false;
        // Its resources may be gone already (a server reset): nothing is left to free then.
        if (kill)
            Error(xcb_request_check(x.get(), *kill));
        return noUncheckedErrors(x);
    }

    std::string display_;
    std::shared_ptr<PicturePainter> painter_;
};

} // namespace

std::unique_ptr<DesktopBackend> makeX11Backend(std::string display,
                                               std::shared_ptr<PicturePainter> painter)
{
    return std::make_unique<X11Backend>(std::move(display), std::move(painter));
}

} // namespace platform::posix
