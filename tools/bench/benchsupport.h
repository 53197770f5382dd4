#pragma once

#include <QImage>

#include <chrono>
#include <string>
#include <vector>

// What the benchmark programs share.
namespace bench {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start);
double median(std::vector<double> values);

// Gradients, blocks and fine noise: compresses like a detailed photograph, not like a flat drawing
// that would make decoding unrealistically cheap.
QImage makeBenchImage(int width, int height);

// Starts args[0] (looked up on PATH) with args, waits, and tells whether it ended with 0. Output
// goes to /dev/null when discardOutput is set.
bool spawnAndWait(std::vector<std::string> args, bool discardOutput = false);

// A "kB" line of /proc/self/status, such as "VmRSS" or "VmHWM", in KiB; -1 where there is none.
long statusKiB(const char* field);

} // namespace bench
