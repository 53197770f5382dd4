#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// A refused operating-system call. what() carries the text shown to the user (UTF-8).
class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace platform
