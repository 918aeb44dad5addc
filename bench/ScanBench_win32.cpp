// ScanPorts on the real serial ports against its floor: the fixed waits and read time-outs that
// the probes cannot avoid on the ports that reader-sim plays (LESAMO_PORT_COM1..4, set by
// tests/windows/wine-run.sh). Prints one line: floor, min, median, max and overhead.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "detect/ReaderDetector.h"
#include "common/Notice.h"

namespace {

using namespace lesamo;

// What one port costs a scan at the least, and the slot it must end with.
struct PortCost {
    const char* behaviour;
    double floorMs;
    int slot;
};

// The identifying probe waits 1170 ms and the wake probe 150 ms; a read of a silent line ends
// after its total time-out of 1 x 100 + 1 ms, a read of a reply already received ends 30 ms
// after its last byte (the interval time-out). reader-sim's Kavirex3 answers 500 ms into the
// identifying probe, its Kavirex(KRM) 40 ms into the wake probe.
constexpr PortCost kCosts[] = {
    {"none", 0, readerNone},
    {"silent", 1170 + 101 + 150 + 101, readerNone},
    {"kavirex3", 1170 + 30, readerKavirex3},
    {"krm", 1170 + 101 + 150 + 30, readerKrm},
};

struct NoNotice : Notice {
    void Show(const std::string&, MessageIcon) override {}
};

}  // namespace

int main(int argc, char** argv)
{
    int runs = 0;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0)
        runs = std::atoi(argv[2]);
    else if (argc != 1) {
        std::fprintf(stderr, "usage: lesamo_scan_bench [--runs N]   (under tests/windows/wine-run.sh)\n");
        return 2;
    }

    double floorMs = 0;
    int expected[kPortCount];
    std::string ports;
    for (int i = 0; i < kPortCount; ++i) {
        const std::string var = "LESAMO_PORT_COM" + std::to_string(i + 1);
        const char* value = std::getenv(var.c_str());
        const PortCost* cost = nullptr;
        for (const PortCost& c : kCosts)
            if (value && std::strcmp(value, c.behaviour) == 0)
                cost = &c;
        if (!cost) {
            std::fprintf(stderr,
                         "lesamo_scan_bench: %s is \"%s\"; wanted none, silent, kavirex3 or krm"
                         " (run it through tests/windows/wine-run.sh)\n",
                         var.c_str(), value ? value : "");
            return 2;
        }
        floorMs += cost->floorMs;
        expected[i] = cost->slot;
        ports += (i ? " com" : "com") + std::to_string(i + 1) + "=" + cost->behaviour;
    }
    if (runs <= 0)
        runs = floorMs > 0 ? 3 : 1000;

    NoNotice notice;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        CReaderDetector detector(SystemPorts(), notice);
        const auto start = std::chrono::steady_clock::now();
        detector.ScanPorts();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!std::equal(expected, expected + kPortCount, detector.m_nPortKind)) {
            std::fprintf(stderr, "lesamo_scan_bench: run %d found %d %d %d %d on %s\n", run, detector.m_nPortKind[0],
                         detector.m_nPortKind[1], detector.m_nPortKind[2], detector.m_nPortKind[3], ports.c_str());
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-58s floor %7.1f ms  min %8.3f  median %8.3f  max %8.3f ms  ", ports.c_str(), floorMs, times.front(),
                median, times.back());
    if (floorMs > 0)
        std::printf("ratio %.4f  overhead %+.2f %%  (%d runs)\n", median / floorMs,
                    100.0 * (median - floorMs) / floorMs, runs);
    else
        std::printf("overhead %+.3f ms  (%d runs)\n", median, runs);
    return 0;
}
