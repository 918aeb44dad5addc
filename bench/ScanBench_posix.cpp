// scan-bench: the wall time of a whole port scan over simulated lines against the time the
// probes' fixed waits and read time-outs take at the least, reported as overhead in percent.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "detect/ReaderDetector.h"
#include "tests/support/ReaderSimProcess_posix.h"

namespace {

using namespace lesamo;
using Clock = std::chrono::steady_clock;

// The probes show nothing; a scan that did would be a fault worth seeing.
class PrintingNotice : public Notice {
public:
    void Show(const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
    }
};

// A silent line costs both probes in full: pattern and a read that runs into its 101 ms limit.
constexpr double kSilentPortMs = 1170 + 101 + 150 + 101;
// A Kavirex3 that has answered during the pattern: its reply is waiting, so the read ends
// 30 ms (the interval time-out) after it took the bytes; the wake probe is not run.
constexpr double kKavirex3PortMs = 1170 + 30;

struct Scenario {
    const char* name;
    std::vector<std::string> ports;
    double floorMs;
    int expectedResult;
    int expectedSlots[kPortCount];
};

struct Figures {
    double meanMs = 0;
    double minMs = 0;
    double maxMs = 0;
    bool ok = true;
};

Figures Measure(const Scenario& s, int runs)
{
    Figures f;
    lesamo::test::ReaderSimProcess sim(s.ports);
    if (!sim.Ready()) {
        std::fprintf(stderr, "%s: reader-sim did not start\n", s.name);
        f.ok = false;
        return f;
    }
    PrintingNotice notice;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        CReaderDetector detector(SystemPorts(), notice);
        const auto start = Clock::now();
        const int result = detector.ScanPorts();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (result != s.expectedResult ||
            !std::equal(std::begin(s.expectedSlots), std::end(s.expectedSlots), detector.m_nPortKind)) {
            std::fprintf(stderr, "%s: unexpected scan result %d, slots %d %d %d %d\n", s.name, result,
                         detector.m_nPortKind[0], detector.m_nPortKind[1], detector.m_nPortKind[2],
                         detector.m_nPortKind[3]);
            f.ok = false;
        }
    }
    double sum = 0;
    for (const double t : times)
        sum += t;
    f.meanMs = sum / times.size();
    f.minMs = *std::min_element(times.begin(), times.end());
    f.maxMs = *std::max_element(times.begin(), times.end());
    return f;
}

void Usage()
{
    std::puts("Usage: scan-bench [--runs N] [--fast-runs N]\n"
              "Times whole port scans over lines simulated by reader-sim and reports the wall\n"
              "time against the floor the probes' waits and read time-outs set.\n"
              "  --runs N       scans per scenario with lines that open (default 3)\n"
              "  --fast-runs N  scans when no line opens (default 1000)");
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    int fastRuns = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--fast-runs") == 0 && i + 1 < argc) {
            fastRuns = std::max(1, std::atoi(argv[++i]));
        } else {
            Usage();
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }

    const Scenario scenarios[] = {
        {"four silent lines",
         {"com1=silent", "com2=silent", "com3=silent", "com4=silent"},
         4 * kSilentPortMs,
         resultNone,
         {0, 0, 0, 0}},
        {"Kavirex3 on com1, three silent lines",
         {"com1=kavirex3", "com2=silent", "com3=silent", "com4=silent"},
         kKavirex3PortMs + 3 * kSilentPortMs,
         resultOk,
         {readerKavirex3, 0, 0, 0}},
        {"Kavirex3 on com1, com2-com4 missing",
         {"com1=kavirex3", "com2=none", "com3=none", "com4=none"},
         kKavirex3PortMs,
         resultOk,
         {readerKavirex3, 0, 0, 0}},
        {"no line opens (four missing)",
         {"com1=none", "com2=none", "com3=none", "com4=none"},
         0,
         resultNone,
         {0, 0, 0, 0}},
    };

    std::printf("%-40s %5s %10s %10s %10s %10s %9s\n", "scenario", "runs", "floor ms", "mean ms", "min ms", "max ms",
                "overhead");
    bool ok = true;
    for (const Scenario& s : scenarios) {
        const int n = s.floorMs > 0 ? runs : fastRuns;
        const Figures f = Measure(s, n);
        ok = ok && f.ok;
        if (s.floorMs > 0)
            std::printf("%-40s %5d %10.1f %10.1f %10.1f %10.1f %8.2f%%\n", s.name, n, s.floorMs, f.meanMs, f.minMs,
                        f.maxMs, (f.meanMs / s.floorMs - 1) * 100);
        else
            std::printf("%-40s %5d %10.1f %10.4f %10.4f %10.4f %9s\n", s.name, n, s.floorMs, f.meanMs, f.minMs, f.maxMs,
                        "-");
    }
    return ok ? 0 : 1;
}
