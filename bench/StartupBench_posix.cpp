// Start-up time of terminal programs: from fork to the last byte of their first full frame on
// an 80 x 24 pseudo-terminal. A frame is over when the program has written nothing for the
// quiet time (it waits for a key); its last byte is the end of the frame, and the frame must
// hold the program's marker text. The programs take turns, run after run; the first is the
// floor the others are compared with. Each is ended with SIGTERM afterwards.
//
// usage: startup-bench [--runs N] FLOOR MARKER PROGRAM MARKER...
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuiet = std::chrono::milliseconds(500);

struct Program {
    std::string path;
    std::string marker;
    std::vector<double> times;
};

/// One start; milliseconds to the end of the first frame, or a negative value.
double StartOnce(const Program& program)
{
    winsize size = {};
    size.ws_row = 24;
    size.ws_col = 80;
    int master = -1;
    const auto start = Clock::now();
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child < 0) {
        std::perror("startup-bench: forkpty");
        return -1;
    }
    if (child == 0) {
        execl(program.path.c_str(), program.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string output;
    auto last = start;
    for (;;) {
        pollfd fd = {master, POLLIN, 0};
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(last + kQuiet - Clock::now());
        if (poll(&fd, 1, std::max<int>(0, static_cast<int>(wait.count()))) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        last = Clock::now();
        output.append(buffer, static_cast<std::size_t>(n));
    }
    kill(child, SIGTERM);
    // Drain, so that the program's restoring output never blocks on a full pty.
    char buffer[4096];
    while (read(master, buffer, sizeof buffer) > 0) {}
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    if (output.find(program.marker) == std::string::npos) {
        std::fprintf(stderr, "startup-bench: %s drew no \"%s\" (%zu bytes)\n", program.path.c_str(),
                     program.marker.c_str(), output.size());
        return -1;
    }
    return std::chrono::duration<double, std::milli>(last - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 20;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (i + 1 < argc) {
            programs.push_back({argv[i], argv[i + 1], {}});
            ++i;
        } else
            programs.clear(), i = argc;
    }
    if (programs.size() < 2) {
        std::fprintf(stderr, "usage: startup-bench [--runs N] FLOOR MARKER PROGRAM MARKER...\n");
        return 2;
    }
    for (int run = 0; run <= runs; ++run)  // run 0 warms the caches and is not counted
        for (Program& program : programs) {
            const double ms = StartOnce(program);
            if (ms < 0)
                return 1;
            if (run > 0)
                program.times.push_back(ms);
        }
    double floorMedian = 0;
    for (Program& program : programs) {
        std::vector<double>& t = program.times;
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        if (floorMedian == 0)
            floorMedian = median;
        const std::size_t slash = program.path.rfind('/');
        std::printf("%-22s min %8.2f  median %8.2f  max %8.2f ms  ratio %.3f  (%d runs)\n",
                    program.path.substr(slash == std::string::npos ? 0 : slash + 1).c_str(), t.front(), median,
                    t.back(), median / floorMedian, runs);
    }
    return 0;
}
