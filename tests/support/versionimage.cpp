#include "versionimage.h"

#include <algorithm>
#include <iterator>

void putU16(ByteVector& bytes, std::size_t at, std::uint16_t value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2);
    bytes[at] = std::uint8_t(value);
    bytes[at + 1] = std::uint8_t(value >> 8);
}

void putU32(ByteVector& bytes, std::size_t at, std::uint32_t value)
{
    putU16(bytes, at, std::uint16_t(value));
    putU16(bytes, at + 2, std::uint16_t(value >> 16));
}

namespace {

void putU64(ByteVector& bytes, std::size_t at, std::uint64_t value)
{
    putU32(bytes, at, std::uint32_t(value));
    putU32(bytes, at + 4, std::uint32_t(value >> 32));
}

void append(ByteVector& to, const ByteVector& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

void pad4(ByteVector& bytes) { bytes.resize((bytes.size() + 3) & ~std::size_t(3)); }

} // namespace

ByteVector utf16z(const std::string& ascii)
{
    ByteVector out;
    for (const char c : ascii) {
        out.push_back(std::uint8_t(c));
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

ByteVector encodeVersionNode(const VersionNode& node)
{
    ByteVector out(6);
    append(out, utf16z(node.key));
    pad4(out);
    append(out, node.value);
    for (const VersionNode& child : node.children) {
        pad4(out);
        append(out, encodeVersionNode(child));
    }
    putU16(out, 0, std::uint16_t(out.size()));
    putU16(out, 2, std::uint16_t(node.text ? node.value.size() / 2 : node.value.size()));
    putU16(out, 4, node.text ? 1 : 0);
    return out;
}

VersionNode versionTree(const VersionSample& sample)
{
    ByteVector fixed;
    const std::uint32_t fields[13] = {
        0xFEEF04BD, 0x00010000,  sample.fileVersionMS, sample.fileVersionLS,
        0x00050006, 0x00070008,  sample.flagsMask,     sample.flags,
        0x00040004, sample.type, sample.subtype,       0,
        0};
    for (std::size_t i = 0; i < 13; ++i)
        putU32(fixed, 4 * i, fields[i]);

    VersionNode table{sample.table, {}, true, {}};
    for (const auto& [name, value] : sample.strings)
        table.children.push_back({name, utf16z(value), true, {}});
    ByteVector translation;
    putU16(translation, 0, sample.language);
    putU16(translation, 2, sample.codePage);
    return VersionNode{"VS_VERSION_INFO",
                       fixed,
                       false,
                       {{"StringFileInfo", {}, true, {table}},
                        {"VarFileInfo", {}, true, {{"Translation", translation, false, {}}}}}};
}

ByteVector versionBlock(const VersionSample& sample)
{
    return encodeVersionNode(versionTree(sample));
}

ByteVector peImage(const ByteVector& resource, std::uint32_t resourceType)
{
    using namespace peLayout;
    constexpr std::uint32_t sectionRva = 0x1000;
    const std::uint32_t resourceSize = std::uint32_t(block - resourceSection + resource.size());
    const std::uint32_t rawSize = (resourceSize + 0x1FF) & ~0x1FFu;
    ByteVector image(resourceSection + rawSize);
    image[0] = 'M';
    image[1] = 'Z';
    putU32(image, 0x3C, peHeader);

    putU32(image, peHeader, 0x00004550); // "PE\0\0"
    const std::size_t coff = peHeader + 4;
    putU16(image, coff, 0x8664);      // x64
    putU16(image, coff + 2, 1);       // one section
    putU16(image, coff + 16, 240);    // PE32+ optional header
    putU16(image, coff + 18, 0x0022); // executable, large-address aware
    const std::size_t optional = coff + 20;
    putU16(image, optional, 0x20B);
    putU64(image, optional + 24, 0x140000000);
    putU32(image, optional + 32, 0x1000); // section alignment
    putU32(image, optional + 36, 0x200);  // file alignment
    putU16(image, optional + 40, 6);      // operating system 6.0
    putU16(image, optional + 48, 6);      // subsystem 6.0
    putU32(image, optional + 56, sectionRva + ((rawSize + 0xFFF) & ~0xFFFu));
    putU32(image, optional + 60, resourceSection);
    putU16(image, optional + 68, 2); // Windows GUI
    putU64(image, optional + 72, 0x100000);
    putU64(image, optional + 80, 0x1000);
    putU64(image, optional + 88, 0x100000);
    putU64(image, optional + 96, 0x1000);
    putU32(image, optional + 108, 16);
    putU32(image, optional + 112 + 2 * 8, sectionRva); // resource directory
    putU32(image, optional + 112 + 2 * 8 + 4, resourceSize);

    const std::size_t section = optional + 240;
    const char name[8] = {'.', 'r', 's', 'r', 'c'};
    for (std::size_t i = 0; i < 8; ++i)
        image[section + i] = std::uint8_t(name[i]);
    putU32(image, section + 8, resourceSize);
    putU32(image, section + 12, sectionRva);
    putU32(image, section + 16, rawSize);
    putU32(image, section + 20, resourceSection);
    putU32(image, section + 36, 0x40000040); // initialised data, readable

    // Three directory levels, one entry each: type, name, language.
    auto directory = [&](std::size_t at, std::uint32_t id, std::uint32_t target) {
        putU16(image, at + 14, 1);
        putU32(image, at + 16, id);
        putU32(image, at + 20, target);
    };
    const std::uint32_t subdirectory = 0x80000000;
    auto offset = [](std::size_t at) { return std::uint32_t(at - resourceSection); };
    directory(resourceSection, resourceType, subdirectory | offset(typeEntry + 8));
    directory(typeEntry + 8, 1, subdirectory | offset(nameEntry + 8));
    directory(nameEntry + 8, 0x409, offset(dataEntry));
    putU32(image, dataEntry, std::uint32_t(sectionRva + block - resourceSection));
    putU32(image, dataEntry + 4, std::uint32_t(resource.size()));
    std::copy(resource.begin(), resource.end(), image.begin() + block);
    return image;
}

ByteVector elfImage(const std::string& sectionName, const ByteVector& contents)
{
    ByteVector image(64);
    const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
    std::copy(std::begin(ident), std::end(ident), image.begin());
    putU16(image, 16, 2);    // executable
    putU16(image, 18, 0x3E); // x86-64
    putU32(image, 20, 1);
    putU16(image, 52, 64);
    append(image, contents);

    const std::size_t names = image.size();
    const std::string table = std::string(1, '\0') + sectionName + '\0' + ".shstrtab" + '\0';
    image.insert(image.end(), table.begin(), table.end());
    while (image.size() % 8)
        image.push_back(0);

    const std::size_t headers = image.size();
    putU64(image, 40, headers);
    putU16(image, 58, 64);
    putU16(image, 60, 3);
    putU16(image, 62, 2);
    image.resize(headers + 3 * 64);
    const std::size_t own = headers + 64;
    putU32(image, own, 1);
    putU32(image, own + 4, 1); // program data
    putU64(image, own + 8, 2); // allocated
    putU64(image, own + 24, 64);
    putU64(image, own + 32, contents.size());
    const std::size_t strings = headers + 128;
    putU32(image, strings, std::uint32_t(sectionName.size() + 2));
    putU32(image, strings + 4, 3); // string table
    putU64(image, strings + 24, names);
    putU64(image, strings + 32, table.size());
    return image;
}
