#include "showinterval.h"

#include "common/errors.h"

namespace {
constexpr std::int64_t LargestPeriod = 0x7FFFFFFF;
} // namespace

std::optional<std::uint32_t> reloadPeriod(int value, int unitIndex)
{
    std::int64_t factor = 0;
    if (unitIndex == 0)
        factor = 60'000;
    else if (unitIndex == 1)
        factor = 3'600'000;
    else
        return std::nullopt;
    const std::int64_t period = std::int64_t{value} * factor;
    if (period < 0 || period > 0xFFFFFFFFLL)
        return static_cast<std::uint32_t>(LargestPeriod);
    return static_cast<std::uint32_t>(period);
}

std::optional<std::uint32_t> reloadPeriod(const QString& value, int unitIndex)
{
    const auto number = parseInteger(value);
    if (!number)
        return std::nullopt;
    return reloadPeriod(*number, unitIndex);
}

QString FormatCountdown(std::int32_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const std::int32_t h = seconds / 3600;
    const std::int32_t m = seconds / 60 - h * 60;
    const std::int32_t s = seconds - (h * 3600 + m * 60);
    const auto two = [](std::int32_t n) {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    return two(h) + u':' + two(m) + u':' + two(s);
}
