#pragma once

// Small POSIX helpers shared by the files of this backend.

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// Owns one file descriptor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// The text of the current errno.
std::string errnoText();

// ASCII-only case folding: names here are compared the way the emulated services compare them
// for plain Latin letters, which is all the program uses.
char asciiLower(char c);
bool equalsNoCase(std::string_view a, std::string_view b);

// text with every %NAME% that names an environment variable replaced by its value, as Windows
// expands such strings: names without regard to case where no variable has the exact name; an
// unknown name, "%%" and a lone "%" stay as they are.
std::string expandEnvironmentStrings(std::string_view text);

// The whole file (its per-user copy first, as every read: programstore.h). nullopt with errno set
// when it can not be read (ENOENT when it is missing) or is no regular file (a FIFO, device or
// folder is never opened in a way that could wait).
std::optional<std::string> readWholeFile(const std::string& path);

// A new file beside target that takes target's name in one step (rename), so a reader, a full
// disk or a crash sees either the old file or the whole new one, never half of it. Whatever is
// at target, a symbolic link included, is replaced, never written through. Without a successful
// commit() the new file is removed again when the object goes.
class ReplacementFile {
public:
    // Creates the file with the usual permissions of a new file. Test it with the bool operator;
    // errno says why it could not be made.
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    explicit operator bool() const { return bool(fd_); }
    int fd() const { return fd_.get(); }

    // User data is flushed to the disk before it takes the target's place, so that a power cut
    // can not leave an empty file in its stead; a copy the program can make again need not wait.
    enum class Durability { Flushed, Remakeable };

    // Whether the new file may take the place of one already at target.
    enum class Placement { Replacing, NoReplace };

    // Closes the file and renames it to target, flushing it first where asked. False, with
    // errno set, when any step fails (EEXIST: NoReplace found a file there); target is untouched
    // then.
    bool commit(Durability durability = Durability::Flushed,
                Placement placement = Placement::Replacing);

private:
    std::string target_;
    std::string temporary_;
    UniqueFd fd_;
    bool committed_ = false;
};

// Replaces the file's contents in one step through a ReplacementFile. A symbolic link is followed
// and its target replaced; the target's permissions are kept. False, with errno set, on failure;
// the target is untouched then.
bool replaceFileContents(const std::string& path, const std::string& bytes);

// False, with errno set, when the existing file at path can not be opened for writing. A missing
// file is no error: the write would create it.
bool existingFileWritable(const std::string& path);

// Creates the folder and every missing parent.
bool makeDirectories(const std::string& path);

// The folder part of path ("" when it has none), without the final separator.
std::string parentFolder(const std::string& path);

// ${XDG_CONFIG_HOME:-$HOME/.config}
std::string userConfigHome();

// ${XDG_DATA_HOME:-$HOME/.local/share}
std::string userDataHome();

} // namespace platform::posix
