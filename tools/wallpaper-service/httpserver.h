#pragma once

#include <httplib.h>

#include <atomic>

// An httplib server that answers one request per connection through its own socket stream, which
// lets a handler drop its connection without a byte sent (see dropResponse()).
class OneShotServer : public httplib::Server {
public:
    // Called from a request handler: nothing of this request's response reaches the client, and
    // the connection is closed once the handler has returned.
    static void dropResponse();
    // Called from a request handler or content provider: the connection is reset (RST) rather
    // than closed once the handler has returned.
    static void resetConnection();

    // Makes connections waiting for their request give up; call before stop().
    void abandonReads() { abandon_ = true; }

private:
    bool process_and_close_socket(socket_t sock) override;

    std::atomic<bool> abandon_{false};
};
