#include "readonlyfolders.h"

#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;

ReadOnlyFolders::ReadOnlyFolders(const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        if (::geteuid() != 0) {
            fs::permissions(
                folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
        } else if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return;
        } else if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                           nullptr) != 0) {
            ::umount2(folder.c_str(), MNT_DETACH);
            return;
        }
        folders_.push_back(folder);
    }
    made_ = true;
}

ReadOnlyFolders::~ReadOnlyFolders()
{
    // Innermost first, so each mount is undone from the top.
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
        if (::geteuid() != 0)
            fs::permissions(*folder, fs::perms::owner_write, fs::perm_options::add);
        else
            ::umount2(folder->c_str(), MNT_DETACH);
    }
}
