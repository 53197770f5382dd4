#include "helper.h"

#include "platform/registry.h"
#include "platform/system.h"

#include <cstdlib>
#include <exception>
#include <string>

bool runHelper(const std::vector<std::string>& arguments)
{
    // Double quotes work in both the POSIX shell and cmd; the arguments used never hold any.
    std::string command = "\"" + platform::executablePath() + "\" --platform-helper";
    for (const std::string& argument : arguments)
        command += " \"" + argument + "\"";
    return std::system(command.c_str()) == 0;
}

int helperMain(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    const std::string command = argv[1];
    try {
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
