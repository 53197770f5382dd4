#include "x11connection.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <xcb/xcbext.h>

namespace platform::posix {

namespace {

bool sigpipePending()
{
    sigset_t pending;
    sigemptyset(&pending);
    return ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

} // namespace

std::unique_ptr<X11Connection> X11Connection::open(const std::string& display)
{
    if (display.empty())
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(display.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skip = 0; skip < screenNumber && screens.rem > 0; ++skip)
        xcb_screen_next(&screens);
    if (screens.rem <= 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11Connection>(new X11Connection(connection, screens.data, display));
}

X11Connection::X11Connection(xcb_connection_t* connection, const xcb_screen_t* screen,
                             std::string display)
    : connection_(connection), screen_(screen), display_(std::move(display))
{
}

X11Connection::~X11Connection() { xcb_disconnect(connection_); }

bool X11Connection::broken() const
{
    if (xcb_connection_has_error(connection_))
        return true;
    pollfd hangUp{descriptor(), 0, 0};
    return ::poll(&hangUp, 1, 0) > 0 && (hangUp.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void* X11Connection::waitForReply(unsigned int sequence)
{
    const QuietBrokenPipe quiet;
    xcb_flush(connection_);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(X11ReplyTimeoutMs);
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &reply, &error)) {
            std::free(error);
            return reply;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (broken() || left.count() <= 0)
            return nullptr;
        pollfd wait{descriptor(), POLLIN, 0};
        ::poll(&wait, 1, static_cast<int>(left.count()) + 1);
    }
}

xcb_atom_t X11Connection::atom(const char* name)
{
    const auto cookie =
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const auto answer = reply<xcb_intern_atom_reply_t>(cookie.sequence);
    return answer ? answer->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool X11Connection::roundTrip()
{
    return reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection_).sequence) != nullptr;
}

QuietBrokenPipe::QuietBrokenPipe()
{
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, &previous_);
    wasPending_ = sigpipePending();
}

QuietBrokenPipe::~QuietBrokenPipe()
{
    if (!wasPending_ && sigpipePending()) {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        const timespec now{};
        ::sigtimedwait(&pipe, nullptr, &now);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace platform::posix
