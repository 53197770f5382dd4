#include "errors.h"

#include <cstdint>
#include <limits>

std::optional<int> parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == u'-' || t[pos] == u'+'))
        negative = t[pos++] == u'-';
    int base = 10;
    if (pos < t.size() && t[pos] == u'$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < t.size() && t[pos] == u'0' && (t[pos + 1] == u'x' || t[pos + 1] == u'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= t.size())
        return std::nullopt;
    long long value = 0;
    for (; pos < t.size(); ++pos) {
        const char16_t c = t[pos].toLower().unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > (1LL << 32))
            return std::nullopt;
    }
    if (negative)
        value = -value;
    // Hex text covers the whole 32-bit pattern ("$FFFFFFFF" is -1), as the system's reader does.
    if (base == 16 && !negative && value <= std::numeric_limits<std::uint32_t>::max())
        return static_cast<int>(static_cast<std::uint32_t>(value));
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

int toInteger(const QString& text)
{
    if (const auto value = parseInteger(text))
        return *value;
    throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}
