#pragma once

#include <optional>
#include <string>

// Whether this build runs under AddressSanitizer, whose shadow memory and quarantine of freed
// blocks make resident memory say nothing about the code measured.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool UnderAddressSanitizer = true;
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif

// A fresh temporary folder, removed with everything in it at the end of the scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // name (which may use "/" between folders) inside path(), with the native separators
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Sets (or, with nullopt, unsets) an environment variable for the scope and puts the old value
// back.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Whole-file helpers for assertions and set-up.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
