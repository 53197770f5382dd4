#include "helper.h"

#include "childprocess.h"
#include "platform/instance.h"
#include "platform/registry.h"

#include <cstdio>
#include <exception>
#include <string>

bool runHelper(const std::vector<std::string>& helperArguments)
{
    ChildProcess child(helperArguments);
    child.closeInput();
    return child.wait() == 0;
}

namespace {

int holdBlock(const std::string& name, std::uint32_t value)
{
    bool existed = false;
    auto block = platform::createSharedBlock(name, HeldBlockSize, existed);
    block->writeWord(0, value);
    std::fputs(existed ? "existed\n" : "new\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

} // namespace

int helperMain(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string command = argv[1];
    try {
        if (command == "block-hold" && argc == 4)
            return holdBlock(argv[2], static_cast<std::uint32_t>(std::stoul(argv[3])));
        if (argc != 5)
            return 2;
        auto registry = platform::createRegistry();
        const auto root = platform::RootKey::CurrentUser;
        if (command == "registry-set") {
            if (!registry->createKey(root, argv[2]))
                return 1;
            registry->writeString(root, argv[2], argv[3], argv[4]);
            return 0;
        }
        if (command == "registry-expect") {
            const auto value = registry->readValue(root, argv[2], argv[3]);
            return value && *value == platform::RegistryValue(std::string(argv[4])) ? 0 : 1;
        }
    } catch (const std::exception&) {
        return 1;
    }
    return 2;
}
