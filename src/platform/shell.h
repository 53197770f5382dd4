#pragma once

#include <memory>
#include <string>

namespace platform {

// The shell: documents and web pages opened with their "open" verb, shown normally.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens target (a URL or a file path, UTF-8) in the program the user chose for it. Returns
    // false when no such program could be started. Never waits for it.
    virtual bool open(const std::string& target) = 0;
};

std::unique_ptr<Shell> createShell();

} // namespace platform
