#include "helper.h"

#include "childprocess.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system.h"

#include <cstdio>
#include <exception>
#include <string>

bool runHelper(const std::vector<std::string>& helperArguments, const std::string& program)
{
    ChildProcess child(helperArguments, program);
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

// The file as the program reads it; "-" when it can not be read.
std::string programFileText(const std::string& path)
{
    const int fd = platform::openRegularFileForReading(path);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (!file)
        return "-";
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

// The program's own writes in its folder, made the way the catalog refresh and the plug-in list
// make them, each followed by what a read of it then finds.
int writeInProgramFolder()
{
    const std::string data = platform::programDir() + "data" + platform::pathSeparator();
    auto part = platform::createExclusiveFile(data + "cat.tsl.part");
    if (!part || !part->write("fresh", 5))
        return 1;
    part.reset();
    const bool moved = platform::moveFileNoReplace(data + "cat.tsl", data + "cat1.tsl") &&
                       platform::moveFileReplacing(data + "cat.tsl.part", data + "cat.tsl");
    platform::writeProfileString(data + "plugins.ini", "showopen.exe", "Status", "enabled");
    std::printf(
        "%s %s %s %s %d\n", programFileText(data + "cat.tsl").c_str(),
        programFileText(data + "cat1.tsl").c_str(),
        platform::getProfileString(data + "plugins.ini", "showopen.exe", "Status", "-").c_str(),
        programFileText(data + "cat.tsl.part").c_str(), moved);
    const bool deleted = platform::deleteFile(data + "cat.tsl");
    std::printf("%s %d\n", programFileText(data + "cat.tsl").c_str(), deleted);
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
        if (command == "write-in-program-folder")
            return writeInProgramFolder();
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
