#pragma once

#include "platform/errors.h"
#include "platform/registry.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

// The fixture of the registry cases. Every case gets a registry file of its own, in a folder that
// does not exist yet. (A Windows build ignores the variable and uses the real registry, hence the
// cleanup.)

inline constexpr platform::RootKey User = platform::RootKey::CurrentUser;
inline const std::string TestKey = "Software\\Tapestron Platform Tests";

inline platform::RegistryValue text(const char* value) { return std::string(value); }

// The message of the PlatformError that call throws ("" when it throws none).
template <class Call> std::string failure(Call&& call)
{
    try {
        call();
    } catch (const platform::PlatformError& error) {
        return error.what();
    }
    return "";
}

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        registry->deleteTree(User, TestKey);
        for (const char* key : {"TapestronTest.A", "TapestronTest.AB", "TapestronTest.B"})
            registry->deleteTree(platform::RootKey::ClassesRoot, key);
    }

    std::optional<platform::RegistryValue> read(const std::string& name,
                                                const std::string& key = TestKey)
    {
        return platform::createRegistry()->readValue(User, key, name);
    }

    TempDir dir;
    std::string file = dir.file("config/tapestron/registry.reg");
    ScopedEnv env{"TAPESTRON_REGISTRY", file};
    std::unique_ptr<platform::Registry> registry = platform::createRegistry();
};
