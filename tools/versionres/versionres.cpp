// Encodes the program's VS_VERSIONINFO block from its description in cmake/VersionResource.cmake
// and writes it as a C++ array placed in the ELF section where the platform layer's version
// reader looks for it. The Windows build compiles the same description from an .rc file instead.
//
// usage: tapestron-versionres <out.cpp> <file version> <product version> <flags mask> <flags>
//                             <os> <type> <subtype> <language+code page, 8 hex digits>
//                             <Name=Value>...

#include "platform/versionblock.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// https://learn.microsoft.com/windows/win32/menurc/vs-versioninfo and its children.
class BlockWriter {
public:
    // Starts a node; its length is filled in by end().
    std::size_t begin(const std::string& key, std::uint16_t valueLength, bool isText)
    {
        pad();
        const std::size_t start = bytes_.size();
        u16(0);
        u16(valueLength);
        u16(isText ? 1 : 0);
        text(key);
        pad();
        return start;
    }

    void end(std::size_t start)
    {
        const std::size_t length = bytes_.size() - start;
        if (length > 0xFFFF)
            throw std::runtime_error("version block too large");
        bytes_[start] = std::uint8_t(length);
        bytes_[start + 1] = std::uint8_t(length >> 8);
    }

    void u16(std::uint32_t value)
    {
        bytes_.push_back(std::uint8_t(value));
        bytes_.push_back(std::uint8_t(value >> 8));
    }

    void u32(std::uint32_t value)
    {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }

    // Zero-terminated UTF-16. The .rc twin of this block is read in a single-byte code page, so
    // only ASCII says the same thing in both.
    void text(const std::string& value)
    {
        for (const char c : value) {
            if (static_cast<unsigned char>(c) > 0x7F)
                throw std::runtime_error("version texts must be ASCII: " + value);
            u16(static_cast<unsigned char>(c));
        }
        u16(0);
    }

    void pad()
    {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

std::uint32_t number(const std::string& text)
{
    return std::uint32_t(std::stoul(text, nullptr, 0));
}

// "a.b.c.d" as the two 32-bit halves of the fixed file information.
void writeVersion(BlockWriter& out, const std::string& dotted)
{
    std::uint32_t parts[4] = {};
    std::size_t at = 0;
    for (std::uint32_t& part : parts) {
        std::size_t used = 0;
        part = std::uint32_t(std::stoul(dotted.substr(at), &used));
        if (part > 0xFFFF)
            throw std::runtime_error("version part out of range: " + dotted);
        at += used + 1;
    }
    out.u32(parts[0] << 16 | parts[1]);
    out.u32(parts[2] << 16 | parts[3]);
}

std::vector<std::uint8_t> encode(char** argv, int argc)
{
    BlockWriter out;
    const std::size_t root = out.begin("VS_VERSION_INFO", 52, false);
    out.u32(0xFEEF04BD);
    out.u32(0x00010000); // structure version 1.0
    writeVersion(out, argv[2]);
    writeVersion(out, argv[3]);
    for (int i = 4; i <= 8; ++i)
        out.u32(number(argv[i])); // flags mask, flags, OS, type, subtype
    out.u32(0);                   // no file date, as resource compilers leave it
    out.u32(0);

    const std::string translation = argv[9];
    if (translation.size() != 8)
        throw std::runtime_error("translation must be 8 hex digits: " + translation);
    const std::size_t stringInfo = out.begin("StringFileInfo", 0, true);
    const std::size_t table = out.begin(translation, 0, true);
    for (int i = 10; i < argc; ++i) {
        const std::string entry = argv[i];
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos)
            throw std::runtime_error("expected Name=Value: " + entry);
        const std::string value = entry.substr(equals + 1);
        const std::size_t string =
            out.begin(entry.substr(0, equals), std::uint16_t(value.size() + 1), true);
        out.text(value);
        out.end(string);
    }
    out.end(table);
    out.end(stringInfo);

    const std::size_t varInfo = out.begin("VarFileInfo", 0, true);
    const std::size_t var = out.begin("Translation", 4, false);
    out.u16(number("0x" + translation.substr(0, 4)));
    out.u16(number("0x" + translation.substr(4, 4)));
    out.end(var);
    out.end(varInfo);
    out.end(root);
    return out.bytes();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 10) {
        std::fprintf(stderr, "usage: tapestron-versionres <out.cpp> <file version> "
                             "<product version> <flags mask> <flags> <os> <type> <subtype> "
                             "<translation> <Name=Value>...\n");
        return 2;
    }
    try {
        const std::vector<std::uint8_t> block = encode(argv, argc);
        std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
        file << "// Written by tapestron-versionres from cmake/VersionResource.cmake.\n"
             << "__attribute__((section(\"" << platform::versionblock::elfSectionName
             << "\"), used, aligned(4)))\nextern const unsigned char tapestronVersionBlock[] = {";
        for (std::size_t i = 0; i < block.size(); ++i)
            file << (i % 16 ? " " : "\n    ") << unsigned(block[i]) << ",";
        file << "\n};\n";
        if (!file.flush())
            throw std::runtime_error(std::string("can not write ") + argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tapestron-versionres: %s\n", error.what());
        return 1;
    }
    return 0;
}
