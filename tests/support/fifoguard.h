#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// For the cases of readers that must never wait on a FIFO (POSIX only).

inline void makeFifo(const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }

// Runs read on a thread of its own; false when it is still busy after a few seconds. A reader
// stuck in open() on one of fifos is then set free by opening that FIFO's other end, so a case
// that fails still ends instead of hanging the suite.
inline bool finishesPromptly(const std::function<void()>& read,
                             const std::vector<std::string>& fifos)
{
    using namespace std::chrono_literals;
    auto done = std::async(std::launch::async, read);
    const bool prompt = done.wait_for(5s) == std::future_status::ready;
    while (done.wait_for(50ms) != std::future_status::ready)
        for (const std::string& fifo : fifos)
            if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd);
    try {
        done.get();
    } catch (...) {
        ADD_FAILURE() << "the reader threw instead of failing in its ordinary way";
    }
    return prompt;
}
