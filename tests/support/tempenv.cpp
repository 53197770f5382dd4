#include "tempenv.h"

#include "platform/system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), old_(platform::environmentVariable(name_))
{
    platform::setEnvironmentVariable(name_, value);
}

ScopedEnv::~ScopedEnv() { platform::setEnvironmentVariable(name_, old_); }

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
