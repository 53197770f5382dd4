#include "tempenv.h"

#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

TempDir::TempDir()
{
    // create_directory is false for a name that exists, so no two folders are ever shared.
    static std::mt19937_64 random(std::random_device{}());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("tapestron-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder in " + base.string());
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const
{
    return (fs::path(path_) / fs::path(name).make_preferred()).string();
}

namespace {

#ifdef _WIN32
std::wstring widened(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                             wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

// The platform layer reads the variables of the process, not the C runtime's copy of them, and
// keeps a variable set to "" apart from a missing one (which the runtime's _putenv can not).
void setEnv(const std::string& name, const std::optional<std::string>& value)
{
    ::SetEnvironmentVariableW(widened(name).c_str(), value ? widened(*value).c_str() : nullptr);
}
#else
void setEnv(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}
#endif

} // namespace

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), old_(platform::environmentVariable(name_))
{
    setEnv(name_, value);
}

ScopedEnv::~ScopedEnv() { setEnv(name_, old_); }

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out << bytes;
}
