#include "benchsupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QImage makeBenchImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16;
            const double wave = std::sin(x * 0.02) * std::cos(y * 0.015);
            const bool block = ((x / 160) + (y / 120)) % 3 == 0;
            const int r = 255 * x / width + int(40 * wave) + noise;
            const int g = 255 * y / height + (block ? 60 : -20) + noise;
            const int b = 128 + int(100 * std::sin((x + y) * 0.005)) - noise;
            row[3 * x] = uchar(std::clamp(r, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(g, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(b, 0, 255));
        }
    }
    return image;
}

bool spawnAndWait(std::vector<std::string> args, bool discardOutput)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (discardOutput)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

long statusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::size_t length = std::strlen(field);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    return -1;
}

} // namespace bench
