#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The change timer's period for a "Reload every" value and its unit (0 minutes, 1 hours). nullopt
// for any other unit or a value that is not a number: the period stays as it was. A product that
// does not fit 32 bits is held at the largest period a timer accepts.
std::optional<std::uint32_t> reloadPeriod(const QString& value, int unitIndex);
std::optional<std::uint32_t> reloadPeriod(int value, int unitIndex);

// Seconds as "hh:mm:ss" (hours may take more digits). A countdown that has run out, or past, shows
// 00:00:00.
QString FormatCountdown(std::int32_t seconds);
