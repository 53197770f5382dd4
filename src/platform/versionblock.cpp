#include "versionblock.h"

#include <algorithm>
#include <cstring>

// The layout of VS_VERSIONINFO and its children:
// https://learn.microsoft.com/windows/win32/menurc/vs-versioninfo
// Every node is wLength, wValueLength, wType, a zero-terminated UTF-16 key, padding to 32 bits,
// the value, padding, and then child nodes up to wLength. Offsets are aligned relative to the
// block's start, which the resource compiler places on a 32-bit boundary.
namespace platform::versionblock {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t fixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t fixedInfoSize = 13 * 4;
constexpr std::uint16_t textType = 1;

std::uint16_t u16(Bytes b, std::size_t at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); }

std::uint32_t u32(Bytes b, std::size_t at)
{
    return u16(b, at) | (std::uint32_t(u16(b, at + 2)) << 16);
}

std::size_t align4(std::size_t offset) { return (offset + 3) & ~std::size_t(3); }

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// UTF-16LE up to the first zero unit or the end; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(Bytes bytes)
{
    std::string out;
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = u16(bytes, 2 * i);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t low = u16(bytes, 2 * i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
    return out;
}

bool sameKey(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

struct Node {
    std::string key;
    Bytes value;
    std::size_t childrenBegin = 0;
    std::size_t end = 0;
};

// The node at offset, which must lie wholly before limit; nullopt when it does not.
std::optional<Node> readNode(Bytes block, std::size_t offset, std::size_t limit)
{
    if (offset > limit || limit - offset < 6)
        return std::nullopt;
    const std::size_t length = u16(block, offset);
    if (length < 6 || length > limit - offset)
        return std::nullopt;
    Node node;
    node.end = offset + length;
    std::size_t keyEnd = offset + 6;
    while (true) {
        if (node.end - keyEnd < 2)
            return std::nullopt;
        keyEnd += 2;
        if (u16(block, keyEnd - 2) == 0)
            break;
    }
    node.key = utf16ToUtf8(block.subspan(offset + 6, keyEnd - offset - 6));
    const std::size_t valueBegin = std::min(align4(keyEnd), node.end);
    // Text values count characters, binary values bytes. Some compilers count text in bytes, so
    // the length is cut to what the node holds rather than rejected.
    const std::size_t valueLength = u16(block, offset + 2);
    const bool isText = u16(block, offset + 4) == textType;
    const std::size_t valueBytes = isText ? 2 * valueLength : valueLength;
    node.value = block.subspan(valueBegin, std::min(valueBytes, node.end - valueBegin));
    node.childrenBegin = align4(valueBegin + node.value.size());
    return node;
}

// The root node; a block cut short is read as far as it goes.
std::optional<Node> readRoot(Bytes block)
{
    if (block.size() < 6)
        return std::nullopt;
    return readNode(block, 0, std::min<std::size_t>(u16(block, 0), block.size()));
}

std::optional<Node> findChild(Bytes block, const Node& parent, const std::string& key)
{
    std::size_t at = parent.childrenBegin;
    while (at < parent.end) {
        std::optional<Node> child = readNode(block, at, parent.end);
        if (!child)
            return std::nullopt;
        if (sameKey(child->key, key))
            return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

// Follows a path of keys separated by backslashes; "\" alone names the root.
std::optional<Bytes> query(Bytes block, const std::string& subBlock)
{
    std::optional<Node> node = readRoot(block);
    std::size_t at = 0;
    while (node && at < subBlock.size()) {
        std::size_t next = subBlock.find('\\', at);
        if (next == std::string::npos)
            next = subBlock.size();
        if (next > at)
            node = findChild(block, *node, subBlock.substr(at, next - at));
        at = next + 1;
    }
    if (!node)
        return std::nullopt;
    return node->value;
}

} // namespace

std::optional<FixedFileInfo> fixedFileInfo(Bytes block)
{
    const std::optional<Bytes> value = query(block, "\\");
    if (!value || value->size() < fixedInfoSize || u32(*value, 0) != fixedInfoSignature)
        return std::nullopt;
    std::uint32_t fields[13];
    for (std::size_t i = 0; i < 13; ++i)
        fields[i] = u32(*value, 4 * i);
    return FixedFileInfo{fields[0],  fields[1],  fields[2], fields[3], fields[4],
                         fields[5],  fields[6],  fields[7], fields[8], fields[9],
                         fields[10], fields[11], fields[12]};
}

std::vector<Translation> translations(Bytes block)
{
    std::vector<Translation> result;
    if (const std::optional<Bytes> value = query(block, "\\VarFileInfo\\Translation")) {
        for (std::size_t at = 0; at + 4 <= value->size(); at += 4)
            result.push_back({u16(*value, at), u16(*value, at + 2)});
    }
    return result;
}

std::optional<std::string> text(Bytes block, const std::string& subBlock)
{
    const std::optional<Bytes> value = query(block, subBlock);
    if (!value)
        return std::nullopt;
    return utf16ToUtf8(*value);
}

} // namespace platform::versionblock
