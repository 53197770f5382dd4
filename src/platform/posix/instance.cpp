#include "platform/instance.h"

#include "platform/errors.h"
#include "posixsupport.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A named block lives in POSIX shared memory. Such an object outlives its processes, while the
// block it stands in for (a mapping on the paging file) vanishes with its last holder, so every
// holder keeps a shared lock on byte 1 of the object for as long as it has the block. Whether
// anyone else holds it is then a matter of trying an exclusive lock there. Byte 0 is a gate
// that makes that check, the set-up of a new block and the removal by the last holder one step.
// All locks are open-file-description locks: they belong to the descriptor, so two holders in
// one process do not share them, and the kernel drops them when a holder dies, even by SIGKILL.
namespace platform {

namespace {

using posix::UniqueFd;

constexpr off_t GateByte = 0;
constexpr off_t HolderByte = 1;

bool setLock(int fd, short type, off_t byte, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    while (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

// Holds the gate of one object for a scope.
class Gate {
public:
    explicit Gate(int fd) : fd_(fd)
    {
        if (!setLock(fd_, F_WRLCK, GateByte, true))
            throw PlatformError(posix::errnoText());
    }
    ~Gate() { setLock(fd_, F_UNLCK, GateByte, false); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

private:
    int fd_;
};

// The object name: the block's name may be a long path with any characters, the object name
// is one short component. The user id keeps users apart, as their sessions are on Windows.
std::string objectName(const std::string& name)
{
    std::uint64_t hash = 0xcbf29ce484222325ull; // 64-bit FNV-1a
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[static_cast<std::size_t>(i)] = Digits[hash & 15];
    return "/tapestron-" + std::to_string(::getuid()) + "-" + hex;
}

// True when the name still leads to the object open as fd. The last holder may have removed
// it (and someone may have made a new one) between opening and taking the gate.
bool stillNamed(int fd, const std::string& object)
{
    UniqueFd again(::shm_open(object.c_str(), O_RDONLY | O_CLOEXEC, 0));
    struct stat ours {
    }, named{};
    return again && ::fstat(fd, &ours) == 0 && ::fstat(again.get(), &named) == 0 &&
           ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
}

class ShmBlock final : public SharedBlock {
public:
    // fd is open, holds the shared holder lock and is at least size bytes long.
    ShmBlock(UniqueFd fd, std::string object, std::size_t size)
        : fd_(std::move(fd)), object_(std::move(object)), size_(size)
    {
        void* base = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_.get(), 0);
        if (base == MAP_FAILED)
            throw PlatformError(posix::errnoText());
        base_ = static_cast<std::uint32_t*>(base);
    }

    ~ShmBlock() override
    {
        ::munmap(base_, size_);
        try {
            Gate gate(fd_.get());
            // Turning our shared lock exclusive succeeds only when no other holder is left.
            if (setLock(fd_.get(), F_WRLCK, HolderByte, false) && stillNamed(fd_.get(), object_))
                ::shm_unlink(object_.c_str());
        } catch (const PlatformError&) {
            // Without the gate the object stays; the next creator finds no holder and starts
            // it afresh, just as after a crash.
        }
    } // closing the descriptor drops every lock

    ShmBlock(const ShmBlock&) = delete;
    ShmBlock& operator=(const ShmBlock&) = delete;

    std::size_t size() const override { return size_; }

protected:
    std::uint32_t* words() const override { return base_; }

private:
    UniqueFd fd_;
    std::string object_;
    std::size_t size_;
    std::uint32_t* base_ = nullptr;
};

enum class Holders { None, Others };

// Opens the object and takes its gate, retrying while the name moves to another object under
// our feet. Returns the descriptor with the gate held (the caller releases it) or an empty one
// when the object is missing and create is false.
UniqueFd openGated(const std::string& object, bool create)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        UniqueFd fd(::shm_open(object.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600));
        if (!fd) {
            if (create)
                throw PlatformError(posix::errnoText());
            return fd;
        }
        if (!setLock(fd.get(), F_WRLCK, GateByte, true))
            throw PlatformError(posix::errnoText());
        if (stillNamed(fd.get(), object))
            return fd;
    }
    throw PlatformError(std::string("Shared memory ") + object + " keeps vanishing");
}

// Under the gate: takes our holder lock and tells whether someone else holds the object.
Holders joinHolders(int fd)
{
    if (setLock(fd, F_WRLCK, HolderByte, false)) {
        setLock(fd, F_RDLCK, HolderByte, false); // downgrading an own lock always succeeds
        return Holders::None;
    }
    if (errno != EAGAIN && errno != EACCES)
        throw PlatformError(posix::errnoText());
    // Others hold shared locks only (an exclusive one is taken under the gate, which is ours).
    if (!setLock(fd, F_RDLCK, HolderByte, false))
        throw PlatformError(posix::errnoText());
    return Holders::Others;
}

} // namespace

std::unique_ptr<SharedBlock> createSharedBlock(const std::string& name, std::size_t size,
                                               bool& existed)
{
    const std::string object = objectName(name);
    UniqueFd fd = openGated(object, true);
    try {
        existed = joinHolders(fd.get()) == Holders::Others;
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            throw PlatformError(posix::errnoText());
        // A new block starts zero-filled, even where a crashed holder left an old object: that
        // object's contents died with it.
        if (!existed && ::ftruncate(fd.get(), 0) != 0)
            throw PlatformError(posix::errnoText());
        if ((!existed || static_cast<std::size_t>(st.st_size) < size) &&
            ::ftruncate(fd.get(), static_cast<off_t>(size)) != 0)
            throw PlatformError(posix::errnoText());
        setLock(fd.get(), F_UNLCK, GateByte, false);
        return std::make_unique<ShmBlock>(std::move(fd), object, size);
    } catch (...) {
        setLock(fd.get(), F_UNLCK, GateByte, false);
        throw;
    }
}

std::unique_ptr<SharedBlock> openSharedBlock(const std::string& name, std::size_t size)
{
    const std::string object = objectName(name);
    try {
        UniqueFd fd = openGated(object, false);
        if (!fd)
            return nullptr;
        if (joinHolders(fd.get()) == Holders::None) {
            // Left behind by a holder that crashed: no live block. Clear it away while the gate
            // still guards the name.
            ::shm_unlink(object.c_str());
            return nullptr;
        }
        struct stat st {};
        const bool fits =
            ::fstat(fd.get(), &st) == 0 && static_cast<std::size_t>(st.st_size) >= size;
        setLock(fd.get(), F_UNLCK, GateByte, false);
        if (!fits)
            return nullptr;
        return std::make_unique<ShmBlock>(std::move(fd), object, size);
    } catch (const PlatformError&) {
        return nullptr;
    }
}

} // namespace platform
