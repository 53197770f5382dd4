#include "gvarianttext.h"

#include <cstdint>
#include <cstdio>

namespace platform::posix {

namespace {

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The code point of the digits hex digits at text[at]; nullopt when they are not all hex.
std::optional<std::uint32_t> hexCode(const std::string& text, std::size_t at, std::size_t digits)
{
    if (at + digits > text.size())
        return std::nullopt;
    std::uint32_t code = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        code = code * 16 + static_cast<std::uint32_t>(digit);
    }
    if (code > 0x10FFFF)
        return std::nullopt;
    return code;
}

} // namespace

std::string gvariantQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        switch (c) {
        case '\'':
        case '\\':
            quoted += '\\';
            quoted += c;
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "'";
}

std::optional<std::string> gvariantString(const std::string& printed)
{
    std::size_t begin = printed.find_first_not_of(" \t\r\n");
    std::size_t end = printed.find_last_not_of(" \t\r\n");
    if (begin == std::string::npos || end == begin)
        return std::nullopt;
    const char quote = printed[begin];
    if ((quote != '\'' && quote != '"') || printed[end] != quote)
        return std::nullopt;
    std::string text;
    for (std::size_t i = begin + 1; i < end; ++i) {
        char c = printed[i];
        if (c == quote)
            return std::nullopt; // an unescaped quote: more than one literal
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= end)
            return std::nullopt;
        c = printed[i];
        const std::size_t digits = c == 'u' ? 4 : c == 'U' ? 8 : 0;
        if (digits != 0) {
            const auto code = hexCode(printed, i + 1, digits);
            if (!code || i + digits >= end)
                return std::nullopt;
            appendUtf8(text, *code);
            i += digits;
            continue;
        }
        switch (c) {
        case 'a':
            text += '\a';
            break;
        case 'b':
            text += '\b';
            break;
        case 'f':
            text += '\f';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'v':
            text += '\v';
            break;
        default:
            text += c; // a quote, a backslash or any other character stands for itself
        }
    }
    return text;
}

} // namespace platform::posix
