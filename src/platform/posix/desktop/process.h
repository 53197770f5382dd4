#pragma once

// Desktop tools started as programs: never through a shell, always with a time limit.

#include <string>
#include <vector>

namespace platform::posix {

// How long a desktop tool may take before it counts as hung.
inline constexpr int ToolTimeoutMs = 2000;

struct ToolResult {
    bool started = false;  // the program was found and ran
    bool timedOut = false; // it was still running at the limit and was killed
    int exitCode = -1;     // its exit code when it ended by itself; -1 otherwise
    std::string output;    // what it wrote to its standard output
    std::string errors;    // what it wrote to its standard error

    bool succeeded() const { return started && !timedOut && exitCode == 0; }
};

// Runs argv[0], looked up on PATH, with the other entries as its arguments, each passed as it is
// (no shell ever reads them). Standard input is empty; both outputs are collected. A program
// still running after timeoutMs is killed together with everything it started. The wait is
// rationed across calls: a program that timed out is not run again for the same command for a
// minute (the call gives timedOut at once), and once all calls together have waited a few
// seconds within a step's time, each gets only the short time a healthy tool needs.
ToolResult runTool(const std::vector<std::string>& argv, int timeoutMs = ToolTimeoutMs);

} // namespace platform::posix
