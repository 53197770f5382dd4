#pragma once

#include <string>
#include <vector>

// Folders the process may not write to, for the scope: their write permissions taken away, or,
// as root, which ignores permissions, each mounted read-only over itself.
class ReadOnlyFolders {
public:
    explicit ReadOnlyFolders(const std::vector<std::string>& folders);
    ~ReadOnlyFolders();
    ReadOnlyFolders(const ReadOnlyFolders&) = delete;
    ReadOnlyFolders& operator=(const ReadOnlyFolders&) = delete;

    // False when a folder could not be made read-only (root without the right to mount).
    bool made() const { return made_; }

private:
    std::vector<std::string> folders_;
    bool made_ = false;
};
