#include "versionblock.h"

#include "platform/files.h"

#include <cstring>
#include <unistd.h>

// Finding the version block inside an executable file. The readers fetch only the headers and
// tables they walk, so a large executable is never read whole, and every offset the file names
// is checked against the file's size before it is used.
namespace platform::versionblock {

namespace {

// A VS_VERSIONINFO block measures itself in 16 bits; nothing larger is one.
constexpr std::uint64_t maxBlockSize = 0xFFFF;

class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t size() const = 0;
    // Fills out from offset; false when that range is not wholly inside the source.
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

    bool fits(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size() && length <= size() - offset;
    }

    std::vector<std::uint8_t> bytes(std::uint64_t offset, std::uint64_t length)
    {
        if (!fits(offset, length))
            return {};
        std::vector<std::uint8_t> out(length);
        return read(offset, out) ? out : std::vector<std::uint8_t>{};
    }
};

class SpanSource final : public Source {
public:
    explicit SpanSource(std::span<const std::uint8_t> image) : image_(image) {}
    std::uint64_t size() const override { return image_.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        if (!fits(offset, out.size()))
            return false;
        if (!out.empty())
            std::memcpy(out.data(), image_.data() + offset, out.size());
        return true;
    }

private:
    std::span<const std::uint8_t> image_;
};

class FileSource final : public Source {
public:
    // Only a regular file: a FIFO in a program's place would hold the reader for good.
    explicit FileSource(const std::string& path) : fd_(openRegularFileForReading(path))
    {
        const auto end = fd_ < 0 ? -1 : ::lseek(fd_, 0, SEEK_END);
        size_ = end > 0 ? std::uint64_t(end) : 0;
    }
    ~FileSource() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        if (!fits(offset, out.size()) || ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
            return false;
        for (std::size_t done = 0; done < out.size();) {
            const auto count =
                ::read(fd_, out.data() + done, static_cast<unsigned>(out.size() - done));
            if (count <= 0)
                return false;
            done += std::size_t(count);
        }
        return true;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

// Little-endian fields of a header already read; out-of-range fields read as 0.
std::uint64_t field(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t width)
{
    std::uint64_t value = 0;
    if (at > b.size() || width > b.size() - at)
        return 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | b[at + i];
    return value;
}

std::vector<std::uint8_t> limitedBlock(Source& source, std::uint64_t offset, std::uint64_t size)
{
    return source.bytes(offset, std::min(size, maxBlockSize));
}

// PE: https://learn.microsoft.com/windows/win32/debug/pe-format (the .rsrc section).
class PeReader {
public:
    explicit PeReader(Source& source) : source_(source) {}

    std::vector<std::uint8_t> versionBlock()
    {
        const auto dos = source_.bytes(0, 64);
        if (dos.size() < 64 || dos[0] != 'M' || dos[1] != 'Z')
            return {};
        const std::uint64_t pe = field(dos, 0x3C, 4);
        const auto coff = source_.bytes(pe, 24);
        if (coff.size() < 24 || field(coff, 0, 4) != 0x00004550)
            return {};
        const std::uint64_t sectionCount = field(coff, 6, 2);
        const std::uint64_t optionalSize = field(coff, 20, 2);
        const auto optional = source_.bytes(pe + 24, optionalSize);
        const std::uint64_t magic = field(optional, 0, 2);
        const std::size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
        if (directories == 0 || field(optional, directories - 4, 4) < 3)
            return {};
        const std::uint64_t resourceRva = field(optional, directories + 16, 4);
        sections_ = source_.bytes(pe + 24 + optionalSize, sectionCount * 40);
        const auto base = fileOffset(resourceRva, 16);
        if (!base)
            return {};
        base_ = *base;
        // Type RT_VERSION, then the first name, then the first language. Exactly three levels are
        // walked, so directories that point back at each other can not make the walk loop.
        const auto names = entry(0, rtVersion);
        const auto languages =
            names && isDirectory(*names) ? entry(offsetOf(*names), {}) : std::nullopt;
        const auto data =
            languages && isDirectory(*languages) ? entry(offsetOf(*languages), {}) : std::nullopt;
        if (!data || isDirectory(*data))
            return {};
        const auto dataEntry = source_.bytes(base_ + *data, 16);
        if (dataEntry.size() < 16)
            return {};
        const std::uint64_t size = field(dataEntry, 4, 4);
        const auto offset = fileOffset(field(dataEntry, 0, 4), size);
        return offset ? limitedBlock(source_, *offset, size) : std::vector<std::uint8_t>{};
    }

private:
    static constexpr std::uint32_t rtVersion = 16;
    static constexpr std::uint32_t directoryBit = 0x80000000;

    static bool isDirectory(std::uint32_t offset) { return offset & directoryBit; }
    static std::uint32_t offsetOf(std::uint32_t offset) { return offset & ~directoryBit; }

    // The file offset of length bytes at rva, when one section holds them all in the file.
    std::optional<std::uint64_t> fileOffset(std::uint64_t rva, std::uint64_t length) const
    {
        for (std::size_t at = 0; at + 40 <= sections_.size(); at += 40) {
            const std::uint64_t address = field(sections_, at + 12, 4);
            const std::uint64_t rawSize = field(sections_, at + 16, 4);
            const std::uint64_t rawOffset = field(sections_, at + 20, 4);
            if (rva >= address && rva - address <= rawSize && length <= rawSize - (rva - address))
                return rawOffset + (rva - address);
        }
        return std::nullopt;
    }

    // The OffsetToData of the directory's entry with the given id, or of its first entry.
    std::optional<std::uint32_t> entry(std::uint64_t directory, std::optional<std::uint32_t> id)
    {
        const auto header = source_.bytes(base_ + directory, 16);
        const std::uint64_t named = field(header, 12, 2);
        const std::uint64_t count = named + field(header, 14, 2);
        if (header.size() < 16 || count == 0)
            return std::nullopt;
        const auto entries = source_.bytes(base_ + directory + 16, count * 8);
        if (entries.empty())
            return std::nullopt;
        if (!id)
            return std::uint32_t(field(entries, 4, 4));
        for (std::uint64_t i = named; i < count; ++i) {
            if (field(entries, i * 8, 4) == *id)
                return std::uint32_t(field(entries, i * 8 + 4, 4));
        }
        return std::nullopt;
    }

    Source& source_;
    std::vector<std::uint8_t> sections_;
    std::uint64_t base_ = 0;
};

// ELF: the section header table and the section names' string table (the ELF format,
// "Sections"). Only little-endian files are ours.
std::vector<std::uint8_t> elfVersionBlock(Source& source)
{
    const auto ident = source.bytes(0, 64);
    if (ident.size() < 64 || field(ident, 0, 4) != 0x464C457F || ident[5] != 1)
        return {};
    const bool wide = ident[4] == 2;
    if (!wide && ident[4] != 1)
        return {};
    const std::uint64_t tableOffset = wide ? field(ident, 0x28, 8) : field(ident, 0x20, 4);
    const std::size_t entrySize = field(ident, wide ? 0x3A : 0x2E, 2);
    const std::uint64_t count = field(ident, wide ? 0x3C : 0x30, 2);
    const std::uint64_t namesIndex = field(ident, wide ? 0x3E : 0x32, 2);
    if (entrySize < (wide ? 64u : 40u) || namesIndex >= count)
        return {};
    const auto table = source.bytes(tableOffset, count * entrySize);
    struct Section {
        std::uint64_t name, type, offset, size;
    };
    auto section = [&](std::uint64_t index) {
        const std::size_t at = index * entrySize;
        const std::size_t offset = wide ? 0x18 : 0x10;
        const std::size_t width = wide ? 8 : 4;
        return Section{field(table, at, 4), field(table, at + 4, 4),
                       field(table, at + offset, width), field(table, at + offset + width, width)};
    };
    const Section names = section(namesIndex);
    const std::string wanted = elfSectionName;
    constexpr std::uint64_t noBits = 8;
    for (std::uint64_t i = 0; i < count && !table.empty(); ++i) {
        const Section candidate = section(i);
        if (candidate.type == noBits || candidate.name > names.size ||
            names.size - candidate.name < wanted.size() + 1)
            continue;
        const auto name = source.bytes(names.offset + candidate.name, wanted.size() + 1);
        if (name.size() == wanted.size() + 1 && name.back() == 0 &&
            std::equal(wanted.begin(), wanted.end(), name.begin()))
            return limitedBlock(source, candidate.offset, candidate.size);
    }
    return {};
}

std::vector<std::uint8_t> fromSource(Source& source)
{
    std::vector<std::uint8_t> block = PeReader(source).versionBlock();
    return block.empty() ? elfVersionBlock(source) : block;
}

} // namespace

std::vector<std::uint8_t> fromPeImage(std::span<const std::uint8_t> image)
{
    SpanSource source(image);
    return PeReader(source).versionBlock();
}

std::vector<std::uint8_t> fromElfImage(std::span<const std::uint8_t> image)
{
    SpanSource source(image);
    return elfVersionBlock(source);
}

std::vector<std::uint8_t> fromFile(const std::string& path)
{
    FileSource source(path);
    return fromSource(source);
}

} // namespace platform::versionblock
