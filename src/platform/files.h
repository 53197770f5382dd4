#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// File operations with the Windows semantics the program relies on. Paths are UTF-8 and use the
// native separator. Every call reports failure by its result; none throws.
namespace platform {

inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

// The native path separator ("\" on Windows, "/" elsewhere).
char pathSeparator();

bool fileExists(const std::string& path);      // an existing file (not a folder)
bool directoryExists(const std::string& path); // an existing folder

// Creates one folder; the parent must exist. False when it exists already or can not be made.
bool createDirectory(const std::string& path);

// False for a folder and, as on Windows, for a read-only file.
bool deleteFile(const std::string& path);

// Moves a file; never replaces: false when target exists.
bool moveFileNoReplace(const std::string& from, const std::string& to);

// Moves a file over target, replacing it in one step (the last step of a safe whole-file write).
// A read-only target is replaced too, as rename(2) replaces it.
bool moveFileReplacing(const std::string& from, const std::string& to);

// Writes what the system still holds of the closed file at path to the disk, so that a rename
// over user data can not leave an empty file after a power cut. False when it can not be done.
bool flushFileToDisk(const std::string& path);

// Copies every byte of from into a new file beside to and moves that over to, inside the system
// where it can, so to is always either the old file or the whole copy: a link at to is replaced,
// never written through, and the other names of a hard-linked to keep the old contents. The copy
// is a plain, writable file whatever the attributes or permissions of from. False when from can
// not be read or the copy can not be written or moved; to is then as it was, and no temporary
// file is left behind.
bool copyFileReplacing(const std::string& from, const std::string& to);

// A name for a new temporary file beside target that no other write of this process uses:
// "<target>.tmp<process id>-<n>". The writer's process id in the name tells a file left by a
// writer that was killed from one still being written.
std::string temporaryFileName(const std::string& target);

// Removes from folder (not its subfolders) the temporary files named as temporaryFileName names
// them whose writer is no longer running: those made for the file called name in folder, or, with
// an empty name, all of them. Files of any other name, and those of a writer still running, stay.
// Returns how many were removed.
int removeStaleTemporaries(const std::string& folder, const std::string& name = {});

// Opens path for reading when it names a regular file, never waiting for anyone: opening a FIFO
// or a device could wait forever for a writer or the hardware. The C runtime's descriptor, closed
// with the runtime's close and not inherited by child processes, or -1 when the file can not be
// opened (errno says why) or is a folder, FIFO, device or socket (notRegular, when given, tells
// which).
int openRegularFileForReading(const std::string& path, bool* notRegular = nullptr);

// One entry found by findFiles.
struct FoundFile {
    std::string name; // the name without folder
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
};

// The entries of one folder whose names match mask ("*" and "?" wildcards, no case; "*.*" matches
// every name), "." and ".." included as the system reports them, in the system's enumeration
// order. POSIX: a name that begins with "." is hidden; symbolic links to folders carry the
// reparse-point attribute; entries that are neither files nor folders are not reported.
std::vector<FoundFile> findFiles(const std::string& folder, const std::string& mask);

// A file open for writing that nobody else can open while it lives; closed when destroyed.
// POSIX: the exclusion is an flock lock, which binds only programs that take it too.
class ExclusiveFile {
public:
    virtual ~ExclusiveFile() = default;
    // Appends size bytes; false when not all of them could be written.
    virtual bool write(const char* data, std::size_t size) = 0;
};

// Creates path for writing, anew or truncated, and holds it exclusively. nullptr when it can not
// be created or another holder has it open; the file is then left as it was.
std::unique_ptr<ExclusiveFile> createExclusiveFile(const std::string& path);

} // namespace platform
