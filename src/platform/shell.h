#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

// The shell: documents and web pages opened with their "open" verb, shown normally, and what it
// tells about a file.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens target (a URL or a file path, UTF-8) in the program the user chose for it. Returns
    // false when no such program could be started. Never waits for it.
    virtual bool open(const std::string& target) = 0;
    // The name the shell gives to the type of the file at path (UTF-8; it fits the shell's buffer
    // of 80 characters with its terminating zero), or nullopt when the file can not be examined
    // (for example when it is missing).
    virtual std::optional<std::string> typeName(const std::string& path) = 0;
    // Whether the file at path is a program the system can start (SHGetFileInfo's SHGFI_EXETYPE
    // answering non-zero). False for a missing file.
    virtual bool isExecutable(const std::string& path) = 0;
    // Tells the user text (UTF-8) under title in the desktop's own way, for a program that has no
    // window to show it in. Returns false when the desktop could not be told; never waits for the
    // user.
    virtual bool notify(const std::string& title, const std::string& text) = 0;
};

std::unique_ptr<Shell> createShell();

} // namespace platform
