#pragma once

// A connection to an X server for the little the platform asks of one: the root window's
// picture, key grabs and window activation. Every wait for the server has a deadline, so a server
// that stopped answering costs a failure, never a hung program.

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>

namespace platform::posix {

struct XcbFree {
    void operator()(void* block) const { std::free(block); }
};

// A reply or error of libxcb, which leaves them to the caller to free.
template <class T> using XcbReply = std::unique_ptr<T, XcbFree>;

// How long the server may take to answer one request.
inline constexpr int X11ReplyTimeoutMs = 2000;

class X11Connection {
public:
    // The connection to display, on its default screen; nullptr when there is no server there.
    static std::unique_ptr<X11Connection> open(const std::string& display);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    const xcb_screen_t& screen() const { return *screen_; }
    xcb_window_t root() const { return screen_->root; }
    const std::string& display() const { return display_; }
    int descriptor() const { return xcb_get_file_descriptor(connection_); }
    // True once the server went away (also before anything was read from it since) or the
    // connection saw a protocol failure.
    bool broken() const;

    // The reply to the request with this sequence number; nullptr when the request failed, the
    // connection broke or the deadline passed.
    template <class T> XcbReply<T> reply(unsigned int sequence)
    {
        return XcbReply<T>(static_cast<T*>(waitForReply(sequence)));
    }

    // The atom named name (created when missing); XCB_ATOM_NONE when the server does not answer.
    xcb_atom_t atom(const char* name);

    // Waits until the server has handled every request sent so far. False when it did not in
    // time or the connection broke. Afterwards xcb_request_check answers without waiting.
    bool roundTrip();

private:
    X11Connection(xcb_connection_t* connection, const xcb_screen_t* screen, std::string display);
    void* waitForReply(unsigned int sequence);

    xcb_connection_t* connection_;
    const xcb_screen_t* screen_;
    std::string display_;
};

// Writing to a server that just died raises SIGPIPE, which would end the program; while one of
// these lives, the signal is held back on this thread and dropped, and the write simply fails.
class QuietBrokenPipe {
public:
    QuietBrokenPipe();
    ~QuietBrokenPipe();
    QuietBrokenPipe(const QuietBrokenPipe&) = delete;
    QuietBrokenPipe& operator=(const QuietBrokenPipe&) = delete;

private:
    sigset_t previous_;
    bool wasPending_ = false;
};

} // namespace platform::posix
